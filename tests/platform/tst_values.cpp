// Values shared with hosts and plug-ins: Vector and Dictionary handles, the rows of a record
// table, and the automation conversions (Null apart from Empty, values as text).

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
        QVERIFY(d.value("X") == 1 && !(d == Dictionary::create()));
        Vector v = Vector::create(), w = Vector::create();
        v.Add(QVariant());                                   // Empty is an item like any other
        QVariant::fromValue(v).value<Vector>().AddVector(v); // onto itself: doubles only once
        w.AddVector(v);
        w.Add("a");
        QCOMPARE(w.items(), QVariantList({QVariant(), QVariant(), "a"}));
        QVERIFY(w.Item(2) == "a" && !(v == w) && v.Count() == 2);
        VARO_VERIFY_ERROR(w.Item(3), ErrorNumber::SubscriptOutOfRange);
        VARO_VERIFY_ERROR(w.Item(-1), ErrorNumber::SubscriptOutOfRange);
        Vector nv; // a handle that is nothing raises whatever is asked of it
        Dictionary nd;
        VARO_VERIFY_ERROR(nv.Add(1), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(v.AddVector(nv), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(nv.Item(0), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(nd.set("a", 1), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(nd.value("a"), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(nd.keys(), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(nd.setAt(0, 1), ErrorNumber::ObjectNotSet);

        // Names in any case ("ΣΟΦΟΣ" read as "σοφος" needs case folding), kept in their first
        // spelling and insertion order, in which hosts render records. A new name in a record
        // of a shared key table reaches neither the other record nor the table.
        auto keys = std::make_shared<const DictionaryKeys>(QStringList{"FKeyWord", "ΣΟΦΟΣ"});
        Dictionary first = Dictionary::withKeys(keys), second = Dictionary::withKeys(keys);
        QVERIFY(isEmpty(first.value("fkeyword")));
        first.set("FZ", nullValue());
        first.setAt(0, "A01");
        first.set("FKeyword", "changed");
        second.set("σοφος", "bolt");
        QCOMPARE(first.keys(), QStringList({"FKeyWord", "ΣΟΦΟΣ", "FZ"}));
        QVERIFY(isNull(first.value("fz")) && !first.Exists("FX") && isEmpty(first.value("FX")));
        QCOMPARE(first.valueAt(0), QVariant("changed"));
        QCOMPARE(second.keys(), QStringList({"FKeyWord", "ΣΟΦΟΣ"}));
        QVERIFY(second.value("ΣΟΦΟΣ") == "bolt" && keys->count() == 2);
    }

    void recordTable()
    {
        // Rows across the growth of chunks and text blocks, one text longer than any block:
        // each reads back its own texts, and a record keeps its table alive.
        const int rows = 70000;
        const auto text = [](int r) {
            return QString(r == 99 ? 1 << 21 : 5, QChar(u'a' + r % 26));
        };
        QList<Dictionary> records;
        {
            auto table =
                RecordTable::create(std::make_shared<DictionaryKeys>(QStringList{"N", "T"}));
            for (int r = 0; r < rows; ++r) {
                QCOMPARE(table->addRow(), qsizetype(r));
                const QByteArray number = QByteArray::number(r);
                table->setCell(r, 0, table->storeLatin1(number.constData(), number.size()));
                table->setCell(r, 1, table->store(text(r)));
                records.append(table->record(r));
            }
            QVERIFY(table->record(0) == records.first()); // the same record every time
        }
        for (int r : {0, 63, 64, 99, 100, 40000, rows - 1})
            QVERIFY2(records.at(r).value("n") == QString::number(r) &&
                         records.at(r).value("t") == text(r),
                     qPrintable(QString::number(r)));
        // Texts stay in the table; another value or a new name gives the record storage of its
        // own, and no other record changes.
        Dictionary last = records.last();
        last.set("n", "text");
        last.setAt(1, "in table");
        QCOMPARE(last.value("T"), QVariant("in table"));
        last.set("C", true);
        last.setAt(1, 42);
        QCOMPARE(last.keys(), QStringList({"N", "T", "C"}));
        QCOMPARE(QVariantList({last.value("N"), last.valueAt(1)}), QVariantList({"text", 42}));
        QCOMPARE(records.first().keys(), QStringList({"N", "T"}));
    }

    // result: the value, or "error <number>" for what the conversion raises.
    void conversions_data()
    {
        QTest::addColumn<Convert>("convert");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("result");
        const Convert text = [](const QVariant &v) { return QVariant(toText(v)); };
        const Convert int32 = [](const QVariant &v) { return QVariant(toInt32(v)); };
        const Convert int16 = [](const QVariant &v) { return QVariant(int(toInt16(v))); };
        const auto row = [](const char *name, const Convert &f, const QVariant &value,
                            const QVariant &result) {
            QTest::newRow(name) << f << value << result;
        };
        const QVariant dictionary = QVariant::fromValue(Dictionary::create());
        row("text: Empty", text, QVariant(), "");
        row("text: true", text, true, "True");
        row("text: false", text, false, "False");
        row("text: 64-bit", text, QVariant::fromValue<qlonglong>(9007199254740993LL),
            "9007199254740993");
        row("text: whole double", text, 3.0, "3");
        row("text: shortest double", text, 1.0 / 3.0, "0.3333333333333333");
        row("text: date", text, QDate(2024, 1, 5), "2024-01-05");
        row("text: midnight", text, QDateTime(QDate(2024, 1, 5), QTime(0, 0)), "2024-01-05");
        row("text: time", text, QDateTime(QDate(2024, 12, 31), QTime(13, 4, 5)),
            "2024-12-31 13:04:05");
        row("text: Null", text, nullValue(), "error 94");
        row("text: Dictionary", text, dictionary, "error 13");
        row("int: Empty", int32, QVariant(), 0);
        row("int: text 12abc", int32, "12abc", 12);
        row("int: true", int32, true, -1);
        row("int: 2.5 to even", int32, 2.5, 2);
        row("int: -3.5 to even", int32, -3.5, -4);
        row("int: Null", int32, nullValue(), "error 94");
        row("int: 2^31", int32, QVariant::fromValue<qlonglong>(2147483648LL), "error 6");
        row("int: Dictionary", int32, dictionary, "error 13");
        row("int16: highest", int16, 32767.4, 32767);
        row("int16: lowest", int16, "-32768", -32768);
        row("int16: 32767.5", int16, 32767.5, "error 6");
    }
    void conversions()
    {
        QFETCH(Convert, convert);
        QFETCH(QVariant, value);
        QFETCH(QVariant, result);
        QVariant got;
        if (const auto error = test::errorOf([&] { got = convert(value); }))
            got = QString("error %1").arg(error->number());
        QCOMPARE(got, result);
    }

    void numbersInText()
    {
        // "text: the number it starts with", "text|the text without blanks at both ends".
        const QStringList numbers = {"12abc: 12", " -1.5E3x: -1500", "abc: 0", "+.5: 0.5", ".: 0",
                                     "1e+: 1",    "1.2.3: 1.2",      "- 3: 0", "1,234: 1"};
        const QStringList trimmed = {"  a b  |a b", "   |", " \tx\n\u3000 |\tx\n\u3000"};
        QStringList results;
        for (const QString &item : numbers)
            results << item.section(": ", 0, 0) + ": " +
                           QString::number(leadingNumber(item.section(": ", 0, 0)));
        for (const QString &item : trimmed)
            results << item.section('|', 0, 0) + '|' + trimBlanks(item.section('|', 0, 0));
        QCOMPARE(results, numbers + trimmed);
        const QString text = "a b"; // not copied when nothing is trimmed: a result has millions
        QCOMPARE(trimBlanks(text).constData(), text.constData());
    }
};

VARO_TEST_MAIN(TestValues)
#include "tst_values.moc"
