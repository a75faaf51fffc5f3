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
    void copiesShareTheObject_data();
    void copiesShareTheObject();
    void nullHandleRaises_data();
    void nullHandleRaises();
    void vectorItems();
    void vectorItemOutOfRange_data();
    void vectorItemOutOfRange();
    void addVector();
    void namesIgnoreLetterCase_data();
    void namesIgnoreLetterCase();
    void setReplacesAndKeepsFirstSpelling();
    void keysKeepInsertionOrder();
    void missingNameIsEmpty();
    void sharedKeyTableCopiedOnNewKey();
    void travelInVariant_data();
    void travelInVariant();
    void nestedContainers();
    void recordTableRows_data();
    void recordTableRows();
    void recordTableRecordsAreOwnDictionaries();
};

void TestContainers::copiesShareTheObject_data()
{
    QTest::addColumn<bool>("dictionary");
    QTest::newRow("Vector") << false;
    QTest::newRow("Dictionary") << true;
}

void TestContainers::copiesShareTheObject()
{
    QFETCH(bool, dictionary);
    if (dictionary) {
        Dictionary a = Dictionary::create();
        Dictionary b = a;
        b.set(QStringLiteral("FName"), 1);
        QCOMPARE(a.Count(), 1);
        QCOMPARE(a.value(QStringLiteral("FName")), QVariant(1));
        QVERIFY(a == b);
        QVERIFY(!(a == Dictionary::create())); // another object, even when equally empty
    } else {
        Vector a = Vector::create();
        Vector b = a;
        b.Add(QStringLiteral("x"));
        QCOMPARE(a.Count(), 1);
        QCOMPARE(a.Item(0), QVariant(QStringLiteral("x")));
        QVERIFY(a == b);
        QVERIFY(!(a == Vector::create()));
    }
}

void TestContainers::nullHandleRaises_data()
{
    QTest::addColumn<std::function<void()>>("use");
    Vector v;
    Dictionary d;
    QTest::newRow("Vector::Add") << std::function<void()>([v]() mutable { v.Add(1); });
    QTest::newRow("Vector::Count") << std::function<void()>([v] { v.Count(); });
    QTest::newRow("Vector::Item") << std::function<void()>([v] { v.Item(0); });
    QTest::newRow("Vector::items") << std::function<void()>([v] { v.items(); });
    QTest::newRow("Vector::AddVector onto nothing")
        << std::function<void()>([v]() mutable { v.AddVector(Vector::create()); });
    QTest::newRow("Vector::AddVector of nothing")
        << std::function<void()>([v] { Vector::create().AddVector(v); });
    QTest::newRow("Dictionary::set")
        << std::function<void()>([d]() mutable { d.set(QStringLiteral("a"), 1); });
    QTest::newRow("Dictionary::value")
        << std::function<void()>([d] { d.value(QStringLiteral("a")); });
    QTest::newRow("Dictionary::Exists")
        << std::function<void()>([d] { d.Exists(QStringLiteral("a")); });
    QTest::newRow("Dictionary::Count") << std::function<void()>([d] { d.Count(); });
    QTest::newRow("Dictionary::keys") << std::function<void()>([d] { d.keys(); });
    QTest::newRow("Dictionary::keyAt") << std::function<void()>([d] { d.keyAt(0); });
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
    v.Add(2.5);
    QCOMPARE(v.Count(), 3);
    QCOMPARE(v.Item(0), QVariant(QStringLiteral("a")));
    QVERIFY(!v.Item(1).isValid());
    QCOMPARE(v.Item(2), QVariant(2.5));
    QCOMPARE(v.items().size(), 3);
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

void TestContainers::addVector()
{
    Vector a = Vector::create();
    a.Add(1);
    Vector b = Vector::create();
    b.Add(2);
    b.Add(3);
    a.AddVector(b);
    QCOMPARE(a.items(), (QVariantList{1, 2, 3}));
    QCOMPARE(b.Count(), 2); // the source is left as it was

    // Appending a Vector to itself doubles it once, not forever.
    a.AddVector(a);
    QCOMPARE(a.items(), (QVariantList{1, 2, 3, 1, 2, 3}));
}

void TestContainers::namesIgnoreLetterCase_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("FKeyWord/FKeyword") << "FKeyWord"
                                       << "FKeyword";
    QTest::newRow("upper") << "FRepKey"
                           << "FREPKEY";
    QTest::newRow("lower") << "FRepKey"
                           << "frepkey";
    QTest::newRow("Findex/FIndex") << "Findex"
                                   << "FIndex";
    QTest::newRow("Chinese") << QStringLiteral("名称") << QStringLiteral("名称");
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
    QCOMPARE(d.keyAt(0), written);
    QCOMPARE(d.value(written), QVariant(QStringLiteral("changed")));
}

void TestContainers::setReplacesAndKeepsFirstSpelling()
{
    Dictionary d = Dictionary::create();
    d.set(QStringLiteral("strFilter"), QStringLiteral("a|1"));
    d.set(QStringLiteral("FName"), 1);
    d.set(QStringLiteral("STRFILTER"), QStringLiteral("b|2"));
    QCOMPARE(d.Count(), 2);
    QCOMPARE(d.keys(), (QStringList{QStringLiteral("strFilter"), QStringLiteral("FName")}));
    QCOMPARE(d.value(QStringLiteral("strfilter")), QVariant(QStringLiteral("b|2")));
}

void TestContainers::keysKeepInsertionOrder()
{
    // Hosts render row records in field order, which is not alphabetical.
    const QStringList names = {QStringLiteral("FZ"), QStringLiteral("FA"), QStringLiteral("Fm"),
                               QStringLiteral("F1"), QStringLiteral("FB")};
    Dictionary d = Dictionary::create();
    for (int i = 0; i < names.size(); ++i)
        d.set(names.at(i), i);
    QCOMPARE(d.keys(), names);
    for (int i = 0; i < names.size(); ++i) {
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
    QCOMPARE(second.Count(), 2);
    QVERIFY(!second.Exists(QStringLiteral("FTotal")));
    QCOMPARE(keys->count(), 2);
    QCOMPARE(first.value(QStringLiteral("FCode")), QVariant(QStringLiteral("A01")));
    QCOMPARE(second.value(QStringLiteral("FName")), QVariant(QStringLiteral("bolt")));

    // The record now owns its table: further names go on without touching the others.
    first.set(QStringLiteral("FMore"), 1);
    QCOMPARE(first.Count(), 4);
    QCOMPARE(second.Count(), 2);
}

void TestContainers::travelInVariant_data()
{
    QTest::addColumn<bool>("dictionary");
    QTest::newRow("Vector") << false;
    QTest::newRow("Dictionary") << true;
}

void TestContainers::travelInVariant()
{
    QFETCH(bool, dictionary);
    if (dictionary) {
        Dictionary d = Dictionary::create();
        const QVariant v = QVariant::fromValue(d);
        QVERIFY(v.canConvert<Dictionary>());
        Dictionary back = v.value<Dictionary>();
        back.set(QStringLiteral("x"), 1); // the same object came back, not a copy of it
        QCOMPARE(d.value(QStringLiteral("X")), QVariant(1));
        QVERIFY(!v.canConvert<Vector>());
        QVERIFY(v.value<Vector>().isNull());
    } else {
        Vector vec = Vector::create();
        const QVariant v = QVariant::fromValue(vec);
        QVERIFY(v.canConvert<Vector>());
        Vector back = v.value<Vector>();
        back.Add(1);
        QCOMPARE(vec.Count(), 1);
        QVERIFY(v.value<Dictionary>().isNull());
    }
}

void TestContainers::nestedContainers()
{
    // VectRs is a Vector of row Dictionaries; the header entries are Dictionaries too.
    Vector rows = Vector::create();
    for (int i = 0; i < 3; ++i) {
        Dictionary row = Dictionary::create();
        row.set(QStringLiteral("FIndex"), i);
        rows.Add(QVariant::fromValue(row));
    }
    Dictionary result = Dictionary::create();
    result.set(QStringLiteral("VectRs"), QVariant::fromValue(rows));

    const Vector back = result.value(QStringLiteral("vectrs")).value<Vector>();
    QCOMPARE(back.Count(), 3);
    QCOMPARE(back.Item(2).value<Dictionary>().value(QStringLiteral("findex")), QVariant(2));
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
