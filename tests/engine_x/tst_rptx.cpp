// rptX called by name as a host calls it, on SQLite and PostgreSQL: the four load routes inside
// the progress window, reloading with the same filter, the state a cancelled filter plug-in
// leaves, the host's report number from ICReport, the automatic keyword step, and loads that
// fail in each of the ways the object distinguishes.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "definitiontables.h"
#include "platform/automation.h"
#include "platform/variant.h"
#include "server/classfactory.h"
#include "shared/modglobal.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace varo;
using varo::test::ReportRow;

namespace
{

const QStringList kProgress{"正在连接服务器", "正在从服务器读取数据..."};

// What the in-process plug-ins do and saw.
struct Script {
    bool sure = true;
    bool titleFails = false;
    QString filterSeen;
};
Script script;

Vector oneRow(const QString &number)
{
    Vector rows = Vector::create();
    rows.Add(QVariant::fromValue(test::dictionary({{"FNumber", number}})));
    return rows;
}

class TestFilter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Sure READ Sure)
    Q_PROPERTY(QString ReturnCondition READ ReturnCondition)
public:
    Q_INVOKABLE void ShowCondition(QVariant &, QVariant &) {}
    bool Sure() const { return script.sure; }
    QString ReturnCondition() const { return QStringLiteral("F"); }
};

class TestReport : public QObject
{
    Q_OBJECT
    Q_PROPERTY(varo::Vector ReturnFilterTitle READ ReturnFilterTitle)
public:
    Q_INVOKABLE varo::Vector GetReportData(const QVariant &condition, QVariant &)
    {
        return oneRow(condition.toString());
    }
    Q_INVOKABLE varo::Vector GetRptVect(QVariant &values, QVariant &, QVariant &)
    {
        script.filterSeen =
            objectFrom<Dictionary>(values).value(QStringLiteral("strFilter")).toString();
        return oneRow(QStringLiteral("P"));
    }
    Vector ReturnFilterTitle() const
    {
        if (script.titleFails)
            throw Error(5201, QStringLiteral("no title"));
        Vector title = Vector::create();
        title.Add(QVariant::fromValue(test::dictionary({{"FCaption", "插件标题"}, {"FIndex", 0}})));
        return title;
    }
};

QStringList column(const Vector &rows, const QString &name = QStringLiteral("FNumber"))
{
    QStringList values;
    if (!rows.isNull()) {
        for (const QVariant &row : rows.items())
            values << toText(row.value<Dictionary>().value(name));
    }
    return values;
}

bool progressWindowUp()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"frmProgBar" && w->isVisible())
            return true;
    }
    return false;
}

} // namespace

class TestRptX : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_db;
    std::unique_ptr<test::MessageRecorder> m_messages;
    std::unique_ptr<test::TemporarySettingsFile> m_settings;
    std::unique_ptr<test::ScopedModalDriver> m_driver;
    QStringList m_progress;
    QStringList m_offered; // the keyword grid's keywords, every time one is shown
    int m_dialogs = 0;

    // Reports FP (filter plug-in, although FRepSub is "2"), KW (keywords #FROM# and #TO# as
    // filter rows), SQL (condition dialog, template) and PLUG (condition dialog, report
    // plug-in) over T_Items A, B, C; `more` adds or replaces rows.
    bool openDatabase(const QStringList &more = {})
    {
        QFETCH(QString, database);
        m_db = std::make_unique<test::TestDatabase>(database);
        if (m_db->state() != test::TestDatabase::State::Ready)
            return false;
        QStringList s = test::definitionTableStatements();
        s << "create table T_Items (FNumber varchar(20), FQty integer)"
          << "insert into T_Items values ('A', 1), ('B', 2), ('C', 3)";
        auto report = [&s](const QString &key, const QString &repSub, int defaultFilter,
                           const QString &plugin) {
            ReportRow r;
            r.key = key;
            r.repSub = repSub;
            r.defaultFilter = defaultFilter;
            r.filterPlugName = defaultFilter == 1 ? QStringLiteral("Test.Filter") : QString();
            r.repPluginSvr = plugin;
            s << test::insertReport(r)
              << test::insertHeader({key, 1, "FNumber", "编码", QString(), "C", 1, QString(), "0"})
              << test::insertHeader({key, 2, "FQty", "数量", QString(), "N", 1, QString(), "1"});
        };
        report("FP", "2", 1, "Test.Report");
        report("KW", "2", 0, QString());
        report("SQL", "1", 0, QString());
        report("PLUG", "0", 0, "Test.Report");
        const QString range = "CDTXT|编码|NF|FNumber>='?'|到|NT|FNumber<='?'";
        s << test::insertTemplate("KW", "select FNumber, FQty from T_Items where 1=1 and "
                                        "{FNumber >= '#FROM#'} and {FNumber <= '#TO#'} "
                                        "order by FNumber")
          << test::insertFilter("KW", 1, "|#FROM#") << test::insertFilter("KW", 2, "|#TO#")
          << test::insertTemplate("SQL", "select FNumber, FQty from T_Items where {NF} and "
                                         "{NT} order by FNumber")
          << test::insertFilter("SQL", 1, range) << test::insertFilter("PLUG", 1, range);
        const QString keyword = "insert into ICReportKeywords (FInterID, FCaption, FKeyword, "
                                "FValueType, FSourceField) values (%1)";
        s << keyword.arg("1, '到', '#TO#', 2, null") << keyword.arg("2, '从', '#FROM#', 2, null")
          << more;
        m_db->execute(s);
        return true;
    }

    // Answers every dialog: the condition dialog's controls or the keyword grid's values by
    // name, then OK, or Cancel when `ok` is false.
    void answer(const QMap<QString, QString> &values, bool ok = true)
    {
        m_driver.reset();
        m_driver = std::make_unique<test::ScopedModalDriver>([this, values, ok](QDialog *dialog) {
            ++m_dialogs;
            if (auto *grid = dialog->findChild<QTableWidget *>(QStringLiteral("vaKeywords"))) {
                for (int r = 0; r < grid->rowCount(); ++r) {
                    const QString keyword = grid->item(r, 3)->text();
                    m_offered << keyword;
                    if (values.contains(keyword))
                        grid->item(r, 1)->setText(values.value(keyword));
                }
            }
            for (auto it = values.begin(); it != values.end(); ++it) {
                if (auto *box = dialog->findChild<QLineEdit *>(it.key()))
                    box->setText(it.value());
            }
            dialog
                ->findChild<QPushButton *>(ok ? QStringLiteral("cmdOK")
                                              : QStringLiteral("cmdCacel"))
                ->click();
        });
    }

    // GetReportData(key, connection, <nothing>) by name; the third argument as it comes back.
    QVariant request(const Object &report, const QString &key, bool expected = true,
                     QVariant *definitions = nullptr)
    {
        QVariantList args{key, QVariant::fromValue(m_db->connection()), QVariant()};
        const QVariant returned = report.call(QStringLiteral("GetReportData"), args);
        if (definitions)
            *definitions = args.at(2);
        if (returned != QVariant(expected))
            QTest::qFail(
                qPrintable(
                    QStringLiteral("GetReportData(%1) returned %2").arg(key, returned.toString())),
                __FILE__, __LINE__);
        return returned;
    }

    static Dictionary result(const Object &report)
    {
        return objectFrom<Dictionary>(report.get(QStringLiteral("Result")));
    }
    static Vector rows(const Object &report)
    {
        return objectFrom<Vector>(report.get(QStringLiteral("VectRs")));
    }

private Q_SLOTS:
    void initTestCase() { server::registerClasses(); }

    void init()
    {
        registerClass(QStringLiteral("Test.Filter"), [] { return new TestFilter; });
        registerClass(QStringLiteral("Test.Report"), [] { return new TestReport; });
        script = Script();
        m_messages = std::make_unique<test::MessageRecorder>();
        m_settings = std::make_unique<test::TemporarySettingsFile>();
        m_progress.clear();
        m_offered.clear();
        m_dialogs = 0;
        ui::setProgressSink([this](const QString &text) { m_progress << text; });
    }

    void cleanup()
    {
        ui::setProgressSink({});
        m_driver.reset();
        m_messages.reset();
        m_settings.reset();
        m_db.reset();
        gLocConn() = Connection();
        gSqlConn() = Connection();
        QVERIFY(!progressWindowUp());
    }

    // Properties first, then the methods, in their documented order; optional arguments are
    // overloads of one name.
    void membersInOrder()
    {
        const Object report = createObject(QStringLiteral("VaroReportEngine.rptX"));
        const QMetaObject *mo = report.get()->metaObject();
        QStringList members;
        for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
            members << QString::fromLatin1(mo->property(i).name());
        for (int i = QObject::staticMetaObject.methodCount(); i < mo->methodCount(); ++i) {
            const QMetaMethod m = mo->method(i);
            if (m.access() == QMetaMethod::Public && m.methodType() == QMetaMethod::Method &&
                !members.contains(QString::fromLatin1(m.name())))
                members << QString::fromLatin1(m.name());
        }
        QCOMPARE(members, (QStringList{"Title", "RptID", "RptKey", "LocDBConn", "Header",
                                       "Property", "rs", "VectRs", "Result", "Refresh",
                                       "GetReportData", "ShowFilter", "ShowFilterAuto"}));
        QCOMPARE(report.get(QStringLiteral("RptID")), QVariant(qint32(0)));
        QVERIFY(objectFrom<Dictionary>(report.get(QStringLiteral("Result"))).isNull());
    }

    // Each route, requested with only the SQL connection: the definition connection is the
    // same one and comes back in the caller's variable.
    void routes_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("answers"); // name=value
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("title");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "filter plug-in")
                << "FP" << QStringList{} << QStringList{"F"} << QStringList{"插件标题"};
            test::databaseRow(kind, "keywords") << "KW" << QStringList{"#FROM#=B"}
                                                << QStringList{"B", "C", "合计："} << QStringList{};
            test::databaseRow(kind, "condition template")
                << "SQL" << QStringList{"txtItemt0=B"} << QStringList{"A", "B", "合计："}
                << QStringList{"编码从--到B"};
            test::databaseRow(kind, "report plug-in")
                << "PLUG" << QStringList{"txtItemf0=C"} << QStringList{"P"}
                << QStringList{"编码从C到--"};
        }
    }
    void routes()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, title);
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        QMap<QString, QString> values;
        for (const QString &a : answers)
            values.insert(a.section(u'=', 0, 0), a.section(u'=', 1));
        answer(values);
        const Object report = createObject(QStringLiteral("VaroReportEngine.rptX"));
        QVariant definitions;
        request(report, key, true, &definitions);
        QCOMPARE(m_messages->texts(), QStringList());
        QCOMPARE(objectFrom<Connection>(definitions), m_db->connection());
        QCOMPARE(column(rows(report)), numbers);
        QCOMPARE(column(objectFrom<Vector>(report.get(QStringLiteral("Title"))),
                        QStringLiteral("FCaption")),
                 title);
        QCOMPARE(result(report).value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(result(report).value(QStringLiteral("Error")), QVariant(QString()));
        const Dictionary property = objectFrom<Dictionary>(report.get(QStringLiteral("Property")));
        QCOMPARE(property.value(QStringLiteral("RptType")), QVariant(qint16(1)));
        QCOMPARE(m_progress, kProgress);
        if (key == u"PLUG")
            QVERIFY2(script.filterSeen.contains(u"'C'"), qPrintable(script.filterSeen));
    }

    // Reloading, by Refresh or by GetReportData without arguments, runs the same filter again
    // on the data as it is now; a new ShowFilter changes the filter for the next load.
    void reload_data() { test::addDatabaseRows(); }
    void reload()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        answer({{"txtItemf0", "B"}});
        const Object report = createObject(QStringLiteral("VaroReportEngine.rptX"));
        request(report, QStringLiteral("SQL"));
        m_db->execute({"insert into T_Items values ('D', 4)"});
        m_progress.clear();
        QVariantList none;
        QCOMPARE(report.call(QStringLiteral("GetReportData"), none), QVariant(false));
        QCOMPARE(column(rows(report)), (QStringList{"B", "C", "D", "合计："}));
        QCOMPARE(result(report).value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(m_progress, kProgress);
        QCOMPARE(m_dialogs, 1);

        answer({{"txtItemf0", "C"}});
        QCOMPARE(report.call(QStringLiteral("ShowFilter")), QVariant(true));
        m_db->execute({"delete from T_Items where FNumber = 'D'"});
        QCOMPARE(report.call(QStringLiteral("Refresh")), QVariant());
        QCOMPARE(column(rows(report)), (QStringList{"C", "合计："}));
        QCOMPARE(m_dialogs, 2);
        QCOMPARE(m_messages->texts(), QStringList());
    }

    // A cancelled filter plug-in blocks every request, whatever its key, until ShowFilter is
    // confirmed again; a reload meanwhile only opens and closes the window.
    void cancelledFilterPlugin_data() { test::addDatabaseRows(); }
    void cancelledFilterPlugin()
    {
        if (!openDatabase())
            QSKIP(qPrintable(m_db->errorString()));
        answer({{"txtItemf0", "B"}});
        const Object report = createObject(QStringLiteral("VaroReportEngine.rptX"));
        script.sure = false;
        request(report, QStringLiteral("FP"), false);
        QVERIFY(m_progress.isEmpty());
        request(report, QStringLiteral("SQL"), false);
        QCOMPARE(report.get(QStringLiteral("RptKey")), QVariant("FP"));
        QCOMPARE(m_dialogs, 0);
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(m_progress, QStringList{kProgress.first()});
        QVERIFY(rows(report).isNull());

        // ShowFilter(False) is ShowFilter(True): the flag is not consulted.
        script.sure = true;
        QVariantList autoFilter{false};
        QCOMPARE(report.call(QStringLiteral("ShowFilter"), autoFilter), QVariant(true));
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(column(rows(report)), QStringList{"F"});
        request(report, QStringLiteral("SQL"));
        QCOMPARE(column(rows(report)), (QStringList{"B", "C", "合计："}));
        QCOMPARE(m_messages->texts(), QStringList());
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
            test::databaseRow(kind, "none") << QStringList{} << 42;
        }
    }
    void hostReportNumber()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, id);
        QStringList inserts;
        for (const QString &row : rows)
            inserts << QStringLiteral("insert into ICReport (FInterID, FProcedure) values (%1)")
                           .arg(row);
        if (!openDatabase(inserts))
            QSKIP(qPrintable(m_db->errorString()));
        const Object report = createObject(QStringLiteral("VaroReportEngine.rptX"));
        report.set(QStringLiteral("RptID"), 42);
        request(report, QStringLiteral("FP"));
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
        if (!openDatabase(more))
            QSKIP(qPrintable(m_db->errorString()));
        answer({{"#FROM#", "B"}, {"#TO#", "B"}}, ok);
        const Object report = createObject(QStringLiteral("VaroReportEngine.rptX"));
        request(report, QStringLiteral("KW"), !numbers.isEmpty());
        QCOMPARE(m_offered, offered);
        QCOMPARE(column(rows(report)), numbers);
        const Dictionary outcome = result(report);
        QCOMPARE(outcome.value(QStringLiteral("OK")), QVariant(ok));
        // A cancelled keyword step writes "OK" alone; a load adds "Error".
        QCOMPARE(outcome.Exists(QStringLiteral("Error")), ok);
        QCOMPARE(m_messages->texts(), QStringList());
    }

    // Failures of a load: the window closes each time and the earlier rows stay.
    void failingLoads_data() { test::addDatabaseRows(); }
    void failingLoads()
    {
        if (!openDatabase({"delete from T_RepHeadCaption where FRepKey = 'SQL'"}))
            QSKIP(qPrintable(m_db->errorString()));
        answer({{"txtItemf0", "C"}});
        const Object report = createObject(QStringLiteral("VaroReportEngine.rptX"));
        request(report, QStringLiteral("PLUG"));
        const Vector earlier = rows(report);

        // The report plug-in is gone: a numbered message and "OK" false.
        unregisterClass(QStringLiteral("Test.Report"));
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(m_messages->texts(),
                 QStringList{"错误编号:429,错误描述:ActiveX component can't create object"});
        QCOMPARE(result(report).value(QStringLiteral("OK")), QVariant(false));
        QCOMPARE(rows(report), earlier);
        registerClass(QStringLiteral("Test.Report"), [] { return new TestReport; });

        // No header: the request still says true, and the load writes no "OK".
        m_messages->clear();
        request(report, QStringLiteral("SQL"));
        QVERIFY(!result(report).Exists(QStringLiteral("OK")));

        // An error after the filter plug-in's rows arrived is not the load's to catch: it
        // reaches Refresh's caller, here the request, which reports it.
        m_messages->clear();
        script.titleFails = true;
        request(report, QStringLiteral("FP"), false);
        QCOMPARE(m_messages->texts(), QStringList{"错误编号:5201,错误描述:no title"});
        QCOMPARE(result(report).value(QStringLiteral("OK")), QVariant(false));
        VARO_VERIFY_ERROR(report.call(QStringLiteral("Refresh")), 5201);
    }
};

VARO_TEST_MAIN(TestRptX)
#include "tst_rptx.moc"
