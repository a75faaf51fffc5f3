#include "markerfinder.h"

#include <QHash>
#include <algorithm>
#include <deque>

namespace varo
{

MarkerFinder::MarkerFinder(const QStringList &markers)
{
    m_nodes.emplace_back();
    QHash<QString, int> distinct;
    for (const QString &marker : markers) {
        if (marker.isEmpty()) {
            m_distinctOf.append(-1);
            continue;
        }
        auto it = distinct.constFind(marker);
        if (it != distinct.constEnd()) {
            m_distinctOf.append(*it);
            continue;
        }
        const int id = int(m_lengths.size());
        distinct.insert(marker, id);
        m_distinctOf.append(id);
        m_lengths.append(marker.size());
        int node = 0;
        for (const QChar ch : marker) {
            int next = child(node, ch.unicode());
            if (next < 0) {
                next = int(m_nodes.size());
                auto &edges = m_nodes[node].next;
                edges.insert(std::lower_bound(edges.begin(), edges.end(),
                                              std::pair<char16_t, int>(ch.unicode(), 0)),
                             {ch.unicode(), next});
                m_nodes.emplace_back();
            }
            node = next;
        }
        m_nodes[node].output = id;
    }
    // Breadth first, so that every fail link points to a node already finished.
    std::deque<int> queue;
    for (const auto &[c, next] : m_nodes[0].next)
        queue.push_back(next);
    while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        for (const auto &[c, next] : m_nodes[node].next) {
            const int fail = node == 0 ? 0 : step(m_nodes[node].fail, c);
            m_nodes[next].fail = fail == next ? 0 : fail;
            const Node &f = m_nodes[m_nodes[next].fail];
            m_nodes[next].outputLink = f.output >= 0 ? m_nodes[next].fail : f.outputLink;
            queue.push_back(next);
        }
    }
}

int MarkerFinder::child(int node, char16_t c) const
{
    const auto &edges = m_nodes[node].next;
    const auto it =
        std::lower_bound(edges.begin(), edges.end(), std::pair<char16_t, int>(c, 0),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
    return it != edges.end() && it->first == c ? it->second : -1;
}

int MarkerFinder::step(int node, char16_t c) const
{
    for (;;) {
        const int next = child(node, c);
        if (next >= 0)
            return next;
        if (node == 0)
            return 0;
        node = m_nodes[node].fail;
    }
}

QList<QList<qsizetype>> MarkerFinder::occurrences(QStringView text) const
{
    QList<QList<qsizetype>> byDistinct(m_lengths.size());
    int node = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        node = step(node, text.at(i).unicode());
        for (int n = m_nodes[node].output >= 0 ? node : m_nodes[node].outputLink; n >= 0;
             n = m_nodes[n].outputLink) {
            const int id = m_nodes[n].output;
            byDistinct[id].append(i - m_lengths.at(id) + 1);
        }
    }
    QList<QList<qsizetype>> result;
    result.reserve(m_distinctOf.size());
    for (const int id : m_distinctOf)
        result.append(id < 0 ? QList<qsizetype>() : byDistinct.at(id));
    return result;
}

} // namespace varo
