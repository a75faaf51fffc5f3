#include "common/testdatabase.h"

#include "common/testsupport.h"
#include "examples/demodb/sqlserverfunctions.h"

#include <QFile>
#include <QRandomGenerator>
#include <QUrl>
#include <utility>

namespace varo::test
{

static QString postgresUrl()
{
    return qEnvironmentVariable("VARO_TEST_PG_URL");
}

static bool underCi()
{
    const QString ci = qEnvironmentVariable("CI").toLower();
    return !ci.isEmpty() && ci != QLatin1String("false") && ci != QLatin1String("0");
}

QStringList databaseKinds()
{
    return {QStringLiteral("sqlite"), QStringLiteral("postgresql")};
}

void addDatabaseRows()
{
    QTest::addColumn<QString>("database");
    for (const QString &kind : databaseKinds())
        QTest::newRow(qPrintable(kind)) << kind;
}

// PostgreSQL databases of finished tests, emptied for the next: creating one costs ten times
// more than emptying one.
static QStringList &idleDatabases()
{
    static QStringList names;
    return names;
}

void dropIdleDatabases()
{
    if (idleDatabases().isEmpty())
        return;
    Connection admin = Connection::open(postgresUrl());
    for (const QString &name : std::exchange(idleDatabases(), {}))
        admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(name));
}

TestDatabase::TestDatabase(const QString &kind) : m_kind(kind)
{
    const auto error = errorOf([&] {
        if (kind == QLatin1String("sqlite"))
            openSqlite();
        else if (kind == QLatin1String("postgresql"))
            openPostgres();
        else
            m_error = QStringLiteral("unknown kind of test database: ") + kind;
    });
    if (error) {
        m_state = State::Failed;
        m_error =
            QStringLiteral("cannot set up the %1 test database: %2").arg(kind, describe(*error));
    }
}

void TestDatabase::openSqlite()
{
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder: ") + m_dir->errorString();
        return;
    }
    const QString path = m_dir->filePath(QStringLiteral("test.db"));
    // Connections refuse missing files; an empty file is an empty SQLite database.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot create %1: %2").arg(path, file.errorString());
        return;
    }
    file.close();
    m_url = QStringLiteral("sqlite://") + path;
    m_connection = Connection::open(m_url);
    // A test database needs no durability: without a flush per statement fixtures load at once.
    m_connection.Execute(QStringLiteral("pragma synchronous = off"));
    m_state = State::Ready;
}

void TestDatabase::openPostgres()
{
    const QString adminUrl = postgresUrl();
    if (adminUrl.isEmpty()) {
        m_state = underCi() ? State::Failed : State::Skipped;
        m_error = QStringLiteral("VARO_TEST_PG_URL is not set: run the tests through "
                                 "scripts/with-postgres (or make test)");
        if (underCi())
            m_error += QStringLiteral("; under CI the PostgreSQL cases must run, not be skipped");
        return;
    }
    m_admin = Connection::open(adminUrl);
    if (!idleDatabases().isEmpty()) {
        m_databaseName = idleDatabases().takeLast();
    } else {
        m_databaseName =
            QStringLiteral("varo_test_%1")
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        // file_copy: for a small template, copying the files beats writing them through the WAL.
        m_admin.Execute(
            QStringLiteral("create database %1 strategy file_copy").arg(m_databaseName));
    }
    QUrl url(adminUrl);
    url.setPath(u'/' + m_databaseName);
    m_url = url.toString();
    m_connection = Connection::open(m_url);
    // The report SQL is written for SQL Server; SQLite connections get charindex and len from
    // the connection layer, PostgreSQL databases from these statements.
    execute(varo::demo::postgresFunctionStatements());
    m_state = State::Ready;
}

TestDatabase::~TestDatabase()
{
    if (m_admin.isNull() || m_databaseName.isEmpty()) {
        m_connection = Connection();
        return;
    }
    // Emptied for the next test; other sessions (a test may have opened its own) end first.
    const auto error = errorOf([&] {
        m_connection.Execute(
            QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname = "
                           "current_database() and pid <> pg_backend_pid()"));
        m_connection.Execute(QStringLiteral("drop schema public cascade"));
        m_connection.Execute(QStringLiteral("create schema public"));
    });
    m_connection = Connection();
    if (error)
        m_admin.Execute(
            QStringLiteral("drop database if exists %1 with (force)").arg(m_databaseName));
    else
        idleDatabases() << m_databaseName;
}

void TestDatabase::execute(const QStringList &statements)
{
    for (const QString &sql : statements)
        m_connection.Execute(sql);
}

QTestData &databaseRow(const QString &kind, const char *name)
{
    return QTest::newRow(qPrintable(kind + QStringLiteral(": ") + QString::fromUtf8(name))) << kind;
}

QVariant firstValue(Connection &connection, const QString &sql)
{
    Recordset rs = Recordset::create();
    rs.Open(sql, connection);
    return rs.Fields(0).Value();
}

} // namespace varo::test
