#include "templatescan.h"

#include "shared/markerfinder.h"

namespace varo::check
{

bool TemplateBraces::encloses(qsizetype from, qsizetype to) const
{
    for (const Pair &p : pairs) {
        if (p.open < from && to <= p.close)
            return true;
    }
    return false;
}

TemplateBraces scanBraces(const QString &sqlTemplate)
{
    // Braces count wherever they stand, quotes or not, as both expansions treat them.
    TemplateBraces braces;
    qsizetype open = -1;
    int depth = 0;
    for (qsizetype i = 0; i < sqlTemplate.size(); ++i) {
        const QChar c = sqlTemplate.at(i);
        if (c == u'{') {
            if (depth == 0)
                open = i;
            else
                braces.nestedOpen.append(i);
            ++depth;
        } else if (c == u'}') {
            if (depth == 0) {
                braces.unmatched.append(i);
                continue;
            }
            if (--depth == 0)
                braces.pairs.append({open, i});
        }
    }
    if (depth > 0)
        braces.unmatched.append(open);
    return braces;
}

QStringList placeholderNames(const QString &sqlTemplate, const TemplateBraces &braces)
{
    QStringList names;
    for (const TemplateBraces::Pair &p : braces.pairs) {
        const QString name = sqlTemplate.mid(p.open + 1, p.close - p.open - 1).toUpper();
        if (!name.contains(u'{') && !names.contains(name))
            names.append(name);
    }
    return names;
}

QString neutralFilterString(const QStringList &names)
{
    QStringList items;
    for (const QString &name : names)
        items.append(name + QStringLiteral("|1=1"));
    return items.join(u'&');
}

QList<QPair<QString, QString>> markersInsideMarkers(const QString &sqlTemplate,
                                                    const QStringList &markers)
{
    const QList<QList<qsizetype>> found = MarkerFinder(markers).occurrences(sqlTemplate);
    QList<QPair<QString, QString>> inside;
    for (qsizetype in = 0; in < markers.size(); ++in) {
        for (qsizetype out = 0; out < markers.size(); ++out) {
            const qsizetype inLength = markers.at(in).size();
            const qsizetype outLength = markers.at(out).size();
            if (inLength >= outLength || found.at(in).isEmpty())
                continue;
            bool contained = false;
            for (const qsizetype o : found.at(out)) {
                for (const qsizetype i : found.at(in))
                    contained = contained || (o <= i && i + inLength <= o + outLength);
            }
            if (contained)
                inside.append({markers.at(in), markers.at(out)});
        }
    }
    return inside;
}

QStringList markersOutsideBraces(const QString &sqlTemplate, const TemplateBraces &braces,
                                 const QStringList &markers)
{
    const QList<QList<qsizetype>> found = MarkerFinder(markers).occurrences(sqlTemplate);
    QStringList outside;
    for (qsizetype m = 0; m < markers.size(); ++m) {
        for (const qsizetype at : found.at(m)) {
            if (!braces.encloses(at, at + markers.at(m).size())) {
                outside.append(markers.at(m));
                break;
            }
        }
    }
    return outside;
}

} // namespace varo::check
