// A report's result as a table to show or to export: the title lines, the visible columns with
// their two header levels, the rows and the totals record, read from the containers a report
// object hands its host (Title, Header, VectRs). Nothing is copied: cells are read from the
// row records when asked for.
#pragma once

#include "platform/containers.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

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
    // Every column's cell of a row at once: the fast way through a large result.
    QStringList rowCells(qsizetype row) const;
    bool hasTotals() const { return m_hasTotals; }
    QString totalsCell(int column) const;
    QStringList totalsCells() const;

private:
    QString recordCell(const Dictionary &record, int column) const;
    QStringList recordCells(const QVariant &record) const;

    QString m_name;
    QStringList m_titles;
    QList<Column> m_columns;
    Vector m_rows;
    qsizetype m_rowCount = 0;
    bool m_hasTotals = false;
    // Where each column's field was in the record read last; records of one result share
    // their field order, so the names are rarely looked up.
    mutable QList<int> m_positions;
};

// A numeric column's cell as a number: plain decimal notation only, so that a code with
// leading zeros ("007"), a text, a number with separators, or one of more digits than a
// double keeps exactly (an 18-digit identifier) stays text.
std::optional<double> numberIn(QStringView text);

} // namespace varo::exporting
