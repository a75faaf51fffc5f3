// FuncReport on the filter plug-in route, on SQLite and PostgreSQL, with components registered
// in-process so that each step of the request can be made to succeed, refuse or fail; the
// messages of requests that stop early. The other routes and the demo plug-in libraries are run
// end to end by their own tests.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "definitiontables.h"
#include "engine/funcreport.h"
#include "platform/automation.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"
#include "server/classfactory.h"
#include "shared/modglobal.h"

#include <QTest>

using namespace varo;
using varo::test::HeaderRow;
using varo::test::ReportRow;

namespace
{

// What the in-process plug-ins do on the next request.
struct Script {
    bool sure = true;
    int failIn = 0; // 12: GetReportData, 14: ReturnSerial, 15: ReturnFilterTitle
    bool rsFails = false;
    QVariant serial = QStringLiteral("1");
    Connection replacementLoc; // handed back by ShowCondition when set
    QStringList calls;
    QVariant conditionSeen;
};
Script script;

class TestFilter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Sure READ Sure)
    Q_PROPERTY(QVariant ReturnCondition READ ReturnCondition)
public:
    Q_INVOKABLE void ShowCondition(QVariant &locConn, QVariant &sqlConn)
    {
        script.calls << QStringLiteral("ShowCondition");
        QVERIFY(!objectFrom<Connection>(locConn).isNull());
        QVERIFY(!objectFrom<Connection>(sqlConn).isNull());
        if (!script.replacementLoc.isNull())
            locConn = QVariant::fromValue(script.replacementLoc);
    }
    bool Sure() const { return script.sure; }
    QVariant ReturnCondition() const { return QStringLiteral("region=华东"); }
};

class TestReport : public QObject
{
    Q_OBJECT
    Q_PROPERTY(varo::Recordset rs READ rs)
    Q_PROPERTY(QVariant ReturnSerial READ ReturnSerial)
    Q_PROPERTY(varo::Vector ReturnFilterTitle READ ReturnFilterTitle)
public:
    Q_INVOKABLE varo::Vector GetReportData(QVariant condition, QVariant &sqlConn)
    {
        script.calls << QStringLiteral("GetReportData");
        script.conditionSeen = condition;
        if (script.failIn == 12)
            throw Error(5001, QStringLiteral("no data for 华东"));
        Connection conn = objectFrom<Connection>(sqlConn);
        m_rs = Recordset::create();
        m_rs.Open(QStringLiteral("select 1 as n"), conn);
        Vector rows = Vector::create();
        rows.Add(QVariant::fromValue(
            test::dictionary({{"Cust", QStringLiteral("甲")}, {"Amount", QStringLiteral("10")}})));
        rows.Add(QVariant::fromValue(
            test::dictionary({{"Cust", QStringLiteral("乙")}, {"Amount", QStringLiteral("5.5")}})));
        return rows;
    }
    Recordset rs() const
    {
        if (script.rsFails)
            throw Error(ErrorNumber::NoSuchMember, QStringLiteral("no rs"));
        return m_rs;
    }
    QVariant ReturnSerial() const
    {
        if (script.failIn == 14)
            throw Error(5002, QStringLiteral("no serial"));
        return script.serial;
    }
    Vector ReturnFilterTitle() const
    {
        if (script.failIn == 15)
            throw Error(5003, QStringLiteral("no title"));
        Vector titles = Vector::create();
        titles.Add(QVariant::fromValue(
            test::dictionary({{"FCaption", QStringLiteral("地区：华东")}, {"FIndex", 1}})));
        return titles;
    }

private:
    Recordset m_rs;
};

QStringList headerCaptions(const Vector &header)
{
    QStringList captions;
    for (const QVariant &item : header.items())
        captions << item.value<Dictionary>().value(QStringLiteral("FColCaption")).toString();
    return captions;
}

} // namespace

class TestFuncReport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_db;
    std::unique_ptr<test::MessageRecorder> m_messages;

    // A database with the definition tables, a filter plug-in report "SALES" (two layouts)
    // and whatever else the test adds.
    bool openDatabase(const QStringList &extra = {})
    {
        QFETCH(QString, database);
        m_db = std::make_unique<test::TestDatabase>(database);
        if (m_db->state() != test::TestDatabase::State::Ready)
            return false;
        QStringList statements = test::definitionTableStatements();
        ReportRow sales;
        sales.key = QStringLiteral("SALES");
        sales.id = 42;
        sales.defaultFilter = 1;
        sales.filterPlugName = QStringLiteral("Test.Filter");
        sales.repPluginSvr = QStringLiteral("Test.Report");
        sales.multi = 1;
        statements << test::insertReport(sales);
        const QString key = QStringLiteral("SALES");
        const HeaderRow headers[] = {
            {key, 2, "Amount", "金额", "本期", "number", 1, "1", "1"},
            {key, 1, "Cust", "客户", {}, "string", 1, "1", "0"},
            {key, 3, "Hidden", "隐藏", {}, "string", 0, "1", "0"},
            {key, 4, "Cust", "客户(二)", {}, "string", 1, "2", "0"},
        };
        for (const HeaderRow &header : headers)
            statements << test::insertHeader(header);
        statements << extra;
        m_db->execute(statements);
        return true;
    }

    bool request(FuncReport &report, const QString &key)
    {
        Connection &conn = m_db->connection();
        return report.GetReportData(key, conn, conn);
    }

private Q_SLOTS:
    void initTestCase()
    {
        server::registerClasses();
        registerClass(QStringLiteral("Test.Filter"), [] { return new TestFilter; });
        registerClass(QStringLiteral("Test.Report"), [] { return new TestReport; });
        registerClass(QStringLiteral("Test.Broken"), []() -> QObject * {
            throw Error(ErrorNumber::CannotCreateObject, QStringLiteral("broken"));
        });
    }

    void init()
    {
        script = Script();
        m_messages = std::make_unique<test::MessageRecorder>();
    }

    void cleanup()
    {
        m_messages.reset();
        m_db.reset();
        gLocConn() = Connection();
        gSqlConn() = Connection();
    }

    // The filter plug-in route is taken whatever route code the catalogue row also carries.
    void filterPluginRoute_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("routeCode");
        for (const QString &kind : test::databaseKinds()) {
            for (const char *code : {"0", "1", "2"})
                test::databaseRow(kind, code) << QString::fromLatin1(code);
        }
    }
    void filterPluginRoute()
    {
        QFETCH(QString, routeCode);
        if (!openDatabase({QStringLiteral("update T_RepList set FRepSub='%1'").arg(routeCode)}))
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        report.setRptID(5);
        QVERIFY(request(report, QStringLiteral("SALES")));
        QCOMPARE(m_messages->texts(), QStringList());
        QCOMPARE(script.calls, QStringList({"ShowCondition", "GetReportData"}));
        QCOMPARE(script.conditionSeen.toString(), QStringLiteral("region=华东"));

        QCOMPARE(report.RptID(), 42);
        QCOMPARE(report.RptKey(), QStringLiteral("SALES"));
        QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(report.Result().value(QStringLiteral("Error")), QVariant(QString()));
        QCOMPARE(report.VectRs().Count(), 2); // the plug-in's rows, no totals added
        QCOMPARE(report.rs().FieldCount(), 1);
        QCOMPARE(report.Title().Item(0).value<Dictionary>().value(QStringLiteral("FCaption")),
                 QVariant(QStringLiteral("地区：华东")));
        QCOMPARE(report.LocDBConn(), m_db->connection());

        // Layout 1 was named by the plug-in: its visible columns in display order.
        QCOMPARE(headerCaptions(report.Header()), QStringList({"客户", "金额"}));
        QCOMPARE(report.Property().value(QStringLiteral("Name")),
                 QVariant(QStringLiteral("测试报表")));
    }

    void layoutFollowsSerial_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<int>("multi");
        QTest::addColumn<QVariant>("serial");
        QTest::addColumn<bool>("returned");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("messages");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "layout 2")
                << 1 << QVariant(2) << true << QStringList{"客户(二)"} << QStringList();
            test::databaseRow(kind, "no serial looks for an empty layout")
                << 1 << QVariant() << false << QStringList() << QStringList{"报表表头信息为空！"};
            test::databaseRow(kind, "one layout takes every visible column")
                << 0 << QVariant(2) << true << QStringList{"客户", "金额", "客户(二)"}
                << QStringList();
        }
    }
    void layoutFollowsSerial()
    {
        QFETCH(int, multi);
        if (!openDatabase({QStringLiteral("update T_RepList set FMulti=%1").arg(multi)}))
            QSKIP(qPrintable(m_db->errorString()));
        QFETCH(QVariant, serial);
        QFETCH(bool, returned);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, messages);
        script.serial = serial;
        FuncReport report;
        QCOMPARE(request(report, QStringLiteral("SALES")), returned);
        QCOMPARE(m_messages->texts(), messages);
        if (returned)
            QCOMPARE(headerCaptions(report.Header()), captions);
    }

    // Requests that stop before any data: what is shown, and that Result says so.
    void stops_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("resultEmpty");
        const QStringList cases[] = {
            {"missing report", "", "NOPE", "报表不存在!"},
            {"blank report plug-in name",
             "update T_RepList set FDefaultFilter=0, FRepSub='0', FRepPluginSvr='   '", "SALES",
             "报表插件名不可为空，请修改报表信息!"},
            {"report plug-in not registered",
             "update T_RepList set FDefaultFilter=0, FRepSub='0', FRepPluginSvr='No.Such'", "SALES",
             "插件类[No.Such]不存在或插件未被注册！"},
            {"Null route code counts as 0",
             "update T_RepList set FDefaultFilter=0, FRepSub=null, FRepPluginSvr='Test.Broken'",
             "SALES", "插件类[Test.Broken]不存在或插件未被注册！"},
            {"blank filter plug-in name", "update T_RepList set FFilterPlugName=' '", "SALES",
             "报表过滤界面用到的插件名不可为空，请修改报表信息!"},
            {"filter plug-in not registered", "update T_RepList set FFilterPlugName='No.Filter'",
             "SALES", "报表过滤界面用到的插件类[No.Filter]不存在或插件未被注册！"},
            {"no visible header column", "update T_RepHeadCaption set FRepColVisible=0", "SALES",
             "报表表头信息为空！"},
        };
        for (const QString &kind : test::databaseKinds()) {
            for (const QStringList &c : cases) {
                QTest::addRow("%s: %s", qPrintable(kind), qPrintable(c[0]))
                    << kind << c[1] << c[2] << QStringList{c[3]}
                    << (c[0] != QLatin1String("no visible header column"));
            }
        }
    }
    void stops()
    {
        QFETCH(QString, setup);
        QFETCH(QString, key);
        QFETCH(QStringList, messages);
        QFETCH(bool, resultEmpty);
        if (!openDatabase(setup.isEmpty() ? QStringList() : QStringList{setup}))
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        QVERIFY(!request(report, key));
        QCOMPARE(m_messages->texts(), messages);
        QCOMPARE(m_messages->messages().at(0).title, QStringLiteral("沐岩提示"));
        QVERIFY(m_messages->messages().at(0).icon == ui::MessageIcon::Information);
        QCOMPARE(report.RptKey(), key);
        QVERIFY(!report.Result().isNull());
        if (resultEmpty)
            QCOMPARE(report.Result().Count(), 0);
    }

    void filterCancelled_data() { test::addDatabaseRows(); }
    void filterCancelled()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        script.sure = false;
        FuncReport report;
        QVERIFY(!request(report, QStringLiteral("SALES")));
        QCOMPARE(m_messages->texts(), QStringList());
        QCOMPARE(script.calls, QStringList({"ShowCondition"}));
        QVERIFY(report.VectRs().isNull());
    }

    // Until the plug-in has delivered its rows the request's trap shows a numbered error;
    // after that, errors reach the host.
    void pluginErrors_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<int>("failIn");
        QTest::addColumn<int>("escaping");
        for (const QString &kind : test::databaseKinds()) {
            QTest::addRow("%s: GetReportData", qPrintable(kind)) << kind << 12 << 0;
            QTest::addRow("%s: ReturnSerial", qPrintable(kind)) << kind << 14 << 5002;
            QTest::addRow("%s: ReturnFilterTitle", qPrintable(kind)) << kind << 15 << 5003;
        }
    }
    void pluginErrors()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        QFETCH(int, failIn);
        QFETCH(int, escaping);
        script.failIn = failIn;
        FuncReport report;
        if (escaping) {
            VARO_VERIFY_ERROR(request(report, QStringLiteral("SALES")), escaping);
            QCOMPARE(m_messages->texts(), QStringList());
            return;
        }
        QVERIFY(!request(report, QStringLiteral("SALES")));
        QCOMPARE(m_messages->texts(),
                 QStringList{QStringLiteral("错误编号:5001,错误描述:no data for 华东")});
        QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(false));
        QVERIFY(!report.Result().Exists(QStringLiteral("Error")));
    }

    // A plug-in whose rs fails keeps the recordset of the request before; a failed request
    // keeps what the one before produced, under the new key.
    void failuresKeepEarlier_data() { test::addDatabaseRows(); }
    void failuresKeepEarlier()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        QVERIFY(request(report, QStringLiteral("SALES")));
        const Recordset first = report.rs();
        script.rsFails = true;
        QVERIFY(request(report, QStringLiteral("SALES")));
        QCOMPARE(report.rs(), first);
        const Vector rows = report.VectRs();
        QVERIFY(!request(report, QStringLiteral("OTHER")));
        QCOMPARE(report.RptKey(), QStringLiteral("OTHER"));
        QCOMPARE(report.VectRs(), rows);
        QCOMPARE(report.RptID(), 42);
    }

    // The filter plug-in may hand back other connections; they replace the shared ones.
    void filterReplacesConnections_data() { test::addDatabaseRows(); }
    void filterReplacesConnections()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        script.replacementLoc = m_db->connection();
        Connection other = Connection::open(QStringLiteral("sqlite::memory:"));
        FuncReport report;
        QVERIFY(report.GetReportData(QStringLiteral("SALES"), other, m_db->connection()));
        QCOMPARE(gSqlConn(), other);
        QCOMPARE(report.LocDBConn(), m_db->connection());
    }

    // The request through the automation layer, as a host makes it.
    void byName_data() { test::addDatabaseRows(); }
    void byName()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        Object report = createObject(QStringLiteral("VaroReportEngine.FuncReport"));
        QVariantList args{QStringLiteral("SALES"), QVariant::fromValue(m_db->connection()),
                          QVariant::fromValue(m_db->connection())};
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(objectFrom<Vector>(report.get(QStringLiteral("VectRs"))).Count(), 2);
        QCOMPARE(gRepType(), -1);
        args << 7;
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(gRepType(), 7);
    }
};

VARO_TEST_MAIN(TestFuncReport)
#include "tst_funcreport.moc"
