#include "cursors.h"

#include "postgrescursor.h"
#include "sqlitefunctions.h"
#include "textpool.h"
#include "variant.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>
#include <vector>

namespace varo
{

Cursor::~Cursor() = default;

namespace
{

class SqliteCursor final : public Cursor
{
public:
    SqliteCursor(sqlite3 *db, sqlite3_stmt *stmt, Failure fail, SqliteTimeLimit *timeLimit)
        : m_db(db), m_stmt(stmt), m_fail(std::move(fail)), m_timeLimit(timeLimit)
    {
        m_remaining = m_timeLimit ? m_timeLimit->milliseconds() : 0;
        const int n = sqlite3_column_count(stmt);
        for (int c = 0; c < n; ++c)
            m_names.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
        m_pools.resize(n);
    }
    ~SqliteCursor() override { sqlite3_finalize(m_stmt); }

    bool fetch() override
    {
        const int rc = m_timeLimit ? m_timeLimit->step(m_stmt, m_remaining) : sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        if (rc == SQLITE_INTERRUPT && m_timeLimit && m_timeLimit->expired())
            throw m_fail(m_timeLimit->message(), QString::number(rc));
        throw m_fail(QString::fromUtf8(sqlite3_errmsg(m_db)), QString::number(rc));
    }

    QVariant value(int c) override
    {
        switch (sqlite3_column_type(m_stmt, c)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(m_stmt, c)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(m_stmt, c));
        case SQLITE_TEXT: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c));
            return QVariant(m_pools[c].text(text, sqlite3_column_bytes(m_stmt, c)));
        }
        case SQLITE_BLOB: {
            const auto *blob = static_cast<const char *>(sqlite3_column_blob(m_stmt, c));
            return QVariant(QByteArray(blob, sqlite3_column_bytes(m_stmt, c)));
        }
        default:
            return nullValue();
        }
    }

    void rewind() override
    {
        sqlite3_reset(m_stmt);
        m_remaining = m_timeLimit ? m_timeLimit->milliseconds() : 0;
    }
    bool concurrent() const override { return true; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt;
    Failure m_fail;
    SqliteTimeLimit *m_timeLimit;
    qint64 m_remaining; // of the statement's time, while it has a limit
    std::vector<TextPool> m_pools;
};

// Prepares the first statement of a text; a second one after it is refused rather than
// dropped, so that nobody believes it ran. Null for a text of blanks and comments.
sqlite3_stmt *prepareOne(sqlite3 *db, const QString &sql, const Cursor::Failure &fail)
{
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK)
        throw fail(QString::fromUtf8(sqlite3_errmsg(db)), QString::number(sqlite3_errcode(db)));
    const qsizetype rest = utf8.constData() + utf8.size() - tail;
    if (!stmt || QByteArrayView(tail, rest).trimmed().isEmpty())
        return stmt;
    // Blanks and comments after the statement are no second one; SQLite's parser tells.
    sqlite3_stmt *next = nullptr;
    const int rc = sqlite3_prepare_v2(db, tail, int(rest), &next, nullptr);
    sqlite3_finalize(next);
    if (rc == SQLITE_OK && !next)
        return stmt;
    sqlite3_finalize(stmt);
    throw fail(QStringLiteral("cannot run more than one statement at a time"),
               QString::number(SQLITE_ERROR));
}

class QtSqlCursor final : public Cursor
{
public:
    QtSqlCursor(const QSqlDatabase &db, QString sql, Failure fail)
        : m_query(db), m_sql(std::move(sql)), m_fail(std::move(fail))
    {
        m_query.setForwardOnly(true);
    }

    // False when the statement hands back no rows.
    bool run()
    {
        if (!m_query.exec(m_sql))
            throw failure();
        if (!m_query.isSelect())
            return false;
        const QSqlRecord record = m_query.record();
        m_names.clear();
        for (int i = 0; i < record.count(); ++i)
            m_names.append(record.fieldName(i));
        if (m_query.driver()->dbmsType() == QSqlDriver::PostgreSQL)
            m_names = spelledAsWritten(m_names, m_sql);
        m_pools.assign(m_names.size(), TextPool());
        return true;
    }

    bool fetch() override
    {
        if (m_query.next())
            return true;
        if (m_query.lastError().isValid())
            throw failure();
        return false;
    }

    QVariant value(int c) override
    {
        const QVariant v = m_query.value(c);
        return v.isNull() ? nullValue() : m_pools[c].share(v);
    }

    void rewind() override { run(); }
    bool concurrent() const override { return false; }

private:
    Error failure() const
    {
        const QSqlError error = m_query.lastError();
        QString description = error.databaseText().trimmed();
        if (description.isEmpty())
            description = error.driverText().trimmed();
        return m_fail(description, error.nativeErrorCode());
    }

    QSqlQuery m_query;
    QString m_sql;
    Failure m_fail;
    std::vector<TextPool> m_pools;
};

} // namespace

bool holdsSecondStatement(QStringView sql)
{
    bool ended = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        if (c == u'-' && next == u'-') {
            i = sql.indexOf(u'\n', i);
            if (i < 0)
                break;
        } else if (c == u'/' && next == u'*') {
            i = sql.indexOf(QStringView(u"*/"), i + 2);
            if (i < 0)
                break;
            ++i;
        } else if (c == u';') {
            ended = true;
        } else if (c.isSpace()) {
            continue;
        } else if (ended) {
            return true;
        } else if (c == u'\'' || c == u'"' || c == u'[') {
            // A literal or quoted name ends at its closing mark; a doubled one stays inside.
            const QChar close = c == u'[' ? u']' : c;
            for (++i; i < sql.size(); ++i) {
                if (sql.at(i) == close && !(i + 1 < sql.size() && sql.at(i + 1) == close))
                    break;
                if (sql.at(i) == close)
                    ++i;
            }
        }
    }
    return false;
}

std::unique_ptr<Cursor> openCursor(const QSqlDatabase &db, const QString &sql,
                                   const Cursor::Failure &fail, SqliteTimeLimit *timeLimit,
                                   Cursor::Rows rows)
{
    if (sqlite3 *handle = sqliteHandle(db)) {
        sqlite3_stmt *stmt = prepareOne(handle, sql, fail);
        if (!stmt)
            return nullptr; // nothing but blanks or comments
        auto cursor = std::make_unique<SqliteCursor>(handle, stmt, fail, timeLimit);
        if (cursor->columns() == 0) {
            cursor->fetch(); // a statement without rows: run it to its end
            return nullptr;
        }
        return cursor;
    }
    if (db.driverName() == QLatin1String("QPSQL"))
        return openPostgresCursor(db, sql, rows, fail);
    // ODBC servers run every statement of a text, prepared or not: refuse a second one here.
    if (holdsSecondStatement(sql))
        throw fail(QStringLiteral("cannot run more than one statement at a time"), QString());
    auto cursor = std::make_unique<QtSqlCursor>(db, sql, fail);
    if (!cursor->run())
        return nullptr;
    return cursor;
}

} // namespace varo
