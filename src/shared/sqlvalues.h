// How a value the user typed may enter a report's SQL text. Inside a quoted literal of the
// template it is always safe once its apostrophes are doubled; outside quotes it must be one
// literal of its kind, so that no value can change the statement's structure. Also the limits
// on the sizes of templates, values and expanded SQL, and the refusal messages.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVector>

namespace varo
{

// Sizes far beyond any real report, small enough that no input costs minutes or gigabytes.
namespace SqlLimit
{
constexpr qsizetype Template = 1 << 20;    // characters of a template
constexpr qsizetype Value = 1 << 16;       // characters of one value
constexpr qsizetype ExpandedSql = 1 << 22; // characters of the SQL that runs
} // namespace SqlLimit

// The kind of literal a value outside quotes must be. A column list (a sort rule) is column
// names or column numbers, each with ASC or DESC, separated by commas; a value of unknown type
// may be a number or a column list.
enum class LiteralKind { Number, Date, ColumnList, NumberOrColumnList };

// For every position of a text: whether it lies inside a single-quoted literal ('' inside a
// literal being a quote of the literal, not its end).
QVector<bool> quotedPositions(QStringView sql);

// The value as it goes between quotes: every apostrophe doubled.
QString quotedValue(const QString &value);

bool isLiteral(const QString &value, LiteralKind kind);

// For each marker: whether it occurs in the template outside quotes.
QList<bool> markersOutsideQuotes(const QString &sqlTemplate, const QStringList &markers);

// The literal a keyword's value must be outside quotes, from its FValueType (0 date, 1 and 3
// numbers, 2 text); Null or anything else: a number or a column list.
LiteralKind keywordLiteralKind(const QVariant &valueType);

// "[caption]的值[value]..." for a value refused outside quotes.
QString refusalMessage(const QString &caption, const QString &value, LiteralKind kind);

// The messages shown when a size limit is exceeded.
QString templateTooLong();
QString valueTooLong();
QString sqlTooLong();

} // namespace varo
