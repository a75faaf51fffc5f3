// The rows of a statement on a PostgreSQL server, read through libpq under the Qt driver's
// connection. Rows stream one by one as they are read, so that a large result is neither read
// twice nor held twice; a cursor dropped before its end cancels the statement on the server.
// Another statement on the connection while rows are unread sets those rows aside first.
#pragma once

#include "cursors.h"

namespace varo
{

// Runs a statement with the extended protocol, which runs exactly one statement: a text with
// a second one fails before anything runs. Nothing for a statement without rows.
std::unique_ptr<Cursor> openPostgresCursor(const QSqlDatabase &db, const QString &sql,
                                           Cursor::Rows rows, const Cursor::Failure &fail);

// PostgreSQL folds unquoted names to lower case where SQL Server and SQLite report them as
// written: the names as the statement spells them, so that hosts see the same field names on
// every server.
QStringList spelledAsWritten(const QStringList &names, const QString &sql);

} // namespace varo
