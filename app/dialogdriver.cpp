#include "dialogdriver.h"

#include "platform/ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeWidget>

namespace varo::report
{

namespace
{

// The widgets of this dialog's own window named so; a lookup window that is a child of the
// dialog is a window of its own and answered when it is shown.
QList<QWidget *> controlsNamed(QDialog *dialog, const QString &name)
{
    QList<QWidget *> found;
    const QList<QWidget *> all = dialog->findChildren<QWidget *>(name);
    for (QWidget *w : all) {
        if (w->window() == dialog)
            found.append(w);
    }
    return found;
}

QAbstractButton *buttonNamed(QDialog *dialog, const QString &name)
{
    for (QWidget *w : controlsNamed(dialog, name)) {
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            return button;
    }
    return nullptr;
}

// A date control that can be empty says so with a writable bool property "empty" or with a
// method setEmpty(bool); a plain QDateEdit always holds a date.
bool setEmptyState(QWidget *control, bool empty)
{
    const QMetaObject *mo = control->metaObject();
    const int p = mo->indexOfProperty("empty");
    if (p >= 0) {
        const QMetaProperty property = mo->property(p);
        if (property.isWritable() && property.metaType() == QMetaType::fromType<bool>())
            return property.write(control, empty);
    }
    const int m = mo->indexOfMethod("setEmpty(bool)");
    if (m >= 0)
        return mo->method(m).invoke(control, Qt::DirectConnection, Q_ARG(bool, empty));
    return false;
}

bool canBeEmpty(QWidget *control)
{
    const QMetaObject *mo = control->metaObject();
    return mo->indexOfProperty("empty") >= 0 || mo->indexOfMethod("setEmpty(bool)") >= 0;
}

QString setDate(QDateTimeEdit *edit, const QString &value)
{
    if (value.isEmpty()) {
        if (!setEmptyState(edit, true))
            return QStringLiteral("this date control cannot be empty");
        return QString();
    }
    const bool withTime = edit->displayedSections() & QDateTimeEdit::TimeSections_Mask;
    QDateTime dt = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd"));
    if (!dt.isValid() && withTime) {
        dt = QDateTime::fromString(value, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    if (!dt.isValid())
        return withTime ? QStringLiteral("expected a date yyyy-MM-dd or yyyy-MM-ddTHH:mm:ss")
                        : QStringLiteral("expected a date yyyy-MM-dd");
    if (dt.date() < edit->minimumDate() || dt.date() > edit->maximumDate())
        return QStringLiteral("the date is outside %1 to %2")
            .arg(edit->minimumDate().toString(Qt::ISODate),
                 edit->maximumDate().toString(Qt::ISODate));
    if (canBeEmpty(edit))
        setEmptyState(edit, false);
    if (withTime)
        edit->setDateTime(dt);
    else
        edit->setDate(dt.date());
    return QString();
}

template <typename Item, typename TextOf>
Item *matchingItem(const QList<Item *> &items, const QString &value, TextOf textOf)
{
    for (Item *item : items) {
        if (textOf(item) == value)
            return item;
    }
    for (Item *item : items) {
        if (textOf(item).startsWith(value))
            return item;
    }
    return nullptr;
}

QString setListItem(QListWidget *list, const QString &value)
{
    QList<QListWidgetItem *> items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i));
    QListWidgetItem *item =
        matchingItem(items, value, [](QListWidgetItem *it) { return it->text(); });
    if (!item)
        return QStringLiteral("no item is or starts with \"%1\"").arg(value);
    list->setCurrentItem(item);
    item->setSelected(true);
    return QString();
}

QString setTreeItem(QTreeWidget *tree, const QString &value)
{
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        items.append(tree->topLevelItem(i));
    QTreeWidgetItem *item =
        matchingItem(items, value, [](QTreeWidgetItem *it) { return it->text(0); });
    if (!item)
        return QStringLiteral("no item is or starts with \"%1\"").arg(value);
    tree->setCurrentItem(item);
    item->setSelected(true);
    return QString();
}

QString setNumber(QWidget *control, const QString &value)
{
    const QLocale c = QLocale::c();
    bool ok = false;
    if (auto *spin = qobject_cast<QSpinBox *>(control)) {
        const int n = c.toInt(value.trimmed(), &ok);
        if (!ok)
            return QStringLiteral("expected a whole number");
        if (n < spin->minimum() || n > spin->maximum())
            return QStringLiteral("the number is outside %1 to %2")
                .arg(spin->minimum())
                .arg(spin->maximum());
        spin->setValue(n);
        return QString();
    }
    auto *spin = qobject_cast<QDoubleSpinBox *>(control);
    const double d = c.toDouble(value.trimmed(), &ok);
    if (!ok)
        return QStringLiteral("expected a number");
    if (d < spin->minimum() || d > spin->maximum())
        return QStringLiteral("the number is outside %1 to %2")
            .arg(spin->minimum())
            .arg(spin->maximum());
    spin->setValue(d);
    return QString();
}

} // namespace

QString setControlValue(QWidget *control, const QString &value)
{
    // Check boxes and option buttons.
    if (auto *check = qobject_cast<QAbstractButton *>(control); check && check->isCheckable()) {
        if (value == u'1' || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            check->setChecked(true);
        else if (value == u'0' || value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            check->setChecked(false);
        else
            return QStringLiteral("a check box takes 1 or 0");
        return QString();
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        const int index = combo->findText(value, Qt::MatchExactly);
        if (index < 0)
            return QStringLiteral("no item \"%1\"").arg(value);
        combo->setCurrentIndex(index);
        return QString();
    }
    if (auto *edit = qobject_cast<QDateTimeEdit *>(control))
        return setDate(edit, value);
    if (qobject_cast<QSpinBox *>(control) || qobject_cast<QDoubleSpinBox *>(control))
        return setNumber(control, value);
    if (auto *line = qobject_cast<QLineEdit *>(control)) {
        line->setText(value);
        return QString();
    }
    if (auto *text = qobject_cast<QPlainTextEdit *>(control)) {
        text->setPlainText(value);
        return QString();
    }
    if (auto *text = qobject_cast<QTextEdit *>(control)) {
        text->setPlainText(value);
        return QString();
    }
    // Before QListWidget and QTreeWidget: a grid is answered cell by cell ("keyword:" answers),
    // never by its name.
    if (qobject_cast<QTableWidget *>(control))
        return QStringLiteral("a grid is not answered by its name");
    if (auto *list = qobject_cast<QListWidget *>(control))
        return setListItem(list, value);
    if (auto *tree = qobject_cast<QTreeWidget *>(control))
        return setTreeItem(tree, value);
    return QStringLiteral("a %1 takes no answer")
        .arg(QString::fromLatin1(control->metaObject()->className()));
}

QString setCellValue(QTableWidgetItem *cell, const QString &value)
{
    const QVariant current = cell->data(Qt::EditRole);
    if (current.typeId() == QMetaType::QDate) {
        QDate date = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid())
            date = QDate::fromString(value, QStringLiteral("yyyy/MM/dd"));
        if (!date.isValid())
            return QStringLiteral("expected a date yyyy-MM-dd");
        cell->setData(Qt::EditRole, date);
        return QString();
    }
    if (current.typeId() == QMetaType::Double) {
        bool ok = false;
        const double number = QLocale::c().toDouble(value.trimmed(), &ok);
        if (!ok)
            return QStringLiteral("expected a number");
        cell->setData(Qt::EditRole, number);
        return QString();
    }
    cell->setData(Qt::EditRole, value);
    return QString();
}

void pressOk(QDialog *dialog)
{
    if (QAbstractButton *ok = buttonNamed(dialog, QStringLiteral("cmdOK")))
        ok->click();
    else
        dialog->accept();
}

void pressCancel(QDialog *dialog)
{
    QPointer<QDialog> guard(dialog);
    QAbstractButton *cancel = buttonNamed(dialog, QStringLiteral("cmdCacel"));
    if (!cancel)
        cancel = buttonNamed(dialog, QStringLiteral("cmdCancel"));
    if (cancel && cancel->isEnabled())
        cancel->click();
    // A dialog whose Cancel did not close it is rejected, and failing that hidden, which ends
    // its event loop as well: the run must go on without a person.
    if (guard && guard->isVisible())
        guard->reject();
    if (guard && guard->isVisible())
        guard->hide();
}

DialogDriver::DialogDriver(QList<Answer> answers, bool cancel, QString screenshot)
    : m_answers(std::move(answers)), m_cancel(cancel), m_screenshot(std::move(screenshot))
{
}

DialogDriver::~DialogDriver()
{
    if (m_installed)
        ui::setModalDriver({});
}

void DialogDriver::install()
{
    ui::setModalDriver([this](QDialog *dialog) { drive(dialog); });
    m_installed = true;
}

void DialogDriver::drive(QDialog *dialog)
{
    ++m_dialogs;
    QPointer<QDialog> guard(dialog);
    bool failed = false;
    for (qsizetype i = 0; i < m_answers.size() && guard; ++i) {
        const Answer &answer = m_answers.at(i);
        if (!answer.kind.isEmpty())
            continue;
        const QList<QWidget *> controls = controlsNamed(dialog, answer.target);
        if (controls.isEmpty())
            continue;
        m_used.insert(i);
        const QString why = setControlValue(controls.first(), answer.value);
        if (!why.isEmpty()) {
            m_failures.append(QStringLiteral("cannot answer %1 with \"%2\": %3")
                                  .arg(answer.target, answer.value, why));
            failed = true;
        }
    }
    if (!guard)
        return;
    if (auto *grid = dialog->findChild<QTableWidget *>(QStringLiteral("vaKeywords"));
        grid && grid->window() == dialog && !answerGrid(grid))
        failed = true;
    if (m_dialogs == 1 && !m_screenshot.isEmpty() && !dialog->grab().save(m_screenshot, "PNG"))
        m_failures.append(QStringLiteral("cannot write the picture %1").arg(m_screenshot));
    if (failed || m_cancel) {
        pressCancel(dialog);
        return;
    }
    pressOk(dialog);
    // Still open: the dialog refused (a message told why, and was recorded).
    if (guard && guard->isVisible())
        pressCancel(dialog);
}

bool DialogDriver::answerGrid(QTableWidget *grid)
{
    // The keyword grid: a row per keyword, the value in the second column, the title flag in
    // the third, the keyword itself in the fourth.
    constexpr int valueColumn = 1, flagColumn = 2, keywordColumn = 3;
    bool ok = true;
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        const Answer &answer = m_answers.at(i);
        if (answer.kind.isEmpty())
            continue;
        m_used.insert(i);
        int row = -1;
        for (int r = 0; r < grid->rowCount() && row < 0; ++r) {
            if (grid->item(r, keywordColumn) &&
                grid->item(r, keywordColumn)->text().trimmed() == answer.target)
                row = r;
        }
        QString why;
        if (row < 0) {
            why = QStringLiteral("the keyword grid has no keyword %1").arg(answer.target);
        } else if (answer.kind == QLatin1String("keyword")) {
            why = setCellValue(grid->item(row, valueColumn), answer.value);
        } else if (answer.value == u'1' || answer.value == u'0') {
            grid->item(row, flagColumn)
                ->setCheckState(answer.value == u'1' ? Qt::Checked : Qt::Unchecked);
        } else {
            why = QStringLiteral("a title flag takes 1 or 0");
        }
        if (!why.isEmpty()) {
            m_failures.append(QStringLiteral("cannot answer %1: %2").arg(answer.text, why));
            ok = false;
        }
    }
    return ok;
}

QStringList DialogDriver::unusedKeywordAnswers() const
{
    QStringList texts;
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        if (!m_answers.at(i).kind.isEmpty() && !m_used.contains(i))
            texts.append(m_answers.at(i).text);
    }
    return texts;
}

QStringList DialogDriver::unusedControls() const
{
    QStringList names;
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        if (m_answers.at(i).kind.isEmpty() && !m_used.contains(i) &&
            !names.contains(m_answers.at(i).target))
            names.append(m_answers.at(i).target);
    }
    return names;
}

} // namespace varo::report
