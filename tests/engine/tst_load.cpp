// The load operations both report objects share, on SQLite and PostgreSQL: the filter and the
// keywords written into the stored template, the checks made before a load, and the rows,
// totals, properties and header shaped from a result.
#include "common/reportfixture.h"
#include "engine/reportstate.h"
#include "engine/requestsupport.h"
#include "engine/resultshaping.h"
#include "engine/templateexpansion.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"
#include "shared/modglobal.h"
#include "shared/sqlvalues.h"

#include <QTest>

using namespace varo;
using test::column;
using test::databaseRow;

Q_DECLARE_METATYPE(varo::MissingKeywords)

namespace
{

const QString kKey = QStringLiteral("R1");

// Keywords as "MARKER=value;MARKER2=;..." in order; "MARKER" alone has a Null value.
Vector keywords(const QString &entries)
{
    Vector list = Vector::create();
    for (const QString &entry : entries.split(u';', Qt::SkipEmptyParts)) {
        const QVariant value =
            entry.contains(u'=') ? QVariant(entry.section(u'=', 1)) : nullValue();
        list.Add(QVariant::fromValue(
            test::dictionary({{"FKeyWord", entry.section(u'=', 0, 0)}, {"FValue", value}})));
    }
    return list;
}

// T_RepHeadCaption rows of R1 from "name|sum|serial" (missing: sum "0", serial "1"; "~" Null).
QStringList headers(const QStringList &texts)
{
    QStringList rows;
    for (int i = 0; i < texts.size(); ++i) {
        auto part = [&](int n, const QString &fallback) {
            const QString p = texts[i].section(u'|', n, n);
            return n > texts[i].count(u'|') ? fallback : p == u"~" ? QString() : p;
        };
        rows << test::insertHeader(
            {kKey, i + 1, part(0, {}), part(0, {}), {}, "C", 1, part(2, "1"), part(1, "0")});
    }
    return rows;
}

} // namespace

class TestLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expandKeywords_data()
    {
        QTest::addColumn<QString>("sqlTemplate");
        QTest::addColumn<QString>("keywordList");
        QTest::addColumn<QString>("expected"); // null: raises
        const auto row = [](const char *name, const char *sql, const char *list,
                            const char *expected) {
            QTest::newRow(name) << sql << list << (expected ? QString(expected) : QString());
        };
        row("value replaces marker everywhere, braces dropped",
            "where 1=1 {and f = '#K#'} and g = '#K#'", "#K#=7",
            "where 1=1 and f = '7' and g = '7'");
        row("empty keyword turns each stretch into 1=1", "where 1=1 {and f = #K#} {and g = #K#}",
            "#K#=", "where 1=1  1=1   1=1 ");
        row("blank value counts as none", "a {x=#K#} b", "#K#=   ", "a  1=1  b");
        row("value kept untrimmed", "a {x='#K#'}", "#K#= v ", "a x=' v '");
        row("keywords applied in list order", "{a=#A#} {b=#B#}", "#A#=1;#B#=", "a=1  1=1 ");
        row("markers are case-sensitive", "{a=#k#} {b=#K#}", "#K#=", "a=#k#  1=1 ");
        row("nested stretch goes with its outer one", "w {x {y=#A#} and z=#B#}",
            "#A#=;#B#=", "w  1=1 ");
        row("marker found in 1=1 is not searched again", "w {a=1} and {b=2}",
            "1=", "w  1=1  and b=2");
        row("value replacement leaves inserted 1=1 alone", "w {a=#A#} and c=1", "#A#=;1=5",
            "w  1=1  and c=5");
        row("empty marker occurs nowhere", "w {a=1}", "=", "w a=1");
        row("no keywords: only braces removed", "w {a=1} {b}", "", "w a=1 b");
        row("empty keyword outside braces", "where f = #K#", "#K#=", nullptr);
        row("no closing brace after it", "{where f = #K#", "#K#=", nullptr);
        row("only brace is the first character", "{ x #K# y", "#K#=", nullptr);
        row("bare digit marker with a brace only before it", "{ a 1 b", "1=", nullptr);
        row("Null value", "{#K#}", "#K#", nullptr);
        // Values are data: quoted with their apostrophes doubled, never searched for markers or
        // braces, and outside quotes only a number or a column list.
        row("apostrophes doubled between quotes", "{x='#K#'}", "#K#=O'Brien' or '1'='1",
            "x='O''Brien'' or ''1''=''1'");
        row("a value is never searched again", "a='#A#' {b='#B#'}", "#A#=#B#{x};#B#=2",
            "a='#B#{x}' b='2'");
        row("a sort rule outside quotes", "order by #S#", "#S#=FDate desc, 2 ASC",
            "order by FDate desc, 2 ASC");
        row("anything else outside quotes", "where q >= #Q#", "#Q#=0 or 1=1", nullptr);
    }
    // A template that cannot be expanded raises; the expansion ends rather than looping.
    void expandKeywords()
    {
        QFETCH(QString, sqlTemplate);
        QFETCH(QString, keywordList);
        QFETCH(QString, expected);
        if (expected.isNull())
            QVERIFY_THROWS_EXCEPTION(Error,
                                     varo::expandKeywords(sqlTemplate, keywords(keywordList)));
        else
            QCOMPARE(varo::expandKeywords(sqlTemplate, keywords(keywordList)), expected);
    }

    // Inputs that once took minutes expand in a time proportional to their size; sizes past
    // the limits are refused with the message the user sees.
    void limits_data()
    {
        QTest::addColumn<QString>("sqlTemplate");
        QTest::addColumn<QString>("filter"); // null: keywordList applies
        QTest::addColumn<QString>("keywordList");
        QTest::addColumn<QString>("expected");
        const QString filler(SqlLimit::Value, u'x');
        QString many, manyList, manyExpected;
        for (int i = 0; i < 6000; ++i) {
            many += QString("{and f%1='#K%1#'}").arg(i);
            manyList += QString("#K%1#=v;").arg(i);
            manyExpected += QString("and f%1='v'").arg(i);
        }
        QTest::newRow("64,000 stretches") << QString("w {a=#K#}").repeated(64000) << QString()
                                          << "#K#=" << QString("w  1=1 ").repeated(64000);
        QTest::newRow("6,000 keywords") << many << QString() << manyList << manyExpected;
        QTest::newRow("placeholders typed into values")
            << "{A}{B}"
            << "A|" + QString("{B}").repeated(300) + "&B|" + QString("{A}").repeated(300) << ""
            << QString("{B}").repeated(300) + QString("{A}").repeated(300);
        QTest::newRow("template") << QString(SqlLimit::Template + 1, u' ') << ""
                                  << "" << templateTooLong();
        QTest::newRow("value") << "'#K#'" << QString() << "#K#=x" + filler << valueTooLong();
        QTest::newRow("expanded SQL")
            << QString("{A}").repeated(100) << "A|" + filler << "" << sqlTooLong();
    }
    void limits()
    {
        QFETCH(QString, sqlTemplate);
        QFETCH(QString, filter);
        QFETCH(QString, keywordList);
        QFETCH(QString, expected);
        QString sql;
        try {
            sql = filter.isNull() ? varo::expandKeywords(sqlTemplate, keywords(keywordList))
                                  : expandPlaceholders(sqlTemplate, filter);
        } catch (const Error &e) {
            QCOMPARE(e.number(), ErrorNumber::UnsafeSql);
            sql = e.description();
        }
        QCOMPARE(sql, expected);
    }

    void expandFilterSql_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("stored"); // null: no template row; "~": Null
        QTest::addColumn<QVariant>("strFilter");
        QTest::addColumn<QString>("expected");
        const QVariant noEntry;
        for (const QString &kind : test::databaseKinds()) {
            const auto row = [&](const char *name, const char *sql, const QVariant &filter,
                                 const char *expected) {
                databaseRow(kind, name) << (sql ? QString(sql) : QString()) << filter << expected;
            };
            row("placeholder filled, text upper-cased", "select * from t where {D1}", "d1|x=1",
                "SELECT * FROM T WHERE x=1");
            row("text upper-cased before each item, empty item skipped", "where n='{a}' and {b}",
                "a|abc&&b|m='def'", "WHERE N='ABC' AND m='def'");
            row("empty filter: template unchanged in its own case", "where {d1}", "", "where {d1}");
            row("blank-only item names {}", "select '{}' from t", "   ", "SELECT '' FROM T");
            row("blanks next to | stay, blanks at the ends go", "where x={a } and y={a}",
                "  a | 1  ", "WHERE X= 1 AND Y={A}");
            row("every occurrence, any letter case", "{a}+{A}", "&a|1&", "1+1");
            row("a value is never searched again", "{a} {zz}", "a|{b}&b|2", "{B} {ZZ}");
            row("no template row", nullptr, "a|1", "");
            row("Null template", "~", "a|1", "");
            row("Null filter string", "where {a}", QVariant::fromValue(nullptr), "");
        }
    }
    void expandFilterSql()
    {
        QFETCH(QString, stored);
        QFETCH(QVariant, strFilter);
        QFETCH(QString, expected);
        // Another report's template is always there and must never be read.
        QStringList rows{test::insertTemplate("R2", "select {a} x")};
        if (!stored.isNull())
            rows << test::insertTemplate(kKey, stored == u"~" ? QString() : stored);
        VARO_REPORT_FIXTURE(f, rows);
        gLocConn() = f.connection();
        Dictionary values = test::dictionary({{"Other", "{a}"}});
        if (strFilter.isValid())
            values.set(QStringLiteral("strFilter"), strFilter);
        QCOMPARE(ExpandFilterSql(values, kKey), expected);
        QCOMPARE(values.Count(), strFilter.isValid() ? 2 : 1);
        QCOMPARE(f.messages.texts(), QStringList());
    }

    void expandKeywordSql_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("stored"); // "~": Null
        QTest::addColumn<QString>("keywordList");
        QTest::addColumn<MissingKeywords>("missing");
        QTest::addColumn<QString>("expected");
        const QString optional = "select * from t where 1=1 {and f='#K#'} {and g=#G#}";
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "written into the stored template")
                << optional << "#K#=v;#G#=  " << MissingKeywords::Fail
                << "select * from t where 1=1 and f='v'  1=1 ";
            databaseRow(kind, "no keyword list: fails")
                << optional << QString() << MissingKeywords::Fail << "";
            databaseRow(kind, "no keyword list: braces removed")
                << optional << QString() << MissingKeywords::RemoveBraces
                << "select * from t where 1=1 and f='#K#' and g=#G#";
            databaseRow(kind, "Null template") << "~"
                                               << "#K#=v" << MissingKeywords::Fail << "";
        }
    }
    void expandKeywordSql()
    {
        QFETCH(QString, stored);
        QFETCH(QString, keywordList);
        QFETCH(MissingKeywords, missing);
        QFETCH(QString, expected);
        VARO_REPORT_FIXTURE(f, {test::insertTemplate(kKey, stored == u"~" ? QString() : stored)});
        gLocConn() = f.connection();
        const Vector list = keywordList.isNull() ? Vector() : keywords(keywordList);
        QCOMPARE(ExpandKeywordSql(list, kKey, missing), expected);
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // The trial run executes the statement on the business connection, after clearing the
    // errors listed there; statements that change data do change it.
    void validateSql_data() { test::addDatabaseRows(); }
    void validateSql()
    {
        VARO_REPORT_FIXTURE(f);
        VARO_TEST_DATABASE(local, database);
        local.execute({"create table T_LocalOnly (FName varchar(20))"});
        gLocConn() = local.connection();
        gSqlConn() = f.connection();
        VARO_VERIFY_ERROR(f.connection().Execute("select * from T_Earlier"),
                          ErrorNumber::ProviderError);
        QVERIFY(ValidateSql("  select count(*) from T_Items  "));
        QCOMPARE(f.connection().errors().Count(), 0);
        QVERIFY(ValidateSql("update T_Items set FNumber = FNumber || '!' where FQty = 1"));
        QCOMPARE(test::firstValue(f.connection(), "select FNumber from T_Items where FQty = 1"),
                 QVariant("A!"));
        QCOMPARE(f.messages.texts(), QStringList());
        QVERIFY(!ValidateSql("select FName from T_LocalOnly"));
        QCOMPARE(f.messages.texts().size(), 1);
    }

    // Rows of a recordset as records of trimmed text, then a totals record when any field is
    // a sum column: its first field holds the caption, sums are doubles.
    void buildRowVector_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("headers");    // "name|sum|serial"
        QTest::addColumn<QStringList>("quantities"); // FQty per row
        QTest::addColumn<QString>("totals");         // the totals record; none: ""
        const QStringList three{"1.5", "2", ""};
        const QString total = "FQty: QVariant(double, 3.5)",
                      price = "FPrice: QVariant(double, 7.5)", caption = "FName: \"合计：\"";
        const auto totals = [](const QStringList &entries) -> QString {
            return "Dictionary{" + entries.join(", ") + "}";
        };
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "1.5, 2 and empty give 3.5")
                << QStringList{"FName", "FQty|1"} << three << totals({total, caption});
            databaseRow(kind, "leading number of the text, Null as 0")
                << QStringList{"FQty|1"} << QStringList{"12abc", "abc", " 7 ", "3.5元", QString()}
                << totals({"FQty: QVariant(double, 22.5)", caption});
            databaseRow(kind, "FSumCol \"1 \" and \" 1\" count, \"01\" and empty do not")
                << QStringList{"FQty|1 ", "FPrice| 1", "FName|01", "FOther|"} << three
                << totals({total, price, caption});
            databaseRow(kind, "no sum column, no totals")
                << QStringList{"FQty|01", "FPrice|", "FOther|1"} << three << QString();
            databaseRow(kind, "column name in any letter case")
                << QStringList{"fqty|1"} << three << totals({total, caption});
            databaseRow(kind, "a later row of the column replaces the earlier")
                << QStringList{"FQty|1|1", "FQty|0|2", "FPrice|0|1", "FPrice|1|2"} << three
                << totals({price, caption});
            databaseRow(kind, "first field summed keeps the caption")
                << QStringList{"FName|1", "FQty|1"} << three << totals({caption, total});
            databaseRow(kind, "no rows") << QStringList{"FQty|1"} << QStringList{} << QString();
        }
    }
    void buildRowVector()
    {
        QFETCH(QStringList, headers);
        QFETCH(QStringList, quantities);
        QFETCH(QString, totals);
        QStringList rows = ::headers(headers);
        rows << "create table T_Data (FOrder integer, FName varchar(50), FQty varchar(50), "
                "FPrice varchar(50))";
        for (int i = 0; i < quantities.size(); ++i)
            rows << QStringLiteral("insert into T_Data values (%1, ' 行%1 ', %2, '2.5')")
                        .arg(i + 1)
                        .arg(test::sqlText(quantities.at(i)));
        VARO_REPORT_FIXTURE(f, rows);
        gLocConn() = gSqlConn() = f.connection();
        Recordset rs = OpenSqlRecordset("select FName, FQty, FPrice from T_Data order by FOrder");
        const Vector records = BuildRowVector(rs, kKey);
        QCOMPARE(f.messages.texts(), QStringList());
        QCOMPARE(records.isNull(), quantities.isEmpty());
        if (quantities.isEmpty())
            return;
        QCOMPARE(records.Count(), int(quantities.size()) + (totals.isEmpty() ? 0 : 1));
        QVERIFY(rs.atEOF());
        const QString first =
            QStringLiteral("Dictionary{FName: \"行1\", FQty: \"%1\", FPrice: \"2.5\"}");
        QCOMPARE(test::printed(records.Item(0).value<Dictionary>()),
                 first.arg(quantities.first().trimmed()));
        if (!totals.isEmpty())
            QCOMPARE(test::printed(records.Item(records.Count() - 1).value<Dictionary>()), totals);
    }

    // Errors while shaping are shown in the engine's box and give no rows.
    void buildRowVectorFails_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<int>("number");
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "header table missing") << int(ErrorNumber::ProviderError);
            databaseRow(kind, "recordset closed") << int(ErrorNumber::OperationOnClosed);
        }
    }
    void buildRowVectorFails()
    {
        QFETCH(int, number);
        const bool closed = number == ErrorNumber::OperationOnClosed;
        VARO_REPORT_FIXTURE(f,
                            {closed ? headers({"FQty|1"}).first() : "drop table T_RepHeadCaption"});
        gLocConn() = gSqlConn() = f.connection();
        Recordset rs = OpenSqlRecordset("select FNumber, FQty from T_Items");
        if (closed)
            rs.Close();
        QVERIFY(BuildRowVector(rs, kKey).isNull());
        QCOMPARE(f.messages.messages().size(), 1);
        const QString prefix = QStringLiteral("错误编号:%1,错误描述:").arg(number);
        QVERIFY2(f.messages.texts().first().startsWith(prefix), qPrintable(f.messages.texts()[0]));
        QCOMPARE(f.messages.messages().first().title, QStringLiteral("沐岩提示"));
        if (closed)
            return;
        QCOMPARE(f.messages.texts().first(), prefix + f.connection().errors().Item(0).Description);
        // The header cannot be read either: shown the same way, and refused.
        ReportState state;
        state.RptKey = kKey;
        QVERIFY(!LoadHeader(state));
        QVERIFY(f.messages.texts().value(1).startsWith(prefix));
    }
};

VARO_TEST_MAIN(TestLoad)
#include "tst_load.moc"
