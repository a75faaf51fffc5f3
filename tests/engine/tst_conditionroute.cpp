// FuncReport on the condition dialog route, on SQLite and PostgreSQL: the SQL template branch
// and the report plug-in branch (three arguments, the two-argument retry, failures), the dialog
// answered as a person would; then the demo's condition reports through the real plug-ins.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "definitiontables.h"
#include "demodb/demodatabase.h"
#include "engine/funcreport.h"
#include "platform/automation.h"
#include "platform/variant.h"
#include "server/classfactory.h"
#include "shared/modglobal.h"

#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace varo;
using varo::test::HeaderRow;
using varo::test::ReportRow;

namespace
{

// What the in-process report plug-ins saw and are to do.
struct Script {
    bool threeArgumentsFail = false;
    bool twoArgumentsFail = false;
    QStringList calls;
    QString filterSeen;
    Vector headerSeen;
};
Script script;

Vector oneRow(const QString &filter)
{
    Vector rows = Vector::create();
    rows.Add(QVariant::fromValue(test::dictionary({{"FNumber", filter}})));
    return rows;
}

// Knows both forms of GetRptVect; adds a header column on the three-argument call.
class ModernReport : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE varo::Vector GetRptVect(QVariant &values, QVariant &, QVariant &header)
    {
        script.calls << QStringLiteral("GetRptVect/3");
        if (script.threeArgumentsFail)
            throw Error(5101, QStringLiteral("three arguments refused"));
        script.filterSeen =
            objectFrom<Dictionary>(values).value(QStringLiteral("strFilter")).toString();
        Vector columns = objectFrom<Vector>(header);
        script.headerSeen = columns;
        columns.Add(QVariant::fromValue(test::dictionary({{"FColCaption", QStringLiteral("附加")},
                                                          {"FHeadSecond", QString()},
                                                          {"FColType", QStringLiteral("N")},
                                                          {"FColName", QStringLiteral("FExtra")},
                                                          {"FVisible", 1}})));
        return oneRow(script.filterSeen);
    }
    Q_INVOKABLE varo::Vector GetRptVect(QVariant &values, QVariant &)
    {
        script.calls << QStringLiteral("GetRptVect/2");
        if (script.twoArgumentsFail)
            throw Error(5102, QStringLiteral("two arguments refused"));
        script.filterSeen =
            objectFrom<Dictionary>(values).value(QStringLiteral("strFilter")).toString();
        return oneRow(script.filterSeen);
    }
};

// Written before header columns existed: GetRptVect takes two arguments only.
class LegacyReport : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE varo::Vector GetRptVect(QVariant &values, QVariant &)
    {
        script.calls << QStringLiteral("GetRptVect/2");
        return oneRow(objectFrom<Dictionary>(values).value(QStringLiteral("strFilter")).toString());
    }
};

QStringList column(const Vector &rows, const QString &name)
{
    QStringList values;
    for (const QVariant &row : rows.items())
        values << row.value<Dictionary>().value(name).toString();
    return values;
}

// Answers the condition dialog: texts by name, then OK (or Cancel).
test::ScopedModalDriver answer(const QList<QPair<QString, QString>> &texts, bool ok = true)
{
    return test::ScopedModalDriver([texts, ok](QDialog *dialog) {
        for (const auto &[name, value] : texts) {
            if (auto *box = dialog->findChild<QLineEdit *>(name))
                box->setText(value);
            else if (auto *date = dialog->findChild<QDateEdit *>(name))
                date->setDate(QDate::fromString(value, Qt::ISODate));
            else
                QFAIL(qPrintable(u"no control " + name));
        }
        dialog->findChild<QPushButton *>(ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdCacel"))
            ->click();
    });
}

} // namespace

class TestConditionRoute : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_db;
    std::unique_ptr<test::MessageRecorder> m_messages;
    std::unique_ptr<test::TemporarySettingsFile> m_settings;

    // Report "ITEMS" (template over T_Items) and report "PLUG" (plug-in Test.Modern), both
    // filtered by a text range NF..NT.
    bool openDatabase(const QString &plugin = QStringLiteral("Test.Modern"),
                      const QString &sql = QString())
    {
        QFETCH(QString, database);
        m_db = std::make_unique<test::TestDatabase>(database);
        if (m_db->state() != test::TestDatabase::State::Ready)
            return false;
        QStringList s = test::definitionTableStatements();
        s << QStringLiteral("create table T_Items (FNumber varchar(20), FQty integer)")
          << QStringLiteral("insert into T_Items values ('A', 1), ('B', 2), ('C', 3)");
        ReportRow items;
        items.key = QStringLiteral("ITEMS");
        s << test::insertReport(items)
          << test::insertTemplate(items.key, sql.isEmpty()
                                                 ? QStringLiteral("select FNumber, FQty from "
                                                                  "T_Items where {NF} and {NT} "
                                                                  "order by FNumber")
                                                 : sql);
        ReportRow plug;
        plug.key = QStringLiteral("PLUG");
        plug.id = 2;
        plug.repSub = QStringLiteral("0");
        plug.repPluginSvr = plugin;
        s << test::insertReport(plug);
        for (const QString &key : {items.key, plug.key}) {
            s << test::insertFilter(key, 1,
                                    QStringLiteral("CDTXT|编码|NF|FNumber>='?'|到|NT|FNumber<='?'"))
              << test::insertHeader({key, 1, QStringLiteral("FNumber"), QStringLiteral("编码"),
                                     QString(), QStringLiteral("C"), 1, QString(),
                                     QStringLiteral("0")})
              << test::insertHeader({key, 2, QStringLiteral("FQty"), QStringLiteral("数量"),
                                     QString(), QStringLiteral("N"), 1, QString(),
                                     QStringLiteral("1")});
        }
        m_db->execute(s);
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
        registerClass(QStringLiteral("Test.Modern"), [] { return new ModernReport; });
        registerClass(QStringLiteral("Test.Legacy"), [] { return new LegacyReport; });
    }

    void init()
    {
        script = Script();
        m_messages = std::make_unique<test::MessageRecorder>();
        m_settings = std::make_unique<test::TemporarySettingsFile>();
    }

    void cleanup()
    {
        m_messages.reset();
        m_settings.reset();
        m_db.reset();
        gLocConn() = Connection();
        gSqlConn() = Connection();
    }

    void templateReport_data() { test::addDatabaseRows(); }
    void templateReport()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        {
            const auto driver = answer({{QStringLiteral("txtItemf0"), QStringLiteral("B")}});
            QVERIFY(request(report, QStringLiteral("ITEMS")));
        }
        QCOMPARE(m_messages->texts(), QStringList());
        // Rows B and C, then the totals record.
        QCOMPARE(column(report.VectRs(), QStringLiteral("FNumber")),
                 (QStringList{"B", "C", QStringLiteral("合计：")}));
        QCOMPARE(report.VectRs().Item(2).value<Dictionary>().value("FQty").toString(), "5");
        QCOMPARE(report.Title().Count(), 1);
        QCOMPARE(report.Title().Item(0).value<Dictionary>().value("FCaption").toString(),
                 QStringLiteral("编码从B到--"));
        QVERIFY(report.rs().isOpen());
        QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(report.Header().Count(), 2);

        // Cancelled: false without a word, the rows of the request before kept.
        const Vector rows = report.VectRs();
        {
            const auto driver = answer({}, false);
            QVERIFY(!request(report, QStringLiteral("ITEMS")));
        }
        QCOMPARE(m_messages->texts(), QStringList());
        QCOMPARE(report.VectRs(), rows);
    }

    void templateFailures_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message"); // empty: the provider's message
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "blank after expansion") << "   "
                                                             << "SQL语句为空!";
            test::databaseRow(kind, "syntax error") << "select from where {NF}"
                                                    << "";
        }
    }
    void templateFailures()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        if (!openDatabase(QStringLiteral("Test.Modern"), sql))
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        const auto driver = answer({});
        QVERIFY(!request(report, QStringLiteral("ITEMS")));
        QCOMPARE(m_messages->texts().size(), 1);
        if (!message.isEmpty())
            QCOMPARE(m_messages->texts().first(), message);
        else
            QVERIFY(m_messages->texts().first().endsWith(QStringLiteral("\r\n")));
        QVERIFY(report.VectRs().isNull());
        QVERIFY(report.rs().isNull());
    }

    void pluginReport_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<bool>("threeFail");
        QTest::addColumn<bool>("twoFail");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("message");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "three arguments")
                << "Test.Modern" << false << false << QStringList{"GetRptVect/3"} << "";
            test::databaseRow(kind, "three fail, two serve")
                << "Test.Modern" << true << false << QStringList{"GetRptVect/3", "GetRptVect/2"}
                << "";
            test::databaseRow(kind, "two arguments only")
                << "Test.Legacy" << false << false << QStringList{"GetRptVect/2"} << "";
            test::databaseRow(kind, "both fail")
                << "Test.Modern" << true << true << QStringList{"GetRptVect/3", "GetRptVect/2"}
                << "错误编号:5102,错误描述:two arguments refused";
        }
    }
    void pluginReport()
    {
        QFETCH(QString, plugin);
        QFETCH(bool, threeFail);
        QFETCH(bool, twoFail);
        QFETCH(QStringList, calls);
        QFETCH(QString, message);
        if (!openDatabase(plugin))
            QSKIP(qPrintable(m_db->errorString()));
        script.threeArgumentsFail = threeFail;
        script.twoArgumentsFail = twoFail;
        FuncReport report;
        const auto driver = answer({{QStringLiteral("txtItemt0"), QStringLiteral("Z")}});
        QCOMPARE(request(report, QStringLiteral("PLUG")), message.isEmpty());
        QCOMPARE(script.calls, calls);
        QCOMPARE(m_messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(false));
            return;
        }
        QCOMPARE(column(report.VectRs(), QStringLiteral("FNumber")),
                 QStringList{QStringLiteral("NT|FNumber<='Z'&NF|1=1")});
        QCOMPARE(report.Title().Item(0).value<Dictionary>().value("FCaption").toString(),
                 QStringLiteral("编码从--到Z"));
        const bool added = plugin == u"Test.Modern" && !threeFail;
        QCOMPARE(report.Header().Count(), added ? 3 : 2);

        // The plug-in gets the same header Vector on the object's next request.
        if (added) {
            const Vector first = script.headerSeen;
            QVERIFY(request(report, QStringLiteral("PLUG")));
            QCOMPARE(script.headerSeen, first);
            QCOMPARE(report.Header().Count(), 4);
        }
    }

    // The demo's three condition reports through the real plug-in libraries.
    void demoReports_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("texts"); // besides the dates 2024-05-20 to 2024-05-21
        QTest::addColumn<QString>("check");     // SQL giving the expected row count
        const QString dates = "o.FDate >= '2024-05-20' and o.FDate <= '2024-05-21'";
        const QString customers = " and c.FNumber >= 'C001' and c.FNumber <= 'C040'";
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "SQL template")
                << QString(demo::kConditionSqlReport)
                << QStringList{"txtItemf0=A01", "txtItemt0=A30", "txtItemf1=C001", "txtItemt1=C040"}
                << "select count(*) from T_SalesOrder o join T_SalesOrderEntry l on l.FOrderID "
                   "= o.FID join T_Item i on i.FID = l.FItemID join T_Customer c on c.FID = "
                   "o.FCustID where " +
                       dates + customers + " and i.FNumber >= 'A01' and i.FNumber <= 'A30'";
            test::databaseRow(kind, "report plug-in")
                << QString(demo::kConditionPluginReport)
                << QStringList{"txtItemf0=C001", "txtItemt0=C040"}
                << "select count(*) from (select distinct c.FRegion, o.FEmpID from T_SalesOrder "
                   "o join T_Customer c on c.FID = o.FCustID where " +
                       dates + customers + ") x";
            test::databaseRow(kind, "two-argument plug-in")
                << QString(demo::kLegacyPluginReport) << QStringList{}
                << "select count(distinct o.FEmpID) from T_SalesOrder o where " + dates;
        }
    }
    void demoReports()
    {
        QFETCH(QString, database);
        QFETCH(QString, key);
        QFETCH(QStringList, texts);
        QFETCH(QString, check);
        VARO_TEST_DATABASE(db, database);
        VARO_VERIFY_NO_ERROR(demo::buildDemoDatabase(db.connection()));
        const auto driver = test::ScopedModalDriver([texts](QDialog *dialog) {
            dialog->findChild<QDateEdit *>("DtpBDate0")->setDate(QDate(2024, 5, 20));
            dialog->findChild<QDateEdit *>("DtpEDate0")->setDate(QDate(2024, 5, 21));
            for (const QString &t : texts)
                dialog->findChild<QLineEdit *>(t.section(u'=', 0, 0))->setText(t.section(u'=', 1));
            dialog->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        Object report = createObject(QStringLiteral("VaroReportEngine.FuncReport"));
        QVariantList args{key, QVariant::fromValue(db.connection()),
                          QVariant::fromValue(db.connection())};
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(m_messages->texts(), QStringList());
        const Vector rows = objectFrom<Vector>(report.get(QStringLiteral("VectRs")));
        const int expected = test::firstValue(db.connection(), check).toInt();
        QVERIFY(expected > 0);
        // The template's rows end in the engine's totals record; a plug-in's rows are its own.
        const bool totals = key == demo::kConditionSqlReport;
        QCOMPARE(rows.Count(), expected + (totals ? 1 : 0));
    }
};

VARO_TEST_MAIN(TestConditionRoute)
#include "tst_conditionroute.moc"
