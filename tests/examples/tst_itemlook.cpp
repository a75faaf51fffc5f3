// "VaroSelect.clsItemLook", loaded from its plug-in library and called by member name: its window
// lists the codes of the business table its key names, hands back the code picked by a driver
// and the connections as they were, returns "" on cancel or when nothing is picked, narrows the
// list with the find box, serves every lookup key the demo's definitions use, and refuses
// unknown keys and bad connections before any window opens.

#include "common/demoerrors.h"
#include "common/testsupport.h"
#include "demotesthelpers.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QTest>

using namespace varo;

namespace
{

// The table each lookup key lists.
const QMap<QString, QString> kTables = {
    {"ITEM", "T_Item"}, {"CUST", "T_Customer"}, {"EMP", "T_Employee"}};

// The codes of a lookup's table, in code order, with their names.
QList<QStringList> entriesOf(Connection &conn, const QString &key)
{
    return demotest::query(conn, QStringLiteral("select FNumber, FName from %1 order by FNumber")
                                     .arg(kTables.value(key.toUpper())))
        .rows;
}

QStringList itemTexts(QListWidget *list, bool shownOnly)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        if (!shownOnly || !list->item(i)->isHidden())
            texts.append(list->item(i)->text());
    }
    return texts;
}

} // namespace

class TestItemLook : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void picksCodeFromList_data();
    void picksCodeFromList();
    void everyLookupKeyOfTheDefinitionsIsServed();
    void findNarrowsList_data();
    void findNarrowsList();
    void badInputIsRefusedBeforeAnyWindow_data();
    void badInputIsRefusedBeforeAnyWindow();

private:
    demotest::DemoDatabases m_databases;
};

void TestItemLook::picksCodeFromList_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("bothConnections");
    // Letters' case does not matter.
    const QStringList keys = kTables.keys() << QStringLiteral("item");
    for (const QString &db : test::databaseKinds()) {
        for (const QString &key : keys) {
            QTest::addRow("%s/%s/from the condition dialog", qPrintable(db), qPrintable(key))
                << db << key << true;
            QTest::addRow("%s/%s/from the keyword dialog", qPrintable(db), qPrintable(key))
                << db << key << false;
        }
    }
}

void TestItemLook::picksCodeFromList()
{
    QFETCH(QString, database);
    QFETCH(QString, key);
    QFETCH(bool, bothConnections);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    QStringList codes;
    for (const QStringList &r : entriesOf(conn, key))
        codes.append(r.first());
    QVERIFY(codes.size() > 2);
    const QString wanted = codes.at(codes.size() / 2);

    // The condition dialog passes its definition connection first, the keyword dialog none.
    Connection local = Connection::open(QStringLiteral("sqlite::memory:"));
    QVariantList args{key, QVariant::fromValue(conn)};
    if (bothConnections)
        args.insert(1, QVariant::fromValue(local));
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    QStringList listed;
    {
        test::ScopedModalDriver driver(demotest::answering("cmdOK", [&](QDialog *d) {
            auto *list = d->findChild<QListWidget *>("lstItems");
            QVERIFY(list);
            listed = itemTexts(list, false);
            const auto found = list->findItems(wanted, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            list->setCurrentItem(found.first());
        }));
        VARO_VERIFY_NO_ERROR(look.call(QStringLiteral("ShowForm"), args));
    }
    QCOMPARE(listed, codes);
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), wanted);
    QVERIFY(args.last().value<Connection>() == conn);
    QVERIFY(!bothConnections || args.at(1).value<Connection>() == local);

    // A second window, cancelled after a pick, forgets the first one's choice.
    {
        test::ScopedModalDriver driver(demotest::answering("cmdCancel", [](QDialog *d) {
            if (auto *list = d->findChild<QListWidget *>("lstItems"))
                list->setCurrentRow(0);
        }));
        VARO_VERIFY_NO_ERROR(look.call(QStringLiteral("ShowForm"), args));
    }
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), QString());
}

// The keys the definitions name are those picksCodeFromList tries (an empty one would raise):
// every code box of the condition dialogs has one, some keywords do.
void TestItemLook::everyLookupKeyOfTheDefinitionsIsServed()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    const QStringList keys = demotest::firstColumn(
        conn, QStringLiteral("select FCtrlSel from T_RepFilter where upper(FCtrlType) = 'CDTXT' "
                             "union select FSourceField from ICReportKeywords "
                             "where FSourceField <> ''"));
    QVERIFY(!keys.isEmpty());
    for (const QString &key : keys)
        QVERIFY2(kTables.contains(key.trimmed().toUpper()), qPrintable(key));
}

void TestItemLook::findNarrowsList_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("find");
    QTest::newRow("by code, one left") << QStringLiteral("ITEM") << "a12";
    QTest::newRow("by name, several left") << QStringLiteral("ITEM") << "打印机";
    QTest::newRow("by name of a city") << QStringLiteral("CUST") << "上海";
    QTest::newRow("nothing left") << QStringLiteral("EMP") << "nobody";
    QTest::newRow("nothing typed") << QStringLiteral("ITEM") << "";
}

void TestItemLook::findNarrowsList()
{
    QFETCH(QString, key);
    QFETCH(QString, find);
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    QStringList expected;
    for (const QStringList &r : entriesOf(conn, key)) {
        if (r[0].contains(find, Qt::CaseInsensitive) || r[1].contains(find, Qt::CaseInsensitive))
            expected.append(r[0]);
    }

    QStringList shown;
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    test::ScopedModalDriver driver(demotest::answering("cmdOK", [&](QDialog *d) {
        auto *findBox = d->findChild<QLineEdit *>("txtFind");
        auto *list = d->findChild<QListWidget *>("lstItems");
        QVERIFY(findBox && list);
        findBox->setText(find);
        shown = itemTexts(list, true);
    }));
    QVariantList args{key, QVariant::fromValue(conn)};
    VARO_VERIFY_NO_ERROR(look.call(QStringLiteral("ShowForm"), args));
    QCOMPARE(shown, expected);
    // OK takes the first entry the find box left; nothing when it left none or nothing was
    // typed or picked.
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(),
             find.isEmpty() ? QString() : expected.value(0));
}

void TestItemLook::badInputIsRefusedBeforeAnyWindow_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("withConnection");
    QTest::newRow("unknown key") << "STOCK" << true;
    QTest::newRow("empty key") << "" << true;
    QTest::newRow("no connection") << QStringLiteral("ITEM") << false;
}

void TestItemLook::badInputIsRefusedBeforeAnyWindow()
{
    QFETCH(QString, key);
    QFETCH(bool, withConnection);
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    int shown = 0;
    test::ScopedModalDriver driver(demotest::answering("cmdCancel", [&](QDialog *) { ++shown; }));
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    QVariantList args{key, withConnection ? QVariant::fromValue(conn) : QVariant()};
    const auto error = test::errorOf([&] { look.call(QStringLiteral("ShowForm"), args); });
    QVERIFY(error.has_value());
    QCOMPARE(error->number(), demo::ErrorNumber::InvalidArgument);
    QVERIFY2(error->description().contains(QStringLiteral("VaroSelect.clsItemLook.ShowForm")),
             qPrintable(error->description()));
    QCOMPARE(shown, 0);
}

VARO_TEST_MAIN(TestItemLook)
#include "tst_itemlook.moc"
