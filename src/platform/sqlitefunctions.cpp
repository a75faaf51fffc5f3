#include "sqlitefunctions.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QVariant>
#include <sqlite3.h>

namespace varo
{

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

static QString textArg(sqlite3_value *value)
{
    const auto *data = static_cast<const char16_t *>(sqlite3_value_text16(value));
    const int bytes = sqlite3_value_bytes16(value);
    return QString::fromUtf16(data, bytes / 2);
}

static void charindex(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const QString needle = textArg(argv[0]);
    const QString haystack = textArg(argv[1]);
    qsizetype from = 0;
    if (argc == 3)
        from = qMax<sqlite3_int64>(sqlite3_value_int64(argv[2]) - 1, 0);
    if (needle.isEmpty()) {
        sqlite3_result_int64(ctx, 0);
        return;
    }
    const qsizetype at = haystack.indexOf(needle, from, Qt::CaseInsensitive);
    sqlite3_result_int64(ctx, at < 0 ? 0 : at + 1);
}

static void len(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString text = textArg(argv[0]);
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == u' ')
        --n;
    sqlite3_result_int64(ctx, n);
}

bool registerSqlServerFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "charindex", 2, flags, nullptr, charindex, nullptr,
                                      nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "charindex", 3, flags, nullptr, charindex, nullptr,
                                      nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "len", 1, flags, nullptr, len, nullptr, nullptr,
                                      nullptr) == SQLITE_OK;
}

// The virtual machine instructions SQLite runs between two looks at the clock: well under a
// millisecond of work, and a look costs too little to measure against it.
constexpr int kInstructionsPerCheck = 10000;

SqliteTimeLimit::SqliteTimeLimit(sqlite3 *db, int seconds)
    : m_db(db), m_milliseconds(qint64(seconds) * 1000), m_deadline(QDeadlineTimer::Forever)
{
    sqlite3_progress_handler(db, kInstructionsPerCheck, &SqliteTimeLimit::check, this);
}

SqliteTimeLimit::~SqliteTimeLimit()
{
    sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}

int SqliteTimeLimit::step(sqlite3_stmt *stmt, qint64 &remaining)
{
    m_expired = false;
    m_deadline = QDeadlineTimer(qMax<qint64>(remaining, 0));
    const int rc = sqlite3_step(stmt);
    remaining = m_deadline.remainingTime();
    // The driver's own statements and the preparing of ours run without a limit.
    m_deadline = QDeadlineTimer(QDeadlineTimer::Forever);
    return rc;
}

QString SqliteTimeLimit::message() const
{
    return QStringLiteral("interrupted: the statement ran longer than its limit of %1 s")
        .arg(m_milliseconds / 1000);
}

int SqliteTimeLimit::check(void *self)
{
    auto *limit = static_cast<SqliteTimeLimit *>(self);
    limit->m_expired = limit->m_deadline.hasExpired();
    return limit->m_expired ? 1 : 0;
}

} // namespace varo
