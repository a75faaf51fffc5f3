// rptX's own steps, called by name as a host calls them, on SQLite and PostgreSQL: the
// definition connection handed back, reloading with the same filter, the state a cancelled
// filter plug-in leaves, the host's report number from ICReport, the automatic keyword step,
// and loads that fail in each of the ways the object distinguishes.
#include "common/fakes.h"
#include "common/reportfixture.h"
#include "platform/variant.h"
#include "server/classfactory.h"

#include <QApplication>
#include <QTest>

using namespace varo;
using test::column;
using test::rowsOf;
using test::ScriptedFilter;

namespace
{

const QStringList kProgress{"正在连接服务器", "正在从服务器读取数据..."};

bool progressWindowUp()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"frmProgBar" && w->isVisible())
            return true;
    }
    return false;
}

Object create()
{
    return createObject(QStringLiteral("VaroReportEngine.rptX"));
}

} // namespace

class TestRptX : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { server::registerClasses(); }
    void cleanup() { QVERIFY(!progressWindowUp()); }

    // Given the SQL connection alone, the definitions are read from it too, and the caller's
    // variable receives it. Reloading, by GetReportData without arguments or by Refresh, runs
    // the same filter on the data as it is now; ShowFilter changes the filter for the next load.
    void reload_data() { test::addDatabaseRows(); }
    void reload()
    {
        VARO_REPORT_FIXTURE(f);
        f.answer({{"txtItemf0", "B"}});
        const Object report = create();
        QVariantList args{"SQL", QVariant::fromValue(f.connection()), QVariant()};
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(objectFrom<Connection>(args.at(2)), f.connection());

        f.connection().Execute(QStringLiteral("insert into T_Items values ('D', 4)"));
        f.progress.clear();
        QVariantList none;
        QCOMPARE(report.call(QStringLiteral("GetReportData"), none), QVariant(false));
        QCOMPARE(column(rowsOf(report)), (QStringList{"B", "C", "D", "合计："}));
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(f.progress, kProgress);
        QCOMPARE(f.dialogs, 1);

        f.answer({{"txtItemf0", "C"}});
        QCOMPARE(report.call(QStringLiteral("ShowFilter")), QVariant(true));
        f.connection().Execute(QStringLiteral("delete from T_Items where FNumber = 'D'"));
        QCOMPARE(report.call(QStringLiteral("Refresh")), QVariant());
        QCOMPARE(column(rowsOf(report)), (QStringList{"C", "合计："}));
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
        const Object report = create();
        ScriptedFilter::script().sure = false;
        QCOMPARE(f.request(report, QStringLiteral("FP")), QVariant(false));
        QVERIFY(f.progress.isEmpty());
        QCOMPARE(f.request(report, QStringLiteral("SQL")), QVariant(false));
        QCOMPARE(report.get(QStringLiteral("RptKey")), QVariant("FP"));
        QCOMPARE(f.dialogs, 0);
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(f.progress, QStringList{kProgress.first()});
        QVERIFY(rowsOf(report).isNull());

        // ShowFilter(False) is ShowFilter(True): the flag is not consulted.
        ScriptedFilter::script().sure = true;
        QVariantList autoFilter{false};
        QCOMPARE(report.call(QStringLiteral("ShowFilter"), autoFilter), QVariant(true));
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(column(rowsOf(report)), QStringList{"F"});
        QCOMPARE(f.request(report, QStringLiteral("SQL")), QVariant(true));
        QCOMPARE(column(rowsOf(report)), (QStringList{"B", "C", "合计："}));
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
        const Object report = create();
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
        const Object report = create();
        QCOMPARE(f.request(report, QStringLiteral("KW")), QVariant(!numbers.isEmpty()));
        QCOMPARE(f.offered, offered);
        QCOMPARE(column(rowsOf(report)), numbers);
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
        const Object report = create();
        QCOMPARE(f.request(report, QStringLiteral("PLUG")), QVariant(true));
        const Vector earlier = rowsOf(report);

        // The report plug-in is gone: a numbered message and "OK" false.
        unregisterClass(QStringLiteral("Test.Report"));
        report.call(QStringLiteral("Refresh"));
        QCOMPARE(f.messages.texts(),
                 QStringList{"错误编号:429,错误描述:ActiveX component can't create object"});
        QCOMPARE(test::resultOf(report).value(QStringLiteral("OK")), QVariant(false));
        QCOMPARE(rowsOf(report), earlier);
        ScriptedFilter::install();

        // No header (and, on a new object, no plug-in columns): the request still says true,
        // and the load writes no "OK".
        f.messages.clear();
        const Object other = create();
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

VARO_TEST_MAIN(TestRptX)
#include "tst_rptx.moc"
