// The tables of the demo database: the six report definition tables the engine reads and the
// trading company's business tables the reports query. Portable SQL for SQLite and PostgreSQL;
// names are unquoted, so PostgreSQL folds them to lower case exactly as it folds the engine's
// own statements. Dates are 'yyyy-MM-dd' text on both databases, so that date filters compare
// the same way everywhere; prices and amounts are whole yuan (integers), so that totals are exact
// on both and the report results match row for row.
#pragma once

#include <QStringList>

namespace varo::demo
{

QStringList definitionTableStatements();
QStringList businessTableStatements();

// Every table the demo creates, definition tables first.
QStringList demoTableNames();

} // namespace varo::demo
