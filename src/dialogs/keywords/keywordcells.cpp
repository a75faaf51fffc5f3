#include "keywordcells.h"

#include "platform/variant.h"

#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QTableWidgetItem>

namespace varo::dialogs
{

namespace
{
constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kDecimals = 4;

QString isoDate(QDate date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}
} // namespace

CellKind cellKindOf(const QVariant &valueType)
{
    const QString text = isNull(valueType) ? QString() : toText(valueType);
    switch (qint64(leadingNumber(text))) {
    case 0:
        return CellKind::Date;
    case 1:
        return CellKind::Decimal;
    case 2:
        return CellKind::Text;
    case 3:
        return CellKind::WholeNumber;
    default:
        return CellKind::Plain;
    }
}

CellKind cellKind(const QTableWidgetItem *cell)
{
    const QVariant kind = cell->data(kKindRole);
    return kind.isValid() ? CellKind(kind.toInt()) : CellKind::Plain;
}

void setUpCell(QTableWidgetItem *cell, CellKind kind)
{
    cell->setData(kKindRole, int(kind));
    switch (kind) {
    case CellKind::Date:
        cell->setData(Qt::EditRole, QDate::currentDate());
        break;
    case CellKind::Decimal:
        cell->setData(Qt::EditRole, 0.0);
        break;
    default:
        cell->setData(Qt::EditRole, QString());
        break;
    }
}

void applyRemembered(QTableWidgetItem *cell, const QString &value)
{
    switch (cellKind(cell)) {
    case CellKind::Date:
        if (const QDate date = parseKeywordDate(value); date.isValid())
            cell->setData(Qt::EditRole, date);
        break;
    case CellKind::Decimal:
        cell->setData(Qt::EditRole, leadingNumber(value));
        break;
    case CellKind::Text:
        cell->setData(Qt::EditRole, value);
        break;
    case CellKind::WholeNumber: {
        bool numeric = false;
        const double number = QLocale::c().toDouble(value.trimmed(), &numeric);
        if (numeric)
            cell->setData(Qt::EditRole, QString::number(qRound64(number)));
        break;
    }
    case CellKind::Plain:
        break;
    }
}

void setCellText(QTableWidgetItem *cell, const QString &text)
{
    switch (cellKind(cell)) {
    case CellKind::Date:
    case CellKind::Decimal:
        applyRemembered(cell, text);
        break;
    default:
        cell->setData(Qt::EditRole, text);
        break;
    }
}

QVariant cellValue(const QTableWidgetItem *cell)
{
    const QVariant data = cell->data(Qt::EditRole);
    switch (cellKind(cell)) {
    case CellKind::Date:
        return keywordDateText(data.toDate());
    case CellKind::Decimal:
        return data.toDouble();
    default:
        return data.toString();
    }
}

QChar localeDateSeparator()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (const QChar c : format) {
        if (c.isPunct())
            return c;
    }
    return u'/';
}

QString keywordDateText(QDate date)
{
    const QChar sep = localeDateSeparator();
    return date.toString(QStringLiteral("yyyy") + sep + QStringLiteral("MM") + sep +
                         QStringLiteral("dd"));
}

QDate parseKeywordDate(const QString &text)
{
    const QString t = text.trimmed();
    for (const char sep : {'/', '-', '.'}) {
        const QString format = QStringLiteral("yyyy%1M%1d").arg(QLatin1Char(sep));
        if (const QDate date = QDate::fromString(t, format); date.isValid())
            return date;
    }
    return QLocale().toDate(t, QLocale::ShortFormat);
}

QWidget *KeywordCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                           const QModelIndex &index) const
{
    const QVariant kind = index.data(kKindRole);
    switch (kind.isValid() ? CellKind(kind.toInt()) : CellKind::Plain) {
    case CellKind::Date: {
        auto *edit = new QDateEdit(parent);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        return edit;
    }
    case CellKind::Decimal: {
        auto *spin = new QDoubleSpinBox(parent);
        spin->setDecimals(kDecimals);
        spin->setRange(-1e15, 1e15);
        spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
        return spin;
    }
    case CellKind::WholeNumber: {
        auto *edit = new QLineEdit(parent);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[-+]?[0-9]*")), edit));
        return edit;
    }
    default: {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *edit = qobject_cast<QLineEdit *>(editor))
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[^'\\r]*")), edit));
        return editor;
    }
    }
}

QString KeywordCellDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    // Dates and decimals show as the grid's cells write them, whatever the locale.
    if (value.typeId() == QMetaType::QDate)
        return isoDate(value.toDate());
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'f', kDecimals);
    return QStyledItemDelegate::displayText(value, locale);
}

} // namespace varo::dialogs
