// The models of a result grid: the rows of a report, read from the engine's row records only as
// they are painted, and its totals record for the frozen row below them. Sorting keeps one row
// number per row, never a copy of a row.
#pragma once

#include "export/reporttable.h"

#include <QAbstractTableModel>
#include <vector>

namespace varo::viewer
{

// A cell as shown: numbers of a numeric column in the user's locale with the decimals the engine
// gave; everything else as the engine gave it.
QString shownCell(const exporting::Column &column, const QString &text);

class ResultModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the result; the engine's row order comes back.
    void setTable(const exporting::ReportTable &table);
    const exporting::ReportTable &table() const { return m_table; }
    // The result with its rows as the grid shows them, for exporting and printing.
    exporting::ReportTable tableInGridOrder() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Numbers as numbers in numeric columns, texts by their characters; rows that compare equal
    // keep the engine's order. A column of -1 brings the engine's order back.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The row of the result shown at a grid row.
    qsizetype resultRow(int row) const;
    QString shownText(int row, int column) const;

private:
    std::vector<qint32> sortedRows(int column, Qt::SortOrder order) const;

    exporting::ReportTable m_table;
    std::vector<qint32> m_order; // empty: the engine's order
};

// The totals record as a one-row model, bold; empty when the result has none.
class TotalsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setTable(const exporting::ReportTable &table);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    exporting::ReportTable m_table;
};

} // namespace varo::viewer
