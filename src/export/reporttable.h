// A report's result as a table to show or to export: the title lines, the visible columns with
// their two header levels, the rows and the totals record, read from the containers a report
// object hands its host (Title, Header, VectRs). Nothing is copied: cells are read from the
// row records when asked for, and a RowReader reads them without copying their texts.
#pragma once

#include "platform/containers.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace varo::exporting
{

struct Column {
    QString name;         // FColName; rows are looked up by it without regard to letter case
    QString caption;      // FColCaption
    QString group;        // FHeadSecond: the second header level, "" for none
    bool numeric = false; // FColType "N", or a column the totals record sums
};

// A run of adjacent columns sharing a non-empty second-level caption.
struct HeaderGroup {
    QString caption;
    int first = 0;
    int count = 0;
};

class ReportTable
{
public:
    ReportTable() = default;
    // title: records with FCaption; header: records with FColCaption, FHeadSecond, FColType,
    // FColName, FVisible (invisible ones are left out); rows: VectRs, or nothing.
    ReportTable(const QString &name, const Vector &title, const Vector &header, const Vector &rows);

    const QString &name() const { return m_name; }
    const QStringList &titleLines() const { return m_titles; }
    const QList<Column> &columns() const { return m_columns; }
    QList<HeaderGroup> groups() const;
    bool hasGroups() const;

    qsizetype rowCount() const { return m_rowCount; } // without the totals record
    QString cell(qsizetype row, int column) const;
    // Every column's cell of a row at once.
    QStringList rowCells(qsizetype row) const;
    bool hasTotals() const { return m_hasTotals; }
    QString totalsCell(int column) const;
    QStringList totalsCells() const;

    // The same table with its rows in another order: rows[i] is the row of this table shown as
    // row i. The titles, the header and the totals record, still last, stay as they are.
    ReportTable reordered(std::vector<qint32> rows) const;

private:
    friend class RowReader;
    // Where each column's field is in the records of one key table; -1 for a missing one.
    struct Layout {
        std::shared_ptr<const DictionaryKeys> keys;
        std::vector<int> positions;
    };
    // Row numbers count the totals record as the row after the last.
    Dictionary record(qsizetype row) const;
    const std::vector<int> &positionsIn(const Dictionary &record, Layout &layout) const;
    QString recordCell(qsizetype row, int column) const;
    QStringList recordCells(qsizetype row) const;

    QString m_name;
    QStringList m_titles;
    QList<Column> m_columns;
    Vector m_rows;
    qsizetype m_rowCount = 0;
    bool m_hasTotals = false;
    std::shared_ptr<const std::vector<qint32>> m_order; // none: the engine's order
    mutable Layout m_layout;                            // of the record read last
};

// Reads a table's rows for a pass through many of them (the exports, sorting): each column's
// field is found once for each key table (the engine's row records all share one), and texts
// are read where the records keep them, without a copy. Row numbers are as in ReportTable; the
// row after the last is the totals record.
class RowReader
{
public:
    explicit RowReader(const ReportTable &table);

    // Every column's cell of a row; the views stay valid until the next read or cell.
    const std::vector<QStringView> &read(qsizetype row);
    // One cell, valid until the next read or cell.
    QStringView cell(qsizetype row, int column);
    // Whether the last read only gave texts as the records keep them (not values of another
    // kind turned into text): such views stay valid as long as the table.
    bool inPlace() const { return m_inPlace; }

private:
    QStringView fieldText(int position, int column);

    const ReportTable &m_table;
    ReportTable::Layout m_layout;
    Dictionary m_record; // the record read last, whose texts the views show
    std::vector<QStringView> m_cells;
    std::vector<QString> m_converted; // per column, the text of a value that is no text
    bool m_inPlace = true;
};

// A numeric column's cell as a number: plain decimal notation only, so that a code with
// leading zeros ("007"), a text, a number with separators, or one of more digits than a
// double keeps exactly (an 18-digit identifier) stays text.
std::optional<double> numberIn(QStringView text);

} // namespace varo::exporting
