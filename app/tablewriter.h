// The report as text for people and spreadsheets: an aligned table (title lines, column
// captions, rows, and the totals record under a separator) and CSV (captions and rows,
// RFC 4180). Columns follow the report's Header; cells are looked up by each column's FColName.
// Rows are written one at a time as they are produced; the table reads the rows once more
// beforehand for the widths of its columns. The table shows control characters as escapes,
// CSV keeps every text exact.
#pragma once

#include "stepresult.h"
#include "textout.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace varo::report
{

// Lines of cells padded to the widest cell of each column by display width, two blanks apart;
// blanks at the ends of lines are dropped.
QStringList alignedLines(const QList<QStringList> &rows);

// A value as a cell: Empty and Null are empty, numbers and dates as the engine writes them as
// text, containers as JSON.
QString cellText(const QVariant &value);

// A field, quoted when it holds a comma, a quote or a line break.
QString csvField(const QString &text);

// The report of a step as a table / as CSV lines ending in CRLF.
void writeReportTable(TextOut &out, const StepResult &result);
void writeReportCsv(TextOut &out, const StepResult &result);
QString reportTable(const StepResult &result);
QString reportCsv(const StepResult &result);

// Whether the last row record is the totals record: its value under the rows' first field is
// the totals caption.
bool endsWithTotals(const QList<QVariant> &rows);

} // namespace varo::report
