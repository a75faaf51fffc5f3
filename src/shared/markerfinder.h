// Every occurrence of every keyword marker in a text, found in one pass over the text however
// many markers there are (a keyword automaton), so that a report with thousands of keywords
// costs no more than the length of its template.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace varo
{

class MarkerFinder
{
public:
    // Empty markers occur nowhere.
    explicit MarkerFinder(const QStringList &markers);

    // The start positions of each marker's occurrences, overlapping ones included, in
    // increasing order; indexed like the markers given.
    QList<QList<qsizetype>> occurrences(QStringView text) const;

private:
    struct Node {
        std::vector<std::pair<char16_t, int>> next; // sorted by character
        int fail = 0;
        int output = -1;     // the distinct marker that ends here
        int outputLink = -1; // the nearest node on the fail chain with an output
    };
    int child(int node, char16_t c) const;
    int step(int node, char16_t c) const;

    std::vector<Node> m_nodes;
    QList<qsizetype> m_lengths; // per distinct marker
    QList<int> m_distinctOf;    // marker index -> distinct marker
};

} // namespace varo
