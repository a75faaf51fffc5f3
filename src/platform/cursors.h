// The rows of one statement as they come from the database, for the recordsets of the ado
// layer: read forward one at a time, and run again from the start when asked. SQLite is read
// through its own interface, since the report's rows are the engine's largest read and the
// generic driver path costs several times the database's own work; PostgreSQL likewise through
// libpq (postgrescursor.h). ODBC through QtSql. A text never runs more than its first
// statement: a second one is refused.
#pragma once

#include "error.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <functional>
#include <memory>

namespace varo
{

class SqliteTimeLimit;

class Cursor
{
public:
    // Turns a provider's message into the error to raise, after listing it on the connection.
    using Failure = std::function<Error(const QString &description, const QString &native)>;
    // The rows a caller means to read: a lookup or a command few, a recordset read whole many.
    // PostgreSQL sends many rows its fastest way, at the cost of a round trip more.
    enum class Rows { Few, Many };

    virtual ~Cursor();
    const QStringList &names() const { return m_names; }
    int columns() const { return int(m_names.size()); }

    // Moves to the next row; false after the last. Raises the provider's error.
    virtual bool fetch() = 0;
    // A value of the current row: qlonglong, double, QString, QByteArray, date types, or Null.
    virtual QVariant value(int column) = 0;
    // Runs the statement again; the next fetch gives its first row.
    virtual void rewind() = 0;
    // Whether other statements may run on the connection while rows are still unread. Where
    // they may not (an ODBC result), the recordset reads every row at once. A PostgreSQL
    // cursor sets its unread rows aside when another statement comes.
    virtual bool concurrent() const = 0;

protected:
    QStringList m_names;
};

// Whether a text holds something after the ";" that ends its first statement, other than
// blanks, comments and more ";" (literals, quoted names and comments are skipped). Used where
// the server itself would run a second statement (ODBC).
bool holdsSecondStatement(QStringView sql);

// Runs a statement. Returns nothing for a statement that hands back no rows (it has run then).
// On SQLite, timeLimit (if any) interrupts a statement that runs too long.
std::unique_ptr<Cursor> openCursor(const QSqlDatabase &db, const QString &sql,
                                   const Cursor::Failure &fail,
                                   SqliteTimeLimit *timeLimit = nullptr,
                                   Cursor::Rows rows = Cursor::Rows::Few);

} // namespace varo
