// The value cells of the keyword grid: the kind of value a keyword takes (date, decimal, text,
// whole number, or a plain cell), the editor each kind gets, and the text forms in which
// values are handed on and remembered.
#pragma once

#include <QDate>
#include <QStyledItemDelegate>
#include <QVariant>

class QTableWidgetItem;

namespace varo::dialogs
{

enum class CellKind { Date, Decimal, Text, WholeNumber, Plain };

// The kind that a keyword's FValueType number selects; text is read by its leading number,
// so an empty text is 0, a date.
CellKind cellKindOf(const QVariant &valueType);

// The kind stored in a value cell (Plain for a cell that holds none).
CellKind cellKind(const QTableWidgetItem *cell);
// Gives the cell its kind and initial content: today for a date, 0 for a decimal, nothing
// otherwise.
void setUpCell(QTableWidgetItem *cell, CellKind kind);
// Puts a remembered value part into the cell where its kind takes it: a readable date, any
// decimal (read by its leading number), any text, a numeric whole number; nothing else.
void applyRemembered(QTableWidgetItem *cell, const QString &value);
// Puts a looked-up text into the cell: a date when it reads as one, a decimal by its leading
// number, any other kind as it is, empty included.
void setCellText(QTableWidgetItem *cell, const QString &text);
// The value the cell hands on: a date as text in the locale's "yyyy/mm/dd", a decimal as a
// double, anything else as its text unchanged.
QVariant cellValue(const QTableWidgetItem *cell);

// The date separator of the user's locale (QLocale(), the system's unless the host chose
// another): the first punctuation character between the fields of its short date format, so
// "/" for zh_CN and en_US, "." for de_DE, "-" for sv_SE; "/" when that format has none.
QChar localeDateSeparator();
// "yyyy/MM/dd" with the locale's separator.
QString keywordDateText(QDate date);
// A date written year first with any of "/", "-", "." between the fields, or in the locale's
// short format; an invalid date otherwise.
QDate parseKeywordDate(const QString &text);

// Editors by cell kind. Text editors refuse the apostrophe, pasted or typed.
class KeywordCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

} // namespace varo::dialogs
