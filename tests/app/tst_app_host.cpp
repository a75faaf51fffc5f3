// The host's pieces where a run of the program cannot reach a case cheaply: option values the
// output does not show, when a run is headless, JSON, CSV and display width for text the demo
// never holds, the table of a result without Header, and the dialog driver on the kinds of
// control and dialog that the engine's own dialogs do not have.

#include "common/testsupport.h"
#include "dialogdriver.h"
#include "jsonwriter.h"
#include "options.h"
#include "platform/ado.h"
#include "platform/ui.h"
#include "platform/variant.h"
#include "tablewriter.h"
#include "textwidth.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <limits>

namespace
{

QVariant dict(std::initializer_list<std::pair<const char *, QVariant>> entries)
{
    return QVariant::fromValue(varo::test::dictionary(entries));
}

QVariant vec(std::initializer_list<QVariant> items)
{
    return QVariant::fromValue(varo::test::vector(items));
}

// A control of a kind that plug-in dialogs may have.
QWidget *control(const QString &kind)
{
    const QHash<QString, std::function<QWidget *()>> make{
        {"check", [] { return new QCheckBox; }},
        {"spin", [] { return new QSpinBox; }},
        {"rate", [] { return new QDoubleSpinBox; }},
        {"date-time", [] { return new QDateTimeEdit(QDateTime(QDate(2000, 1, 1), QTime())); }},
        {"text", [] { return new QPlainTextEdit; }},
        {"label", [] { return new QLabel; }},
        {"list",
         [] {
             auto *list = new QListWidget;
             list->addItems({"C0021 华东分部", "C002 华南贸易", "C002"});
             return list;
         }},
        {"tree", [] {
             auto *tree = new QTreeWidget;
             tree->addTopLevelItems({new QTreeWidgetItem({"甲"}), new QTreeWidgetItem({"乙"})});
             return tree;
         }}};
    return make.value(kind)();
}

// Its value as text: the current row and the number of selected rows of a list.
QString valueOf(QWidget *w)
{
    if (auto *list = qobject_cast<QListWidget *>(w))
        return QStringLiteral("%1/%2").arg(list->currentRow()).arg(list->selectedItems().size());
    if (auto *tree = qobject_cast<QTreeWidget *>(w))
        return tree->currentItem() ? tree->currentItem()->text(0) : QString();
    return w->metaObject()->userProperty().read(w).toString();
}

// A dialog without the engine's button names whose Cancel, if a person pressed it, does
// nothing: the driver still ends it.
class StubbornDialog : public QDialog
{
public:
    void reject() override {}
};

} // namespace

class TestHost : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runOptions()
    {
        const auto cl =
            varo::report::parseCommandLine({"run", "--db", "d.db", "--rep-type", "-3", "--plugins",
                                            "p1", "--plugins=p2", "--headless", "K"});
        QCOMPARE(cl.error, QString());
        QCOMPARE(cl.run.repType, -3);
        QCOMPARE(cl.run.pluginDirs, QStringList({"p1", "p2"}));
        QVERIFY(cl.run.headless);
    }

    void headless_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("display");
        QTest::addColumn<bool>("headless");
        QTest::newRow("display, nothing asked") << QStringList() << true << false;
        QTest::newRow("no display") << QStringList() << false << true;
        QTest::newRow("--headless") << QStringList{"--headless"} << true << true;
        QTest::newRow("an answer") << QStringList{"--answer", "a=1"} << true << true;
        QTest::newRow("--cancel") << QStringList{"--cancel"} << true << true;
        QTest::newRow("--screenshot") << QStringList{"--screenshot", "x.png"} << true << true;
    }

    void headless()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, display);
        QFETCH(bool, headless);
        const auto cl = varo::report::parseCommandLine(QStringList{"run", "--db", "x.db"} +
                                                       options + QStringList{"K"});
        QCOMPARE(cl.error, QString());
        QCOMPARE(varo::report::runsHeadless(cl.run, display), headless);
    }

    void jsonValue_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("json");
        auto row = [](const char *name, const QVariant &value, const char *json) {
            QTest::newRow(name) << value << QString::fromUtf8(json);
        };
        row("Null", varo::nullValue(), "null");
        row("escapes", "a\"b\\c\b\f\t\x01/\x7f", "\"a\\\"b\\\\c\\b\\f\\t\\u0001/\x7f\"");
        row("64-bit", QVariant::fromValue<qlonglong>(9007199254740993LL), "9007199254740993");
        row("unsigned", QVariant::fromValue<quint32>(4000000000U), "4000000000");
        row("double 1/3", 1.0 / 3.0, "0.3333333333333333");
        row("double large", 1e21, "1e+21");
        row("NaN", std::numeric_limits<double>::quiet_NaN(), "null");
        row("date", QDate(2024, 1, 5), "\"2024-01-05\"");
        row("invalid date", QDate(), "null");
        row("date-time at midnight", QDateTime(QDate(2024, 1, 5), QTime(0, 0)), "\"2024-01-05\"");
        row("date-time", QDateTime(QDate(2024, 12, 31), QTime(13, 4, 5, 600)),
            "\"2024-12-31T13:04:05\"");
        row("time", QTime(7, 8, 9), "\"07:08:09\"");
        row("nested Vectors", vec({1, vec({2.5, "x", vec({})}), QVariant()}),
            "[1,[2.5,\"x\",[]],null]");
        row("Dictionary in insertion order",
            dict({{"Zeta", true}, {"a\"b", "a"}, {"v", QVariant::fromValue(varo::Vector())}}),
            "{\"Zeta\":true,\"a\\\"b\":\"a\",\"v\":null}");
        row("list and map", QVariantList{1, QVariantMap{{"k", "v"}}}, "[1,{\"k\":\"v\"}]");
        row("no recordset", QVariant::fromValue(varo::Recordset()), "null");
        row("recordset", QVariant::fromValue(varo::Recordset::create()), "\"Recordset\"");
        row("no connection", QVariant::fromValue(varo::Connection()), "null");
        row("connection", QVariant::fromValue(varo::Connection::open("sqlite::memory:")),
            "\"sqlite::memory:\"");
    }

    void jsonValue()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, json);
        QCOMPARE(varo::report::jsonValue(value), json);
        // A message box of the critical kind, as the JSON names it.
        QCOMPARE(varo::report::iconName(varo::ui::MessageIcon::Critical),
                 QStringLiteral("critical"));
    }

    void selfContainingDictionaryEnds()
    {
        varo::Dictionary d = varo::Dictionary::create();
        d.set(QStringLiteral("me"), QVariant::fromValue(d));
        // The innermost level that is still written holds null instead of itself again.
        const QString written = varo::report::jsonValue(QVariant::fromValue(d));
        QVERIFY(written.endsWith(QStringLiteral("{\"me\":null}") + QString(64, u'}')));
        d.set(QStringLiteral("me"), QVariant()); // break the cycle so that it is freed
    }

    // Display widths in terminal columns, and CSV fields.
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("csv"); // empty: the field is the text itself
        auto row = [](const char *name, const char *text, int width, const char *csv = "") {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::number(width)
                                << QString::fromUtf8(csv);
        };
        row("fullwidth letters", "ＡＢ", 4);
        row("halfwidth katakana", "ｱｲ", 2);
        row("Hangul syllable and jamo", "한\u1100\u1160", 4);
        row("CJK extension B (surrogate pair)", "𠀀", 2);
        row("emoji", "😀", 2);
        row("combining acute", "e\u0301", 1);
        row("zero width space, BOM", "a\u200B\uFEFFb", 2);
        row("last of the CJK block", "\u9FFF", 2);
        row("just after Hangul syllables", "\uD7B0", 1);
        row("before the first wide range", "\u10FF", 1);
        row("blanks", " a b ", 5);
        row("comma", "a,b", 3, "\"a,b\"");
        row("quote", "5\" disk", 7, "\"5\"\" disk\"");
        row("line break", "a\nb", 2, "\"a\nb\"");
        row("carriage return, C1 control", "a\rb\u0085", 2, "\"a\rb\u0085\"");
    }

    void texts()
    {
        QFETCH(QString, text);
        QFETCH(QString, width);
        QFETCH(QString, csv);
        QCOMPARE(QString::number(varo::report::displayWidth(text)), width);
        QCOMPARE(varo::report::csvField(text), csv.isEmpty() ? text : csv);
    }

    void tables_data()
    {
        QTest::addColumn<QVariant>("header");
        QTest::addColumn<QVariant>("rows");
        QTest::addColumn<QString>("table");
        auto column = [](const char *caption, const char *name) {
            return dict({{"FColCaption", caption}, {"FHeadSecond", ""}, {"FColName", name}});
        };
        // Header order wins over the rows' field order; a column missing from a row stays empty.
        QTest::newRow("Header order")
            << vec({column("B", "b"), column("A", "a"), column("C", "c")})
            << vec({dict({{"a", "1"}, {"b", 2.0}}),
                    dict({{"b", qQNaN()}, {"a", true}, {"c", vec({1, "a"})}})})
            << "B  A     C\n2  1\n   True  [1,\"a\"]\n";
        QTest::newRow("no Header, one row: the fields of the row")
            << QVariant::fromValue(varo::Vector())
            << vec({dict({{"x", QDate(2024, 2, 29)}, {"y", "a\r\nb"}})})
            << "x           y\n2024-02-29  a\\r\\nb\n";
        QTest::newRow("nothing") << QVariant() << QVariant() << QString();
    }

    void tables()
    {
        QFETCH(QVariant, header);
        QFETCH(QVariant, rows);
        QFETCH(QString, table);
        varo::report::StepResult r;
        r.properties = {{QStringLiteral("Header"), header}, {QStringLiteral("VectRs"), rows}};
        QCOMPARE(varo::report::reportTable(r), table);
        QCOMPARE(varo::report::reportCsv(r).isEmpty(), table.isEmpty());
    }

    void controls_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("why"); // empty when the control takes the value
        QTest::addColumn<QString>("result");
        auto row = [](const char *kind, const char *value, const char *why, const char *result) {
            QTest::addRow("%s %s", kind, value) << kind << value << why << result;
        };
        row("check", "1", "", "true");
        row("check", "TRUE", "", "true");
        row("check", "0", "", "false");
        row("check", "yes", "a check box takes 1 or 0", "false");
        row("spin", " 99 ", "", "99");
        row("spin", "100", "the number is outside 0 to 99", "0");
        row("spin", "ten", "expected a whole number", "0");
        row("rate", "2.5", "", "2.5");
        row("rate", "100", "the number is outside 0 to 99.99", "0");
        row("rate", "1,5", "expected a number", "0");
        // The item whose text is the value, else the first whose text starts with it.
        row("list", "C002", "", "2/1");
        row("list", "C00", "", "0/1");
        row("list", "D", "no item is or starts with \"D\"", "-1/0");
        row("tree", "乙", "", "乙");
        row("tree", "丙", "no item is or starts with \"丙\"", "");
        row("date-time", "2024-01-31T13:04:05", "", "2024-01-31T13:04:05.000");
        row("date-time", "2024-01-31 13:04:05", "", "2024-01-31T13:04:05.000");
        row("date-time", "2024-01-31", "", "2024-01-31T00:00:00.000");
        row("date-time", "13:04", "expected a date yyyy-MM-dd or yyyy-MM-ddTHH:mm:ss",
            "2000-01-01T00:00:00.000");
        row("date-time", "1700-01-01", "the date is outside 1752-09-14 to 9999-12-31",
            "2000-01-01T00:00:00.000");
        row("text", "a b", "", "a b");
        row("label", "x", "a QLabel takes no answer", "");
    }

    void controls()
    {
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(QString, why);
        QFETCH(QString, result);
        std::unique_ptr<QWidget> w(control(kind));
        QCOMPARE(varo::report::setControlValue(w.get(), value), why);
        QCOMPARE(valueOf(w.get()), result);
    }

    void dialogsWithoutNamedButtons()
    {
        for (const bool cancel : {false, true}) {
            varo::report::DialogDriver driver({}, cancel);
            driver.install();
            const int result = cancel ? QDialog::Rejected : QDialog::Accepted;
            QDialog plain;
            QCOMPARE(varo::ui::execModal(&plain), result);
            StubbornDialog stubborn;
            QCOMPARE(varo::ui::execModal(&stubborn), result);
            QVERIFY(!stubborn.isVisible());
            QCOMPARE(driver.dialogCount(), 2);
        }
    }

    // A lookup window is a child of the dialog but a window of its own: its controls are answered
    // when it is shown, not with its parent's.
    void lookupWindowAnsweredOfItsOwn()
    {
        QString error;
        varo::report::DialogDriver driver({*varo::report::parseAnswer("txtCode=7", &error)}, false);
        driver.install();
        QDialog dialog;
        auto *lookup = new QDialog(&dialog);
        auto *code = new QLineEdit(lookup);
        code->setObjectName(QStringLiteral("txtCode"));
        auto *ok = new QPushButton(&dialog);
        ok->setObjectName(QStringLiteral("cmdOK"));
        QString seen; // the code before the lookup is shown, then after
        connect(ok, &QPushButton::clicked, &dialog, [&] {
            seen = code->text() + u'|';
            varo::ui::execModal(lookup);
            seen += code->text();
            dialog.accept();
        });
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
        QCOMPARE(seen, QStringLiteral("|7"));
        QCOMPARE(driver.dialogCount(), 2);
        QVERIFY(driver.unusedControls().isEmpty());
    }
};

VARO_TEST_MAIN(TestHost)
#include "tst_app_host.moc"
