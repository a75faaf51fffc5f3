// FuncReport end to end on the filter plug-in route, on SQLite and PostgreSQL, with components
// registered in-process so that each step of the request can be made to succeed, refuse or
// fail; the demo plug-in libraries run the same route from their real files at the end.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "definitiontables.h"
#include "demodb/demodatabase.h"
#include "engine/funcreport.h"
#include "platform/automation.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"
#include "server/classfactory.h"
#include "shared/modglobal.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QPushButton>
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
        statements << test::insertHeader({key, 2, QStringLiteral("Amount"), QStringLiteral("金额"),
                                          QStringLiteral("本期"), QStringLiteral("number"), 1,
                                          QStringLiteral("1"), QStringLiteral("1")})
                   << test::insertHeader({key, 1, QStringLiteral("Cust"), QStringLiteral("客户"),
                                          QString(), QStringLiteral("string"), 1,
                                          QStringLiteral("1"), QStringLiteral("0")})
                   << test::insertHeader({key, 3, QStringLiteral("Hidden"), QStringLiteral("隐藏"),
                                          QString(), QStringLiteral("string"), 0,
                                          QStringLiteral("1"), QStringLiteral("0")})
                   << test::insertHeader(
                          {key, 4, QStringLiteral("Cust"), QStringLiteral("客户(二)"), QString(),
                           QStringLiteral("string"), 1, QStringLiteral("2"), QStringLiteral("0")});
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

    void newObjectHoldsNothing()
    {
        FuncReport report;
        QVERIFY(report.Title().isNull());
        QVERIFY(report.Header().isNull());
        QVERIFY(report.Property().isNull());
        QVERIFY(report.rs().isNull());
        QVERIFY(report.VectRs().isNull());
        QVERIFY(report.Result().isNull());
        QCOMPARE(report.RptID(), 0);
        QCOMPARE(report.RptKey(), QString());
        report.setRptID(77);
        QCOMPARE(report.RptID(), 77);
    }

    // Members are reached by name, in their documented order, as a host reaches them.
    void membersInSlotOrder()
    {
        FuncReport report;
        const QMetaObject *mo = report.metaObject();
        QStringList properties;
        for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
            properties << QString::fromLatin1(mo->property(i).name());
        QCOMPARE(properties, QStringList({"Title", "RptID", "RptKey", "LocDBConn", "Header",
                                          "Property", "rs", "VectRs", "Result"}));
        Object byName = createObject(QStringLiteral("VaroReportEngine.FuncReport"));
        byName.set(QStringLiteral("RptID"), 9);
        QCOMPARE(byName.get(QStringLiteral("rptid")).toInt(), 9);
    }

    void filterPluginRoute_data() { test::addDatabaseRows(); }
    void filterPluginRoute()
    {
        if (!openDatabase())
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
        const Dictionary amount = report.Header().Item(1).value<Dictionary>();
        QCOMPARE(amount.keys(),
                 QStringList({"FColCaption", "FHeadSecond", "FColType", "FColName", "FVisible"}));
        QCOMPARE(amount.value(QStringLiteral("FHeadSecond")), QVariant(QStringLiteral("本期")));
        QCOMPARE(amount.value(QStringLiteral("FColName")), QVariant(QStringLiteral("Amount")));
        QCOMPARE(amount.value(QStringLiteral("FVisible")), QVariant(qint16(1)));
        QCOMPARE(report.Property().value(QStringLiteral("Name")),
                 QVariant(QStringLiteral("测试报表")));
        QCOMPARE(report.Property().value(QStringLiteral("FRepDesc")),
                 QVariant(QStringLiteral("说明")));
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
            const QByteArray k = kind.toLatin1();
            QTest::addRow("%s: layout 2", k.data())
                << kind << 1 << QVariant(2) << true << QStringList{"客户(二)"} << QStringList();
            QTest::addRow("%s: no serial looks for an empty layout", k.data())
                << kind << 1 << QVariant() << false << QStringList()
                << QStringList{"报表表头信息为空！"};
            QTest::addRow("%s: one layout takes every visible column", k.data())
                << kind << 0 << QVariant(2) << true << QStringList{"客户", "金额", "客户(二)"}
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

    // A plug-in whose rs fails keeps the recordset of the request before.
    void failingRsKeepsPrevious_data() { test::addDatabaseRows(); }
    void failingRsKeepsPrevious()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        QVERIFY(request(report, QStringLiteral("SALES")));
        const Recordset first = report.rs();
        script.rsFails = true;
        QVERIFY(request(report, QStringLiteral("SALES")));
        QCOMPARE(report.rs(), first);
    }

    // A failed request keeps what the one before produced, under the new key.
    void failureKeepsEarlierRows_data() { test::addDatabaseRows(); }
    void failureKeepsEarlierRows()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        QVERIFY(request(report, QStringLiteral("SALES")));
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

    void routeChoice_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("produced");
        QTest::addColumn<QString>("message");
        struct Case {
            const char *name;
            const char *setup;
            bool produced;
            const char *message;
        };
        // SALES has no template and no filter rows: the dialog routes stop before a dialog.
        const Case cases[] = {
            {"filter plug-in wins over keyword route", "update T_RepList set FRepSub='2'", true,
             ""},
            {"filter plug-in wins over template route", "update T_RepList set FRepSub='1'", true,
             ""},
            {"keyword route", "update T_RepList set FDefaultFilter=0, FRepSub='2'", false, ""},
            {"condition route", "update T_RepList set FDefaultFilter=null, FRepSub='1'", false,
             "过滤条件为空，请为报表添加过滤条件!"},
        };
        for (const QString &kind : test::databaseKinds()) {
            for (const Case &c : cases)
                test::databaseRow(kind, c.name)
                    << QString::fromUtf8(c.setup) << c.produced << QString::fromUtf8(c.message);
        }
    }
    void routeChoice()
    {
        QFETCH(QString, setup);
        QFETCH(bool, produced);
        QFETCH(QString, message);
        if (!openDatabase({setup}))
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        QCOMPARE(request(report, QStringLiteral("SALES")), produced);
        QCOMPARE(m_messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
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

    // The demo's filter plug-in report through the real plug-in libraries: the filter window
    // answered as a person would, the plug-in's rows, the layout it names, the titles.
    void demoFilterPluginReport_data() { test::addDatabaseRows(); }
    void demoFilterPluginReport()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        VARO_VERIFY_NO_ERROR(demo::buildDemoDatabase(db.connection()));
        test::ScopedModalDriver driver([](QDialog *dialog) {
            dialog->findChild<QDateEdit *>(QStringLiteral("dtpFrom"))->setDate(QDate(2024, 3, 1));
            dialog->findChild<QDateEdit *>(QStringLiteral("dtpTo"))->setDate(QDate(2024, 3, 31));
            dialog->findChild<QComboBox *>(QStringLiteral("cmbGroup"))
                ->setCurrentText(QStringLiteral("按商品"));
            dialog->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        Object report = createObject(QStringLiteral("VaroReportEngine.FuncReport"));
        QVariantList args{QString(demo::kFilterPluginReport), QVariant::fromValue(db.connection()),
                          QVariant::fromValue(db.connection())};
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(m_messages->texts(), QStringList());

        // Grouped by item: the plug-in's rows add up to the March lines of the business data.
        Recordset expected = Recordset::create();
        expected.Open(QStringLiteral("select sum(l.FAmount) as total, count(distinct l.FItemID) "
                                     "as items from T_SalesOrder o join T_SalesOrderEntry l on "
                                     "l.FOrderID = o.FID where o.FDate >= '2024-03-01' and "
                                     "o.FDate <= '2024-03-31'"),
                      db.connection());
        const Vector rows = objectFrom<Vector>(report.get(QStringLiteral("VectRs")));
        double total = 0;
        for (const QVariant &row : rows.items())
            total += row.value<Dictionary>().value(QStringLiteral("FAmount")).toDouble();
        QCOMPARE(rows.Count(), expected.Fields(1).Value().toInt());
        QCOMPARE(total, expected.Fields(0).Value().toDouble());

        // Layout 2 (by item) is the one whose columns the header shows.
        const Vector header = objectFrom<Vector>(report.get(QStringLiteral("Header")));
        QStringList names;
        for (const QVariant &item : header.items())
            names << item.value<Dictionary>().value(QStringLiteral("FColName")).toString();
        QVERIFY2(names.contains(QStringLiteral("FItemNumber")), qPrintable(names.join(u',')));
        QVERIFY(!names.contains(QStringLiteral("FCustNumber")));
        QVERIFY(objectFrom<Vector>(report.get(QStringLiteral("Title"))).Count() > 0);
        QCOMPARE(objectFrom<Dictionary>(report.get(QStringLiteral("Property")))
                     .value(QStringLiteral("FRepKey")),
                 QVariant(QString(demo::kFilterPluginReport)));
    }
};

VARO_TEST_MAIN(TestFuncReport)
#include "tst_funcreport.moc"
