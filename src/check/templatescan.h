// The structure of a report's SQL template as the expansions see it: its pairs of braces (the
// placeholders of condition reports, the optional stretches of keyword reports), the braces
// that pair with nothing or open inside another pair, and where keyword markers stand.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace varo::check
{

struct TemplateBraces {
    struct Pair {
        qsizetype open;  // position of "{"
        qsizetype close; // position of its "}"
    };
    QList<Pair> pairs;           // outermost pairs, in order
    QList<qsizetype> unmatched;  // braces without a partner, "{" or "}"
    QList<qsizetype> nestedOpen; // "{" inside another pair

    // Whether [from, to) lies inside one pair.
    bool encloses(qsizetype from, qsizetype to) const;
};

TemplateBraces scanBraces(const QString &sqlTemplate);

// The distinct placeholder names (the text between a pair's braces), upper-cased as the
// condition expansion compares them, in the order of their first occurrence.
QStringList placeholderNames(const QString &sqlTemplate, const TemplateBraces &braces);

// The condition expansion's filter string that turns each named placeholder into "1=1".
QString neutralFilterString(const QStringList &names);

// For each pair of markers (inner, outer): the inner one occurs inside an occurrence of the
// outer one in the template. Each pair once, in the order of the markers.
QList<QPair<QString, QString>> markersInsideMarkers(const QString &sqlTemplate,
                                                    const QStringList &markers);

// The markers that occur at least once outside every pair of braces.
QStringList markersOutsideBraces(const QString &sqlTemplate, const TemplateBraces &braces,
                                 const QStringList &markers);

} // namespace varo::check
