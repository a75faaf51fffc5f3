// "VaroDemo.SalesFilter", loaded from its plug-in library as the demo's catalogue names it and
// called by member name: its window offers the regions of the business data, hands back what
// was chosen as a Dictionary and both connections as they were, forgets it when a later window
// is cancelled, and refuses bad connections before any window opens.

#include "common/demoerrors.h"
#include "common/testsupport.h"
#include "demodatabase.h"
#include "demotesthelpers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QTest>
#include <algorithm>

using namespace varo;

class TestSalesFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void choiceComesBack_data();
    void choiceComesBack();
    void badConnectionIsRefusedBeforeAnyWindow_data();
    void badConnectionIsRefusedBeforeAnyWindow();

private:
    demotest::DemoDatabases m_databases;
};

void TestSalesFilter::choiceComesBack_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    // The region and the grouping caption chosen, and the grouping the report plug-in is told.
    QTest::addColumn<QStringList>("choice");
    for (const QString &db : test::databaseKinds()) {
        test::databaseRow(db, "every region by customer")
            << QDate(2023, 1, 1) << QDate(2024, 12, 31) << QStringList{"全部", "按客户", "CUST"};
        test::databaseRow(db, "one region by item")
            << QDate(2024, 4, 1) << QDate(2024, 6, 30) << QStringList{"华南", "按商品", "ITEM"};
    }
}

void TestSalesFilter::choiceComesBack()
{
    QFETCH(QString, database);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, choice);
    const QString &region = choice[0], &group = choice[1];
    VARO_DEMO_DATABASE(conn, m_databases, database);
    // The regions of the customers after "全部", by code point: the same on every server.
    QStringList regions =
        demotest::firstColumn(conn, QStringLiteral("select distinct FRegion from T_Customer"));
    std::sort(regions.begin(), regions.end());
    regions.prepend(QStringLiteral("全部"));

    Connection local = Connection::open(QStringLiteral("sqlite::memory:"));
    Object filter;
    VARO_VERIFY_NO_ERROR(filter = demotest::reportPlugin(conn, demo::kFilterPluginReport,
                                                         QStringLiteral("FFilterPlugName")));
    QVariantList args{QVariant::fromValue(local), QVariant::fromValue(conn)};
    QStringList offered;
    int shown = 0;
    const auto fill = [&](QDialog *d) {
        ++shown;
        auto *fromEdit = d->findChild<QDateEdit *>("dtpFrom");
        auto *toEdit = d->findChild<QDateEdit *>("dtpTo");
        auto *regionBox = d->findChild<QComboBox *>("cmbRegion");
        auto *groupBox = d->findChild<QComboBox *>("cmbGroup");
        QVERIFY(fromEdit && toEdit && regionBox && groupBox);
        offered.clear();
        for (int i = 0; i < regionBox->count(); ++i)
            offered.append(regionBox->itemText(i));
        fromEdit->setDate(from);
        toEdit->setDate(to);
        regionBox->setCurrentIndex(regionBox->findText(region));
        groupBox->setCurrentIndex(groupBox->findText(group));
        QVERIFY(regionBox->currentText() == region && groupBox->currentText() == group);
    };
    {
        test::ScopedModalDriver driver(demotest::answering("cmdOK", fill));
        VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), args));
    }
    QCOMPARE(shown, 1);
    QCOMPARE(offered, regions);
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(true));
    const Dictionary condition = filter.get(QStringLiteral("ReturnCondition")).value<Dictionary>();
    QVERIFY(!condition.isNull());
    QCOMPARE(condition.value(QStringLiteral("DateFrom")).toString(), from.toString(Qt::ISODate));
    QCOMPARE(condition.value(QStringLiteral("DateTo")).toString(), to.toString(Qt::ISODate));
    QCOMPARE(condition.value(QStringLiteral("Region")).toString(), region);
    QCOMPARE(condition.value(QStringLiteral("GroupBy")).toString(), choice[2]);
    QVERIFY(args.at(0).value<Connection>() == local);
    QVERIFY(args.at(1).value<Connection>() == conn);

    // A second window that is cancelled forgets the first one's choice.
    {
        test::ScopedModalDriver driver(demotest::answering("cmdCancel", fill));
        VARO_VERIFY_NO_ERROR(filter.call(QStringLiteral("ShowCondition"), args));
    }
    QCOMPARE(shown, 2);
    QCOMPARE(filter.get(QStringLiteral("Sure")), QVariant(false));
    QVERIFY(!filter.get(QStringLiteral("ReturnCondition")).isValid());
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
    test::ScopedModalDriver driver(demotest::answering("cmdCancel", [&](QDialog *) { ++shown; }));
    QVariantList args{QVariant(), sqlConn};
    const auto error = test::errorOf([&] { filter.call(QStringLiteral("ShowCondition"), args); });
    QVERIFY(error.has_value());
    QCOMPARE(error->number(), demo::ErrorNumber::InvalidArgument);
    QVERIFY2(error->description().contains(QStringLiteral("VaroDemo.SalesFilter.ShowCondition")),
             qPrintable(error->description()));
    QCOMPARE(shown, 0);
}

VARO_TEST_MAIN(TestSalesFilter)
#include "tst_salesfilter.moc"
