// Values shared with hosts and plug-ins: Vector and Dictionary handles (one object behind every
// copy, names matched in any case but kept in their first spelling and insertion order, rows of
// a record table), and the automation conversions (Null apart from Empty, values as text).

#include "common/testsupport.h"
#include "platform/variant.h"

#include <QDateTime>

using namespace varo;
using Convert = std::function<QVariant(const QVariant &)>;

class TestValues : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handles()
    {
        Dictionary d = Dictionary::create();
        QVariant::fromValue(d).value<Dictionary>().set("x", 1); // the object, not a snapshot
        QCOMPARE(d.value("X"), QVariant(1));
        QVERIFY(QVariant::fromValue(d).value<Dictionary>() == d && !(d == Dictionary::create()));
        QVERIFY(QVariant::fromValue(d).value<Vector>().isNull());
        Vector v = Vector::create(), w = Vector::create();
        v.Add(QVariant());                                   // Empty is an item like any other
        QVariant::fromValue(v).value<Vector>().AddVector(v); // onto itself: doubles only once
        w.AddVector(v);
        w.Add("a");
        QCOMPARE(w.items(), QVariantList({QVariant(), QVariant(), "a"}));
        QCOMPARE(w.Item(2), QVariant("a"));
        QVERIFY(!(v == w) && v.Count() == 2);
        VARO_VERIFY_ERROR(w.Item(3), ErrorNumber::SubscriptOutOfRange);
        VARO_VERIFY_ERROR(w.Item(-1), ErrorNumber::SubscriptOutOfRange);
        // A handle that is nothing raises whatever is asked of it.
        Vector nv;
        Dictionary nd;
        const int notSet = ErrorNumber::ObjectNotSet;
        VARO_VERIFY_ERROR(nv.Add(1), notSet);
        VARO_VERIFY_ERROR(nv.AddVector(v), notSet);
        VARO_VERIFY_ERROR(v.AddVector(nv), notSet);
        VARO_VERIFY_ERROR(nv.Count(), notSet);
        VARO_VERIFY_ERROR(nv.Item(0), notSet);
        VARO_VERIFY_ERROR(nv.items(), notSet);
        VARO_VERIFY_ERROR(nv.reserve(1), notSet);
        VARO_VERIFY_ERROR(nd.set("a", 1), notSet);
        VARO_VERIFY_ERROR(nd.value("a"), notSet);
        VARO_VERIFY_ERROR(nd.Exists("a"), notSet);
        VARO_VERIFY_ERROR(nd.keys(), notSet);
        VARO_VERIFY_ERROR(nd.keyAt(0), notSet);
        VARO_VERIFY_ERROR(nd.valueAt(0), notSet);
        VARO_VERIFY_ERROR(nd.setAt(0, 1), notSet);
    }

    void names()
    {
        for (const QString written : {"FKeyWord", "ΣΟΦΟΣ"}) {
            const QString read = written == "FKeyWord" ? "FKeyword" : "σοφος"; // final sigma
            Dictionary d = Dictionary::create();
            d.set("FZ", nullValue());
            d.set(written, "value");
            d.set("FA", 2);
            QCOMPARE(d.value(read), QVariant("value"));
            d.set(read, "changed"); // in place, under the first spelling
            QCOMPARE(d.keys(), QStringList({"FZ", written, "FA"})); // hosts render this order
            QCOMPARE(d.valueAt(1), QVariant("changed"));
            QVERIFY(isNull(d.value("fz")) && !d.Exists("FX") && isEmpty(d.value("FX")));
            QCOMPARE(d.Count(), 3); // reading a missing name does not add it
            // Records of one key table: a new name reaches neither the other nor the table.
            auto keys = std::make_shared<const DictionaryKeys>(QStringList{"FCode", written});
            Dictionary first = Dictionary::withKeys(keys), second = Dictionary::withKeys(keys);
            QVERIFY(isEmpty(first.value("fcode")));
            first.setAt(0, "A01");
            first.set("FTotal", 10);
            second.set(read, "bolt");
            QCOMPARE(first.keys(), QStringList({"FCode", written, "FTotal"}));
            QCOMPARE(first.value("FCode"), QVariant("A01"));
            QCOMPARE(second.keys(), QStringList({"FCode", written}));
            QCOMPARE(second.valueAt(1), QVariant("bolt"));
            QCOMPARE(keys->count(), 2);
        }
    }

    // Across the growth of chunks and text blocks every row reads back its own texts, and a
    // record keeps its table alive.
    void recordTable_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("textLength");
        QTest::newRow("two rows") << 2 << 3;
        QTest::newRow("into the third chunk") << 200 << 7;
        QTest::newRow("past the largest chunk") << 70000 << 4;
        QTest::newRow("texts longer than a block") << 3 << (1 << 20) + 5;
    }
    void recordTable()
    {
        QFETCH(int, rows);
        QFETCH(int, textLength);
        const auto text = [&](int r) { return QString(textLength, QChar(u'a' + r % 26)); };
        QList<Dictionary> records;
        std::weak_ptr<RecordTable> table;
        {
            auto keys = std::make_shared<DictionaryKeys>(QStringList{"No", "Text", "Empty"});
            const auto owner = RecordTable::create(keys);
            table = owner;
            for (int r = 0; r < rows; ++r) {
                QCOMPARE(owner->addRow(), qsizetype(r));
                const QByteArray number = QByteArray::number(r);
                owner->setCell(r, 0, owner->storeLatin1(number.constData(), number.size()));
                owner->setCell(r, 1, owner->store(text(r)));
                records.append(owner->record(r));
            }
            QVERIFY(owner->record(0) == records.first()); // the same record every time
        }
        for (int r : {0, rows / 2, rows - 1}) {
            QCOMPARE(records.at(r).value("no"), QVariant(QString::number(r)));
            QCOMPARE(records.at(r).value("TEXT"), QVariant(text(r)));
            QCOMPARE(records.at(r).valueAt(2), QVariant(QString()));
        }
        // A text stays in the table; another value or a new name gives the record storage of
        // its own, and no other record changes.
        Dictionary last = records.last();
        last.set("empty", "text");
        QCOMPARE(table.lock()->cell(rows - 1, 2).toString(), QStringLiteral("text"));
        last.set("No", 42);
        last.set("C", true);
        last.setAt(1, "more");
        QCOMPARE(last.keys(), QStringList({"No", "Text", "Empty", "C"}));
        QCOMPARE(last.value("no"), QVariant(42));
        QCOMPARE(last.value("text"), QVariant("more"));
        QCOMPARE(records.first().keys(), QStringList({"No", "Text", "Empty"}));
        QCOMPARE(table.lock()->cell(rows - 1, 1).toString(), text(rows - 1));
    }

    // A result "error N" stands for the error number raised.
    void conversions_data()
    {
        QTest::addColumn<Convert>("convert");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("result");
        int n = 0;
        const auto row = [&n](const char *name, const Convert &f, const QVariant &value,
                              const QVariant &result) {
            QTest::addRow("%d %s", n++, name) << f << value << result;
        };
        const Convert text = [](const QVariant &v) { return QVariant(toText(v)); };
        const Convert boolean = [](const QVariant &v) { return QVariant(toBool(v)); };
        const Convert int32 = [](const QVariant &v) { return QVariant(toInt32(v)); };
        const Convert int16 = [](const QVariant &v) { return QVariant(int(toInt16(v))); };
        const Convert number = [](const QVariant &v) {
            return QVariant(leadingNumber(v.toString()));
        };
        const Convert trim = [](const QVariant &v) { return QVariant(trimBlanks(v.toString())); };
        const QVariant dictionary = QVariant::fromValue(Dictionary::create());
        const auto raises = [](int number) -> QString {
            return "error " + QString::number(number);
        };
        const QString null = raises(ErrorNumber::InvalidUseOfNull);
        const QString mismatch = raises(ErrorNumber::TypeMismatch);
        const QString overflow = raises(ErrorNumber::Overflow);
        row("Empty", text, QVariant(), "");
        row("true", text, true, "True");
        row("false", text, false, "False");
        row("16-bit", text, QVariant::fromValue<qint16>(-7), "-7");
        row("64-bit", text, QVariant::fromValue<qlonglong>(9007199254740993LL), "9007199254740993");
        row("whole double", text, 3.0, "3");
        row("shortest double", text, 1.0 / 3.0, "0.3333333333333333");
        row("date", text, QDate(2024, 1, 5), "2024-01-05");
        row("midnight", text, QDateTime(QDate(2024, 1, 5), QTime(0, 0)), "2024-01-05");
        row("date-time", text, QDateTime(QDate(2024, 12, 31), QTime(13, 4, 5)),
            "2024-12-31 13:04:05");
        row("Null", text, nullValue(), null);
        row("Dictionary", text, dictionary, mismatch);
        row("Empty", boolean, QVariant(), false);
        row("any case", boolean, " tRUE ", true);
        row("number text", boolean, "0.5", true);
        row("zero", boolean, 0.0, false);
        row("boolean", boolean, true, true);
        row("False text", boolean, "false", false);
        row("Null", boolean, nullValue(), null);
        row("other text", boolean, "yes", mismatch);
        row("Dictionary", boolean, dictionary, mismatch);
        row("Empty", int32, QVariant(), 0);
        row("text 12abc", int32, "12abc", 12);
        row("true", int32, true, -1);
        row("2.5 to even", int32, 2.5, 2);
        row("-3.5 to even", int32, -3.5, -4);
        row("2.6", int32, 2.6, 3);
        row("Null", int32, nullValue(), null);
        row("2^31", int32, QVariant::fromValue<qlonglong>(2147483648LL), overflow);
        row("date", int32, QDate(2024, 1, 1), mismatch);
        row("highest", int16, 32767.4, 32767);
        row("lowest", int16, "-32768", -32768);
        row("32767.5", int16, 32767.5, overflow);
        row("12abc", number, "12abc", 12.0);
        row("exponent", number, " -1.5E3x", -1500.0);
        row("none", number, "abc", 0.0);
        row("point first", number, "+.5", 0.5);
        row("point only", number, ".", 0.0);
        row("bare exponent", number, "1e+", 1.0);
        row("second point", number, "1.2.3", 1.2);
        row("blank after sign", number, "- 3", 0.0);
        row("no separators", number, "1,234", 1.0);
        row("both ends", trim, "  a b  ", "a b");
        row("blanks only", trim, "   ", "");
        row("nothing to trim", trim, "a b", "a b");
        row("only blanks go", trim, " \tx\n\u3000 ", "\tx\n\u3000");
    }
    void conversions()
    {
        QFETCH(Convert, convert);
        QFETCH(QVariant, value);
        QFETCH(QVariant, result);
        QVariant got;
        if (const auto error = test::errorOf([&] { got = convert(value); }))
            got = QString("error " + QString::number(error->number()));
        QCOMPARE(got, result);
        // A row value that needs no trimming must not be copied: a result has millions.
        const QString text = value.toString();
        if (result.toString() == text)
            QCOMPARE(trimBlanks(text).constData(), text.constData());
    }
};

VARO_TEST_MAIN(TestValues)
#include "tst_values.moc"
