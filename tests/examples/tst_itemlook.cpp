// "VaroSelect.clsItemLook", loaded from its plug-in library and called by member name: its window
// lists the codes of the business table its key names, hands back the code picked by a driver,
// narrows the list with the find box, returns "" on cancel, serves every lookup key the demo's
// definitions use, and refuses unknown keys and bad connections before any window opens.

#include "common/demoerrors.h"
#include "common/testsupport.h"
#include "demotesthelpers.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QTest>

using namespace varo;

namespace
{

QString tableOf(const QString &key)
{
    if (key.toUpper() == QLatin1String("ITEM"))
        return QStringLiteral("T_Item");
    if (key.toUpper() == QLatin1String("CUST"))
        return QStringLiteral("T_Customer");
    return QStringLiteral("T_Employee");
}

// Calls ShowForm with the business connection, alone or after a definition connection.
void showForm(Object &look, const QString &key, const Connection &conn, bool bothConnections,
              QVariantList *args = nullptr)
{
    QVariantList local;
    QVariantList &a = args ? *args : local;
    a = bothConnections ? QVariantList{key, QVariant(), demotest::connectionArg(conn)}
                        : QVariantList{key, demotest::connectionArg(conn)};
    look.call(QStringLiteral("ShowForm"), a);
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
    void everyLookupKeyOfTheDefinitionsOpens_data() { test::addDatabaseRows(); }
    void everyLookupKeyOfTheDefinitionsOpens();
    void cancelReturnsNothing();
    void findNarrowsList_data();
    void findNarrowsList();
    void connectionsComeBackUnchanged();
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
    for (const QString &db : test::databaseKinds()) {
        for (const char *key : {"ITEM", "CUST", "EMP", "item"}) {
            QTest::addRow("%s/%s/from the condition dialog", qPrintable(db), key)
                << db << QString::fromLatin1(key) << true;
            QTest::addRow("%s/%s/from the keyword dialog", qPrintable(db), key)
                << db << QString::fromLatin1(key) << false;
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
    for (const QStringList &r :
         demotest::query(conn, QStringLiteral("select FNumber from ") + tableOf(key) +
                                   QStringLiteral(" order by FNumber"))
             .rows)
        codes.append(r.first());
    QVERIFY(codes.size() > 2);
    const QString wanted = codes.at(codes.size() / 2);

    QStringList listed;
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    test::ScopedModalDriver driver(demotest::answering([&](QDialog *d) {
        QVERIFY(!d->windowTitle().isEmpty());
        QVERIFY(demotest::child<QLineEdit>(d, "txtFind"));
        auto *list = demotest::child<QListWidget>(d, "lstItems");
        QVERIFY(list);
        listed = itemTexts(list, false);
        const auto found = list->findItems(wanted, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        list->setCurrentItem(found.first());
        demotest::press(d, "cmdOK");
    }));
    VARO_VERIFY_NO_ERROR(showForm(look, key, conn, bothConnections));
    QCOMPARE(listed, codes);
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), wanted);
}

void TestItemLook::everyLookupKeyOfTheDefinitionsOpens()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    QSet<QString> keys;
    for (const char *sql : {"select FCtrlSel from T_RepFilter", "select FSourceField from "
                                                                "ICReportKeywords"})
        for (const QStringList &r : demotest::query(conn, QString::fromLatin1(sql)).rows)
            if (!r.first().trimmed().isEmpty())
                keys.insert(r.first().trimmed());
    QVERIFY(keys.size() >= 3);
    for (const QString &key : keys) {
        int entries = -1;
        Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
        test::ScopedModalDriver driver(demotest::answering([&](QDialog *d) {
            if (auto *list = demotest::child<QListWidget>(d, "lstItems"))
                entries = list->count();
            demotest::press(d, "cmdCancel");
        }));
        VARO_VERIFY_NO_ERROR(showForm(look, key, conn, false));
        QVERIFY2(entries > 0, qPrintable(key));
    }
}

void TestItemLook::cancelReturnsNothing()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    auto pickFirstAnd = [](const char *button) {
        return demotest::answering([button](QDialog *d) {
            auto *list = demotest::child<QListWidget>(d, "lstItems");
            QVERIFY(list && list->count() > 0);
            list->setCurrentRow(0);
            demotest::press(d, button);
        });
    };
    {
        test::ScopedModalDriver driver(pickFirstAnd("cmdOK"));
        VARO_VERIFY_NO_ERROR(showForm(look, QStringLiteral("EMP"), conn, true));
    }
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), QStringLiteral("E01"));
    // A cancelled second lookup forgets the first one's choice.
    {
        test::ScopedModalDriver driver(pickFirstAnd("cmdCancel"));
        VARO_VERIFY_NO_ERROR(showForm(look, QStringLiteral("EMP"), conn, true));
    }
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), QString());
    // OK with nothing picked picks nothing.
    {
        test::ScopedModalDriver driver(
            demotest::answering([](QDialog *d) { demotest::press(d, "cmdOK"); }));
        VARO_VERIFY_NO_ERROR(showForm(look, QStringLiteral("ITEM"), conn, true));
    }
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), QString());
}

void TestItemLook::findNarrowsList_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("find");
    QTest::newRow("by code, one left") << "ITEM"
                                       << "a12";
    QTest::newRow("by name, several left") << "ITEM"
                                           << "打印机";
    QTest::newRow("by name of a city") << "CUST"
                                       << "上海";
    QTest::newRow("nothing left") << "EMP"
                                  << "nobody";
}

void TestItemLook::findNarrowsList()
{
    QFETCH(QString, key);
    QFETCH(QString, find);
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    QStringList expected;
    for (const QStringList &r :
         demotest::query(conn, QStringLiteral("select FNumber, FName from ") + tableOf(key) +
                                   QStringLiteral(" order by FNumber"))
             .rows)
        if (r[0].contains(find, Qt::CaseInsensitive) || r[1].contains(find, Qt::CaseInsensitive))
            expected.append(r[0]);

    QStringList shown;
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    test::ScopedModalDriver driver(demotest::answering([&](QDialog *d) {
        auto *findBox = demotest::child<QLineEdit>(d, "txtFind");
        auto *list = demotest::child<QListWidget>(d, "lstItems");
        QVERIFY(findBox && list);
        findBox->setText(find);
        shown = itemTexts(list, true);
        demotest::press(d, "cmdOK");
    }));
    VARO_VERIFY_NO_ERROR(showForm(look, key, conn, false));
    QCOMPARE(shown, expected);
    // OK takes the first entry the find box left, or nothing when it left none.
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), expected.value(0));
}

void TestItemLook::connectionsComeBackUnchanged()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    Connection local = Connection::open(QStringLiteral("sqlite::memory:"));
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    test::ScopedModalDriver driver(
        demotest::answering([](QDialog *d) { demotest::press(d, "cmdCancel"); }));
    QVariantList args{QStringLiteral("CUST"), demotest::connectionArg(local),
                      demotest::connectionArg(conn)};
    VARO_VERIFY_NO_ERROR(look.call(QStringLiteral("ShowForm"), args));
    QVERIFY(args.at(1).value<Connection>() == local);
    QVERIFY(args.at(2).value<Connection>() == conn);
}

void TestItemLook::badInputIsRefusedBeforeAnyWindow_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("withConnection");
    QTest::newRow("unknown key") << "STOCK" << true;
    QTest::newRow("empty key") << "" << true;
    QTest::newRow("no connection") << "ITEM" << false;
}

void TestItemLook::badInputIsRefusedBeforeAnyWindow()
{
    QFETCH(QString, key);
    QFETCH(bool, withConnection);
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    int shown = 0;
    test::ScopedModalDriver driver(demotest::answering([&](QDialog *d) {
        ++shown;
        demotest::press(d, "cmdCancel");
    }));
    Object look = demotest::createDemoObject(QStringLiteral("VaroSelect.clsItemLook"));
    QVariantList args{key, withConnection ? demotest::connectionArg(conn) : QVariant()};
    const auto error = test::errorOf([&] { look.call(QStringLiteral("ShowForm"), args); });
    QVERIFY(error.has_value());
    QCOMPARE(error->number(), demo::ErrorNumber::InvalidArgument);
    QVERIFY2(error->description().contains(QStringLiteral("ShowForm")),
             qPrintable(error->description()));
    QCOMPARE(shown, 0);
    QCOMPARE(look.get(QStringLiteral("ReturnValue")).toString(), QString());
}

VARO_TEST_MAIN(TestItemLook)
#include "tst_itemlook.moc"
