// The headless dialog driver on real widgets (offscreen): answers set controls through their
// own setters, OK or Cancel is pressed by name, a dialog that refuses OK is cancelled, bad
// values and unknown names are reported, and several dialogs in a row are each answered.

#include "common/testsupport.h"
#include "dialogdriver.h"
#include "options.h"
#include "platform/ui.h"
#include "stringlists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

using varo::test::strings;

using varo::report::Answer;
using varo::report::DialogDriver;

namespace
{

// A date picker that can be empty, the way the engine's own date control says so.
class EmptyableDateEdit : public QDateEdit
{
    Q_OBJECT
    Q_PROPERTY(bool empty READ isEmpty WRITE setEmpty)

public:
    using QDateEdit::QDateEdit;
    bool isEmpty() const { return m_empty; }
    void setEmpty(bool empty) { m_empty = empty; }

private:
    bool m_empty = false;
};

// A filter dialog with one control of every kind an answer can set.
class FilterDialog : public QDialog
{
    Q_OBJECT

public:
    enum class OkBehaviour { Accept, Refuse, OpenLookup };

    explicit FilterDialog(OkBehaviour ok = OkBehaviour::Accept, bool namedButtons = true) : m_ok(ok)
    {
        text = make<QLineEdit>("txtItemf0");
        combo = make<QComboBox>("cmbRegion");
        combo->addItems({QStringLiteral("全部"), QStringLiteral("华东"), QStringLiteral("华南")});
        date = make<QDateEdit>("DtpFrom");
        date->setDate(QDate(2000, 1, 1));
        emptyable = make<EmptyableDateEdit>("DtpTo");
        emptyable->setDate(QDate(2000, 1, 1));
        check = make<QCheckBox>("chkTotal");
        spin = make<QSpinBox>("spnTop");
        spin->setRange(0, 100);
        rate = make<QDoubleSpinBox>("spnRate");
        rate->setRange(0, 10);
        list = make<QListWidget>("lvwItems");
        list->addItems(strings("C0021 华东分部", "C002 华南贸易", "C002"));
        // A lookup window: a child of the dialog, but a window of its own.
        lookup = new QDialog(this);
        lookupList = new QListWidget(lookup);
        lookupList->setObjectName(QStringLiteral("lvwLookup"));
        lookupList->addItems(strings("甲", "乙"));
        lookupCode = new QLineEdit(lookup);
        lookupCode->setObjectName(QStringLiteral("txtCode"));
        make<QTableWidget>("vaKeywords");
        make<QLabel>("lblTitle");
        auto *okButton = new QPushButton(QStringLiteral("OK"), this);
        auto *cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
        if (namedButtons) {
            okButton->setObjectName(QStringLiteral("cmdOK"));
            cancelButton->setObjectName(QStringLiteral("cmdCacel"));
        }
        connect(okButton, &QPushButton::clicked, this, &FilterDialog::onOk);
        connect(cancelButton, &QPushButton::clicked, this, [this] {
            cancelClicked = true;
            reject();
        });
    }

    QLineEdit *text;
    QComboBox *combo;
    QDateEdit *date;
    EmptyableDateEdit *emptyable;
    QCheckBox *check;
    QSpinBox *spin;
    QDoubleSpinBox *rate;
    QListWidget *list;
    QDialog *lookup;
    QListWidget *lookupList;
    QLineEdit *lookupCode;
    QString codeBeforeLookup;
    bool okClicked = false;
    bool cancelClicked = false;
    int lookupResult = -1;
    QString lookupText;

private:
    template <typename W> W *make(const char *name)
    {
        auto *w = new W(this);
        w->setObjectName(QString::fromLatin1(name));
        return w;
    }

    void onOk()
    {
        okClicked = true;
        switch (m_ok) {
        case OkBehaviour::Accept:
            accept();
            break;
        case OkBehaviour::Refuse:
            varo::ui::showMessage(QStringLiteral("请输入日期!"), varo::ui::MessageIcon::Information,
                                  QStringLiteral("沐岩提示"));
            break;
        case OkBehaviour::OpenLookup:
            codeBeforeLookup = lookupCode->text();
            lookupResult = varo::ui::execModal(lookup);
            lookupText = lookupList->currentItem()
                             ? lookupList->currentItem()->text() + lookupCode->text()
                             : QString();
            accept();
            break;
        }
    }

    OkBehaviour m_ok;
};

QList<Answer> answers(const QStringList &texts)
{
    QList<Answer> list;
    for (const QString &t : texts) {
        QString error;
        const auto a = varo::report::parseAnswer(t, &error);
        if (!a)
            qFatal("bad answer in the test: %s", qPrintable(error));
        list.append(*a);
    }
    return list;
}

} // namespace

class TestDialogDriver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setsControlsAndPressesOk()
    {
        DialogDriver driver(answers({"txtItemf0=C001", "cmbRegion=华东", "DtpFrom=2024-01-31",
                                     "chkTotal=1", "spnTop=10", "spnRate=2.5"}),
                            false);
        driver.install();
        FilterDialog dialog;
        QSignalSpy textChanged(dialog.text, &QLineEdit::textChanged);
        QSignalSpy regionChanged(dialog.combo, &QComboBox::currentIndexChanged);
        QSignalSpy dateChanged(dialog.date, &QDateEdit::dateChanged);

        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
        QVERIFY(dialog.okClicked);
        QCOMPARE(dialog.text->text(), QStringLiteral("C001"));
        QCOMPARE(dialog.combo->currentText(), QStringLiteral("华东"));
        QCOMPARE(dialog.date->date(), QDate(2024, 1, 31));
        QVERIFY(dialog.check->isChecked());
        QCOMPARE(dialog.spin->value(), 10);
        QCOMPARE(dialog.rate->value(), 2.5);
        // The dialog hears of every change as if it had been typed.
        QCOMPARE(textChanged.count(), 1);
        QCOMPARE(regionChanged.count(), 1);
        QCOMPARE(dateChanged.count(), 1);
        QVERIFY(driver.failures().isEmpty());
        QVERIFY(driver.unusedControls().isEmpty());
        QCOMPARE(driver.dialogCount(), 1);
    }

    void badValues_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("combo item missing")
            << QStringLiteral("cmbRegion=华北") << QStringLiteral("no item \"华北\"");
        QTest::newRow("malformed date") << "DtpFrom=31.01.2024"
                                        << "expected a date yyyy-MM-dd";
        QTest::newRow("empty date, not emptyable") << "DtpFrom="
                                                   << "this date control cannot be empty";
        QTest::newRow("impossible date") << "DtpFrom=2023-02-29"
                                         << "expected a date yyyy-MM-dd";
        QTest::newRow("date outside the range") << "DtpFrom=1700-01-01"
                                                << "the date is outside 1752-09-14 to 9999-12-31";
        QTest::newRow("check box") << "chkTotal=yes"
                                   << "a check box takes 1 or 0";
        QTest::newRow("spin box range") << "spnTop=101"
                                        << "the number is outside 0 to 100";
        QTest::newRow("spin box text") << "spnTop=ten"
                                       << "expected a whole number";
        QTest::newRow("double spin box") << "spnRate=1,5"
                                         << "expected a number";
        QTest::newRow("list without match") << "lvwItems=D"
                                            << "no item is or starts with \"D\"";
        QTest::newRow("grid by name") << "vaKeywords=1"
                                      << "a grid is not answered by its name";
        QTest::newRow("label") << "lblTitle=x"
                               << "a QLabel takes no answer";
    }

    void badValues()
    {
        QFETCH(QString, answer);
        QFETCH(QString, reason);
        DialogDriver driver(answers({"txtItemf0=C001", answer}), false);
        driver.install();
        FilterDialog dialog;
        // A value that cannot be set must not be confirmed: the dialog is cancelled.
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Rejected));
        QVERIFY(!dialog.okClicked);
        QVERIFY(dialog.cancelClicked);
        QCOMPARE(driver.failures(),
                 strings(QStringLiteral("cannot answer %1 with \"%2\": %3")
                             .arg(answer.section(u'=', 0, 0), answer.section(u'=', 1), reason)));
        QVERIFY(driver.unusedControls().isEmpty());
    }

    void listItem_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("row");
        // The item whose text is the value, else the first whose text starts with it.
        QTest::newRow("exact text wins over an earlier prefix") << "C002" << 2;
        QTest::newRow("first item starting so") << "C00" << 0;
        QTest::newRow("prefix with Chinese") << QStringLiteral("C002 华") << 1;
    }

    void listItem()
    {
        QFETCH(QString, value);
        QFETCH(int, row);
        DialogDriver driver(answers({"lvwItems=" + value}), false);
        driver.install();
        FilterDialog dialog;
        QSignalSpy selection(dialog.list, &QListWidget::itemSelectionChanged);
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
        QCOMPARE(dialog.list->currentRow(), row);
        QCOMPARE(dialog.list->selectedItems(), QList<QListWidgetItem *>{dialog.list->item(row)});
        QVERIFY(selection.count() > 0);
    }

    // OK and Cancel are pressed by name; a dialog that refuses OK is cancelled; without those
    // names the dialog is closed directly.
    void buttons_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("refuse"); // the dialog refuses OK with a message
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("okClicked");
        QTest::addColumn<bool>("cancelClicked");
        QTest::newRow("Cancel") << true << false << true << int(QDialog::Rejected) << false << true;
        QTest::newRow("refused OK")
            << false << true << true << int(QDialog::Rejected) << true << true;
        QTest::newRow("unnamed OK")
            << false << false << false << int(QDialog::Accepted) << false << false;
        QTest::newRow("unnamed Cancel")
            << true << false << false << int(QDialog::Rejected) << false << false;
    }

    void buttons()
    {
        QFETCH(bool, cancel);
        QFETCH(bool, refuse);
        QFETCH(bool, named);
        QFETCH(int, result);
        QFETCH(bool, okClicked);
        QFETCH(bool, cancelClicked);
        varo::test::MessageRecorder messages;
        DialogDriver driver(answers({"txtItemf0=C001"}), cancel);
        driver.install();
        FilterDialog dialog(
            refuse ? FilterDialog::OkBehaviour::Refuse : FilterDialog::OkBehaviour::Accept, named);
        QCOMPARE(varo::ui::execModal(&dialog), result);
        QCOMPARE(dialog.okClicked, okClicked);
        QCOMPARE(dialog.cancelClicked, cancelClicked);
        QCOMPARE(messages.texts(), refuse ? strings(QStringLiteral("请输入日期!")) : QStringList());
        // The answers are set before either button is pressed.
        QCOMPARE(dialog.text->text(), QStringLiteral("C001"));
    }

    void emptyDate()
    {
        DialogDriver driver(answers({"DtpTo="}), false);
        driver.install();
        FilterDialog dialog;
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
        QVERIFY(dialog.emptyable->isEmpty());

        // A date given to an empty picker fills it again.
        DialogDriver refill(answers({"DtpTo=2024-03-01"}), false);
        refill.install();
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
        QVERIFY(!dialog.emptyable->isEmpty());
        QCOMPARE(dialog.emptyable->date(), QDate(2024, 3, 1));
    }

    void answersEachDialogOfItsOwn()
    {
        DialogDriver driver(answers({"lvwLookup=乙", "txtCode=7", "txtItemf0=C001"}), false);
        driver.install();
        FilterDialog dialog(FilterDialog::OkBehaviour::OpenLookup);
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
        QCOMPARE(driver.dialogCount(), 2);
        QCOMPARE(dialog.lookupResult, int(QDialog::Accepted));
        QCOMPARE(dialog.lookupText, QStringLiteral("乙7"));
        QCOMPARE(dialog.text->text(), QStringLiteral("C001"));
        // The lookup window's controls are answered when it is shown, not with its parent's.
        QCOMPARE(dialog.codeBeforeLookup, QString());
        QVERIFY(driver.failures().isEmpty());
        QVERIFY(driver.unusedControls().isEmpty());
    }

    void unusedControls()
    {
        DialogDriver driver(answers({"txtItemf0=C001", "txtItemf9=x", "txtItemf9=y", "cmdOk=1"}),
                            false);
        QCOMPARE(driver.unusedControls(), strings("txtItemf0", "txtItemf9", "cmdOk"));
        driver.install();
        FilterDialog dialog;
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
        // Names match exactly: "cmdOk" is not the dialog's "cmdOK".
        QCOMPARE(driver.unusedControls(), strings("txtItemf9", "cmdOk"));
    }

    // Keyword grid cells take answer text by the kind of value they already hold.
    void cellValues_data()
    {
        QTest::addColumn<QVariant>("initial");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QVariant>("result"); // invalid: the cell refuses with the given reason
        QTest::addColumn<QString>("why");
        // Dates in both accepted forms are answered end to end by the command-line test.
        QTest::newRow("not a date") << QVariant(QDate::currentDate()) << "01.05.2024" << QVariant()
                                    << "expected a date yyyy-MM-dd";
        QTest::newRow("number") << QVariant(0.0) << " 12.5 " << QVariant(12.5) << "";
        QTest::newRow("not a number")
            << QVariant(0.0) << "12,5" << QVariant() << "expected a number";
        QTest::newRow("text kept as given")
            << QVariant(QString()) << " a|b " << QVariant(" a|b ") << "";
    }

    void cellValues()
    {
        QFETCH(QVariant, initial);
        QFETCH(QString, value);
        QFETCH(QVariant, result);
        QFETCH(QString, why);
        QTableWidgetItem cell;
        cell.setData(Qt::EditRole, initial);
        QCOMPARE(varo::report::setCellValue(&cell, value), why);
        QCOMPARE(cell.data(Qt::EditRole), result.isValid() ? result : initial);
    }
};

VARO_TEST_MAIN(TestDialogDriver)
#include "tst_app_dialogdriver.moc"
