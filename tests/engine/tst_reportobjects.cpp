// Both report objects called by member name as a host calls them, on SQLite and PostgreSQL:
// every route from the filter to the shaped rows, the requests that stop with a message, what a
// cancelled or failing step leaves behind; then rptX's own steps: reloading with the same
// filter, a cancelled filter plug-in, the host's report number from ICReport, the automatic
// keyword step, and loads that fail in each of the ways rptX distinguishes.
#include "common/fakes.h"
#include "common/reportfixture.h"
#include "platform/variant.h"
#include "server/classfactory.h"
#include "shared/modglobal.h"

#include <QApplication>
#include <QTest>

using namespace varo;
using test::column;
using test::insertHeader;
using test::ScriptedFilter;

namespace
{

const QStringList kObjects{"FuncReport", "rptX"};
const QStringList kProgress{"正在连接服务器", "正在从服务器读取数据..."};

bool progressWindowUp()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"frmProgBar" && w->isVisible())
            return true;
    }
    return false;
}

Object create(const QString &object)
{
    return createObject(QStringLiteral("VaroReportEngine.") + object);
}

// A data row per database kind and report object.
template <typename F> void eachKindAndObject(const char *name, F &&values)
{
    for (const QString &kind : test::databaseKinds()) {
        for (const QString &object : kObjects)
            values(QTest::addRow("%s: %s: %s", qPrintable(kind), qPrintable(object), name)
                   << kind << object);
    }
}

QMap<QString, QString> answers(const QStringList &pairs)
{
    QMap<QString, QString> values;
    for (const QString &pair : pairs)
        values.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    return values;
}

QStringList captions(const Vector &header)
{
    return column(header, QStringLiteral("FColCaption"));
}

} // namespace

class TestReportObjects : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { server::registerClasses(); }
    void cleanup() { QVERIFY(!progressWindowUp()); }

    // Each route gives the same rows, title lines and outcome through either object.
    void routes_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("answers"); // name=value
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("title");
        QTest::addColumn<QStringList>("header");
        const QStringList both{"编码", "数量"};
        eachKindAndObject("filter plug-in", [&](QTestData &row) {
            row << "FP" << QStringList{} << QStringList{"F"} << QStringList{"插件标题"} << both;
        });
        eachKindAndObject("keywords", [&](QTestData &row) {
            row << "KW" << QStringList{"#FROM#=B"} << QStringList{"B", "C", "合计："}
                << QStringList{} << both;
        });
        eachKindAndObject("condition template", [&](QTestData &row) {
            row << "SQL" << QStringList{"txtItemt0=B"} << QStringList{"A", "B", "合计："}
                << QStringList{"编码从--到B"} << both;
        });
        // The plug-in sees the dialog's filter string and adds a header column.
        eachKindAndObject("condition plug-in", [&](QTestData &row) {
            row << "PLUG" << QStringList{"txtItemt0=Z"} << QStringList{"NT|FNumber<='Z'&NF|1=1"}
                << QStringList{"编码从--到Z"} << QStringList{"编码", "数量", "附加"};
        });
        // Typed values stay data: an apostrophe is doubled, "&" and "|" travel inside the
        // condition, and the statement keeps its shape.
        eachKindAndObject("keywords, hostile value", [&](QTestData &row) {
            row << "KW" << QStringList{"#FROM#=B' or '1'='1"} << QStringList{"C", "合计："}
                << QStringList{} << both;
        });
        eachKindAndObject("condition template, hostile value", [&](QTestData &row) {
            row << "SQL" << QStringList{"txtItemt0=B' or '1'='1"} << QStringList{"A", "B", "合计："}
                << QStringList{"编码从--到B' or '1'='1"} << both;
        });
        eachKindAndObject("condition plug-in, separators in a value", [&](QTestData &row) {
            row << "PLUG" << QStringList{"txtItemt0=Z'&NF|x"}
                << QStringList{"NT|FNumber<='Z''\uE026NF\uE07Cx'&NF|1=1"}
                << QStringList{"编码从--到Z'&NF|x"} << QStringList{"编码", "数量", "附加"};
        });
    }
    void routes()
    {
        QFETCH(QString, object);
        QFETCH(QString, key);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, title);
        QFETCH(QStringList, header);
        VARO_REPORT_FIXTURE(f);
        f.answer(::answers(answers));
        const Object report = create(object);
        QCOMPARE(f.request(report, key), QVariant(true));
        QCOMPARE(f.messages.texts(), QStringList());
        QCOMPARE(column(test::rowsOf(report)), numbers);
        QCOMPARE(column(test::titleOf(report), QStringLiteral("FCaption")), title);
        QCOMPARE(captions(objectFrom<Vector>(report.get(QStringLiteral("Header")))), header);
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(test::resultOf(report).value(QStringLiteral("Error")), QVariant(QString()));
        QCOMPARE(objectFrom<Connection>(report.get(QStringLiteral("LocDBConn"))), f.connection());
        const Dictionary property = objectFrom<Dictionary>(report.get(QStringLiteral("Property")));
        QCOMPARE(property.value(QStringLiteral("Name")), QVariant(QStringLiteral("测试报表")));
        // rptX loads inside its progress window and always calls its reports type 1.
        const bool x = object == u"rptX";
        QCOMPARE(f.progress, x ? kProgress : QStringList());
        QCOMPARE(property.value(QStringLiteral("RptType")), x ? QVariant(qint16(1)) : QVariant());
        QCOMPARE(f.dialogs, key == u"FP" ? 0 : 1);
        if (key == u"FP")
            QCOMPARE(ScriptedFilter::script().calls,
                     (QStringList{"ShowCondition", "GetReportData"}));
    }

    // Requests that stop before any rows: the message, and what the object says afterwards.
    void stops_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        const QString plugin = "update T_RepList set FDefaultFilter=0, FRepSub=%1, "
                               "FRepPluginSvr=%2 where FRepKey='FP'";
        const QString filter = "update T_RepList set FFilterPlugName=%1 where FRepKey='FP'";
        const QStringList cases[] = {
            {"missing report", "NOPE", "", "报表不存在!"},
            {"blank report plug-in name", "FP", plugin.arg("'0'", "'   '"),
             "报表插件名不可为空，请修改报表信息!"},
            {"report plug-in not registered", "FP", plugin.arg("'0'", "'No.Such'"),
             "插件类[No.Such]不存在或插件未被注册！"},
            {"Null route code counts as 0", "FP", plugin.arg("null", "'Test.None'"),
             "插件类[Test.None]不存在或插件未被注册！"},
            {"blank filter plug-in name", "FP", filter.arg("' '"),
             "报表过滤界面用到的插件名不可为空，请修改报表信息!"},
            {"filter plug-in not registered", "FP", filter.arg("'No.Filter'"),
             "报表过滤界面用到的插件类[No.Filter]不存在或插件未被注册！"},
            {"no visible header column", "SQL", "update T_RepHeadCaption set FRepColVisible=0",
             "报表表头信息为空！"},
            {"blank template", "SQL", "update T_RepSql set FRepSql='  ' where FRepKey='SQL'",
             "SQL语句为空!"},
            // The provider's errors of the trial run, each ended by CR LF.
            {"template the server refuses", "SQL",
             "update T_RepSql set FRepSql='select from where {NF}' where FRepKey='SQL'", ""},
        };
        for (const QStringList &c : cases) {
            eachKindAndObject(qPrintable(c[0]),
                              [&](QTestData &row) { row << c[1] << c[2] << c[3]; });
        }
    }
    void stops()
    {
        QFETCH(QString, object);
        QFETCH(QString, key);
        QFETCH(QString, setup);
        QFETCH(QString, message);
        VARO_REPORT_FIXTURE(f, setup.isEmpty() ? QStringList() : QStringList{setup});
        f.answer({});
        const Object report = create(object);
        // rptX has asked for the filter when the header is found missing, so its request
        // succeeded; the load that follows reports it.
        const bool loaded = object == u"rptX" && message == u"报表表头信息为空！";
        QCOMPARE(f.request(report, key), QVariant(loaded));
        const Errors &errors = f.connection().errors();
        for (int i = 0; message.isEmpty() && i < errors.Count(); ++i)
            message += errors.Item(i).Description + QStringLiteral("\r\n");
        QVERIFY(!message.isEmpty());
        QCOMPARE(f.messages.texts(), QStringList{message});
        QCOMPARE(f.messages.messages().at(0).title, QStringLiteral("沐岩提示"));
        QVERIFY(f.messages.messages().at(0).icon == ui::MessageIcon::Information);
        QCOMPARE(report.get(QStringLiteral("RptKey")), QVariant(key));
        // Only a missing header is found after the rows are made.
        QCOMPARE(test::rowsOf(report).isNull(), message != u"报表表头信息为空！");
        QVERIFY(!test::resultOf(report).Exists(QStringLiteral("OK")));
    }

    // With several layouts the report plug-in's serial picks the one shown.
    void layoutFollowsSerial_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("multi");
        QTest::addColumn<QVariant>("serial");
        QTest::addColumn<QStringList>("captions"); // none: no layout, the request stops
        eachKindAndObject(
            "layout 2", [](QTestData &row) { row << 1 << QVariant(2) << QStringList{"客户(二)"}; });
        eachKindAndObject("no serial looks for an empty layout",
                          [](QTestData &row) { row << 1 << QVariant() << QStringList(); });
        eachKindAndObject("one layout takes every visible column", [](QTestData &row) {
            row << 0 << QVariant(2) << QStringList{"客户", "金额", "客户(二)"};
        });
    }
    void layoutFollowsSerial()
    {
        QFETCH(QString, object);
        QFETCH(int, multi);
        QFETCH(QVariant, serial);
        QFETCH(QStringList, captions);
        const QString key = QStringLiteral("FP");
        VARO_REPORT_FIXTURE(f, {QStringLiteral("update T_RepList set FMulti=%1").arg(multi),
                                "delete from T_RepHeadCaption",
                                insertHeader({key, 2, "Amount", "金额", "本期", "N", 1, "1", "1"}),
                                insertHeader({key, 1, "Cust", "客户", {}, "C", 1, "1", "0"}),
                                insertHeader({key, 3, "Hidden", "隐藏", {}, "C", 0, "1", "0"}),
                                insertHeader({key, 4, "Cust", "客户(二)", {}, "C", 1, "2", "0"})});
        ScriptedFilter::script().serial = serial;
        const Object report = create(object);
        const QVariant returned = f.request(report, key);
        QCOMPARE(f.messages.texts(),
                 captions.isEmpty() ? QStringList{"报表表头信息为空！"} : QStringList());
        if (object == u"FuncReport")
            QCOMPARE(returned, QVariant(!captions.isEmpty()));
        if (!captions.isEmpty())
            QCOMPARE(::captions(objectFrom<Vector>(report.get(QStringLiteral("Header")))),
                     captions);
    }

    // A cancelled filter stops without a word and keeps the rows of the request before.
    void cancelled_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("key");
        for (const char *key : {"KW", "SQL", "PLUG"})
            eachKindAndObject(key, [key](QTestData &row) { row << QString::fromLatin1(key); });
    }
    void cancelled()
    {
        QFETCH(QString, object);
        QFETCH(QString, key);
        VARO_REPORT_FIXTURE(f);
        const Object report = create(object);
        f.answer({{"#FROM#", "B"}, {"txtItemf0", "B"}});
        QCOMPARE(f.request(report, key), QVariant(true));
        const Vector rows = test::rowsOf(report);
        f.answer({}, false);
        QCOMPARE(f.request(report, key), QVariant(false));
        QCOMPARE(f.messages.texts(), QStringList());
        QCOMPARE(test::rowsOf(report), rows);
        if (key == u"KW")
            QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(false));
    }

    // FuncReport's filter plug-in route: a report plug-in that fails before its rows are in
    // is reported by the request; afterwards its errors reach the host.
    void reportPluginFails_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("member");
        QTest::addColumn<bool>("escapes");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "GetReportData") << "GetReportData" << false;
            test::databaseRow(kind, "ReturnSerial") << "ReturnSerial" << true;
            test::databaseRow(kind, "ReturnFilterTitle") << "ReturnFilterTitle" << true;
        }
    }
    void reportPluginFails()
    {
        QFETCH(QString, member);
        QFETCH(bool, escapes);
        VARO_REPORT_FIXTURE(f, {"update T_RepList set FMulti=1"});
        ScriptedFilter::script().failing = QStringList{member};
        const Object report = create(QStringLiteral("FuncReport"));
        if (escapes) {
            VARO_VERIFY_ERROR(f.request(report, QStringLiteral("FP")), test::kPluginError);
            QCOMPARE(f.messages.texts(), QStringList());
            return;
        }
        QCOMPARE(f.request(report, QStringLiteral("FP")), QVariant(false));
        QCOMPARE(f.messages.texts(), QStringList{"错误编号:5100,错误描述:GetReportData refused"});
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(false));
        QVERIFY(!test::resultOf(report).Exists(QStringLiteral("Error")));
    }

    // FuncReport with a filter plug-in: the plug-in's recordset, kept when a later plug-in
    // cannot hand one out; a cancel; the connections the filter hands back; the report type.
    void filterPlugin_data() { test::addDatabaseRows(); }
    void filterPlugin()
    {
        VARO_REPORT_FIXTURE(f);
        const Object report = create(QStringLiteral("FuncReport"));
        ScriptedFilter::script().replacementLoc = Connection::open(f.connection().url());
        QCOMPARE(f.request(report, QStringLiteral("FP")), QVariant(true));
        QCOMPARE(ScriptedFilter::script().conditionSeen, QVariant("F"));
        QCOMPARE(objectFrom<Connection>(report.get(QStringLiteral("LocDBConn"))),
                 ScriptedFilter::script().replacementLoc);
        const Recordset first = objectFrom<Recordset>(report.get(QStringLiteral("rs")));
        QCOMPARE(first.FieldCount(), 1);
        QCOMPARE(gRepType(), -1);

        ScriptedFilter::script().failing = QStringList{"rs"};
        QVariantList args{"FP", QVariant::fromValue(f.connection()),
                          QVariant::fromValue(f.connection()), 7};
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(objectFrom<Recordset>(report.get(QStringLiteral("rs"))), first);
        QCOMPARE(gRepType(), 7);

        const Vector rows = test::rowsOf(report);
        ScriptedFilter::script().sure = false;
        ScriptedFilter::script().calls.clear();
        QCOMPARE(f.request(report, QStringLiteral("FP")), QVariant(false));
        QCOMPARE(ScriptedFilter::script().calls, QStringList{"ShowCondition"});
        QCOMPARE(test::rowsOf(report), rows);
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // A report plug-in is asked with the header first; one that refuses it is asked again
    // without. The same header Vector goes to it on the object's next request.
    void conditionPlugin_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("message");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "three arguments")
                << QStringList{} << QStringList{"GetRptVect/3"} << QString();
            test::databaseRow(kind, "three refused, two serve")
                << QStringList{"GetRptVect/3"} << QStringList{"GetRptVect/3", "GetRptVect/2"}
                << QString();
            test::databaseRow(kind, "both refused")
                << QStringList{"GetRptVect"} << QStringList{"GetRptVect/3", "GetRptVect/2"}
                << "错误编号:5100,错误描述:GetRptVect refused";
        }
    }
    void conditionPlugin()
    {
        QFETCH(QStringList, failing);
        QFETCH(QStringList, calls);
        QFETCH(QString, message);
        VARO_REPORT_FIXTURE(f);
        ScriptedFilter::script().failing = failing;
        f.answer({{"txtItemt0", "Z"}});
        const Object report = create(QStringLiteral("FuncReport"));
        QCOMPARE(f.request(report, QStringLiteral("PLUG")), QVariant(message.isEmpty()));
        QCOMPARE(ScriptedFilter::script().calls, calls);
        QCOMPARE(f.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(false));
            return;
        }
        QCOMPARE(column(test::rowsOf(report)), QStringList{"NT|FNumber<='Z'&NF|1=1"});
        const Vector header = objectFrom<Vector>(report.get(QStringLiteral("Header")));
        QCOMPARE(header.Count(), failing.isEmpty() ? 3 : 2);
        if (failing.isEmpty()) {
            const Vector first = ScriptedFilter::script().headerSeen;
            QCOMPARE(f.request(report, QStringLiteral("PLUG")), QVariant(true));
            QCOMPARE(ScriptedFilter::script().headerSeen, first);
            QCOMPARE(objectFrom<Vector>(report.get(QStringLiteral("Header"))).Count(), 4);
        }
    }

    // FuncReport offers the catalogue keywords its template contains, letter case counting, in
    // FInterID order; with none there is no dialog, the request says false and "OK" true.
    void offeredKeywords_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("keywords");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "FInterID order")
                << "select '#FROM#', '#TO#', #MAX#" << QStringList{"#TO#", "#FROM#", "#MAX#", ""};
            test::databaseRow(kind, "letter case counts")
                << "select '#From#'" << QStringList{"#From#", ""};
            test::databaseRow(kind, "no marker") << "select 1" << QStringList{""};
            test::databaseRow(kind, "no template row") << QString() << QStringList{};
        }
    }
    void offeredKeywords()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, keywords);
        // A Null marker is never offered; an empty one is in any template.
        VARO_REPORT_FIXTURE(f, {sql.isNull() ? QString("delete from T_RepSql")
                                             : "update T_RepSql set FRepSql=" + test::sqlText(sql) +
                                                   " where FRepKey='KW'",
                                test::insertKeyword("3, '最大', '#MAX#', 3, null"),
                                test::insertKeyword("4, '大写', '#From#', 2, null"),
                                test::insertKeyword("5, '无', null, 2, null"),
                                test::insertKeyword("6, '空', '', 2, null")});
        f.answer({}, false);
        const Object report = create(QStringLiteral("FuncReport"));
        QCOMPARE(f.request(report, QStringLiteral("KW")), QVariant(false));
        QCOMPARE(f.offered, keywords);
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(keywords.isEmpty()));
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // FuncReport's keyword grid: titles as "caption: value"; the values are remembered for the
    // next request; a cancel keeps the titles of the one before.
    void keywordValues_data() { test::addDatabaseRows(); }
    void keywordValues()
    {
        VARO_REPORT_FIXTURE(f);
        const Object report = create(QStringLiteral("FuncReport"));
        f.answer({{"#FROM#", "B"}}, true, {"#FROM#"});
        QCOMPARE(f.request(report, QStringLiteral("KW")), QVariant(true));
        const Vector titles = test::titleOf(report);
        QCOMPARE(column(titles, QStringLiteral("FCaption")), QStringList{"从: B"});
        f.answer({{"#TO#", "B"}});
        QCOMPARE(f.request(report, QStringLiteral("KW")), QVariant(true));
        QCOMPARE(column(test::rowsOf(report)), (QStringList{"B", "合计："}));
        QCOMPARE(column(test::rowsOf(report), QStringLiteral("FQty")).last(), QStringLiteral("2"));
        f.answer({}, false);
        QCOMPARE(f.request(report, QStringLiteral("KW")), QVariant(false));
        QCOMPARE(column(test::titleOf(report), QStringLiteral("FCaption")), QStringList{"从: B"});
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // Given the SQL connection alone, the definitions are read from it too, and the caller's
    // variable receives it. Reloading, by GetReportData without arguments or by Refresh, runs
    // the same filter on the data as it is now; ShowFilter changes the filter for the next load.
    void reload_data() { test::addDatabaseRows(); }
    void reload()
    {
        VARO_REPORT_FIXTURE(f);
        f.answer({{"txtItemf0", "B"}});
        const Object report = create(QStringLiteral("rptX"));
        QVariantList args{"SQL", QVariant::fromValue(f.connection()), QVariant()};
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(objectFrom<Connection>(args.at(2)), f.connection());

        f.connection().Execute(QStringLiteral("insert into T_Items values ('D', 4)"));
        f.progress.clear();
        QVariantList none;
        QCOMPARE(report.call(QStringLiteral("GetReportData"), none), QVariant(false));
        QCOMPARE(column(test::rowsOf(report)), (QStringList{"B", "C", "D", "合计："}));
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(f.progress, kProgress);
        QCOMPARE(f.dialogs, 1);

        f.answer({{"txtItemf0", "C"}});
        QCOMPARE(report.call(QStringLiteral("ShowFilter")), QVariant(true));
        f.connection().Execute(QStringLiteral("delete from T_Items where FNumber = 'D'"));
        QCOMPARE(report.call(QStringLiteral("Refresh")), QVariant());
        QCOMPARE(column(test::rowsOf(report)), (QStringList{"C", "合计："}));
        QCOMPARE(f.dialogs, 2);
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // A cancelled filter plug-in blocks every request, whatever its key, until ShowFilter is
    // confirmed again; a reload meanwhile only opens and closes the window.
    void cancelledFilterPlugin_data() { test::addDatabaseRows(); }
    void cancelledFilterPlugin()
    {
        VARO_REPORT_FIXTURE(f);
        f.answer({{"txtItemf0", "B"}});
        const Object report = create(QStringLiteral("rptX"));
        ScriptedFilter::script().sure = false;
        QCOMPARE(f.request(report, QStringLiteral("FP")), QVariant(false));
        QVERIFY(f.progress.isEmpty());
        QCOMPARE(f.request(report, QStringLiteral("SQL")), QVariant(false));
        QCOMPARE(report.get(QStringLiteral("RptKey")), QVariant("FP"));
        QCOMPARE(f.dialogs, 0);
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(f.progress, QStringList{kProgress.first()});
        QVERIFY(test::rowsOf(report).isNull());

        // ShowFilter(False) is ShowFilter(True): the flag is not consulted.
        ScriptedFilter::script().sure = true;
        QVariantList autoFilter{false};
        QCOMPARE(report.call(QStringLiteral("ShowFilter"), autoFilter), QVariant(true));
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(column(test::rowsOf(report)), QStringList{"F"});
        QCOMPARE(f.request(report, QStringLiteral("SQL")), QVariant(true));
        QCOMPARE(column(test::rowsOf(report)), (QStringList{"B", "C", "合计："}));
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // RptID is the first ICReport row whose FProcedure after its first "/" (or whole) is the
    // key; without one the number set before stays.
    void hostReportNumber_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("rows"); // "FInterID, 'FProcedure'"
        QTest::addColumn<int>("id");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "prefix and slash") << QStringList{"5, 'sales/FP'"} << 5;
            test::databaseRow(kind, "the key alone") << QStringList{"6, 'FP'"} << 6;
            test::databaseRow(kind, "two slashes") << QStringList{"7, 'a/b/FP'"} << 42;
            test::databaseRow(kind, "longer key") << QStringList{"8, 'sales/FPX'"} << 42;
            test::databaseRow(kind, "first of several")
                << QStringList{"3, 'x/y'", "9, 'x/FP'", "10, 'FP'"} << 9;
        }
    }
    void hostReportNumber()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, id);
        QStringList inserts;
        for (const QString &row : rows)
            inserts << "insert into ICReport (FInterID, FProcedure) values (" + row + ")";
        VARO_REPORT_FIXTURE(f, inserts);
        const Object report = create(QStringLiteral("rptX"));
        report.set(QStringLiteral("RptID"), 42);
        QCOMPARE(f.request(report, QStringLiteral("FP")), QVariant(true));
        QCOMPARE(report.get(QStringLiteral("RptID")), QVariant(qint32(id)));
    }

    // The keyword step offers the keywords the report's filter rows name, in their order, when
    // its template contains them; with none, no dialog, and the template runs without braces.
    void automaticFilter_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("filterRows");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QStringList>("numbers"); // empty: the request returned false
        const QString braced = "select FNumber, FQty from T_Items where 1=1 and {FNumber >= "
                               "'%1'} order by FNumber";
        for (const QString &kind : test::databaseKinds()) {
            // The catalogue lists #TO# first; the filter rows name #FROM# first.
            test::databaseRow(kind, "filter-row order")
                << QString() << QStringList{} << true << QStringList{"#FROM#", "#TO#"}
                << QStringList{"B", "合计："};
            test::databaseRow(kind, "named twice")
                << QString() << QStringList{"#FROM#"} << true
                << QStringList{"#FROM#", "#TO#", "#FROM#"} << QStringList{"B", "合计："};
            test::databaseRow(kind, "none in the template: braces removed")
                << braced.arg("B") << QStringList{} << true << QStringList{}
                << QStringList{"B", "C", "合计："};
            test::databaseRow(kind, "letter case counts")
                << braced.arg("#from#") << QStringList{} << true << QStringList{}
                << QStringList{"A", "B", "C", "合计："};
            test::databaseRow(kind, "cancelled") << QString() << QStringList{} << false
                                                 << QStringList{"#FROM#", "#TO#"} << QStringList{};
        }
    }
    void automaticFilter()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, filterRows);
        QFETCH(bool, ok);
        QFETCH(QStringList, offered);
        QFETCH(QStringList, numbers);
        QStringList more;
        if (!sql.isEmpty())
            more << "update T_RepSql set FRepSql = " + test::sqlText(sql) + " where FRepKey = 'KW'";
        for (int i = 0; i < filterRows.size(); ++i)
            more << test::insertFilter("KW", 3 + i, "|" + filterRows.at(i));
        VARO_REPORT_FIXTURE(f, more);
        f.answer({{"#FROM#", "B"}, {"#TO#", "B"}}, ok);
        const Object report = create(QStringLiteral("rptX"));
        QCOMPARE(f.request(report, QStringLiteral("KW")), QVariant(!numbers.isEmpty()));
        QCOMPARE(f.offered, offered);
        QCOMPARE(column(test::rowsOf(report)), numbers);
        const Dictionary outcome = test::resultOf(report);
        QCOMPARE(outcome.value(QStringLiteral("OK")), QVariant(ok));
        // A cancelled keyword step writes "OK" alone; a load adds "Error".
        QCOMPARE(outcome.Exists(QStringLiteral("Error")), ok);
        QCOMPARE(f.messages.texts(), QStringList());
    }

    // Failures of a load: the window closes each time and the earlier rows stay.
    void failingLoads_data() { test::addDatabaseRows(); }
    void failingLoads()
    {
        VARO_REPORT_FIXTURE(f, {"delete from T_RepHeadCaption where FRepKey = 'SQL'"});
        f.answer({{"txtItemf0", "C"}});
        const Object report = create(QStringLiteral("rptX"));
        QCOMPARE(f.request(report, QStringLiteral("PLUG")), QVariant(true));
        const Vector earlier = test::rowsOf(report);

        // The report plug-in is gone: a numbered message and "OK" false.
        unregisterClass(QStringLiteral("Test.Report"));
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(f.messages.texts(),
                 QStringList{"错误编号:429,错误描述:ActiveX component can't create object"});
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(false));
        QCOMPARE(test::rowsOf(report), earlier);
        ScriptedFilter::install();

        // No header (and, on a new object, no plug-in columns): the request still says true,
        // and the load writes no "OK".
        f.messages.clear();
        const Object other = create(QStringLiteral("rptX"));
        QCOMPARE(f.request(other, QStringLiteral("SQL")), QVariant(true));
        QCOMPARE(f.messages.texts(), QStringList{"报表表头信息为空！"});
        QVERIFY(!test::resultOf(other).Exists(QStringLiteral("OK")));

        // An error after the filter plug-in's rows arrived is not the load's to catch: it
        // reaches Refresh's caller, here the request, which reports it.
        f.messages.clear();
        ScriptedFilter::script().failing = QStringList{"ReturnFilterTitle"};
        QCOMPARE(f.request(report, QStringLiteral("FP")), QVariant(false));
        QCOMPARE(f.messages.texts(),
                 QStringList{"错误编号:5100,错误描述:ReturnFilterTitle refused"});
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(false));
        VARO_VERIFY_ERROR(report.call(QStringLiteral("Refresh")), test::kPluginError);
    }
};

VARO_TEST_MAIN(TestReportObjects)
#include "tst_reportobjects.moc"
