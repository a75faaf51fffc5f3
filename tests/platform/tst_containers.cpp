// Vector and Dictionary: handles with reference semantics, case-insensitive names that keep
// their first spelling and insertion order, shared key tables, and travel inside QVariant.

#include "common/testsupport.h"
#include "platform/containers.h"
#include "platform/errornumbers.h"

#include <QTest>
#include <functional>

using varo::Dictionary;
using varo::DictionaryKeys;
using varo::Vector;

class TestContainers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handlesShareTheObject();
    void nullHandleRaises_data();
    void nullHandleRaises();
    void vectorItems();
    void vectorItemOutOfRange_data();
    void vectorItemOutOfRange();
    void namesIgnoreLetterCase_data();
    void namesIgnoreLetterCase();
    void keysKeepInsertionOrder();
    void missingNameIsEmpty();
    void sharedKeyTableCopiedOnNewKey();
    void recordTableRows_data();
    void recordTableRows();
    void recordTableRecordsAreOwnDictionaries();
};

void TestContainers::handlesShareTheObject()
{
    // Copies, and values taken back out of a QVariant, are the same object, never a snapshot.
    Dictionary d = Dictionary::create();
    const QVariant dv = QVariant::fromValue(d);
    dv.value<Dictionary>().set(QStringLiteral("x"), 1);
    QCOMPARE(d.value(QStringLiteral("X")), QVariant(1));
    QVERIFY(dv.value<Dictionary>() == d);
    QVERIFY(!(d == Dictionary::create())); // another object, even when equally empty
    QVERIFY(!dv.canConvert<Vector>());
    QVERIFY(dv.value<Vector>().isNull());

    Vector v = Vector::create();
    const QVariant vv = QVariant::fromValue(v);
    vv.value<Vector>().Add(QStringLiteral("x"));
    QCOMPARE(v.items(), QVariantList{QStringLiteral("x")});
    QVERIFY(vv.value<Vector>() == v);
    QVERIFY(!(v == Vector::create()));
    QVERIFY(vv.value<Dictionary>().isNull());
}

void TestContainers::nullHandleRaises_data()
{
    using Use = std::function<void()>;
    QTest::addColumn<Use>("use");
    Vector v;
    Dictionary d;
    QTest::newRow("Vector::Add") << Use([v]() mutable { v.Add(1); });
    QTest::newRow("Vector::Count") << Use([v] { v.Count(); });
    QTest::newRow("Vector::Item") << Use([v] { v.Item(0); });
    QTest::newRow("Vector::items") << Use([v] { v.items(); });
    QTest::newRow("AddVector onto nothing")
        << Use([v]() mutable { v.AddVector(Vector::create()); });
    QTest::newRow("AddVector of nothing") << Use([v] { Vector::create().AddVector(v); });
    QTest::newRow("Dictionary::set") << Use([d]() mutable { d.set(QStringLiteral("a"), 1); });
    QTest::newRow("Dictionary::value") << Use([d] { d.value(QStringLiteral("a")); });
    QTest::newRow("Dictionary::Exists") << Use([d] { d.Exists(QStringLiteral("a")); });
    QTest::newRow("Dictionary::Count") << Use([d] { d.Count(); });
    QTest::newRow("Dictionary::keys") << Use([d] { d.keys(); });
    QTest::newRow("Dictionary::keyAt") << Use([d] { d.keyAt(0); });
}

void TestContainers::nullHandleRaises()
{
    QFETCH(std::function<void()>, use);
    VARO_VERIFY_ERROR(use(), varo::ErrorNumber::ObjectNotSet);
}

void TestContainers::vectorItems()
{
    Vector v = Vector::create();
    QCOMPARE(v.Count(), 0);
    v.Add(QStringLiteral("a"));
    v.Add(QVariant()); // Empty is an item like any other
    QCOMPARE(v.Count(), 2);
    QVERIFY(!v.Item(1).isValid());

    Vector b = Vector::create();
    b.Add(2.5);
    v.AddVector(b);
    QCOMPARE(v.items(), (QVariantList{QStringLiteral("a"), QVariant(), 2.5}));
    QCOMPARE(b.Count(), 1); // the source is left as it was

    // Appending a Vector to itself doubles it once, not forever.
    b.AddVector(b);
    QCOMPARE(b.items(), (QVariantList{2.5, 2.5}));
}

void TestContainers::vectorItemOutOfRange_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::newRow("empty, 0") << 0 << 0;
    QTest::newRow("one item, 1") << 1 << 1;
    QTest::newRow("negative") << 2 << -1;
}

void TestContainers::vectorItemOutOfRange()
{
    QFETCH(int, count);
    QFETCH(int, index);
    Vector v = Vector::create();
    for (int i = 0; i < count; ++i)
        v.Add(i);
    VARO_VERIFY_ERROR(v.Item(index), varo::ErrorNumber::SubscriptOutOfRange);
}

void TestContainers::namesIgnoreLetterCase_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("FKeyWord/FKeyword") << QStringLiteral("FKeyWord") << QStringLiteral("FKeyword");
    QTest::newRow("upper") << QStringLiteral("FRepKey") << QStringLiteral("FREPKEY");
    QTest::newRow("lower") << QStringLiteral("FRepKey") << QStringLiteral("frepkey");
    QTest::newRow("Greek final sigma") << QStringLiteral("ΣΟΦΟΣ") << QStringLiteral("σοφος");
}

void TestContainers::namesIgnoreLetterCase()
{
    QFETCH(QString, written);
    QFETCH(QString, read);
    Dictionary d = Dictionary::create();
    d.set(written, QStringLiteral("value"));
    QVERIFY(d.Exists(read));
    QCOMPARE(d.value(read), QVariant(QStringLiteral("value")));
    d.set(read, QStringLiteral("changed"));
    QCOMPARE(d.Count(), 1);
    QCOMPARE(d.keyAt(0), written); // the first spelling stays
    QCOMPARE(d.value(written), QVariant(QStringLiteral("changed")));
}

void TestContainers::keysKeepInsertionOrder()
{
    // Hosts render row records in field order, which is not alphabetical.
    const QStringList names = {QStringLiteral("FZ"), QStringLiteral("FA"), QStringLiteral("Fm"),
                               QStringLiteral("F1"), QStringLiteral("FB")};
    Dictionary d = Dictionary::create();
    for (int i = 0; i < names.size(); ++i)
        d.set(names.at(i), i);
    d.set(QStringLiteral("fz"), 9); // replacing a value keeps its place
    QCOMPARE(d.keys(), names);
    QCOMPARE(d.valueAt(0), QVariant(9));
    for (int i = 1; i < names.size(); ++i) {
        QCOMPARE(d.keyAt(i), names.at(i));
        QCOMPARE(d.valueAt(i), QVariant(i));
    }
}

void TestContainers::missingNameIsEmpty()
{
    Dictionary d = Dictionary::create();
    d.set(QStringLiteral("a"), QVariant::fromValue(nullptr));
    QVERIFY(!d.Exists(QStringLiteral("b")));
    QVERIFY(!d.value(QStringLiteral("b")).isValid());
    QCOMPARE(d.Count(), 1);                          // reading a missing name does not add it
    QVERIFY(d.value(QStringLiteral("a")).isValid()); // a stored Null is not Empty
}

void TestContainers::sharedKeyTableCopiedOnNewKey()
{
    auto keys = std::make_shared<const DictionaryKeys>(
        QStringList{QStringLiteral("FCode"), QStringLiteral("FName")});
    Dictionary first = Dictionary::withKeys(keys);
    Dictionary second = Dictionary::withKeys(keys);
    QCOMPARE(first.Count(), 2);
    QVERIFY(!first.value(QStringLiteral("fcode")).isValid()); // every value starts Empty

    first.setAt(0, QStringLiteral("A01"));
    second.set(QStringLiteral("FNAME"), QStringLiteral("bolt"));
    QCOMPARE(first.value(QStringLiteral("FCode")), QVariant(QStringLiteral("A01")));
    QVERIFY(!second.value(QStringLiteral("FCode")).isValid());

    // A new name in one record must reach neither the other record nor the shared table.
    first.set(QStringLiteral("FTotal"), 10);
    QCOMPARE(first.keys(), (QStringList{QStringLiteral("FCode"), QStringLiteral("FName"),
                                        QStringLiteral("FTotal")}));
    QVERIFY(!second.Exists(QStringLiteral("FTotal")));
    QCOMPARE(keys->count(), 2);
    QCOMPARE(first.value(QStringLiteral("FCode")), QVariant(QStringLiteral("A01")));
    QCOMPARE(second.value(QStringLiteral("FName")), QVariant(QStringLiteral("bolt")));
}

// Rows of a record table across the growth of its chunks and text blocks: every row reads
// back its own texts, and a record outlives every other handle to the table.
void TestContainers::recordTableRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("textLength");
    QTest::newRow("one row") << 1 << 3;
    QTest::newRow("first chunk full") << 64 << 5;
    QTest::newRow("into the third chunk") << 200 << 7;
    QTest::newRow("past the largest chunk") << 70000 << 4;
    QTest::newRow("texts longer than a block") << 3 << (1 << 20) + 5;
}

void TestContainers::recordTableRows()
{
    QFETCH(int, rows);
    QFETCH(int, textLength);
    Vector records = Vector::create();
    {
        auto keys = std::make_shared<DictionaryKeys>(QStringList{"No", "Text", "Empty"});
        auto table = varo::RecordTable::create(keys);
        for (int r = 0; r < rows; ++r) {
            const qsizetype row = table->addRow();
            QCOMPARE(row, qsizetype(r));
            const QByteArray number = QByteArray::number(r);
            table->setCell(row, 0, table->storeLatin1(number.constData(), number.size()));
            table->setCell(row, 1, table->store(QString(textLength, QChar(u'a' + r % 26))));
            records.Add(QVariant::fromValue(table->record(row)));
        }
    }
    for (int r : {0, rows / 2, rows - 1}) {
        const Dictionary record = records.Item(r).value<Dictionary>();
        QCOMPARE(record.value("no"), QVariant(QString::number(r)));
        QCOMPARE(record.value("TEXT"), QVariant(QString(textLength, QChar(u'a' + r % 26))));
        QCOMPARE(record.value("Empty").toString(), QString());
        QCOMPARE(record.keys(), QStringList({"No", "Text", "Empty"}));
    }
}

void TestContainers::recordTableRecordsAreOwnDictionaries()
{
    auto keys = std::make_shared<DictionaryKeys>(QStringList{"A", "B"});
    auto table = varo::RecordTable::create(keys);
    for (int r = 0; r < 2; ++r) {
        table->addRow();
        table->setCell(r, 0, table->store(QStringLiteral("a%1").arg(r)));
    }
    Dictionary first = table->record(0);
    Dictionary second = table->record(1);
    QVERIFY(!(first == second));
    QCOMPARE(table->record(0), first); // the same record every time

    first.set("b", QStringLiteral("text")); // a text stays in the table
    first.set("A", 42);                     // another value gives the record its own storage
    first.set("C", true);                   // and so does a new name
    QCOMPARE(first.value("a"), QVariant(42));
    QCOMPARE(first.value("b"), QVariant(QStringLiteral("text")));
    QCOMPARE(first.keys(), QStringList({"A", "B", "C"}));
    QCOMPARE(second.value("a"), QVariant(QStringLiteral("a1")));
    QCOMPARE(second.Count(), 2);
    QVERIFY(!second.Exists("C"));
    QCOMPARE(table->cell(0, 0).toString(), QStringLiteral("a0"));
}

VARO_TEST_MAIN(TestContainers)
#include "tst_containers.moc"
