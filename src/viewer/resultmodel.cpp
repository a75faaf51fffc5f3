#include "resultmodel.h"

#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <algorithm>
#include <limits>

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

exporting::ReportTable ResultModel::tableInGridOrder() const
{
    return m_order.empty() ? m_table : m_table.reordered(m_order);
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

namespace
{

// A row's sort key with its row number: rows whose keys compare equal keep the engine's order,
// so an unstable sort gives the stable order.
template <class Key> struct Keyed {
    Key key;
    qint32 row;
};

template <class Key, class Compare>
std::vector<qint32> sortedBy(std::vector<Keyed<Key>> &keyed, Compare compare)
{
    std::sort(keyed.begin(), keyed.end(), [&compare](const Keyed<Key> &a, const Keyed<Key> &b) {
        const int order = compare(a, b);
        return order != 0 ? order < 0 : a.row < b.row;
    });
    std::vector<qint32> rows(keyed.size());
    for (size_t i = 0; i < keyed.size(); ++i)
        rows[i] = keyed[i].row;
    return rows;
}

// The first four UTF-16 units as one number that orders as the texts do, so that most
// comparisons need not read the texts.
quint64 prefixOf(QStringView text)
{
    quint64 prefix = 0;
    for (qsizetype i = 0; i < 4; ++i)
        prefix = prefix << 16 | (i < text.size() ? text[i].unicode() : 0u);
    return prefix;
}

} // namespace

std::vector<qint32> ResultModel::sortedRows(int column, Qt::SortOrder order) const
{
    const qint32 rows = qint32(m_table.rowCount());
    const auto count = size_t(rows);
    const int sign = order == Qt::DescendingOrder ? -1 : 1;
    exporting::RowReader reader(m_table);
    // Cells that are no number sort before every number.
    if (m_table.columns().at(column).numeric) {
        std::vector<Keyed<double>> keyed(count);
        for (qint32 r = 0; r < rows; ++r) {
            keyed[size_t(r)] = {exporting::numberIn(reader.cell(r, column))
                                    .value_or(-std::numeric_limits<double>::infinity()),
                                r};
        }
        return sortedBy(keyed, [sign](const Keyed<double> &a, const Keyed<double> &b) {
            return a.key == b.key ? 0 : (a.key < b.key ? -sign : sign);
        });
    }
    // The texts are read where the records keep them; only values of another kind are turned
    // into texts, which are kept here while sorting.
    std::vector<QStringView> texts(count);
    std::vector<QString> converted;
    std::vector<Keyed<quint64>> keyed(count);
    for (qint32 r = 0; r < rows; ++r) {
        QStringView text = reader.cell(r, column);
        if (!reader.inPlace()) {
            converted.push_back(text.toString());
            text = converted.back();
        }
        texts[size_t(r)] = text;
        keyed[size_t(r)] = {prefixOf(text), r};
    }
    return sortedBy(keyed, [sign, &texts](const Keyed<quint64> &a, const Keyed<quint64> &b) {
        if (a.key != b.key)
            return a.key < b.key ? -sign : sign;
        const int order = texts[size_t(a.row)].compare(texts[size_t(b.row)]);
        return order == 0 ? 0 : (order < 0 ? -sign : sign);
    });
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
