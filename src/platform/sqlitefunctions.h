// The SQL Server functions that report SQL uses and SQLite lacks, registered on a connection.
#pragma once

struct sqlite3;

namespace varo
{

// charindex(needle, haystack[, start]): 1-based position, 0 when absent, letter case ignored
// as under SQL Server's default collation. len(text): length without trailing blanks.
// Both give NULL when an argument is NULL.
bool registerSqlServerFunctions(sqlite3 *db);

} // namespace varo
