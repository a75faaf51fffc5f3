// "VaroDemo.SalesFilter", loaded from its plug-in library and called by member name: its window
// offers the regions of the business data, hands back what was chosen as a Dictionary, and
// reports a cancel; bad connections are refused before any window opens.

#include "common/demoerrors.h"
#include "common/testsupport.h"
#include "demotesthelpers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

using namespace varo;

namespace
{

struct Choice {
    QDate from;
    QDate to;
    QString region;
    QString group;
};

// Fills the filter window by object name and presses a button.
std::function<void(QDialog *)> choose(const Choice &c, const char *button, int *shown)
{
    return demotest::answering([c, button, shown](QDialog *d) {
        ++*shown;
        auto *from = demotest::child<QDateEdit>(d, "dtpFrom");
        auto *to = demotest::child<QDateEdit>(d, "dtpTo");
        auto *region = demotest::child<QComboBox>(d, "cmbRegion");
        auto *group = demotest::child<QComboBox>(d, "cmbGroup");
        QVERIFY(from && to && region && group);
        from->setDate(c.from);
        to->setDate(c.to);
        const int r = region->findText(c.region);
        const int g = group->findText(c.group);
        QVERIFY2(r >= 0, qPrintable(c.region));
        QVERIFY2(g >= 0, qPrintable(c.group));
        region->setCurrentIndex(r);
        group->setCurrentIndex(g);
        demotest::press(d, button);
    });
}

} // namespace

class TestSalesFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void newFilterIsNotSure();
    void confirmedChoiceComesBack_data();
    void confirmedChoiceComesBack();
    void windowOffersRegionsOfCustomers_data() { test::addDatabaseRows(); }
    void windowOffersRegionsOfCustomers();
    void cancelLeavesNoCondition();
    void connectionsComeBackUnchanged();
    void badConnectionIsRefusedBeforeAnyWindow_data();
    void badConnectionIsRefusedBeforeAnyWindow();

private:
    demotest::DemoDatabases m_databases;
};

void TestSalesFilter::newFilterIsNotSure()
{
    Object filter = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesFilter"));
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(false));
    QVERIFY(!filter.get(QStringLiteral("ReturnCondition")).isValid());
}

void TestSalesFilter::confirmedChoiceComesBack_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("groupBy");
    for (const QString &db : test::databaseKinds()) {
        QTest::addRow("%s/every region by customer", qPrintable(db))
            << db << QDate(2023, 1, 1) << QDate(2024, 12, 31) << QStringLiteral("全部")
            << QStringLiteral("按客户") << QStringLiteral("CUST");
        QTest::addRow("%s/one region by item", qPrintable(db))
            << db << QDate(2024, 4, 1) << QDate(2024, 6, 30) << QStringLiteral("华南")
            << QStringLiteral("按商品") << QStringLiteral("ITEM");
    }
}

void TestSalesFilter::confirmedChoiceComesBack()
{
    QFETCH(QString, database);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, region);
    QFETCH(QString, group);
    QFETCH(QString, groupBy);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    Object filter = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesFilter"));
    int shown = 0;
    test::ScopedModalDriver driver(choose({from, to, region, group}, "cmdOK", &shown));
    QVariantList args{demotest::connectionArg(conn), demotest::connectionArg(conn)};
    VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), args));
    QCOMPARE(shown, 1);
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(true));
    const Dictionary condition = filter.get(QStringLiteral("ReturnCondition")).value<Dictionary>();
    QVERIFY(!condition.isNull());
    QCOMPARE(condition.value(QStringLiteral("DateFrom")).toString(), from.toString(Qt::ISODate));
    QCOMPARE(condition.value(QStringLiteral("DateTo")).toString(), to.toString(Qt::ISODate));
    QCOMPARE(condition.value(QStringLiteral("Region")).toString(), region);
    QCOMPARE(condition.value(QStringLiteral("GroupBy")).toString(), groupBy);
}

void TestSalesFilter::windowOffersRegionsOfCustomers()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    QStringList expected;
    for (const QStringList &r :
         demotest::query(conn, QStringLiteral("select FRegion from T_Customer")).rows) {
        if (!expected.contains(r.first()))
            expected.append(r.first());
    }
    std::sort(expected.begin(), expected.end());
    expected.prepend(QStringLiteral("全部"));

    QStringList offered;
    QStringList names;
    Object filter = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesFilter"));
    test::ScopedModalDriver driver(demotest::answering([&](QDialog *d) {
        QVERIFY(!d->windowTitle().isEmpty());
        for (const char *name : {"dtpFrom", "dtpTo", "cmbRegion", "cmbGroup", "cmdOK", "cmdCancel"})
            if (d->findChild<QWidget *>(QString::fromLatin1(name)))
                names.append(QString::fromLatin1(name));
        if (auto *region = demotest::child<QComboBox>(d, "cmbRegion"))
            for (int i = 0; i < region->count(); ++i)
                offered.append(region->itemText(i));
        demotest::press(d, "cmdCancel");
    }));
    QVariantList args{QVariant(), demotest::connectionArg(conn)};
    VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), args));
    QCOMPARE(names.size(), 6);
    QCOMPARE(offered, expected);
}

void TestSalesFilter::cancelLeavesNoCondition()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Object filter = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesFilter"));
    int shown = 0;
    const Choice choice{QDate(2023, 1, 1), QDate(2023, 12, 31), QStringLiteral("华北"),
                        QStringLiteral("按客户")};
    QVariantList args{QVariant(), demotest::connectionArg(conn)};
    {
        test::ScopedModalDriver driver(choose(choice, "cmdOK", &shown));
        VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), args));
    }
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(true));
    // A second round that is cancelled forgets the first one's choice.
    {
        test::ScopedModalDriver driver(choose(choice, "cmdCancel", &shown));
        VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), args));
    }
    QCOMPARE(shown, 2);
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(false));
    QVERIFY(!filter.get(QStringLiteral("ReturnCondition")).isValid());
}

void TestSalesFilter::connectionsComeBackUnchanged()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Connection local = Connection::open(QStringLiteral("sqlite::memory:"));
    Object filter = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesFilter"));
    int shown = 0;
    test::ScopedModalDriver driver(choose(
        {QDate(2023, 1, 1), QDate(2023, 1, 31), QStringLiteral("全部"), QStringLiteral("按商品")},
        "cmdOK", &shown));
    QVariantList args{demotest::connectionArg(local), demotest::connectionArg(conn)};
    VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), args));
    QVERIFY(args.at(0).value<Connection>() == local);
    QVERIFY(args.at(1).value<Connection>() == conn);
}

void TestSalesFilter::badConnectionIsRefusedBeforeAnyWindow_data()
{
    QTest::addColumn<QVariant>("sqlConn");
    QTest::newRow("nothing") << QVariant();
    QTest::newRow("a text") << QVariant(QStringLiteral("sqlite:///tmp/demo.db"));
    QTest::newRow("an empty connection") << QVariant::fromValue(Connection());
    QTest::newRow("a Dictionary") << QVariant::fromValue(Dictionary::create());
}

void TestSalesFilter::badConnectionIsRefusedBeforeAnyWindow()
{
    QFETCH(QVariant, sqlConn);
    Object filter = demotest::createDemoObject(QStringLiteral("VaroDemo.SalesFilter"));
    int shown = 0;
    test::ScopedModalDriver driver(demotest::answering([&](QDialog *d) {
        ++shown;
        demotest::press(d, "cmdCancel");
    }));
    QVariantList args{QVariant(), sqlConn};
    const auto error = test::errorOf([&] { filter.call(QStringLiteral("ShowCondition"), args); });
    QVERIFY(error.has_value());
    QCOMPARE(error->number(), demo::ErrorNumber::InvalidArgument);
    QVERIFY2(error->description().contains(QStringLiteral("ShowCondition")),
             qPrintable(error->description()));
    QCOMPARE(shown, 0);
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(false));
}

VARO_TEST_MAIN(TestSalesFilter)
#include "tst_salesfilter.moc"
