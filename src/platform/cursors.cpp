#include "cursors.h"

#include "sqlitefunctions.h"
#include "variant.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <vector>

namespace varo
{

Cursor::~Cursor() = default;

namespace
{

// Equal texts of a column share one string and are decoded once. A column whose texts rarely
// repeat stops pooling, so unique values cost no lookup.
class TextPool
{
public:
    QString text(const char *utf8, int bytes)
    {
        if (!m_active)
            return QString::fromUtf8(utf8, bytes);
        const QByteArray probe = QByteArray::fromRawData(utf8, bytes);
        auto it = m_pool.constFind(probe);
        if (it != m_pool.cend()) {
            ++m_hits;
            return it.value();
        }
        const QString decoded = QString::fromUtf8(utf8, bytes);
        m_pool.insert(QByteArray(utf8, bytes), decoded);
        if (m_pool.size() >= 4096 && m_hits < m_pool.size()) {
            m_active = false;
            m_pool.clear();
        }
        return decoded;
    }

    QVariant share(const QVariant &value)
    {
        if (!m_active || value.typeId() != QMetaType::QString)
            return value;
        const QString text = value.toString();
        const QByteArray key = text.toUtf8();
        return QVariant(this->text(key.constData(), int(key.size())));
    }

private:
    QHash<QByteArray, QString> m_pool;
    qsizetype m_hits = 0;
    bool m_active = true;
};

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

// PostgreSQL folds unquoted names to lower case where SQL Server and SQLite report them as
// written; give the names back the spelling they have in the statement so that hosts see the
// same field names on every server.
QStringList spelledAsWritten(const QStringList &names, const QString &sql)
{
    static const QRegularExpression identifier(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    // The first spelling wins (the select list comes before where and order by), except that
    // an alias after "as" wins over every other.
    QHash<QString, QString> spelling;
    QSet<QString> aliases;
    bool afterAs = false;
    for (auto it = identifier.globalMatch(sql); it.hasNext();) {
        const QString word = it.next().captured();
        const QString lower = word.toLower();
        if (afterAs && !aliases.contains(lower)) {
            spelling.insert(lower, word);
            aliases.insert(lower);
        } else if (!spelling.contains(lower)) {
            spelling.insert(lower, word);
        }
        afterAs = lower == QLatin1String("as");
    }
    QStringList result;
    result.reserve(names.size());
    for (const QString &name : names)
        result.append(name == name.toLower() ? spelling.value(name, name) : name);
    return result;
}

PGconn *postgresHandle(const QSqlDatabase &db)
{
    // The driver declares PGconn*, which the meta-type system names by its struct.
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.data());
}

// A value as the Qt driver gives it, from the server's text (dates in ISO style, which the
// driver sets on the session).
QVariant postgresValue(const PGresult *result, int row, int c, TextPool &pool)
{
    if (PQgetisnull(result, row, c))
        return nullValue();
    const char *text = PQgetvalue(result, row, c);
    const int bytes = PQgetlength(result, row, c);
    const QByteArray raw = QByteArray::fromRawData(text, bytes);
    const QLatin1StringView latin(text, bytes);
    switch (PQftype(result, c)) {
    case 16: // bool
        return QVariant(text[0] == 't');
    case 20: // int8
        return QVariant(raw.toLongLong());
    case 21: // int2
    case 23: // int4
        return QVariant(raw.toInt());
    case 700:  // float4
    case 701:  // float8
    case 1700: // numeric
        if (latin == QLatin1String("Infinity"))
            return QVariant(qInf());
        if (latin == QLatin1String("-Infinity"))
            return QVariant(-qInf());
        if (latin == QLatin1String("NaN"))
            return QVariant(qQNaN());
        return QVariant(raw.toDouble());
    case 1082: // date
        return QVariant(QDate::fromString(latin, Qt::ISODate));
    case 1083: // time
    case 1266: // timetz
        return QVariant(QTime::fromString(latin, Qt::ISODate));
    case 1114: // timestamp
        return QVariant(QDateTime::fromString(latin, Qt::ISODate));
    case 1184: // timestamptz: "+01" needs its minutes to be read as an offset
        return QVariant(
            QDateTime::fromString(bytes > 3 && (text[bytes - 3] == '+' || text[bytes - 3] == '-')
                                      ? latin + QLatin1String(":00")
                                      : QString(latin),
                                  Qt::ISODate)
                .toLocalTime());
    case 17: { // bytea
        size_t length = 0;
        unsigned char *data =
            PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &length);
        const QByteArray bytea(reinterpret_cast<const char *>(data), qsizetype(length));
        PQfreemem(data);
        return QVariant(bytea);
    }
    default:
        return QVariant(pool.text(text, bytes));
    }
}

// Rows from a PostgreSQL server, one at a time. The statement goes with the extended protocol,
// which runs exactly one statement: a text with a second one fails before anything runs.
class PostgresCursor final : public Cursor
{
public:
    PostgresCursor(PGconn *conn, QString sql, Failure fail)
        : m_conn(conn), m_sql(std::move(sql)), m_fail(std::move(fail))
    {
    }
    ~PostgresCursor() override { finish(); }

    // False when the statement hands back no rows.
    bool run()
    {
        finish();
        const QByteArray utf8 = m_sql.toUtf8();
        if (!PQsendQueryParams(m_conn, utf8.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
            throw failure();
        m_active = true;
        PQsetSingleRowMode(m_conn);
        m_result = PQgetResult(m_conn);
        const ExecStatusType status = PQresultStatus(m_result);
        if (status == PGRES_COMMAND_OK || status == PGRES_EMPTY_QUERY) {
            finish();
            return false;
        }
        if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK)
            throw failure();
        m_names.clear();
        for (int c = 0; c < PQnfields(m_result); ++c)
            m_names.append(QString::fromUtf8(PQfname(m_result, c)));
        m_names = spelledAsWritten(m_names, m_sql);
        m_pools.assign(m_names.size(), TextPool());
        m_rows = PQntuples(m_result);
        m_row = -1;
        return true;
    }

    bool fetch() override
    {
        if (++m_row < m_rows)
            return true;
        while (m_active) {
            PQclear(m_result);
            m_result = PQgetResult(m_conn);
            if (!m_result) {
                m_active = false;
                break;
            }
            const ExecStatusType status = PQresultStatus(m_result);
            if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK)
                throw failure();
            m_rows = PQntuples(m_result);
            m_row = 0;
            if (m_rows > 0)
                return true;
        }
        return false;
    }

    QVariant value(int c) override { return postgresValue(m_result, m_row, c, m_pools[c]); }
    void rewind() override { run(); }
    bool concurrent() const override { return false; }

private:
    // Reads what the server still sends, so that the connection is ready for the next statement.
    void finish()
    {
        PQclear(m_result);
        m_result = nullptr;
        m_rows = 0;
        if (!m_active)
            return;
        while (PGresult *rest = PQgetResult(m_conn))
            PQclear(rest);
        m_active = false;
    }

    // The server's message as the Qt driver words it: the text, then the SQLSTATE in brackets.
    Error failure()
    {
        QString description =
            QString::fromUtf8(m_result ? PQresultErrorMessage(m_result) : PQerrorMessage(m_conn));
        const QString code =
            m_result ? QString::fromLatin1(PQresultErrorField(m_result, PG_DIAG_SQLSTATE))
                     : QString();
        if (!code.isEmpty())
            description += u'(' + code + u')';
        finish();
        return m_fail(description.trimmed(), code);
    }

    PGconn *m_conn;
    QString m_sql;
    Failure m_fail;
    PGresult *m_result = nullptr;
    bool m_active = false; // results of the statement still to read
    int m_rows = 0;        // in m_result
    int m_row = -1;
    std::vector<TextPool> m_pools;
};

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
                                   const Cursor::Failure &fail, SqliteTimeLimit *timeLimit)
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
    if (db.driverName() == QLatin1String("QPSQL")) {
        PGconn *handle = postgresHandle(db);
        if (!handle)
            throw fail(QStringLiteral("the Qt PostgreSQL driver hands out no connection handle"),
                       QString());
        auto cursor = std::make_unique<PostgresCursor>(handle, sql, fail);
        if (!cursor->run())
            return nullptr;
        return cursor;
    }
    // ODBC servers run every statement of a text, prepared or not: refuse a second one here.
    if (holdsSecondStatement(sql))
        throw fail(QStringLiteral("cannot run more than one statement at a time"), QString());
    auto cursor = std::make_unique<QtSqlCursor>(db, sql, fail);
    if (!cursor->run())
        return nullptr;
    return cursor;
}

} // namespace varo
