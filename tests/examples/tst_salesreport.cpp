// "VaroDemo.SalesReport", loaded from its plug-in library and called by member name: the summary
// after the filter plug-in and the region report after the condition dialog agree with totals
// computed here from the order lines, carry every column their headers name, describe the
// plug-in's own columns once, and refuse bad input with an error instead of a crash.

#include "common/demoerrors.h"
#include "common/testsupport.h"
#include "demodatabase.h"
#include "demotesthelpers.h"
#include "platform/errornumbers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QMap>
#include <QSet>
#include <QTest>

using namespace varo;
using varo::demotest::SalesLine;
using varo::demotest::TextTable;

namespace
{

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

struct Totals {
    QStringList fields;
    QSet<int> orders;
    qint64 qty = 0;
    qint64 amount = 0;
};

// The summary as the plug-in should compute it: by customer or by item, ordered by code.
QList<QStringList> expectedSummary(const QList<SalesLine> &lines, const QString &from,
                                   const QString &to, const QString &region, bool byItem)
{
    QMap<QString, Totals> groups;
    for (const SalesLine &l : lines) {
        if (l.date < from || l.date > to || !inRegion(l, region))
            continue;
        Totals &t = groups[byItem ? l.itemNumber : l.custNumber];
        t.fields = byItem
                       ? QStringList{l.itemNumber, l.itemName, l.category, l.unit,
                                     QString::number(l.itemId)}
                       : QStringList{l.custNumber, l.custName, l.region, QString::number(l.custId)};
        t.orders.insert(l.orderId);
        t.qty += l.qty;
        t.amount += l.amount;
    }
    QList<QStringList> rows;
    for (const Totals &t : groups) {
        QStringList row = t.fields;
        if (!byItem)
            row.append(QString::number(t.orders.size()));
        row << QString::number(t.qty) << QString::number(t.amount);
        rows.append(row);
    }
    return rows;
}

const QStringList kCustomerColumns = {QStringLiteral("FCustNumber"), QStringLiteral("FCustName"),
                                      QStringLiteral("FRegion"),     QStringLiteral("FCustID"),
                                      QStringLiteral("FOrderCount"), QStringLiteral("FQty"),
                                      QStringLiteral("FAmount")};
const QStringList kItemColumns = {QStringLiteral("FItemNumber"), QStringLiteral("FItemName"),
                                  QStringLiteral("FCategory"),   QStringLiteral("FUnit"),
                                  QStringLiteral("FItemID"),     QStringLiteral("FQty"),
                                  QStringLiteral("FAmount")};
const QStringList kRegionColumns = {QStringLiteral("FRegion"),   QStringLiteral("FEmpNumber"),
                                    QStringLiteral("FEmpName"),  QStringLiteral("FOrderCount"),
                                    QStringLiteral("FQty"),      QStringLiteral("FAmount"),
                                    QStringLiteral("FAvgOrder"), QStringLiteral("FShare")};

// The region report as the plug-in should compute it: by region (code point order) and
// salesperson, with the average order and the share of the whole in two decimals.
QList<QStringList> expectedRegionSales(const QList<SalesLine> &lines,
                                       const std::function<bool(const SalesLine &)> &accepts,
                                       const QString &region)
{
    QMap<QPair<QString, QString>, Totals> groups;
    qint64 total = 0;
    for (const SalesLine &l : lines) {
        if (!accepts(l) || !inRegion(l, region))
            continue;
        Totals &t = groups[{l.region, l.empNumber}];
        t.fields = {l.region, l.empNumber, l.empName};
        t.orders.insert(l.orderId);
        t.qty += l.qty;
        t.amount += l.amount;
        total += l.amount;
    }
    QList<QStringList> rows;
    for (const Totals &t : groups)
        rows.append(t.fields +
                    QStringList{QString::number(t.orders.size()), QString::number(t.qty),
                                QString::number(t.amount),
                                QString::number(double(t.amount) / t.orders.size(), 'f', 2),
                                QString::number(t.amount * 100.0 / double(total), 'f', 2)});
    return rows;
}

Vector rowsOf(const QVariant &v)
{
    return v.value<Vector>();
}

} // namespace

class TestSalesReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void newReportHoldsNothing();
    void summaryMatchesOrderLines_data();
    void summaryMatchesOrderLines();
    void filterPluginFeedsReportPlugin();
    void regionReportMatchesOrderLines_data();
    void regionReportMatchesOrderLines();
    void pluginColumnsAreDescribedOnce();
    void twoArgumentFormGivesSameRows();
    void badInputRaises_data();
    void badInputRaises();
    void brokenConditionReportsProviderError();

private:
    demotest::DemoDatabases m_databases;
};

void TestSalesReport::newReportHoldsNothing()
{
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));
    QVERIFY(!report.get(QStringLiteral("rs")).isValid());
    QCOMPARE(report.get(QStringLiteral("ReturnSerial")).toString(), QString());
    const Vector title = report.get(QStringLiteral("ReturnFilterTitle")).value<Vector>();
    QVERIFY(!title.isNull());
    QCOMPARE(title.Count(), 0);
}

void TestSalesReport::summaryMatchesOrderLines_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("groupBy");
    for (const QString &db : test::databaseKinds()) {
        QTest::addRow("%s/customers, both years", qPrintable(db))
            << db << QStringLiteral("2023-01-01") << QStringLiteral("2024-12-31")
            << QStringLiteral("全部") << QStringLiteral("CUST");
        QTest::addRow("%s/customers of one region, one month", qPrintable(db))
            << db << QStringLiteral("2024-03-01") << QStringLiteral("2024-03-31")
            << QStringLiteral("华中") << QStringLiteral("CUST");
        QTest::addRow("%s/items, one day", qPrintable(db))
            << db << QStringLiteral("2023-07-03") << QStringLiteral("2023-07-03") << QString()
            << QStringLiteral("ITEM");
        QTest::addRow("%s/items of one region", qPrintable(db))
            << db << QStringLiteral("2023-01-01") << QStringLiteral("2023-12-31")
            << QStringLiteral("西南") << QStringLiteral("item");
        QTest::addRow("%s/no sales in range", qPrintable(db))
            << db << QStringLiteral("2022-01-01") << QStringLiteral("2022-12-31") << QString()
            << QStringLiteral("CUST");
    }
}

void TestSalesReport::summaryMatchesOrderLines()
{
    QFETCH(QString, database);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, region);
    QFETCH(QString, groupBy);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const bool byItem = groupBy.toUpper() == QLatin1String("ITEM");
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));
    QVariantList args{QVariant::fromValue(summaryCondition(from, to, region, groupBy)),
                      demotest::connectionArg(conn)};
    QVariant result;
    VARO_VERIFY_NO_ERROR(result = report.call(QStringLiteral("GetReportData"), args));
    const Vector rows = rowsOf(result);
    QVERIFY(!rows.isNull());

    const QString serial = report.get(QStringLiteral("ReturnSerial")).toString();
    QCOMPARE(serial, byItem ? QStringLiteral("2") : QStringLiteral("1"));
    const QStringList columns = byItem ? kItemColumns : kCustomerColumns;
    // The header layout the serial picks names only fields the rows have.
    for (const QString &c : demotest::visibleColumns(conn, demo::kFilterPluginReport, serial))
        QVERIFY2(columns.contains(c), qPrintable(c));
    QCOMPARE(demotest::recordsTable(rows, columns).rows,
             expectedSummary(demotest::salesLines(conn), from, to, region, byItem));

    // rs is the recordset the plug-in ran, back at its first row.
    const Recordset rs = report.get(QStringLiteral("rs")).value<Recordset>();
    QVERIFY(!rs.isNull());
    QCOMPARE(rs.RecordCount(), qsizetype(rows.Count()));
    QCOMPARE(rs.atEOF(), rows.Count() == 0);

    const Vector title = report.get(QStringLiteral("ReturnFilterTitle")).value<Vector>();
    QCOMPARE(title.Count(), 3);
    for (int i = 0; i < title.Count(); ++i) {
        const Dictionary line = title.Item(i).value<Dictionary>();
        QCOMPARE(line.value(QStringLiteral("FIndex")).toInt(), i);
        QVERIFY(!line.value(QStringLiteral("FCaption")).toString().isEmpty());
    }
    QVERIFY(title.Item(0)
                .value<Dictionary>()
                .value(QStringLiteral("FCaption"))
                .toString()
                .contains(from));
    QVERIFY(title.Item(1)
                .value<Dictionary>()
                .value(QStringLiteral("FCaption"))
                .toString()
                .contains(region.isEmpty() ? QStringLiteral("全部") : region));
}

void TestSalesReport::filterPluginFeedsReportPlugin()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Object filter = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesFilter"));
    test::ScopedModalDriver driver(demotest::answering([](QDialog *d) {
        auto *from = demotest::child<QDateEdit>(d, "dtpFrom");
        auto *to = demotest::child<QDateEdit>(d, "dtpTo");
        auto *region = demotest::child<QComboBox>(d, "cmbRegion");
        auto *group = demotest::child<QComboBox>(d, "cmbGroup");
        QVERIFY(from && to && region && group);
        from->setDate(QDate(2024, 1, 1));
        to->setDate(QDate(2024, 6, 30));
        region->setCurrentIndex(region->findText(QStringLiteral("华南")));
        group->setCurrentIndex(group->findText(QStringLiteral("按商品")));
        demotest::press(d, "cmdOK");
    }));
    QVariantList show{QVariant(), demotest::connectionArg(conn)};
    VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), show));
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(true));

    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));
    QVariantList args{filter.get(QStringLiteral("ReturnCondition")), show.at(1)};
    QVariant result;
    VARO_VERIFY_NO_ERROR(result = report.call(QStringLiteral("GetReportData"), args));
    QCOMPARE(report.get(QStringLiteral("ReturnSerial")).toString(), QStringLiteral("2"));
    QCOMPARE(demotest::recordsTable(rowsOf(result), kItemColumns).rows,
             expectedSummary(demotest::salesLines(conn), QStringLiteral("2024-01-01"),
                             QStringLiteral("2024-06-30"), QStringLiteral("华南"), true));
}

void TestSalesReport::regionReportMatchesOrderLines_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("custFrom");
    QTest::addColumn<QString>("custTo");
    QTest::addColumn<QString>("region"); // the choice box; "" when nothing was chosen
    for (const QString &db : test::databaseKinds()) {
        QTest::addRow("%s/everything", qPrintable(db))
            << db << QStringLiteral("2023-01-01") << QStringLiteral("2024-12-31") << QString()
            << QString() << QString();
        QTest::addRow("%s/every region chosen", qPrintable(db))
            << db << QStringLiteral("2023-01-01") << QStringLiteral("2023-12-31") << QString()
            << QString() << QStringLiteral("全部");
        QTest::addRow("%s/one region, one quarter", qPrintable(db))
            << db << QStringLiteral("2024-07-01") << QStringLiteral("2024-09-30") << QString()
            << QString() << QStringLiteral("华东");
        QTest::addRow("%s/customer range", qPrintable(db))
            << db << QStringLiteral("2023-01-01") << QStringLiteral("2024-12-31")
            << QStringLiteral("C011") << QStringLiteral("C020") << QString();
        QTest::addRow("%s/first day only", qPrintable(db))
            << db << QStringLiteral("2024-05-20") << QStringLiteral("2024-05-20") << QString()
            << QString() << QString();
    }
}

void TestSalesReport::regionReportMatchesOrderLines()
{
    QFETCH(QString, database);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, custFrom);
    QFETCH(QString, custTo);
    QFETCH(QString, region);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QString key = demo::kConditionPluginReport;
    Dictionary values = demotest::conditionValues(demotest::filterRows(conn, key),
                                                  {{QStringLiteral("BEGINDATE"), from},
                                                   {QStringLiteral("ENDDATE"), to},
                                                   {QStringLiteral("CUSTFROM"), custFrom},
                                                   {QStringLiteral("CUSTTO"), custTo}});
    values.set(QStringLiteral("REGION"), region);

    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));
    QVariantList args{QVariant::fromValue(values), demotest::connectionArg(conn),
                      QVariant::fromValue(Vector::create())};
    QVariant result;
    VARO_VERIFY_NO_ERROR(result = report.call(QStringLiteral("GetRptVect"), args));
    const Vector rows = rowsOf(result);
    auto accepts = [&](const SalesLine &l) {
        return l.date >= from && l.date <= to && (custFrom.isEmpty() || l.custNumber >= custFrom) &&
               (custTo.isEmpty() || l.custNumber <= custTo);
    };
    const QList<QStringList> expected =
        expectedRegionSales(demotest::salesLines(conn), accepts, region);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(demotest::recordsTable(rows, kRegionColumns).rows, expected);

    // Every visible column of the report's own header and of the plug-in's items is in the rows.
    QStringList shown = demotest::visibleColumns(conn, key);
    for (const QVariant &item : args.at(2).value<Vector>().items())
        shown.append(item.value<Dictionary>().value(QStringLiteral("FColName")).toString());
    for (const QString &c : shown)
        QVERIFY2(kRegionColumns.contains(c), qPrintable(c));
}

void TestSalesReport::pluginColumnsAreDescribedOnce()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    const Dictionary values =
        demotest::conditionValues(demotest::filterRows(conn, demo::kConditionPluginReport),
                                  {{QStringLiteral("BEGINDATE"), QStringLiteral("2024-01-01")},
                                   {QStringLiteral("ENDDATE"), QStringLiteral("2024-01-31")}});
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));

    // The engine's Vector may already hold items; the plug-in adds its two after them.
    Vector header = Vector::create();
    Dictionary earlier = Dictionary::create();
    earlier.set(QStringLiteral("FColName"), QStringLiteral("FOther"));
    header.Add(QVariant::fromValue(earlier));
    for (int round = 0; round < 2; ++round) {
        QVariantList args{QVariant::fromValue(values), demotest::connectionArg(conn),
                          QVariant::fromValue(header)};
        VARO_VERIFY_NO_ERROR(report.call(QStringLiteral("GetRptVect"), args));
        QVERIFY(args.at(2).value<Vector>() == header);
        QCOMPARE(header.Count(), 3);
    }
    const QStringList keys = {QStringLiteral("FColCaption"), QStringLiteral("FHeadSecond"),
                              QStringLiteral("FColType"), QStringLiteral("FColName"),
                              QStringLiteral("FVisible")};
    QSet<QString> names;
    for (int i = 1; i < header.Count(); ++i) {
        const Dictionary item = header.Item(i).value<Dictionary>();
        QCOMPARE(item.keys(), keys);
        QCOMPARE(item.value(QStringLiteral("FVisible")).toInt(), 1);
        QVERIFY(!item.value(QStringLiteral("FColCaption")).toString().isEmpty());
        names.insert(item.value(QStringLiteral("FColName")).toString());
    }
    QCOMPARE(names, (QSet<QString>{QStringLiteral("FAvgOrder"), QStringLiteral("FShare")}));

    // Without a Vector to fill, the plug-in hands back one of its own.
    QVariantList args{QVariant::fromValue(values), demotest::connectionArg(conn), QVariant()};
    VARO_VERIFY_NO_ERROR(report.call(QStringLiteral("GetRptVect"), args));
    QCOMPARE(args.at(2).value<Vector>().Count(), 2);
}

void TestSalesReport::twoArgumentFormGivesSameRows()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    const Dictionary values =
        demotest::conditionValues(demotest::filterRows(conn, demo::kConditionPluginReport),
                                  {{QStringLiteral("BEGINDATE"), QStringLiteral("2023-05-01")},
                                   {QStringLiteral("ENDDATE"), QStringLiteral("2023-08-31")},
                                   {QStringLiteral("CUSTFROM"), QStringLiteral("C004")}});
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));
    QVariantList three{QVariant::fromValue(values), demotest::connectionArg(conn),
                       QVariant::fromValue(Vector::create())};
    QVariantList two{QVariant::fromValue(values), demotest::connectionArg(conn)};
    QVariant a, b;
    VARO_VERIFY_NO_ERROR(a = report.call(QStringLiteral("GetRptVect"), three));
    VARO_VERIFY_NO_ERROR(b = report.call(QStringLiteral("GetRptVect"), two));
    QVERIFY(rowsOf(a).Count() > 0);
    QCOMPARE(demotest::recordsTable(rowsOf(b), kRegionColumns).rows,
             demotest::recordsTable(rowsOf(a), kRegionColumns).rows);
}

void TestSalesReport::badInputRaises_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QVariant>("condition");
    QTest::addColumn<bool>("withConnection");
    QTest::addColumn<QVariant>("header"); // invalid: the two-argument form
    const QVariant none;
    const QVariant goodSummary = QVariant::fromValue(summaryCondition(
        QStringLiteral("2023-01-01"), QStringLiteral("2023-12-31"), QString(), QString()));
    Dictionary conditionValues = Dictionary::create();
    conditionValues.set(QStringLiteral("strFilter"), QString());
    const QVariant goodValues = QVariant::fromValue(conditionValues);
    const QVariant header = QVariant::fromValue(Vector::create());

    QTest::newRow("summary without condition") << "GetReportData" << none << true << none;
    QTest::newRow("summary with a text condition")
        << "GetReportData" << QVariant(QStringLiteral("2023")) << true << none;
    QTest::newRow("summary with an empty Dictionary handle")
        << "GetReportData" << QVariant::fromValue(Dictionary()) << true << none;
    QTest::newRow("summary without dates")
        << "GetReportData" << QVariant::fromValue(Dictionary::create()) << true << none;
    QTest::newRow("summary with a month 13")
        << "GetReportData"
        << QVariant::fromValue(summaryCondition(QStringLiteral("2023-13-01"),
                                                QStringLiteral("2023-12-31"), QString(), QString()))
        << true << none;
    QTest::newRow("summary grouped by something else")
        << "GetReportData"
        << QVariant::fromValue(summaryCondition(QStringLiteral("2023-01-01"),
                                                QStringLiteral("2023-12-31"), QString(),
                                                QStringLiteral("REGION")))
        << true << none;
    QTest::newRow("summary without connection") << "GetReportData" << goodSummary << false << none;
    QTest::newRow("region report without condition values")
        << "GetRptVect" << none << true << header;
    QTest::newRow("region report without connection")
        << "GetRptVect" << goodValues << false << header;
    QTest::newRow("region report with a text header")
        << "GetRptVect" << goodValues << true << QVariant(QStringLiteral("FAmount"));
    QTest::newRow("two-argument region report without connection")
        << "GetRptVect" << goodValues << false << none;
}

void TestSalesReport::badInputRaises()
{
    QFETCH(QString, member);
    QFETCH(QVariant, condition);
    QFETCH(bool, withConnection);
    QFETCH(QVariant, header);
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));
    QVariantList args{condition, withConnection ? demotest::connectionArg(conn)
                                                : QVariant::fromValue(Connection())};
    if (header.isValid())
        args.append(header);
    const auto error = test::errorOf([&] { report.call(member, args); });
    QVERIFY(error.has_value());
    QCOMPARE(error->number(), demo::ErrorNumber::InvalidArgument);
    QVERIFY2(error->description().contains(member), qPrintable(error->description()));
    // Nothing of a failed call is left behind as if it had run.
    QVERIFY(!report.get(QStringLiteral("rs")).isValid());
}

void TestSalesReport::brokenConditionReportsProviderError()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Dictionary values = Dictionary::create();
    values.set(QStringLiteral("strFilter"), QStringLiteral("BEGINDATE|o.FNoSuchColumn>=1"));
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesReport"));
    QVariantList args{QVariant::fromValue(values), demotest::connectionArg(conn)};
    VARO_VERIFY_ERROR(report.call(QStringLiteral("GetRptVect"), args), ErrorNumber::ProviderError);
}

VARO_TEST_MAIN(TestSalesReport)
#include "tst_salesreport.moc"
