// The platform services below the engine that hosts and plug-ins meet: Vector and Dictionary
// handles, the rows of a record table, the automation conversions, the store in which dialogs
// remember what was entered, message boxes and modal dialogs (real widgets, offscreen).

#include "common/testsupport.h"
#include "platform/settings.h"
#include "platform/variant.h"

#include <QDateTime>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

using namespace varo;
using Convert = std::function<QVariant(const QVariant &)>;

class TestPlatform : public QObject
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
        // A handle that is nothing raises whatever is asked of it.
        VARO_VERIFY_ERROR(v.AddVector(Vector()), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(Vector().Item(0), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(Dictionary().set("a", 1), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(Dictionary().value("a"), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(Dictionary().keys(), ErrorNumber::ObjectNotSet);

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
        // Rows across the growth of chunks and text blocks, one text longer than any block.
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
        // Texts stay in the table; another value or a new name gives the record its own.
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
        const QStringList trimmed = {"  a b  |a b", " \tx\n\u3000 |\tx\n\u3000"};
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

    void settingsStore()
    {
        const QString own = settings::file(); // VARO_TEST_MAIN's temporary file
        settings::setFile({});
        QVERIFY(settings::file().endsWith("/varo-report/settings.ini")); // the user's own
        settings::setFile(own);
        // Texts the INI format treats specially come back as saved, the empty one too.
        const QString special = "  沐岩, \"a\" 'b' x=1;y=2 C:\\new @Variant(x) 100%\nline 2  ";
        settings::save("App", "s", "FValue", special);
        settings::save("App", "s", "FEmpty", "");
        QCOMPARE(settings::get("App", "s", "FValue", "x"), special);
        QCOMPARE(settings::get("App", "s", "FEmpty", "x"), QString());
        // Any text is one section or key: names cut into levels otherwise keep their values.
        const QStringList names = {"a/b|k", "a|b/k", "a\\b|k", "a|b\\k", "a%2Fb|k", "a%5Cb|k"};
        for (const QString &name : names)
            settings::save("App", name.section('|', 0, 0), name.section('|', 1), name);
        for (const QString &name : names)
            QCOMPARE(settings::get("App", name.section('|', 0, 0), name.section('|', 1)), name);
        QCOMPARE(settings::get("App", "s", "FMissing", "0"), QStringLiteral("0"));
        QCOMPARE(settings::get("Other", "s", "FValue"), QString());
    }

    void messages()
    {
        test::MessageRecorder recorder; // a sink receives the boxes instead of the screen
        ui::showMessage("报表不存在！", ui::MessageIcon::Critical, "沐岩提示");
        QVERIFY(recorder.texts() == QStringList{"报表不存在！"} &&
                recorder.messages().at(0).icon == ui::MessageIcon::Critical &&
                recorder.messages().at(0).title == "沐岩提示");
        int runs = 0;
        QMetaObject::invokeMethod(
            this, [&runs] { ++runs; }, Qt::QueuedConnection);
        ui::letMessagesRun();
        QCOMPARE(runs, 1);

        // The real box, as a host with a screen shows it: text|title|icon (3 critical,
        // 1 information, 0 none)|buttons (OK only); without a title, the application's name.
        ui::setMessageSink({});
        QStringList seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << box->text() + '|' + box->windowTitle() + '|' +
                            QString::number(box->icon()) + '|' +
                            QString::number(box->buttons().size());
                box->accept();
            }
        });
        poll.start(10);
        ui::showMessage("条件不能为空！", ui::MessageIcon::Critical, "沐岩提示");
        ui::showMessage("a", ui::MessageIcon::Information, "b");
        ui::showMessage("c", ui::MessageIcon::None, {});
        test::installUnexpectedMessageGuard();
        QCOMPARE(seen,
                 QStringList({"条件不能为空！|沐岩提示|3|1", "a|b|1|1", "c|tst_platform|0|1"}));
    }

    void modalDialog()
    {
        QDialog dialog;
        for (const int result : {QDialog::Accepted, QDialog::Rejected}) {
            int calls = 0; // on the dialog, on screen and modal
            test::ScopedModalDriver driver([&](QDialog *shown) {
                calls += shown == &dialog && QApplication::activeModalWidget() == shown;
                shown->done(result);
            });
            QCOMPARE(ui::execModal(&dialog), result);
            QCOMPARE(calls, 1);
        }
        QTimer::singleShot(50, &dialog, [&] { dialog.done(7); }); // no driver: a person answers
        QCOMPARE(ui::execModal(&dialog), 7);
    }
};

VARO_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
