// Multi-row INSERT statements for the demo data: plain portable SQL with the values written as
// literals, many rows per statement, so that a few thousand rows need a few dozen round trips.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace varo::demo
{

// A value as an SQL literal: Empty and Null as null, numbers as they are, text between single
// quotes with inner quotes doubled.
QString sqlLiteral(const QVariant &value);

class InsertBuilder
{
public:
    InsertBuilder(const QString &table, const QStringList &columns, int rowsPerStatement = 100);

    void addRow(const QVariantList &values); // one value per column, in column order
    int rowCount() const { return m_rowCount; }
    QStringList statements() const;

private:
    QString m_head;
    int m_columnCount;
    int m_rowsPerStatement;
    int m_rowCount = 0;
    QStringList m_rows; // each row's "(v1, v2, ...)"
};

} // namespace varo::demo
