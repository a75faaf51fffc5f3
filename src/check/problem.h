// What the definition checks can find, as one table of rules: each problem code with its
// severity, the sentence that says what is wrong and the sentence that says how to mend it.
// A found problem is a rule applied to a place (table, report key, row or column).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace varo::check
{

// An error makes the report fail or give a wrong result; a warning is a likely mistake.
enum class Severity { Error, Warning };

enum class Code {
    DuplicateKey,
    NoSuchReport,
    UnknownRoute,
    PluginNotNamed,
    PluginNotFound,
    TemplateMissing,
    DuplicateTemplate,
    UnbalancedBraces,
    NestedBraces,
    NoFilterRows,
    UnknownControlType,
    ExtraChoice,
    PlaceholderUnnamed,
    MarkNotInTemplate,
    NoMarkerInTemplate,
    MarkerInsideMarker,
    EmptyMarker,
    KeywordOutsideBraces,
    LookupMissing,
    KeywordNotInCatalogue,
    KeywordNotNamedForRptX,
    SqlFails,
    HeaderMissing,
    HeaderFromPluginOnly,
    MultiWithoutLayouts,
    ColumnNotReturned,
    SumColumnNotReturned,
};

struct Rule {
    Code code;
    const char *name; // as the JSON output spells it
    Severity severity;
    const char *message; // %1, %2... stand for the arguments of the place
    const char *hint;
};

// Every rule, in the order of Code.
const QList<Rule> &rules();
const Rule &ruleOf(Code code);

QString severityName(Severity severity);

struct Problem {
    Code code;
    QString where; // "T_RepFilter SALES_DETAIL FIndex 3"
    QString message;
    QString hint;

    Severity severity() const { return ruleOf(code).severity; }
    QString codeName() const { return QString::fromLatin1(ruleOf(code).name); }
};

// The rule's sentences with each %N replaced by args[N-1] (values are never searched again).
Problem problem(Code code, const QString &where, const QStringList &args);

} // namespace varo::check
