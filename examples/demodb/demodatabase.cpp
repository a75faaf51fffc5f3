#include "demodatabase.h"

#include "common/demoerrors.h"
#include "demobusiness.h"
#include "demodefinitions.h"
#include "demoschema.h"
#include "platform/ado.h"
#include "platform/error.h"
#include "platform/variant.h"
#include "sqlserverfunctions.h"

#include <QFile>
#include <QFileInfo>

namespace varo::demo
{

namespace
{

const QLatin1String kSqlite("QSQLITE");
const QLatin1String kPostgres("QPSQL");

Error demoError(int number, const QString &what)
{
    return Error(number, QStringLiteral("demo database: ") + what);
}

// Tables already in the database; the demo only builds into an empty one, so that it never
// mixes its rows with someone else's.
int existingTableCount(Connection &conn)
{
    const QString sql =
        conn.driverName() == kSqlite
            ? QStringLiteral("select count(*) from sqlite_master where type = 'table'")
            : QStringLiteral("select count(*) from information_schema.tables "
                             "where table_schema = current_schema()");
    Recordset rs = conn.Execute(sql);
    return rs.atEOF() ? 0 : toInt32(rs.Fields(0).Value());
}

void runAll(Connection &conn, const QStringList &statements)
{
    for (const QString &statement : statements)
        conn.Execute(statement);
}

} // namespace

void buildDemoDatabase(Connection &conn)
{
    if (conn.isNull())
        throw demoError(ErrorNumber::InvalidArgument, QStringLiteral("no connection given"));
    const QString driver = conn.driverName();
    if (driver != kSqlite && driver != kPostgres)
        throw demoError(ErrorNumber::InvalidArgument,
                        QStringLiteral("SQLite or PostgreSQL needed, not %1 (%2)")
                            .arg(driver, maskedUrl(conn.url())));
    const int tables = existingTableCount(conn);
    if (tables > 0)
        throw demoError(ErrorNumber::InvalidArgument,
                        QStringLiteral("%1 is not empty (%2 tables); the demo is built only "
                                       "into an empty database")
                            .arg(maskedUrl(conn.url()))
                            .arg(tables));

    conn.Execute(QStringLiteral("begin"));
    try {
        if (driver == kPostgres)
            runAll(conn, postgresFunctionStatements());
        runAll(conn, definitionTableStatements());
        runAll(conn, businessTableStatements());
        runAll(conn, definitionDataStatements());
        runAll(conn, businessDataStatements());
        conn.Execute(QStringLiteral("commit"));
    } catch (const Error &e) {
        try {
            conn.Execute(QStringLiteral("rollback"));
        } catch (const Error &) {
            // The original failure is the one worth reporting.
        }
        throw demoError(e.number(), e.description());
    }
}

void createDemoDatabase(const QString &target)
{
    if (target.startsWith(QLatin1String("postgresql://"))) {
        Connection conn = Connection::open(target);
        buildDemoDatabase(conn);
        return;
    }

    QString path = target;
    if (path.startsWith(QLatin1String("sqlite://")))
        path = path.mid(9);
    if (path.trimmed().isEmpty())
        throw demoError(ErrorNumber::InvalidArgument,
                        QStringLiteral("no target given (a file path or a postgresql:// URL)"));
    const QFileInfo info(path);
    const QString file = info.absoluteFilePath();
    if (info.exists() && (!info.isFile() || info.size() > 0))
        throw demoError(ErrorNumber::FileAccess,
                        QStringLiteral("%1 already exists and is not an empty file; "
                                       "the demo does not overwrite it")
                            .arg(file));
    const bool created = !info.exists();
    if (created) {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            throw demoError(ErrorNumber::FileAccess,
                            QStringLiteral("cannot create %1: %2").arg(file, f.errorString()));
    }
    try {
        Connection conn = Connection::open(QStringLiteral("sqlite://") + file);
        buildDemoDatabase(conn);
    } catch (...) {
        // Leave nothing half-built behind: a second attempt would refuse the non-empty file.
        if (created)
            QFile::remove(file);
        throw;
    }
}

} // namespace varo::demo
