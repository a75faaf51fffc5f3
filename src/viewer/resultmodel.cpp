#include "resultmodel.h"

#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <algorithm>
#include <limits>
#include <numeric>

namespace varo::viewer
{

namespace
{

QVariant alignment(const exporting::Column &column)
{
    return QVariant::fromValue(Qt::Alignment(column.numeric ? Qt::AlignRight | Qt::AlignVCenter
                                                            : Qt::AlignLeft | Qt::AlignVCenter));
}

} // namespace

QString shownCell(const exporting::Column &column, const QString &text)
{
    // What the exports write as a number is a number here too; a code such as "007" stays text.
    const std::optional<double> value = column.numeric ? exporting::numberIn(text) : std::nullopt;
    if (!value)
        return text;
    const qsizetype point = text.indexOf(u'.');
    if (text.contains(u'e', Qt::CaseInsensitive))
        return QLocale().toString(*value, 'g', 15);
    return QLocale().toString(*value, 'f', point < 0 ? 0 : int(text.size() - point - 1));
}

void ResultModel::setTable(const exporting::ReportTable &table)
{
    beginResetModel();
    m_table = table;
    m_order = {};
    endResetModel();
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.rowCount());
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.columns().size());
}

qsizetype ResultModel::resultRow(int row) const
{
    return m_order.empty() ? row : m_order[size_t(row)];
}

QString ResultModel::shownText(int row, int column) const
{
    return shownCell(m_table.columns().at(column), m_table.cell(resultRow(row), column));
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return shownText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return alignment(m_table.columns().at(index.column()));
    return QVariant();
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_table.columns().at(section).caption;
    return QVariant();
}

std::vector<qint32> ResultModel::sortedRows(int column, Qt::SortOrder order) const
{
    const size_t rows = size_t(m_table.rowCount());
    std::vector<qint32> sorted(rows, 0);
    std::iota(sorted.begin(), sorted.end(), 0);
    // The keys live only while sorting; cells that are no number sort before every number.
    const auto byKeys = [&sorted, order](const auto &keys) {
        std::stable_sort(sorted.begin(), sorted.end(), [&](qint32 a, qint32 b) {
            return order == Qt::DescendingOrder ? keys[size_t(b)] < keys[size_t(a)]
                                                : keys[size_t(a)] < keys[size_t(b)];
        });
    };
    if (m_table.columns().at(column).numeric) {
        std::vector<double> keys(rows, 0.0);
        for (size_t r = 0; r < rows; ++r) {
            keys[r] = exporting::numberIn(m_table.cell(qsizetype(r), column))
                          .value_or(-std::numeric_limits<double>::infinity());
        }
        byKeys(keys);
    } else {
        std::vector<QString> keys(rows, QString());
        for (size_t r = 0; r < rows; ++r)
            keys[r] = m_table.cell(qsizetype(r), column);
        byKeys(keys);
    }
    return sorted;
}

void ResultModel::sort(int column, Qt::SortOrder order)
{
    if (column >= columnCount() || (column < 0 && m_order.empty()))
        return;
    // A million rows take seconds to sort: the pointer says so meanwhile.
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    std::vector<qint32> sorted = column < 0 ? std::vector<qint32>() : sortedRows(column, order);
    QGuiApplication::restoreOverrideCursor();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The current cell and the selection follow their rows to their new places.
    const QModelIndexList before = persistentIndexList();
    if (!before.isEmpty()) {
        std::vector<qint32> placeOf(size_t(m_table.rowCount()));
        for (qint32 i = 0; i < qint32(placeOf.size()); ++i)
            placeOf[size_t(sorted.empty() ? i : sorted[size_t(i)])] = i;
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex &index : before)
            after.append(this->index(placeOf[size_t(resultRow(index.row()))], index.column()));
        m_order = std::move(sorted);
        changePersistentIndexList(before, after);
    } else {
        m_order = std::move(sorted);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TotalsModel::setTable(const exporting::ReportTable &table)
{
    beginResetModel();
    m_table = table;
    endResetModel();
}

int TotalsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table.hasTotals() ? 0 : 1;
}

int TotalsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.columns().size());
}

QVariant TotalsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const exporting::Column &column = m_table.columns().at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return shownCell(column, m_table.totalsCell(index.column()));
    case Qt::TextAlignmentRole:
        return alignment(column);
    case Qt::FontRole: {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    default:
        return QVariant();
    }
}

} // namespace varo::viewer
