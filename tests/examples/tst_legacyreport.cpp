// "VaroDemo.LegacyReport", loaded from its plug-in library: it knows only the two-argument
// GetRptVect, so the three-argument call the engine tries first fails with "wrong number of
// arguments" and leaves the header alone; the two-argument call returns sales by salesperson
// that agree with totals computed here from the order lines.

#include "common/demoerrors.h"
#include "common/testsupport.h"
#include "demodatabase.h"
#include "demotesthelpers.h"
#include "platform/errornumbers.h"

#include <QMap>
#include <QSet>
#include <QTest>

using namespace varo;
using varo::demotest::SalesLine;

namespace
{

const QStringList kColumns = {QStringLiteral("FEmpNumber"), QStringLiteral("FEmpName"),
                              QStringLiteral("FCustCount"), QStringLiteral("FOrderCount"),
                              QStringLiteral("FQty"),       QStringLiteral("FAmount")};

QList<QStringList> expectedRows(const QList<SalesLine> &lines, const QString &from,
                                const QString &to, const QString &empFrom, const QString &empTo)
{
    struct Totals {
        QString name;
        QSet<QString> customers;
        QSet<int> orders;
        qint64 qty = 0, amount = 0;
    };
    QMap<QString, Totals> byEmployee;
    for (const SalesLine &l : lines) {
        if (l.date < from || l.date > to || (!empFrom.isEmpty() && l.empNumber < empFrom) ||
            (!empTo.isEmpty() && l.empNumber > empTo))
            continue;
        Totals &t = byEmployee[l.empNumber];
        t.name = l.empName;
        t.customers.insert(l.custNumber);
        t.orders.insert(l.orderId);
        t.qty += l.qty;
        t.amount += l.amount;
    }
    QList<QStringList> rows;
    for (auto it = byEmployee.cbegin(); it != byEmployee.cend(); ++it)
        rows.append({it.key(), it->name, QString::number(it->customers.size()),
                     QString::number(it->orders.size()), QString::number(it->qty),
                     QString::number(it->amount)});
    return rows;
}

} // namespace

class TestLegacyReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void threeArgumentCallIsRefused();
    void rowsMatchOrderLines_data();
    void rowsMatchOrderLines();
    void badInputRaises_data();
    void badInputRaises();

private:
    demotest::DemoDatabases m_databases;
};

void TestLegacyReport::threeArgumentCallIsRefused()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.LegacyReport"));
    const Dictionary values =
        demotest::conditionValues(demotest::filterRows(conn, demo::kLegacyPluginReport),
                                  {{QStringLiteral("BEGINDATE"), QStringLiteral("2023-01-01")},
                                   {QStringLiteral("ENDDATE"), QStringLiteral("2023-12-31")}});
    const Vector header = Vector::create();
    QVariantList args{QVariant::fromValue(values), demotest::connectionArg(conn),
                      QVariant::fromValue(header)};
    VARO_VERIFY_ERROR(report.call(QStringLiteral("GetRptVect"), args),
                      ErrorNumber::WrongArgumentCount);
    QCOMPARE(header.Count(), 0);

    // The retry with two arguments is what the engine then uses.
    args.removeLast();
    QVariant rows;
    VARO_VERIFY_NO_ERROR(rows = report.call(QStringLiteral("GetRptVect"), args));
    QVERIFY(rows.value<Vector>().Count() > 0);
}

void TestLegacyReport::rowsMatchOrderLines_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("empFrom");
    QTest::addColumn<QString>("empTo");
    for (const QString &db : test::databaseKinds()) {
        QTest::addRow("%s/everyone, both years", qPrintable(db))
            << db << QStringLiteral("2023-01-01") << QStringLiteral("2024-12-31") << QString()
            << QString();
        QTest::addRow("%s/salespersons E03 to E05, 2024", qPrintable(db))
            << db << QStringLiteral("2024-01-01") << QStringLiteral("2024-12-31")
            << QStringLiteral("E03") << QStringLiteral("E05");
        QTest::addRow("%s/up to E02, one month", qPrintable(db))
            << db << QStringLiteral("2023-02-01") << QStringLiteral("2023-02-28") << QString()
            << QStringLiteral("E02");
    }
}

void TestLegacyReport::rowsMatchOrderLines()
{
    QFETCH(QString, database);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, empFrom);
    QFETCH(QString, empTo);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QString key = demo::kLegacyPluginReport;
    const Dictionary values = demotest::conditionValues(demotest::filterRows(conn, key),
                                                        {{QStringLiteral("BEGINDATE"), from},
                                                         {QStringLiteral("ENDDATE"), to},
                                                         {QStringLiteral("EMPFROM"), empFrom},
                                                         {QStringLiteral("EMPTO"), empTo}});
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.LegacyReport"));
    QVariantList args{QVariant::fromValue(values), demotest::connectionArg(conn)};
    QVariant result;
    VARO_VERIFY_NO_ERROR(result = report.call(QStringLiteral("GetRptVect"), args));
    const QList<QStringList> expected =
        expectedRows(demotest::salesLines(conn), from, to, empFrom, empTo);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(demotest::recordsTable(result.value<Vector>(), kColumns).rows, expected);
    for (const QString &c : demotest::visibleColumns(conn, key))
        QVERIFY2(kColumns.contains(c), qPrintable(c));
}

void TestLegacyReport::badInputRaises_data()
{
    QTest::addColumn<QVariant>("condition");
    QTest::addColumn<QVariant>("sqlConn");
    QTest::newRow("no condition values") << QVariant() << QVariant(QStringLiteral("demo"));
    QTest::newRow("condition values as text")
        << QVariant(QStringLiteral("BEGINDATE|1=1")) << QVariant(QStringLiteral("demo"));
    QTest::newRow("no connection") << QVariant::fromValue(Dictionary::create()) << QVariant();
    QTest::newRow("empty connection")
        << QVariant::fromValue(Dictionary::create()) << QVariant::fromValue(Connection());
}

void TestLegacyReport::badInputRaises()
{
    QFETCH(QVariant, condition);
    QFETCH(QVariant, sqlConn);
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    if (sqlConn == QVariant(QStringLiteral("demo")))
        sqlConn = demotest::connectionArg(conn);
    Object report = demotest::createDemoObject(QStringLiteral("VaroDemo.LegacyReport"));
    QVariantList args{condition, sqlConn};
    const auto error = test::errorOf([&] { report.call(QStringLiteral("GetRptVect"), args); });
    QVERIFY(error.has_value());
    QCOMPARE(error->number(), demo::ErrorNumber::InvalidArgument);
    QVERIFY2(error->description().contains(QStringLiteral("LegacyReport")),
             qPrintable(error->description()));
}

VARO_TEST_MAIN(TestLegacyReport)
#include "tst_legacyreport.moc"
