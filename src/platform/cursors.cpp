#include "cursors.h"

#include "variant.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
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
    SqliteCursor(sqlite3 *db, sqlite3_stmt *stmt, Failure fail)
        : m_db(db), m_stmt(stmt), m_fail(std::move(fail))
    {
        const int n = sqlite3_column_count(stmt);
        for (int c = 0; c < n; ++c)
            m_names.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
        m_pools.resize(n);
    }
    ~SqliteCursor() override { sqlite3_finalize(m_stmt); }

    bool fetch() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
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

    void rewind() override { sqlite3_reset(m_stmt); }
    bool concurrent() const override { return true; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt;
    Failure m_fail;
    std::vector<TextPool> m_pools;
};

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

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

} // namespace

std::unique_ptr<Cursor> openCursor(const QSqlDatabase &db, const QString &sql,
                                   const Cursor::Failure &fail)
{
    if (sqlite3 *handle = sqliteHandle(db)) {
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(handle, utf8.constData(), int(utf8.size()), &stmt, nullptr) !=
            SQLITE_OK)
            throw fail(QString::fromUtf8(sqlite3_errmsg(handle)),
                       QString::number(sqlite3_errcode(handle)));
        if (!stmt)
            return nullptr; // nothing but blanks or comments
        auto cursor = std::make_unique<SqliteCursor>(handle, stmt, fail);
        if (cursor->columns() == 0) {
            cursor->fetch(); // a statement without rows: run it to its end
            return nullptr;
        }
        return cursor;
    }
    auto cursor = std::make_unique<QtSqlCursor>(db, sql, fail);
    if (!cursor->run())
        return nullptr;
    return cursor;
}

} // namespace varo
