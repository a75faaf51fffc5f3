#include "problem.h"

namespace varo::check
{

const QList<Rule> &rules()
{
    static const QList<Rule> table{
        {Code::DuplicateKey, "duplicate-key", Severity::Error,
         "T_RepList holds %2 rows with the key %1, and the engine reads only the first.",
         "Give each report a key of its own, or delete the extra rows."},
        {Code::NoSuchReport, "no-such-report", Severity::Error,
         "T_RepList has no row with the key %1.",
         "Check the key's spelling and letter case, or add the report to T_RepList."},
        {Code::UnknownRoute, "unknown-route", Severity::Error,
         "T_RepList %1 has FRepSub '%2', which is no route code, so the engine takes the report "
         "plug-in's route.",
         "Set FRepSub to 1 (condition dialog and template), 2 (keyword dialog and template) or "
         "0 (report plug-in)."},
        {Code::PluginNotNamed, "plugin-not-named", Severity::Error,
         "T_RepList %1 needs a plug-in in %2 for its route, but %2 is empty.",
         "Write the plug-in's ProgID into %2."},
        {Code::PluginNotFound, "plugin-not-found", Severity::Error,
         "T_RepList %1 names %3 in %2, which no installed plug-in provides.",
         "Correct the ProgID, or install its plug-in library in a plug-in folder (see --plugins)."},
        {Code::TemplateMissing, "template-missing", Severity::Error,
         "T_RepSql has no SQL template for %1, which its route runs.",
         "Add a T_RepSql row for %1 with the report's SQL in FRepSql."},
        {Code::DuplicateTemplate, "duplicate-template", Severity::Warning,
         "T_RepSql holds %2 rows for %1, and the engine runs whichever the database returns first.",
         "Keep one T_RepSql row per report."},
        {Code::UnbalancedBraces, "unbalanced-braces", Severity::Error,
         "The T_RepSql template of %1 has an unmatched \"%3\" at character %2.",
         "Pair every \"{\" with a \"}\" after it."},
        {Code::NestedBraces, "nested-braces", Severity::Error,
         "The T_RepSql template of %1 opens a \"{\" at character %2 inside another pair of braces.",
         "Close each pair of braces before the next one opens."},
        {Code::NoFilterRows, "no-filter-rows", Severity::Error,
         "T_RepFilter has no row for %1, so its condition dialog refuses to open.",
         "Add the report's conditions to T_RepFilter."},
        {Code::UnknownControlType, "unknown-control-type", Severity::Error,
         "T_RepFilter %1 FIndex %2 has FCtrlType '%3', which the condition dialog does not know, "
         "so the row shows nothing.",
         "Set FCtrlType to DTP (date range), CDTXT (text range) or CMB (choice)."},
        {Code::ExtraChoice, "extra-choice", Severity::Warning,
         "T_RepFilter %1 FIndex %2 is a fifth choice, and the condition dialog shows only four.",
         "Keep at most four CMB rows per report."},
        {Code::PlaceholderUnnamed, "placeholder-unnamed", Severity::Error,
         "The T_RepSql template of %1 has the placeholder {%2}, which no T_RepFilter row names, "
         "so it stays in the SQL.",
         "Name %2 in FMarkNameFrom or FMarkNameTo of a DTP or CDTXT row (with its FFilterFrom or "
         "FFilterTo), or remove the placeholder."},
        {Code::MarkNotInTemplate, "mark-not-in-template", Severity::Error,
         "T_RepFilter %1 FIndex %2 names the mark %3, which the T_RepSql template lacks, so that "
         "condition is ignored.",
         "Add {%3} to the template where the condition belongs, or correct the mark name."},
        {Code::NoMarkerInTemplate, "no-marker-in-template", Severity::Error,
         "The T_RepSql template of keyword report %1 holds no ICReportKeywords marker, so "
         "FuncReport stops without a word.",
         "Write the keywords' FKeyword markers into the template's conditions."},
        {Code::MarkerInsideMarker, "marker-inside-marker", Severity::Error,
         "In the T_RepSql template of %1 the ICReportKeywords marker %2 occurs inside %3, so its "
         "value breaks or removes %3's condition.",
         "Rename one of the two markers so that neither contains the other."},
        {Code::EmptyMarker, "empty-marker", Severity::Warning,
         "ICReportKeywords FInterID %2 has an empty FKeyword, which the keyword dialog of %1 "
         "offers although nothing in the SQL takes its value.",
         "Give the keyword its marker, or delete the row."},
        {Code::KeywordOutsideBraces, "keyword-outside-braces", Severity::Warning,
         "In the T_RepSql template of %1 the marker %2 stands outside braces, so leaving it empty "
         "fails the report or drops the conditions around it.",
         "Put the condition that holds %2 between \"{\" and \"}\"."},
        {Code::LookupMissing, "lookup-missing", Severity::Warning,
         "%2 of %1 has the lookup key %3, but no installed plug-in provides the item lookup %4.",
         "Install the item lookup plug-in, or clear the lookup key."},
        {Code::KeywordNotInCatalogue, "keyword-not-in-catalogue", Severity::Warning,
         "T_RepFilter %1 FIndex %2 names the keyword %3 in FCaption, which ICReportKeywords "
         "lacks, so rptX offers nothing for it.",
         "Write the marker exactly as ICReportKeywords.FKeyword has it, or add it there."},
        {Code::KeywordNotNamedForRptX, "keyword-not-named-for-rptx", Severity::Warning,
         "The T_RepSql template of %1 holds the marker %2, which no T_RepFilter row of %1 "
         "names, so rptX leaves it in the SQL.",
         "Add a T_RepFilter row for %1 with FCaption %2."},
        {Code::SqlFails, "sql-fails", Severity::Error,
         "The T_RepSql template of %1, expanded with every condition neutral, fails on the data "
         "connection: %2",
         "Run the SQL by hand, correct the template, and check the report again."},
        {Code::HeaderMissing, "header-missing", Severity::Error,
         "T_RepHeadCaption has no visible column for %1%2, so the engine refuses the report.",
         "Set FRepColVisible to 1 on the columns to show."},
        {Code::HeaderFromPluginOnly, "header-from-plugin-only", Severity::Warning,
         "T_RepHeadCaption has no visible column for %1, so only its report plug-in's own columns "
         "can show.",
         "Set FRepColVisible to 1 on the columns to show, unless the plug-in adds them all."},
        {Code::MultiWithoutLayouts, "multi-without-layouts", Severity::Error,
         "T_RepList %1 has FMulti 1, but T_RepHeadCaption numbers no layout (FRepSerial) for it.",
         "Number each layout's rows in FRepSerial, or set FMulti to 0."},
        {Code::ColumnNotReturned, "column-not-returned", Severity::Error,
         "T_RepHeadCaption %1 shows the column %2, which the report's SQL does not return.",
         "Correct FRepColName to one of %3, or return the column from the SQL."},
        {Code::SumColumnNotReturned, "sum-column-not-returned", Severity::Warning,
         "T_RepHeadCaption %1 totals the column %2 (FSumCol 1), which the report's SQL does not "
         "return.",
         "Correct FRepColName to one of %3, or set FSumCol to 0."},
    };
    return table;
}

const Rule &ruleOf(Code code)
{
    return rules().at(int(code));
}

QString severityName(Severity severity)
{
    return severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
}

namespace
{

QString fill(const char *pattern, const QStringList &args)
{
    const QString text = QString::fromUtf8(pattern);
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int n = i + 1 < text.size() ? text.at(i + 1).digitValue() : -1;
        if (text.at(i) == u'%' && n >= 1 && n <= args.size()) {
            out += args.at(n - 1);
            ++i;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

} // namespace

Problem problem(Code code, const QString &where, const QStringList &args)
{
    const Rule &rule = ruleOf(code);
    return {code, where, fill(rule.message, args), fill(rule.hint, args)};
}

} // namespace varo::check
