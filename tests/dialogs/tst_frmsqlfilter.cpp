// The keyword dialog driven offscreen: the cells each value type gets, what is remembered per
// report and keyword and how it comes back, the checks at confirmation, the values and titles
// handed on, the dialog's keys, the item lookup and its drop-down button, and every way out.
#include "common/fakes.h"
#include "common/testsupport.h"
#include "dialogs/keywords/frmsqlfilter.h"
#include "platform/automation.h"
#include "platform/settings.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QAbstractSpinBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace varo;
using varo::dialogs::frmSQLFilter;

namespace
{

const QString kKey = QStringLiteral("R");
const QString kApp = QStringLiteral("PelReportCenter");

// Grid columns as the dialog numbers them; the widget counts from 0.
constexpr int kCaption = 0, kValue = 1, kFlag = 2;

Dictionary record(const QString &keyword, const QVariant &type, const QString &source = {},
                  const QString &caption = QStringLiteral("名"))
{
    return test::dictionary({{"FKeyWord", keyword},
                             {"FCaption", caption},
                             {"FValueType", type},
                             {"FSourceField", source}});
}

// Text rows #K1#, #K2#, ... captioned C1, C2, ...
QList<Dictionary> textRecords(int count)
{
    QList<Dictionary> records;
    for (int i = 1; i <= count; ++i)
        records << record(QStringLiteral("#K%1#").arg(i), 2, {}, QStringLiteral("C%1").arg(i));
    return records;
}

QString remembered(const QString &keyword)
{
    return settings::get(kApp, kKey, keyword);
}

QVariant valueOf(const Vector &list, int index, const char *name)
{
    return list.Item(index).value<Dictionary>().value(QString::fromLatin1(name));
}

} // namespace

class TestFrmSQLFilter : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::MessageRecorder> m_messages;
    std::unique_ptr<test::TemporarySettingsFile> m_settings;
    std::unique_ptr<frmSQLFilter> m_dialog;
    QTableWidget *m_grid = nullptr;

    // Loads a new dialog for report kKey with the records, as the report objects do, but shown
    // without a modal loop so the test can work in it.
    void open(const QList<Dictionary> &records)
    {
        Vector keys = Vector::create();
        for (const Dictionary &r : records)
            keys.Add(QVariant::fromValue(r));
        m_dialog = std::make_unique<frmSQLFilter>();
        m_dialog->setKeywords(keys);
        m_dialog->setRptID(0);
        m_dialog->setRptKey(kKey);
        m_dialog->show();
        m_grid = m_dialog->findChild<QTableWidget *>(QStringLiteral("vaKeywords"));
        QVERIFY(m_grid);
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    }

    QTableWidgetItem *cell(int row, int column) const { return m_grid->item(row - 1, column); }
    void tick(int row) { cell(row, kFlag)->setCheckState(Qt::Checked); }
    bool ok() const { return m_dialog->m_Result().value(QStringLiteral("OK")).toBool(); }

    // The editor of the row's value cell, which entering the cell opens.
    QWidget *editValue(int row)
    {
        m_grid->setFocus();
        m_grid->setCurrentCell(row - 1, kValue);
        return m_grid->indexWidget(m_grid->model()->index(row - 1, kValue));
    }

private Q_SLOTS:
    void init()
    {
        test::ScriptedItemLook::install();
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        m_messages = std::make_unique<test::MessageRecorder>();
        m_settings = std::make_unique<test::TemporarySettingsFile>();
    }

    void cleanup()
    {
        m_grid = nullptr;
        m_dialog.reset();
        m_settings.reset();
        m_messages.reset();
        QLocale::setDefault(QLocale::system());
    }

    // One keyword row per value type, first without and then with a remembered entry; the
    // value it hands on and the entry it leaves.
    void cells_data()
    {
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
        QTest::addColumn<QVariant>("type");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("ticked");

        QTest::newRow("empty type: date, today") << QVariant("") << ""
                                                 << "QDateEdit" << QVariant(today) << false;
        QTest::newRow("date remembered") << QVariant(0) << "2024/03/05|1"
                                         << "QDateEdit" << QVariant("2024/03/05") << true;
        QTest::newRow("date remembered with dashes")
            << QVariant("0") << "2024-12-31|0"
            << "QDateEdit" << QVariant("2024/12/31") << false;
        QTest::newRow("invalid date ignored, flag kept") << QVariant(0) << "2024/02/30|1"
                                                         << "QDateEdit" << QVariant(today) << true;
        QTest::newRow("decimal starts at 0") << QVariant(1) << ""
                                             << "QDoubleSpinBox" << QVariant(0.0) << false;
        QTest::newRow("decimal remembered") << QVariant("1") << "12.5|0"
                                            << "QDoubleSpinBox" << QVariant(12.5) << false;
        QTest::newRow("decimal read by its leading number")
            << QVariant(1) << "3.25kg|1"
            << "QDoubleSpinBox" << QVariant(3.25) << true;
        QTest::newRow("text starts empty") << QVariant(2) << ""
                                           << "QLineEdit" << QVariant("") << false;
        QTest::newRow("text remembered with blanks") << QVariant(2) << "  a b |1"
                                                     << "QLineEdit" << QVariant("  a b ") << true;
        QTest::newRow("type read by its leading number") << QVariant("2 (text)") << "x|0"
                                                         << "QLineEdit" << QVariant("x") << false;
        QTest::newRow("value with a bar: flag from after it")
            << QVariant(2) << "a|1|0"
            << "QLineEdit" << QVariant("a") << true;
        QTest::newRow("entry without flag") << QVariant(2) << "abc"
                                            << "QLineEdit" << QVariant("abc") << false;
        QTest::newRow("flag other than 1") << QVariant(2) << "abc|yes"
                                           << "QLineEdit" << QVariant("abc") << false;
        QTest::newRow("whole number remembered") << QVariant(3) << "42|0"
                                                 << "QLineEdit" << QVariant("42") << false;
        QTest::newRow("non-numeric whole number ignored") << QVariant(3) << "4x|1"
                                                          << "QLineEdit" << QVariant("") << true;
        QTest::newRow("other type: plain cell, never remembered")
            << QVariant(7) << "q|1"
            << "QLineEdit" << QVariant("") << true;
    }
    void cells()
    {
        QFETCH(QVariant, type);
        QFETCH(QString, entry);
        QFETCH(QString, editor);
        QFETCH(QVariant, value);
        QFETCH(bool, ticked);
        if (!entry.isEmpty())
            settings::save(kApp, kKey, QStringLiteral("#K#"), entry);
        open({record(QStringLiteral("#K#"), type)});
        QCOMPARE(cell(1, kFlag)->checkState(), ticked ? Qt::Checked : Qt::Unchecked);
        QWidget *edit = editValue(1);
        QVERIFY(edit);
        QVERIFY2(edit->inherits(qPrintable(editor)), edit->metaObject()->className());

        m_dialog->cmdOK_Click();
        QVERIFY(ok());
        const QVariant handed = valueOf(m_dialog->Keywords(), 0, "FValue");
        QCOMPARE(handed.typeId(), value.typeId());
        QCOMPARE(handed, value);
        QCOMPARE(remembered(QStringLiteral("#K#")),
                 toText(value) + (ticked ? QStringLiteral("|1") : QStringLiteral("|0")));
    }

    // The grid's shape and what the dialog holds before anything is confirmed.
    void loading()
    {
        open({record(QStringLiteral("#A#"), 0, QStringLiteral("ITEM"), QStringLiteral("甲")),
              record(QStringLiteral(" #B# "), QStringLiteral("2"), {}, QStringLiteral("乙"))});
        QCOMPARE(m_grid->rowCount(), 2);
        QCOMPARE(m_grid->columnCount(), 9);
        for (int c = 0; c < 9; ++c)
            QCOMPARE(m_grid->isColumnHidden(c), c >= 5);
        const QStringList expected{"甲", "#A#", "0", "ITEM"};
        const int columns[] = {0, 3, 4, 7};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(cell(1, columns[i])->text(), expected.at(i));
        QCOMPARE(cell(2, 3)->text(), QStringLiteral(" #B# "));
        QVERIFY(!ok());
        QCOMPARE(m_dialog->Keywords().Count(), 2);
        QVERIFY(m_dialog->Titles().isNull());
        // The members the report objects reach by name.
        QVariantList none;
        QCOMPARE(invokeMember(m_dialog.get(), QStringLiteral("rptkey"), none).toString(), kKey);
        QVERIFY(!invokeMember(m_dialog.get(), QStringLiteral("M_RESULT"), none)
                     .value<Dictionary>()
                     .isNull());
    }

    // Values and titles handed on, in row order; keywords trimmed.
    void confirming()
    {
        open(textRecords(4) << record(QStringLiteral(" #D# "), 1));
        for (int row = 1; row <= 4; ++row)
            cell(row, kValue)->setText(QStringLiteral(" v%1").arg(row));
        cell(5, kValue)->setData(Qt::EditRole, 12.5);
        tick(2);
        tick(4);
        tick(5);
        m_dialog->cmdOK_Click();
        QVERIFY(ok());
        QVERIFY(m_dialog->isHidden());
        const Vector keywords = m_dialog->Keywords();
        QCOMPARE(keywords.Count(), 5);
        QCOMPARE(keywords.Item(0).value<Dictionary>().keys(), QStringList({"FValue", "FKeyword"}));
        QCOMPARE(valueOf(keywords, 1, "FValue"), QVariant(" v2"));
        QCOMPARE(valueOf(keywords, 4, "FKeyword"), QVariant("#D#"));
        QCOMPARE(valueOf(keywords, 4, "FValue"), QVariant(12.5));
        const Vector titles = m_dialog->Titles();
        QCOMPARE(titles.Count(), 3);
        const QStringList captions{"C2:  v2", "C4:  v4", "名: 12.5"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(valueOf(titles, i, "FCaption"), QVariant(captions.at(i)));
            QCOMPARE(valueOf(titles, i, "FIndex"), QVariant(qint32(i)));
        }
        QCOMPARE(remembered(QStringLiteral("#D#")), QStringLiteral("12.5|1"));
        QCOMPARE(remembered(QStringLiteral("#K1#")), QStringLiteral(" v1|0"));
        // Another report's entry under the same keyword stays apart.
        QCOMPARE(settings::get(kApp, QStringLiteral("R2"), QStringLiteral("#K1#")), QString());
        QCOMPARE(m_messages->texts(), QStringList());
    }

    void titleLimit_data()
    {
        QTest::addColumn<int>("ticked");
        QTest::newRow("11 accepted") << 11;
        QTest::newRow("12 refused") << 12;
    }
    void titleLimit()
    {
        QFETCH(int, ticked);
        open(textRecords(13));
        for (int row = 1; row <= ticked; ++row)
            tick(row);
        const Vector input = m_dialog->Keywords();
        m_dialog->cmdOK_Click();
        const bool refused = ticked > 11;
        QCOMPARE(ok(), !refused);
        QCOMPARE(m_dialog->isVisible(), refused);
        if (refused)
            QVERIFY(m_dialog->Titles().isNull());
        else
            QCOMPARE(m_dialog->Titles().Count(), ticked);
        QCOMPARE(m_dialog->Keywords() == input, refused);
        QCOMPARE(remembered(QStringLiteral("#K1#")).isEmpty(), refused);
        if (refused) {
            QCOMPARE(m_messages->messages().size(), 1);
            const test::RecordedMessage &box = m_messages->messages().first();
            QCOMPARE(box.text, QStringLiteral("作为标题的关键字不能超过11个"));
            QCOMPARE(box.icon, ui::MessageIcon::Information);
            QCOMPARE(box.title, QStringLiteral("沐岩提示"));
        }
    }

    // An empty sort rule stops the confirmation at its row: the rows before it are remembered,
    // it and the rows after it are not.
    void sortRule_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("refused");
        QTest::newRow("#FSortRule# empty") << "#FSortRule#"
                                           << "" << true;
        QTest::newRow("*fsortrule* empty") << " *fsortrule* "
                                           << "" << true;
        QTest::newRow("upper case empty") << "#FSORTRULE#"
                                          << "" << true;
        QTest::newRow("sort rule given") << "#FSortRule#"
                                         << "FDate" << false;
        QTest::newRow("another keyword empty") << "#FSortRules#"
                                               << "" << false;
    }
    void sortRule()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, value);
        QFETCH(bool, refused);
        settings::save(kApp, kKey, QStringLiteral("#K1#"), QStringLiteral("old|0"));
        settings::save(kApp, kKey, QStringLiteral("#K2#"), QStringLiteral("old|0"));
        open({textRecords(1).first(), record(keyword, 2), textRecords(2).last()});
        cell(1, kValue)->setText(QStringLiteral("new"));
        cell(2, kValue)->setText(value);
        cell(3, kValue)->setText(QStringLiteral("new"));
        tick(1);
        m_dialog->cmdOK_Click();
        QCOMPARE(ok(), !refused);
        QCOMPARE(remembered(QStringLiteral("#K1#")), QStringLiteral("new|1"));
        QCOMPARE(remembered(keyword.trimmed()), refused ? QString() : value + QStringLiteral("|0"));
        QCOMPARE(remembered(QStringLiteral("#K2#")),
                 refused ? QStringLiteral("old|0") : QStringLiteral("new|0"));
        if (!refused) {
            QCOMPARE(m_messages->texts(), QStringList());
            return;
        }
        QCOMPARE(m_messages->messages().size(), 1);
        const test::RecordedMessage &box = m_messages->messages().first();
        QCOMPARE(box.text, QStringLiteral("请输入排序规则。"));
        QCOMPARE(box.icon, ui::MessageIcon::None);
        QCOMPARE(box.title, QString());
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->Keywords().Count(), 1); // the partial list of the refused attempt
        // Cancelling now leaves nothing to read but the outcome.
        m_dialog->cmdCacel_Click();
        QVERIFY(!ok());
        QVERIFY(m_dialog->Keywords().isNull());
        QVERIFY(m_dialog->Titles().isNull());
    }

    // A date cell writes its value with the user's locale date separator, is remembered that
    // way, and reads back in a later dialog.
    void dateLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("written");
        QTest::newRow("zh_CN") << QLocale(QLocale::Chinese, QLocale::China) << "2024/03/05";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "2024.03.05";
        QTest::newRow("sv_SE") << QLocale(QLocale::Swedish, QLocale::Sweden) << "2024-03-05";
    }
    void dateLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, written);
        QLocale::setDefault(locale);
        open({record(QStringLiteral("#D#"), 0)});
        auto *edit = qobject_cast<QDateEdit *>(editValue(1));
        QVERIFY(edit);
        edit->setDate(QDate(2024, 3, 5));
        m_dialog->cmdOK_Click();
        QCOMPARE(valueOf(m_dialog->Keywords(), 0, "FValue"), QVariant(written));
        QCOMPARE(remembered(QStringLiteral("#D#")), written + QStringLiteral("|0"));
        open({record(QStringLiteral("#D#"), 0)});
        QCOMPARE(cell(1, kValue)->data(Qt::EditRole), QVariant(QDate(2024, 3, 5)));
    }

    // Enter moves on as Tab does; an apostrophe never reaches a value.
    void keys()
    {
        open(textRecords(2));
        m_grid->setFocus();
        m_grid->setCurrentCell(0, kValue);
        QTest::keyClick(m_grid, Qt::Key_Return);
        QCOMPARE(m_grid->currentColumn(), kFlag);
        QVERIFY(m_dialog->isVisible());
        QVERIFY(!ok());

        auto *edit = qobject_cast<QLineEdit *>(editValue(2));
        QVERIFY(edit);
        QTest::keyClicks(edit, QStringLiteral("it's"));
        QCOMPARE(edit->text(), QStringLiteral("its"));
        edit->insert(QStringLiteral("'x"));
        QVERIFY(!edit->text().contains(u'\''));
        // Enter in an editor ends the edit and moves on, keeping the value.
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(cell(2, kValue)->text(), QStringLiteral("its"));
        QVERIFY(m_dialog->isVisible());
    }

    // F7 and the drop-down button: the lookup runs only on column 2 of a row with a source
    // field and replaces the cell, an empty answer included.
    void lookup_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("result");
        QTest::newRow("F7 on the value") << 1 << kValue << "F7"
                                         << "A05" << QStringList{"ITEM"} << "A05";
        QTest::newRow("empty answer written") << 1 << kValue << "F7"
                                              << "" << QStringList{"ITEM"} << "";
        QTest::newRow("F7 on the caption") << 1 << kCaption << "F7"
                                           << "A05" << QStringList{} << "typed";
        QTest::newRow("F7 on the flag") << 1 << kFlag << "F7"
                                        << "A05" << QStringList{} << "typed";
        QTest::newRow("F7 without source field") << 2 << kValue << "F7"
                                                 << "A05" << QStringList{} << "typed";
        QTest::newRow("button on the value") << 1 << kValue << "button"
                                             << "B7" << QStringList{"ITEM"} << "B7";
        QTest::newRow("button beside the flag") << 1 << kFlag << "button"
                                                << "B7" << QStringList{} << "typed";
        QTest::newRow("lookup failure") << 1 << kValue << "fail"
                                        << "X" << QStringList{"ITEM"} << "";
    }
    void lookup()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(QStringList, keys);
        QFETCH(QString, result);
        open({record(QStringLiteral("#A#"), 2, QStringLiteral(" ITEM ")),
              record(QStringLiteral("#B#"), 2)});
        for (int r = 1; r <= 2; ++r)
            cell(r, kValue)->setText(QStringLiteral("typed"));
        test::ScriptedItemLook::script().answer = answer;
        test::ScriptedItemLook::script().failWith = how == u"fail" ? 5 : 0;
        m_grid->setFocus();
        m_grid->setCurrentCell(row - 1, column);
        QCOMPARE(qobject_cast<QLineEdit *>(QApplication::focusWidget()) != nullptr,
                 column == kValue);
        // The key goes where a person's would: into the value's open editor, if any.
        if (how == u"button")
            m_dialog->findChild<QToolButton *>(QStringLiteral("Drop"))->click();
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F7);
        QCOMPARE(test::ScriptedItemLook::script().keys, keys);
        // Confirming commits the open editor: it must hold the looked-up value by then.
        m_dialog->cmdOK_Click();
        QCOMPARE(valueOf(m_dialog->Keywords(), row - 1, "FValue"), QVariant(result));
        QCOMPARE(valueOf(m_dialog->Keywords(), 2 - row, "FValue"), QVariant("typed"));
        QCOMPARE(m_messages->texts(), how == u"fail"
                                          ? QStringList{"错误编号:5,错误描述:选择窗口打不开"}
                                          : QStringList());
    }

    // The button follows the current row when that row has a source field, with its right edge
    // at the end of the value column.
    void dropButton()
    {
        QList<Dictionary> records = textRecords(4);
        records[0] = record(QStringLiteral("#A#"), 2, QStringLiteral("ITEM"));
        records[3] = record(QStringLiteral("#D#"), 2, QStringLiteral("CUST"));
        open(records);
        auto *button = m_dialog->findChild<QWidget *>(QStringLiteral("picShow"));
        QVERIFY(button->isHidden());
        const QRect grid = m_grid->geometry();
        const int top = grid.top() + m_grid->horizontalHeader()->height();

        m_grid->setCurrentCell(0, kFlag);
        QVERIFY(button->isVisible());
        QCOMPARE(button->geometry().right() + 1,
                 grid.left() + m_grid->columnWidth(0) + m_grid->columnWidth(1));
        QCOMPARE(button->y(), top);
        m_grid->setCurrentCell(1, kValue);
        QVERIFY(button->isHidden());
        // Below rows 1 to 3, plus 5 twips per row number up to 3: 30 twips, 2 pixels.
        m_grid->setCurrentCell(3, kCaption);
        QVERIFY(button->isVisible());
        const int rows = m_grid->rowHeight(0) + m_grid->rowHeight(1) + m_grid->rowHeight(2);
        QCOMPARE(button->y(), top + rows + 2);
    }

    // The modal show as the report objects use it, ended each way.
    void ending_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("OK") << "cmdOK" << true;
        QTest::newRow("Alt+O") << "alt+o" << true;
        QTest::newRow("Cancel") << "cmdCacel" << false;
        QTest::newRow("Alt+E") << "alt+e" << false;
        QTest::newRow("close box") << "close" << false;
        QTest::newRow("Escape") << "escape" << false;
        QTest::newRow("refused, then Cancel") << "refused" << false;
    }
    void ending()
    {
        QFETCH(QString, how);
        QFETCH(bool, confirmed);
        open(textRecords(12));
        m_dialog->hide();
        test::ScopedModalDriver driver([&](QDialog *shown) {
            QVERIFY(QTest::qWaitForWindowActive(shown));
            cell(1, kValue)->setText(QStringLiteral("v"));
            auto *grid = m_grid;
            if (how.startsWith(u"alt+")) {
                QTest::keyClick(grid, how == u"alt+o" ? Qt::Key_O : Qt::Key_E, Qt::AltModifier);
            } else if (how == u"close") {
                shown->close();
            } else if (how == u"escape") {
                QTest::keyClick(grid, Qt::Key_Escape);
            } else if (how == u"refused") {
                for (int row = 1; row <= 12; ++row)
                    tick(row);
                shown->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
                QVERIFY(shown->isVisible());
                shown->findChild<QPushButton *>(QStringLiteral("cmdCacel"))->click();
            } else {
                shown->findChild<QPushButton *>(how)->click();
            }
            QTRY_VERIFY_WITH_TIMEOUT(!shown->isVisible(), 2000);
        });
        QTimer::singleShot(5000, m_dialog.get(), [this] { m_dialog->hide(); });
        ui::execModal(m_dialog.get());
        QCOMPARE(ok(), confirmed);
        QCOMPARE(m_dialog->Keywords().isNull(), !confirmed);
        QCOMPARE(m_dialog->Titles().isNull(), !confirmed);
        QCOMPARE(remembered(QStringLiteral("#K1#")), confirmed ? QStringLiteral("v|0") : QString());
    }
};

VARO_TEST_MAIN(TestFrmSQLFilter)
#include "tst_frmsqlfilter.moc"
