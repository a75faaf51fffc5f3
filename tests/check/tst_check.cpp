// The definition checks on SQLite and PostgreSQL: the fixture's four route reports check clean,
// and each row breaks them in one way and expects exactly the problems that makes.
#include "check/definitionchecker.h"
#include "common/reportfixture.h"

#include <QTest>

using namespace varo;
using namespace varo::test;

class TestCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void brokenDefinitions_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("keys");     // none: the whole catalogue
        QTest::addColumn<QStringList>("expected"); // "KEY code", in the order found
        auto setSql = [](const QString &key, const QString &where) {
            return QStringLiteral("update T_RepSql set FRepSql = %1 where FRepKey = '%2'")
                .arg(sqlText("select FNumber, FQty from T_Items where " + where), key);
        };
        ReportRow duplicate;
        duplicate.key = "KW";
        duplicate.repSub = "2";
        for (const QString &kind : databaseKinds()) {
            auto row = [&](const char *name, const QStringList &statements,
                           const QStringList &expected, const QStringList &keys = {}) {
                databaseRow(kind, name) << statements << keys << expected;
            };
            row("all clean", {}, {});
            row("duplicate key", {insertReport(duplicate)}, {"KW duplicate-key"});
            row("no such key", {}, {"NOPE no-such-report"}, {"NOPE", "SQL"});
            row("route code with a blank",
                {"update T_RepList set FRepSub = '1 ' where FRepKey = 'SQL'"},
                {"SQL unknown-route", "SQL plugin-not-named"});
            row("plug-in not installed",
                {"update T_RepList set FRepPluginSvr = 'No.Such' where FRepKey = 'PLUG'"},
                {"PLUG plugin-not-found"});
            row("filter plug-in not named",
                {"update T_RepList set FFilterPlugName = null where FRepKey = 'FP'"},
                {"FP plugin-not-named"});
            row("no template", {"delete from T_RepSql where FRepKey = 'SQL'"},
                {"SQL template-missing"});
            row("two templates", {insertTemplate("SQL", "select 1 as FNumber")},
                {"SQL duplicate-template"});
            row("layouts without numbers", {"update T_RepList set FMulti = 1 where FRepKey = 'FP'"},
                {"FP multi-without-layouts"});
            row("unclosed brace", {setSql("SQL", "{NF} and {NT")},
                {"SQL unbalanced-braces", "SQL mark-not-in-template", "SQL sql-fails"});
            row("nested braces", {setSql("SQL", "{NF and {NT}}")},
                {"SQL nested-braces", "SQL mark-not-in-template", "SQL mark-not-in-template",
                 "SQL sql-fails"});
            row("placeholder and mark apart", {setSql("SQL", "{NF} and {NX}")},
                {"SQL placeholder-unnamed", "SQL mark-not-in-template"});
            row("unknown control type", {insertFilter("SQL", 2, "TXT|名称|NM|FNumber='?'")},
                {"SQL unknown-control-type"});
            QStringList choices;
            for (int i = 2; i <= 6; ++i)
                choices << insertFilter("SQL", i, QStringLiteral("CMB|选项|C%1|甲,乙").arg(i));
            row("a fifth choice", choices, {"SQL extra-choice"});
            row("no filter rows", {"delete from T_RepFilter where FRepKey = 'PLUG'"},
                {"PLUG no-filter-rows"});
            row("marker inside marker",
                {insertKeyword("3, '起', '#FROM', 2, null"), insertFilter("KW", 3, "|#FROM")},
                {"KW marker-inside-marker"});
            row("empty marker", {insertKeyword("3, '空', '', 2, null")}, {"KW empty-marker"});
            row("keyword outside braces",
                {setSql("KW", "FNumber >= '#FROM#' and {FNumber <= '#TO#'}")},
                {"KW keyword-outside-braces"});
            row("filter row names no keyword", {insertFilter("KW", 3, "|#NONE#")},
                {"KW keyword-not-in-catalogue"});
            row("keyword not named for rptX",
                {"delete from T_RepFilter where FRepKey = 'KW' and FIndex = 2"},
                {"KW keyword-not-named-for-rptx"});
            row("no marker in template", {setSql("KW", "1=1")}, {"KW no-marker-in-template"});
            row("table missing",
                {"update T_RepSql set FRepSql = replace(FRepSql, 'T_Items', 'T_None')"},
                {"KW sql-fails", "SQL sql-fails"});
            row("header column not returned",
                {"update T_RepHeadCaption set FRepColName = 'FName' where FRepKey = 'SQL' and "
                 "FIndex = 1"},
                {"SQL column-not-returned"});
            row("sum column not returned",
                {"update T_RepHeadCaption set FRepColName = 'FTotal', FRepColVisible = 0 "
                 "where FRepKey = 'KW' and FIndex = 2"},
                {"KW sum-column-not-returned"});
            row("no visible column",
                {"update T_RepHeadCaption set FRepColVisible = 0 where FRepKey <> 'KW'"},
                {"FP header-missing", "PLUG header-from-plugin-only", "SQL header-missing"});
        }
    }

    void brokenDefinitions()
    {
        QFETCH(QString, database);
        QFETCH(QStringList, statements);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, expected);
        ReportFixture fixture;
        TestDatabase &db = fixture.open(database, statements);
        if (db.state() == TestDatabase::State::Skipped)
            QSKIP(qPrintable(db.errorString()));
        QVERIFY2(db.state() == TestDatabase::State::Ready, qPrintable(db.errorString()));

        QStringList found;
        const QList<check::ReportCheck> reports =
            check::checkReports(db.connection(), db.connection(), keys);
        for (const check::ReportCheck &report : reports) {
            for (const check::Problem &p : report.problems) {
                found << report.key + u' ' + p.codeName();
                // Each sentence names the report, and every argument of the rule was given.
                QVERIFY2(p.message.contains(report.key) && !p.message.contains(u'%'),
                         qPrintable(p.message));
                QVERIFY2(!p.hint.isEmpty() && !p.hint.contains(u'%'), qPrintable(p.hint));
            }
        }
        QCOMPARE(found, expected);
        QCOMPARE(reports.size(), keys.isEmpty() ? 4 : keys.size());
    }
};

VARO_TEST_MAIN(TestCheck)
#include "tst_check.moc"
