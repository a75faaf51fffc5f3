// Every SQL test runs on each database the engine meets: an SQLite file, and a PostgreSQL
// server when scripts/with-postgres (or the caller) names one in VARO_TEST_PG_URL. A
// TestDatabase is a clean, empty database for one test, gone when the object is.
#pragma once

#include "common/testsupport.h"
#include "platform/ado.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace varo::test
{

// The kinds of database a test runs on: "sqlite" and "postgresql".
QStringList databaseKinds();

// For _data() functions: a column "database" and one row per kind. A PostgreSQL row without a
// server is skipped, except under CI=true, where the test fails: a CI run must not pass
// without ever having talked to PostgreSQL.
void addDatabaseRows();

// A data row "<kind>: <case>" with the kind in the column "database".
QTestData &databaseRow(const QString &kind, const char *name);

// Drops the PostgreSQL databases kept for reuse; the test main() calls it at the end.
void dropIdleDatabases();

// Field 0 of the first row of a query.
QVariant firstValue(Connection &connection, const QString &sql);

class TestDatabase
{
public:
    enum class State { Ready, Skipped, Failed };

    explicit TestDatabase(const QString &kind);
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    State state() const { return m_state; }
    QString errorString() const { return m_error; } // why it is not Ready

    QString kind() const { return m_kind; }
    QString url() const { return m_url; }
    Connection &connection() { return m_connection; }

    // Runs fixture statements in order; raises the first failure.
    void execute(const QStringList &statements);

private:
    void openSqlite();
    void openPostgres();

    QString m_kind;
    State m_state = State::Failed;
    QString m_error;
    QString m_url;
    Connection m_connection;
    std::unique_ptr<QTemporaryDir> m_dir; // SQLite
    Connection m_admin;                   // PostgreSQL: creates and drops the database
    QString m_databaseName;
};

} // namespace varo::test

// Declares a TestDatabase of the given kind; skips or fails the test when it cannot be had.
#define VARO_TEST_DATABASE(variable, kind)                                                         \
    varo::test::TestDatabase variable(kind);                                                       \
    if (variable.state() == varo::test::TestDatabase::State::Skipped)                              \
        QSKIP(qPrintable(variable.errorString()));                                                 \
    QVERIFY2(variable.state() == varo::test::TestDatabase::State::Ready,                           \
             qPrintable(variable.errorString()))
