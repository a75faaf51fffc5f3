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

#include <QTest>
#include <stdexcept>

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

// Every entry as "name=value (type)", in the record's order.
QStringList entries(const Dictionary &record)
{
    QStringList list;
    for (int i = 0; i < record.Count(); ++i)
        list << QStringLiteral("%1=%2 (%3)")
                    .arg(record.keyAt(i), record.valueAt(i).toString(),
                         record.valueAt(i).metaType().name());
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
            row("item without separator gives the empty value", "where 1=1{A}", "A", "WHERE 1=1");
            row("empty filter: template unchanged in its own case", "where {d1}", "", "where {d1}");
            row("no strFilter entry: template unchanged", "where {d1}", noEntry, "where {d1}");
            row("only empty items: template unchanged", "where {d1}", "&&", "where {d1}");
            row("blank-only item names {}", "select '{}' from t", "   ", "SELECT '' FROM T");
            row("text after a second | ignored", "where {a}", "a|1|2", "WHERE 1");
            row("blanks next to | stay, blanks at the ends go", "where x={a } and y={a}",
                "  a | 1  ", "WHERE X= 1 AND Y={A}");
            row("every occurrence, any letter case", "{a}+{A}", "&a|1&", "1+1");
            row("later item sees the earlier value", "{a} {zz}", "a|{b}&b|2", "2 {ZZ}");
            row("Chinese names and values", "where f='{名称}'", "名称|甲方", "WHERE F='甲方'");
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
        QTest::addColumn<QString>("stored"); // null: no template row; "~": Null
        QTest::addColumn<QString>("keywordList");
        QTest::addColumn<MissingKeywords>("missing");
        QTest::addColumn<QString>("expected");
        const QString optional = "select * from t where 1=1 {and f='#K#'} {and g=#G#}";
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "written into the stored template")
                << optional << "#K#=v;#G#=  " << MissingKeywords::Fail
                << "select * from t where 1=1 and f='v'  1=1 ";
            databaseRow(kind, "keyword list given: RemoveBraces changes nothing")
                << optional << "#K#=v;#G#=" << MissingKeywords::RemoveBraces
                << "select * from t where 1=1 and f='v'  1=1 ";
            databaseRow(kind, "keyword without value outside braces")
                << "where g=#G#"
                << "#G#=" << MissingKeywords::Fail << "";
            databaseRow(kind, "no keyword list: fails")
                << optional << QString() << MissingKeywords::Fail << "";
            databaseRow(kind, "no keyword list: braces removed")
                << optional << QString() << MissingKeywords::RemoveBraces
                << "select * from t where 1=1 and f='#K#' and g=#G#";
            databaseRow(kind, "no template row")
                << QString() << QString() << MissingKeywords::RemoveBraces << "";
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
        QStringList rows;
        if (!stored.isNull())
            rows << test::insertTemplate(kKey, stored == u"~" ? QString() : stored);
        VARO_REPORT_FIXTURE(f, rows);
        gLocConn() = f.connection();
        const Vector list = keywordList.isNull() ? Vector() : keywords(keywordList);
        QCOMPARE(ExpandKeywordSql(list, kKey, missing), expected);
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // Whether a plug-in can be created is asked quietly, whatever its factory does.
    void pluginExists_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<bool>("expected");
        QTest::newRow("registered class") << "Test.Report" << true;
        QTest::newRow("other letter case") << "TEST.REPORT" << true;
        QTest::newRow("unknown ProgID") << "Test.Nowhere" << false;
        QTest::newRow("empty ProgID") << "" << false;
        QTest::newRow("factory raises") << "Test.Raises" << false;
        QTest::newRow("factory throws another exception") << "Test.Throws" << false;
        QTest::newRow("factory makes nothing") << "Test.Nothing" << false;
    }
    void pluginExists()
    {
        QFETCH(QString, progId);
        QFETCH(bool, expected);
        test::ReportFixture f;
        registerClass("Test.Raises", []() -> QObject * { throw Error(5, "refused"); });
        registerClass("Test.Throws", []() -> QObject * { throw std::runtime_error("refused"); });
        registerClass("Test.Nothing", [] { return nullptr; });
        QCOMPARE(PluginExists(progId), expected);
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
        QTest::addColumn<QStringList>("totals");     // entries of the totals record
        const QStringList three{"1.5", "2", ""};
        const QString total = "FQty=3.5 (double)", caption = "FName=合计： (QString)";
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "1.5, 2 and empty give 3.5")
                << QStringList{"FName", "FQty|1"} << three << QStringList{total, caption};
            databaseRow(kind, "leading number of the text, Null as 0")
                << QStringList{"FQty|1"} << QStringList{"12abc", "abc", " 7 ", "3.5元", QString()}
                << QStringList{"FQty=22.5 (double)", caption};
            databaseRow(kind, "FSumCol \"1 \" and \" 1\" count, \"01\" and empty do not")
                << QStringList{"FQty|1 ", "FPrice| 1", "FName|01", "FOther|"} << three
                << QStringList{total, "FPrice=7.5 (double)", caption};
            databaseRow(kind, "no sum column, no totals")
                << QStringList{"FQty|01", "FPrice|", "FOther|1"} << three << QStringList{};
            databaseRow(kind, "column name in any letter case")
                << QStringList{"fqty|1"} << three << QStringList{total, caption};
            databaseRow(kind, "a later row of the column replaces the earlier")
                << QStringList{"FQty|1|1", "FQty|0|2", "FPrice|0|1", "FPrice|1|2"} << three
                << QStringList{"FPrice=7.5 (double)", caption};
            databaseRow(kind, "first field summed keeps the caption")
                << QStringList{"FName|1", "FQty|1"} << three << QStringList{caption, total};
            databaseRow(kind, "no rows") << QStringList{"FQty|1"} << QStringList{} << QStringList{};
        }
    }
    void buildRowVector()
    {
        QFETCH(QStringList, headers);
        QFETCH(QStringList, quantities);
        QFETCH(QStringList, totals);
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
        QCOMPARE(entries(records.Item(0).value<Dictionary>()).mid(0, 2),
                 (QStringList{"FName=行1 (QString)",
                              "FQty=" + quantities.first().trimmed() + " (QString)"}));
        if (!totals.isEmpty())
            QCOMPARE(entries(records.Item(records.Count() - 1).value<Dictionary>()), totals);

        // Records of one result share their names, yet each is a Dictionary of its own.
        Dictionary first = records.Item(0).value<Dictionary>();
        first.set(QStringLiteral("fname"), QStringLiteral("改"));
        first.set(QStringLiteral("FExtra"), 1);
        QCOMPARE(first.keyAt(0), QStringLiteral("FName"));
        QCOMPARE(records.Item(1).value<Dictionary>().Count(), 3);
        QCOMPARE(records.Item(1).value<Dictionary>().value("FName"), QVariant("行2"));
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

    // The catalogue row named by the object's key, texts trimmed, then the constant entries.
    void loadProperties_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("rptKey");
        QTest::addColumn<QString>("expected"); // FRepName and FRepType; empty: an error shown
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "texts trimmed, first in FIndex order") << kKey << "销售日报|2";
            databaseRow(kind, "the object's key names the row") << "R2"
                                                                << "其他|7";
            databaseRow(kind, "no catalogue row") << "R9"
                                                  << "";
        }
    }
    void loadProperties()
    {
        QFETCH(QString, rptKey);
        QFETCH(QString, expected);
        test::ReportRow r1, later, r2;
        r1.key = later.key = kKey;
        r2.key = "R2";
        r1.name = "  销售日报 ";
        later.name = "乙表";
        later.index = 2;
        r2.name = "其他";
        r2.repType = "7";
        VARO_REPORT_FIXTURE(
            f, {test::insertReport(later), test::insertReport(r1), test::insertReport(r2)});
        gLocConn() = f.connection();
        ReportState state;
        state.RptKey = rptKey;
        QCOMPARE(LoadProperties(state, kKey), !expected.isEmpty());
        if (expected.isEmpty()) {
            QVERIFY(f.messages.texts().value(0).startsWith(
                QStringLiteral("错误编号:%1,").arg(ErrorNumber::ObjectNotSet)));
            return;
        }
        const QString name = expected.section(u'|', 0, 0), type = expected.section(u'|', 1);
        QCOMPARE(
            entries(state.Property),
            (QStringList{"FRepKey=" + rptKey + " (QString)", "FRepName=" + name + " (QString)",
                         "FRepDesc=说明 (QString)", "FRepCategory=销售 (QString)",
                         "FRepFormWid=800 (QString)", "FRepFormHei=600 (QString)",
                         "FRepType=" + type + " (QString)", "Name=" + name + " (QString)",
                         "RptProperty=4 (short)", "DetailRptID=1075 (short)",
                         "bLongNumber=true (bool)", "MegerCol=0 (short)", "MegerType=0 (short)"}));
    }

    // The visible columns in FIndex order, of the plug-in's layout when FMulti is 1, followed
    // by the plug-in's own columns; none at all is refused and keeps the header before.
    void loadHeader_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<int>("multi");
        QTest::addColumn<QVariant>("serial");
        QTest::addColumn<int>("pluginItems");
        QTest::addColumn<QStringList>("expected"); // FColName; plug-in items "P1", ...
        const QStringList all{"FName", "FAmount", "FQty", "FCode", "FNullSerial"};
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "every layout") << 0 << QVariant() << 0 << all;
            databaseRow(kind, "FMulti 2 is not 1") << 2 << QVariant("1") << 0 << all;
            databaseRow(kind, "the serial's layout")
                << 1 << QVariant("1") << 2 << QStringList{"FName", "FAmount", "P1", "P2"};
            databaseRow(kind, "a Null serial looks for an empty FRepSerial")
                << 1 << nullValue() << 0 << QStringList{"FCode"};
            databaseRow(kind, "only plug-in columns")
                << 1 << QVariant("9") << 1 << QStringList{"P1"};
            databaseRow(kind, "nothing visible") << 1 << QVariant("9") << 0 << QStringList{};
        }
    }
    void loadHeader()
    {
        QFETCH(int, multi);
        QFETCH(QVariant, serial);
        QFETCH(int, pluginItems);
        QFETCH(QStringList, expected);
        // Inserted out of order: the query orders them. FRepSerial Null is no layout's.
        VARO_REPORT_FIXTURE(
            f, {test::insertHeader({kKey, 3, "FAmount", "金额", {}, "money", 1, "1", "1"}),
                test::insertHeader({kKey, 6, "FNullSerial", "", {}, "C", 1, {}}),
                test::insertHeader({kKey, 4, "FQty", "", {}, "C", 1, "2"}),
                test::insertHeader({kKey, 1, "FName", "", {}, "C", 1, "1"}),
                test::insertHeader({kKey, 2, "FHidden", "", {}, "C", 0, "1"}),
                test::insertHeader({kKey, 5, "FCode", "", {}, "C", 1, ""}),
                test::insertHeader({"R2", 0, "FOther", "", {}, "C", 1, "1"})});
        gLocConn() = f.connection();
        ReportState state;
        state.RptKey = kKey;
        state.m_Multi = qint16(multi);
        state.m_RepSerial = serial;
        for (int i = 1; i <= pluginItems; ++i) {
            if (state.m_PluginHeader.isNull())
                state.m_PluginHeader = Vector::create();
            state.m_PluginHeader.Add(QVariant::fromValue(
                test::dictionary({{"FColName", QStringLiteral("P%1").arg(i)}})));
        }
        const Vector previous = Vector::create();
        state.Header = previous;
        QCOMPARE(LoadHeader(state), !expected.isEmpty());
        QCOMPARE(f.messages.texts(),
                 expected.isEmpty() ? QStringList{"报表表头信息为空！"} : QStringList());
        QCOMPARE(state.Header == previous, expected.isEmpty());
        if (expected.isEmpty())
            return;
        QCOMPARE(column(state.Header, "FColName"), expected);
        if (pluginItems)
            QVERIFY(state.Header.Item(int(expected.size()) - pluginItems) ==
                    state.m_PluginHeader.Item(0));
        // A header item; its Null second caption reads as empty text.
        if (expected.value(1) == u"FAmount")
            QCOMPARE(entries(state.Header.Item(1).value<Dictionary>()),
                     (QStringList{"FColCaption=金额 (QString)", "FHeadSecond= (QString)",
                                  "FColType=money (QString)", "FColName=FAmount (QString)",
                                  "FVisible=1 (short)"}));
    }
};

VARO_TEST_MAIN(TestLoad)
#include "tst_load.moc"
