// What a SQLite connection gets beyond the Qt driver: the SQL Server functions that report SQL
// uses and SQLite lacks, and a time limit on its statements.
#pragma once

#include <QDeadlineTimer>
#include <QString>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

namespace varo
{

// The driver's handle of a SQLite connection; null for other databases.
sqlite3 *sqliteHandle(const QSqlDatabase &db);

// charindex(needle, haystack[, start]): 1-based position, 0 when absent, letter case ignored
// as under SQL Server's default collation. len(text): length without trailing blanks.
// Both give NULL when an argument is NULL.
bool registerSqlServerFunctions(sqlite3 *db);

// Interrupts the statements of a connection that run longer than a limit. The time counts
// while SQLite works on a statement, not while the caller handles the rows it gave, so that a
// report reading its rows one by one (with a lookup per row) is measured as a server would.
class SqliteTimeLimit
{
public:
    SqliteTimeLimit(sqlite3 *db, int seconds);
    ~SqliteTimeLimit();
    SqliteTimeLimit(const SqliteTimeLimit &) = delete;
    SqliteTimeLimit &operator=(const SqliteTimeLimit &) = delete;

    qint64 milliseconds() const { return m_milliseconds; }
    // sqlite3_step with what is left of a statement's time; takes off what the step used.
    int step(sqlite3_stmt *stmt, qint64 &remaining);
    // Whether the last step was interrupted by this limit.
    bool expired() const { return m_expired; }
    QString message() const;

private:
    static int check(void *self);

    sqlite3 *m_db;
    qint64 m_milliseconds;
    QDeadlineTimer m_deadline;
    bool m_expired = false;
};

} // namespace varo
