// The request's two checks: whether a component can be created from a ProgID (quietly), and the
// trial run of the expanded SQL on the business connection (SQLite and PostgreSQL), with the
// provider's errors shown when it fails.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "engine/requestsupport.h"
#include "platform/automation.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QTest>
#include <stdexcept>

using namespace varo;
using varo::test::databaseRow;
using varo::test::firstValue;
using varo::test::MessageRecorder;
using varo::ui::MessageIcon;

namespace
{

const QString kProgId = QStringLiteral("VaroTest.Component");

} // namespace

// A component that counts how many of it are alive.
class CountedComponent : public QObject
{
    Q_OBJECT
public:
    static inline int alive = 0;
    static inline int created = 0;
    CountedComponent()
    {
        ++alive;
        ++created;
    }
    ~CountedComponent() override { --alive; }
};

class TestRequestSupport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        unregisterClass(kProgId);
        gLocConn() = Connection();
        gSqlConn() = Connection();
    }

    void pluginExists_data();
    void pluginExists();
    void validateSql_data();
    void validateSql();
    void validateSqlRunsTheStatement_data() { test::addDatabaseRows(); }
    void validateSqlRunsTheStatement();
};

void TestRequestSupport::pluginExists_data()
{
    QTest::addColumn<QString>("factory"); // how kProgId is registered; "" = not at all
    QTest::addColumn<QString>("progId");
    QTest::addColumn<bool>("expected");

    QTest::newRow("registered class") << "component" << kProgId << true;
    QTest::newRow("ProgID in another letter case") << "component" << kProgId.toUpper() << true;
    QTest::newRow("unknown ProgID") << "component"
                                    << "VaroTest.Nowhere" << false;
    QTest::newRow("nothing registered") << "" << kProgId << false;
    QTest::newRow("empty ProgID") << "component"
                                  << "" << false;
    QTest::newRow("factory raises the engine's error") << "error" << kProgId << false;
    QTest::newRow("factory throws another exception") << "exception" << kProgId << false;
    QTest::newRow("factory makes no object") << "none" << kProgId << false;
}

void TestRequestSupport::pluginExists()
{
    QFETCH(QString, factory);
    QFETCH(QString, progId);
    QFETCH(bool, expected);
    if (factory == QLatin1String("component"))
        registerClass(kProgId, [] { return new CountedComponent; });
    else if (factory == QLatin1String("error"))
        registerClass(kProgId, []() -> QObject * { throw Error(5, QStringLiteral("refused")); });
    else if (factory == QLatin1String("exception"))
        registerClass(kProgId, []() -> QObject * { throw std::runtime_error("refused"); });
    else if (factory == QLatin1String("none"))
        registerClass(kProgId, []() -> QObject * { return nullptr; });
    CountedComponent::created = 0;
    MessageRecorder recorder;

    bool exists = !expected;
    VARO_VERIFY_NO_ERROR(exists = PluginExists(progId));
    QCOMPARE(exists, expected);
    QCOMPARE(recorder.texts(), QStringList());
    // A component that could be created was released at once.
    QCOMPARE(CountedComponent::created, expected ? 1 : 0);
    QCOMPARE(CountedComponent::alive, 0);
}

void TestRequestSupport::validateSql_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("outcome"); // "ok", "empty" (nothing sent) or "provider"

    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "empty") << ""
                                   << "empty";
        databaseRow(kind, "blanks only") << "    "
                                         << "empty";
        databaseRow(kind, "query") << "select FName from T_Log order by FName"
                                   << "ok";
        databaseRow(kind, "query without rows") << "select FName from T_Log where 1=0"
                                                << "ok";
        databaseRow(kind, "query with surrounding blanks") << "  select count(*) from T_Log  "
                                                           << "ok";
        databaseRow(kind, "syntax error") << "selec FName from T_Log"
                                          << "provider";
        databaseRow(kind, "table only on the local connection") << "select FName from T_LocalOnly"
                                                                << "provider";
        databaseRow(kind, "unknown column") << "select FNothing from T_Log"
                                            << "provider";
    }
}

void TestRequestSupport::validateSql()
{
    QFETCH(QString, database);
    QFETCH(QString, sql);
    QFETCH(QString, outcome);
    VARO_TEST_DATABASE(local, database);
    VARO_TEST_DATABASE(business, database);
    VARO_VERIFY_SQL(
        local.connection(),
        local.execute({QStringLiteral("create table T_LocalOnly (FName varchar(20))")}));
    VARO_VERIFY_SQL(business.connection(),
                    business.execute({QStringLiteral("create table T_Log (FName varchar(20))"),
                                      QStringLiteral("insert into T_Log values ('a')")}));
    gLocConn() = local.connection();
    gSqlConn() = business.connection();
    Connection &connection = business.connection();
    // An earlier failure is still listed: the check clears the list before it runs anything.
    VARO_VERIFY_ERROR(connection.Execute(QStringLiteral("select * from T_Earlier")),
                      ErrorNumber::ProviderError);
    const QString earlier = connection.errors().Item(0).Description;
    QVERIFY(!earlier.isEmpty());
    MessageRecorder recorder;

    bool ok = outcome != QLatin1String("ok");
    VARO_VERIFY_NO_ERROR(ok = ValidateSql(sql));
    QCOMPARE(ok, outcome == QLatin1String("ok"));
    if (outcome == QLatin1String("ok")) {
        QCOMPARE(recorder.texts(), QStringList());
        QCOMPARE(connection.errors().Count(), 0);
        return;
    }
    QCOMPARE(recorder.messages().size(), 1);
    QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
    QCOMPARE(recorder.messages().first().title, QStringLiteral("沐岩提示"));
    if (outcome == QLatin1String("empty")) {
        QCOMPARE(recorder.messages().first().text, QStringLiteral("SQL语句为空!"));
        // Nothing reached the connection: the earlier error is still the only one listed.
        QCOMPARE(connection.errors().Count(), 1);
        QCOMPARE(connection.errors().Item(0).Description, earlier);
        return;
    }
    const Errors &errors = connection.errors();
    QVERIFY(errors.Count() > 0);
    QString expected;
    for (int i = 0; i < errors.Count(); ++i) {
        QVERIFY(!errors.Item(i).Description.isEmpty());
        expected += errors.Item(i).Description + QStringLiteral("\r\n");
    }
    QVERIFY(errors.Item(0).Description != earlier);
    QCOMPARE(recorder.messages().first().text, expected);
}

void TestRequestSupport::validateSqlRunsTheStatement()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    VARO_VERIFY_SQL(db.connection(),
                    db.execute({QStringLiteral("create table T_Log (FName varchar(20))")}));
    gSqlConn() = db.connection();
    MessageRecorder recorder;

    QVERIFY(ValidateSql(QStringLiteral("insert into T_Log (FName) values ('试运行')")));
    QVERIFY(ValidateSql(QStringLiteral("update T_Log set FName = FName || '!' where 1=1")));
    QCOMPARE(recorder.texts(), QStringList());
    QCOMPARE(firstValue(db.connection(), QStringLiteral("select count(*) from T_Log")).toInt(), 1);
    QCOMPARE(firstValue(db.connection(), QStringLiteral("select FName from T_Log")).toString(),
             QStringLiteral("试运行!"));
}

VARO_TEST_MAIN(TestRequestSupport)
#include "tst_requestsupport.moc"
