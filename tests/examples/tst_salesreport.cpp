// The report plug-ins of the sales library, loaded from it as the demo's catalogue names them
// and called by member name. "VaroDemo.SalesReport": the summary after the filter plug-in and
// the region report after the condition dialog (with the header argument or without) agree
// with totals computed here from the order lines and carry every column their headers name;
// the region report describes its own two columns once, in the header Vector it hands back.
// "VaroDemo.LegacyReport" refuses the three-argument GetRptVect and returns sales by
// salesperson with two. Both refuse bad input with an error instead of a crash.

#include "common/demoerrors.h"
#include "common/testsupport.h"
#include "demodatabase.h"
#include "demotesthelpers.h"
#include "platform/errornumbers.h"

#include <QTest>

using namespace varo;
using varo::demotest::SalesLine;
using varo::demotest::Totals;

namespace
{

const QString kSalesReport = QStringLiteral("VaroDemo.SalesReport");
const QString kLegacyReport = QStringLiteral("VaroDemo.LegacyReport");

Dictionary summaryCondition(const QString &from, const QString &to, const QString &region,
                            const QString &groupBy)
{
    Dictionary d = Dictionary::create();
    d.set(QStringLiteral("DateFrom"), from);
    d.set(QStringLiteral("DateTo"), to);
    d.set(QStringLiteral("Region"), region);
    d.set(QStringLiteral("GroupBy"), groupBy);
    return d;
}

bool inRegion(const SalesLine &l, const QString &region)
{
    return region.isEmpty() || region == QStringLiteral("全部") || l.region == region;
}

const QStringList kCustomerColumns = {"FCustNumber", "FCustName", "FRegion", "FCustID",
                                      "FOrderCount", "FQty",      "FAmount"};
const QStringList kItemColumns = {"FItemNumber", "FItemName", "FCategory", "FUnit",
                                  "FItemID",     "FQty",      "FAmount"};
const QStringList kRegionColumns = {"FRegion", "FEmpNumber", "FEmpName",  "FOrderCount",
                                    "FQty",    "FAmount",    "FAvgOrder", "FShare"};
const QStringList kLegacyColumns = {"FEmpNumber",  "FEmpName", "FCustCount",
                                    "FOrderCount", "FQty",     "FAmount"};

} // namespace

class TestSalesReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void summaryMatchesOrderLines_data();
    void summaryMatchesOrderLines();
    void regionReportMatchesOrderLines_data();
    void regionReportMatchesOrderLines();
    void legacyReportMatchesOrderLines_data();
    void legacyReportMatchesOrderLines();
    void badInputRaises_data();
    void badInputRaises();

private:
    demotest::DemoDatabases m_databases;
};

void TestSalesReport::summaryMatchesOrderLines_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("condition"); // DateFrom, DateTo, Region, GroupBy
    for (const QString &db : test::databaseKinds()) {
        test::databaseRow(db, "customers, both years")
            << QStringList{"2023-01-01", "2024-12-31", "全部", "CUST"};
        test::databaseRow(db, "customers of one region, one month")
            << QStringList{"2024-03-01", "2024-03-31", "华中", "CUST"};
        test::databaseRow(db, "items, one day")
            << QStringList{"2023-07-03", "2023-07-03", "", "ITEM"};
        test::databaseRow(db, "items of one region")
            << QStringList{"2023-01-01", "2023-12-31", "西南", "item"};
        test::databaseRow(db, "no sales in range")
            << QStringList{"2022-01-01", "2022-12-31", "", "CUST"};
    }
}

void TestSalesReport::summaryMatchesOrderLines()
{
    QFETCH(QString, database);
    QFETCH(QStringList, condition);
    const QString &from = condition[0], &to = condition[1], &region = condition[2];
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const bool byItem = condition[3].toUpper() == QLatin1String("ITEM");
    Object report;
    VARO_VERIFY_NO_ERROR(report = demotest::reportPlugin(conn, demo::kFilterPluginReport,
                                                         QStringLiteral("FRepPluginSvr")));
    QVariantList args{QVariant::fromValue(summaryCondition(from, to, region, condition[3])),
                      QVariant::fromValue(conn)};
    QVariant result;
    VARO_VERIFY_NO_ERROR(result = report.call(QStringLiteral("GetReportData"), args));
    const Vector rows = result.value<Vector>();

    // The header layout the serial picks names only fields the rows have.
    const QString serial = report.get(QStringLiteral("ReturnSerial")).toString();
    QCOMPARE(serial, byItem ? QStringLiteral("2") : QStringLiteral("1"));
    const QStringList columns = byItem ? kItemColumns : kCustomerColumns;
    for (const QString &c : demotest::visibleColumns(conn, demo::kFilterPluginReport, serial))
        QVERIFY2(columns.contains(c), qPrintable(c));
    QList<QStringList> expected;
    for (const Totals &t : demotest::totals(
             demotest::salesLines(conn),
             [&](const SalesLine &l) {
                 return l.date >= from && l.date <= to && inRegion(l, region);
             },
             [&](const SalesLine &l) {
                 return byItem ? QStringList{l.itemNumber, l.itemName, l.category, l.unit,
                                             QString::number(l.itemId)}
                               : QStringList{l.custNumber, l.custName, l.region,
                                             QString::number(l.custId)};
             }))
        expected.append(t.fields + (byItem ? t.sums().mid(1) : t.sums()));
    QCOMPARE(demotest::recordsTable(rows, columns), expected);

    // rs is the recordset the plug-in ran, back at its first row.
    const Recordset rs = report.get(QStringLiteral("rs")).value<Recordset>();
    QVERIFY(!rs.isNull());
    QCOMPARE(rs.RecordCount(), qsizetype(rows.Count()));
    QCOMPARE(rs.atEOF(), rows.Count() == 0);

    // Title lines name the dates, then the region ("全部" for every region).
    QStringList title;
    for (const QVariant &line :
         report.get(QStringLiteral("ReturnFilterTitle")).value<Vector>().items())
        title.append(line.value<Dictionary>().value(QStringLiteral("FCaption")).toString());
    QVERIFY2(title.size() == 3 && title[0].contains(from) && title[0].contains(to) &&
                 title[1].contains(region.isEmpty() ? QStringLiteral("全部") : region),
             qPrintable(title.join(u'|')));
}

void TestSalesReport::regionReportMatchesOrderLines_data()
{
    QTest::addColumn<QString>("database");
    // Dates from and to, customer codes from and to, and the region choice ("" for none).
    QTest::addColumn<QStringList>("bounds");
    for (const QString &db : test::databaseKinds()) {
        test::databaseRow(db, "everything") << QStringList{"2023-01-01", "2024-12-31", "", "", ""};
        test::databaseRow(db, "every region chosen")
            << QStringList{"2023-01-01", "2023-12-31", "", "", "全部"};
        test::databaseRow(db, "one region, one quarter")
            << QStringList{"2024-07-01", "2024-09-30", "", "", "华东"};
        test::databaseRow(db, "customer range")
            << QStringList{"2023-01-01", "2024-12-31", "C011", "C020", ""};
        test::databaseRow(db, "first day only")
            << QStringList{"2024-05-20", "2024-05-20", "", "", ""};
    }
}

void TestSalesReport::regionReportMatchesOrderLines()
{
    QFETCH(QString, database);
    QFETCH(QStringList, bounds);
    const QString &from = bounds[0], &to = bounds[1], &custFrom = bounds[2], &custTo = bounds[3],
                  &region = bounds[4];
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QString key = demo::kConditionPluginReport;
    const Dictionary values = demotest::conditionValues(conn, key,
                                                        {{"BEGINDATE", from},
                                                         {"ENDDATE", to},
                                                         {"CUSTFROM", custFrom},
                                                         {"CUSTTO", custTo},
                                                         {"REGION", region}});
    // By region (code point order) and salesperson, with the average order and the share of
    // the whole in two decimals.
    const QList<Totals> groups = demotest::totals(
        demotest::salesLines(conn),
        [&](const SalesLine &l) {
            return l.date >= from && l.date <= to &&
                   (custFrom.isEmpty() || l.custNumber >= custFrom) &&
                   (custTo.isEmpty() || l.custNumber <= custTo) && inRegion(l, region);
        },
        [](const SalesLine &l) {
            return QStringList{l.region, l.empNumber, l.empName};
        });
    qint64 total = 0;
    for (const Totals &t : groups)
        total += t.amount;
    QList<QStringList> expected;
    for (const Totals &t : groups)
        expected.append(t.fields + t.sums() +
                        QStringList{QString::number(double(t.amount) / t.orders.size(), 'f', 2),
                                    QString::number(t.amount * 100.0 / double(total), 'f', 2)});
    QVERIFY(!expected.isEmpty());

    // The engine's Vector may already hold items, and it hands the same Vector to every request
    // of a report object: the plug-in adds its two columns after the others, once. Called
    // without the header argument it gives the same rows.
    Object report;
    VARO_VERIFY_NO_ERROR(report =
                             demotest::reportPlugin(conn, key, QStringLiteral("FRepPluginSvr")));
    Vector header = Vector::create();
    Dictionary earlier = Dictionary::create();
    earlier.set(QStringLiteral("FColName"), QStringLiteral("FOther"));
    header.Add(QVariant::fromValue(earlier));
    for (int round = 0; round < 3; ++round) {
        QVariantList args{QVariant::fromValue(values), QVariant::fromValue(conn)};
        if (round < 2)
            args.append(QVariant::fromValue(header));
        QVariant rows;
        VARO_VERIFY_NO_ERROR(rows = report.call(QStringLiteral("GetRptVect"), args));
        QCOMPARE(demotest::recordsTable(rows.value<Vector>(), kRegionColumns), expected);
        QVERIFY(round == 2 || args.at(2).value<Vector>() == header);
        QCOMPARE(header.Count(), 3);
    }
    // The items describe visible columns that the rows have, as do the report's own.
    const QStringList keys = {"FColCaption", "FHeadSecond", "FColType", "FColName", "FVisible"};
    QStringList shown = demotest::visibleColumns(conn, key);
    for (int i = 1; i < header.Count(); ++i) {
        const Dictionary item = header.Item(i).value<Dictionary>();
        QCOMPARE(item.keys(), keys);
        QCOMPARE(item.value(QStringLiteral("FVisible")).toInt(), 1);
        QVERIFY(!item.value(QStringLiteral("FColCaption")).toString().isEmpty());
        shown.append(item.value(QStringLiteral("FColName")).toString());
    }
    QCOMPARE(shown.mid(shown.size() - 2), (QStringList{"FAvgOrder", "FShare"}));
    for (const QString &c : shown)
        QVERIFY2(kRegionColumns.contains(c), qPrintable(c));

    // Without a Vector to fill, the plug-in hands back one of its own.
    QVariantList args{QVariant::fromValue(values), QVariant::fromValue(conn), QVariant()};
    VARO_VERIFY_NO_ERROR(report.call(QStringLiteral("GetRptVect"), args));
    QCOMPARE(args.at(2).value<Vector>().Count(), 2);
}

void TestSalesReport::legacyReportMatchesOrderLines_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("bounds"); // dates from and to, salesperson codes from and to
    for (const QString &db : test::databaseKinds()) {
        test::databaseRow(db, "everyone, both years")
            << QStringList{"2023-01-01", "2024-12-31", "", ""};
        test::databaseRow(db, "salespersons E03 to E05, 2024")
            << QStringList{"2024-01-01", "2024-12-31", "E03", "E05"};
        test::databaseRow(db, "up to E02, one month")
            << QStringList{"2023-02-01", "2023-02-28", "", "E02"};
    }
}

void TestSalesReport::legacyReportMatchesOrderLines()
{
    QFETCH(QString, database);
    QFETCH(QStringList, bounds);
    const QString &from = bounds[0], &to = bounds[1], &empFrom = bounds[2], &empTo = bounds[3];
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QString key = demo::kLegacyPluginReport;
    const Dictionary values = demotest::conditionValues(
        conn, key, {{"BEGINDATE", from}, {"ENDDATE", to}, {"EMPFROM", empFrom}, {"EMPTO", empTo}});
    Object report;
    VARO_VERIFY_NO_ERROR(report =
                             demotest::reportPlugin(conn, key, QStringLiteral("FRepPluginSvr")));
    // The engine tries the call with the header argument first; this plug-in does not know it.
    QVariantList args{QVariant::fromValue(values), QVariant::fromValue(conn),
                      QVariant::fromValue(Vector::create())};
    VARO_VERIFY_ERROR(report.call(QStringLiteral("GetRptVect"), args),
                      ErrorNumber::WrongArgumentCount);
    args.removeLast();
    QVariant result;
    VARO_VERIFY_NO_ERROR(result = report.call(QStringLiteral("GetRptVect"), args));

    QList<QStringList> expected;
    for (const Totals &t : demotest::totals(
             demotest::salesLines(conn),
             [&](const SalesLine &l) {
                 return l.date >= from && l.date <= to &&
                        (empFrom.isEmpty() || l.empNumber >= empFrom) &&
                        (empTo.isEmpty() || l.empNumber <= empTo);
             },
             [](const SalesLine &l) {
                 return QStringList{l.empNumber, l.empName};
             }))
        expected.append(t.fields + QStringList{QString::number(t.customers.size())} + t.sums());
    QVERIFY(!expected.isEmpty());
    QCOMPARE(demotest::recordsTable(result.value<Vector>(), kLegacyColumns), expected);
    for (const QString &c : demotest::visibleColumns(conn, key))
        QVERIFY2(kLegacyColumns.contains(c), qPrintable(c));
}

void TestSalesReport::badInputRaises_data()
{
    QTest::addColumn<QString>("member"); // ProgID.member
    QTest::addColumn<QVariant>("condition");
    QTest::addColumn<bool>("withConnection");
    QTest::addColumn<QVariant>("header"); // none: the call without the header argument
    QTest::addColumn<int>("error");
    const QString summary = kSalesReport + QStringLiteral(".GetReportData");
    const QString region = kSalesReport + QStringLiteral(".GetRptVect");
    const QString legacy = kLegacyReport + QStringLiteral(".GetRptVect");
    const QVariant none;
    const int invalid = demo::ErrorNumber::InvalidArgument;
    auto summaryOf = [](const char *from, const char *groupBy) {
        return QVariant::fromValue(summaryCondition(from, "2023-12-31", {}, groupBy));
    };
    Dictionary values = Dictionary::create();
    values.set(QStringLiteral("strFilter"), QString());
    const QVariant goodValues = QVariant::fromValue(values);
    Dictionary broken = Dictionary::create();
    broken.set(QStringLiteral("strFilter"), QStringLiteral("BEGINDATE|o.FNoSuchColumn>=1"));
    const QVariant header = QVariant::fromValue(Vector::create());

    QTest::newRow("summary without condition") << summary << none << true << none << invalid;
    QTest::newRow("summary with an empty Dictionary handle")
        << summary << QVariant::fromValue(Dictionary()) << true << none << invalid;
    QTest::newRow("summary without dates")
        << summary << QVariant::fromValue(Dictionary::create()) << true << none << invalid;
    QTest::newRow("summary with a month 13")
        << summary << summaryOf("2023-13-01", "") << true << none << invalid;
    QTest::newRow("summary grouped by something else")
        << summary << summaryOf("2023-01-01", "REGION") << true << none << invalid;
    QTest::newRow("summary without connection")
        << summary << summaryOf("2023-01-01", "") << false << none << invalid;
    QTest::newRow("region report without condition values")
        << region << none << true << header << invalid;
    QTest::newRow("region report without connection")
        << region << goodValues << false << header << invalid;
    QTest::newRow("region report with a text header")
        << region << goodValues << true << QVariant(QStringLiteral("FAmount")) << invalid;
    QTest::newRow("two-argument region report without connection")
        << region << goodValues << false << none << invalid;
    // The server's refusal comes through as the provider error.
    QTest::newRow("region report with a broken condition")
        << region << QVariant::fromValue(broken) << true << none << int(ErrorNumber::ProviderError);
    QTest::newRow("legacy report with condition values as text")
        << legacy << QVariant(QStringLiteral("BEGINDATE|1=1")) << true << none << invalid;
    QTest::newRow("legacy report without connection")
        << legacy << goodValues << false << none << invalid;
}

void TestSalesReport::badInputRaises()
{
    QFETCH(QString, member);
    QFETCH(QVariant, condition);
    QFETCH(bool, withConnection);
    QFETCH(QVariant, header);
    QFETCH(int, error);
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    const QString progId = member.section(u'.', 0, 1);
    Object report = demotest::createDemoObject(progId);
    QVariantList args{condition, QVariant::fromValue(withConnection ? conn : Connection())};
    if (header.isValid())
        args.append(header);
    const auto raised = test::errorOf([&] { report.call(member.section(u'.', 2), args); });
    QVERIFY(raised.has_value());
    QCOMPARE(raised->number(), error);
    if (error == demo::ErrorNumber::InvalidArgument)
        QVERIFY2(raised->description().contains(member), qPrintable(raised->description()));
    // Nothing of a failed call is left behind as if it had run.
    if (progId == kSalesReport)
        QVERIFY(!report.get(QStringLiteral("rs")).isValid());
}

VARO_TEST_MAIN(TestSalesReport)
#include "tst_salesreport.moc"
