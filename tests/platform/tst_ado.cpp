// Database access on every server the engine meets (SQLite and PostgreSQL): Execute with lazy
// forward-only rows, recordsets opened as snapshots, fields, Null, provider errors kept on the
// connection, and the SQL Server functions that the report SQL relies on.

#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "platform/ado.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"

#include <QTest>
#include <map>
#include <memory>

using varo::Connection;
using varo::Recordset;
using varo::test::TestDatabase;
namespace ErrorNumber = varo::ErrorNumber;

namespace
{

const QString itemsQuery =
    QStringLiteral("select FCode, FName, FQty, FNote from T_Item order by FCode");

void createItems(TestDatabase &db)
{
    db.execute({
        QStringLiteral("create table T_Item (FCode varchar(20), FName varchar(50), "
                       "FQty integer, FNote varchar(50))"),
        QStringLiteral("insert into T_Item values ('A01', 'bolt', 10, null)"),
        QStringLiteral("insert into T_Item values ('A02', '', 20, 'x')"),
        QStringLiteral("insert into T_Item values ('B01', 'nut ', 30, '  padded  ')"),
    });
}

QStringList column(Recordset &rs, const QString &field)
{
    QStringList values;
    while (!rs.atEOF()) {
        values.append(rs.Fields(field).Value().toString());
        rs.MoveNext();
    }
    return values;
}

// One row per database kind for each case.
template <typename AddCase> void forEachKind(AddCase addCase)
{
    for (const QString &kind : varo::test::databaseKinds())
        addCase(kind);
}

} // namespace

class TestAdo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openBadUrl_data();
    void openBadUrl();
    void openedConnection_data();
    void openedConnection();

    void executeReadsRowsLazily_data();
    void executeReadsRowsLazily();
    void executeIsForwardOnly_data();
    void executeIsForwardOnly();
    void statementWhileRowsAreRead_data();
    void statementWhileRowsAreRead();
    void statementsWithoutRows_data();
    void statementsWithoutRows();
    void providerErrors_data();
    void providerErrors();
    void openFailureListedOnActiveConnection_data();
    void openFailureListedOnActiveConnection();

    void openSnapshot_data();
    void openSnapshot();
    void openDynamic_data();
    void openDynamic();
    void emptyResult_data();
    void emptyResult();
    void fieldsByNameAndIndex_data();
    void fieldsByNameAndIndex();
    void nullIsNotEmptyText_data();
    void nullIsNotEmptyText();
    void fieldNamesKeepSpelling_data();
    void fieldNamesKeepSpelling();
    void closedRecordset_data();
    void closedRecordset();
    void nothingRaises();

    void sqlServerFunctions_data();
    void sqlServerFunctions();
    void cleanupTestCase();

private:
    // One database per kind for the read-only function cases: dozens of rows need no
    // dozens of fresh databases.
    std::map<QString, std::unique_ptr<TestDatabase>> m_readOnly;
};

void TestAdo::openBadUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("missing SQLite file") << "sqlite:///nonexistent/folder/report.db";
    QTest::newRow("relative SQLite path") << "sqlite://report.db";
    QTest::newRow("unknown scheme") << "mysql://user@host/db";
    QTest::newRow("PostgreSQL without host") << "postgresql://";
    QTest::newRow("PostgreSQL, nobody listening") << "postgresql://nobody@127.0.0.1:1/report";
    QTest::newRow("no URL at all") << "report.db";
}

void TestAdo::openBadUrl()
{
    QFETCH(QString, url);
    const auto error = varo::test::errorOf([&] { Connection::open(url); });
    QVERIFY(error);
    QVERIFY2(error->description().contains(url), qPrintable(error->description()));
}

void TestAdo::openedConnection_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::openedConnection()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    Connection &c = db.connection();
    QVERIFY(!c.isNull());
    QCOMPARE(c.url(), db.url());
    QCOMPARE(c.driverName(), database == QLatin1String("sqlite") ? QStringLiteral("QSQLITE")
                                                                 : QStringLiteral("QPSQL"));
    QCOMPARE(c.errors().Count(), 0);

    // Copies share the connection, another open is another one.
    const Connection copy = c;
    QVERIFY(copy == c);
    const Connection other = Connection::open(db.url());
    QVERIFY(!(other == c));
}

void TestAdo::executeReadsRowsLazily_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::executeReadsRowsLazily()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    // The third row fails when it is computed (SQLite: integer overflow; PostgreSQL: division
    // by zero); the failing expression uses the row's own column so that no server can work it
    // out before the first row, and there is no order by, which would compute every row before
    // the first comes out. A fresh table is read in insertion order.
    const bool sqlite = database == QLatin1String("sqlite");
    const QString failing = sqlite ? QStringLiteral("abs(-9223372036854775778 - FQty)")
                                   : QStringLiteral("1 / (FQty - 30)");
    const QString sql =
        QStringLiteral("select FCode, case when FQty = 30 then %1 else FQty end as FValue "
                       "from T_Item")
            .arg(failing);
    Connection &c = db.connection();
    QStringList read;
    const auto error = varo::test::errorOf([&] {
        Recordset rs = c.Execute(sql);
        while (!rs.atEOF()) {
            read.append(rs.Fields(QStringLiteral("FCode")).Value().toString());
            rs.MoveNext();
        }
    });
    // Wherever the rows are read, a row that fails must raise, never end the rows quietly.
    QVERIFY2(error, qPrintable(read.join(u',')));
    QCOMPARE(error->number(), ErrorNumber::ProviderError);
    QCOMPARE(c.errors().Count(), 1);
    QCOMPARE(c.errors().Item(0).Description, error->description());
    // SQLite rows are fetched as they are read: the first two arrive before the failure.
    // Other servers may hand over a result whole, and fail it whole.
    if (sqlite)
        QCOMPARE(read, (QStringList{QStringLiteral("A01"), QStringLiteral("A02")}));
    else
        QVERIFY(read.size() <= 2);
}

void TestAdo::executeIsForwardOnly_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::executeIsForwardOnly()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = c.Execute(itemsQuery);
    QCOMPARE(rs.RecordCount(), -1);
    QVERIFY(!rs.atBOF());
    QCOMPARE(rs.fieldNames(), (QStringList{QStringLiteral("FCode"), QStringLiteral("FName"),
                                           QStringLiteral("FQty"), QStringLiteral("FNote")}));
    // The same field read twice gives the same value (the row is read once).
    QCOMPARE(rs.Fields(0).Value(), QVariant(QStringLiteral("A01")));
    QCOMPARE(rs.Fields(QStringLiteral("fcode")).Value(), QVariant(QStringLiteral("A01")));
    QCOMPARE(column(rs, QStringLiteral("FCode")),
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("B01")}));
    QVERIFY(rs.atEOF());
    VARO_VERIFY_ERROR(rs.MoveNext(), ErrorNumber::NoCurrentRecord);
    VARO_VERIFY_ERROR(rs.Fields(0).Value(), ErrorNumber::NoCurrentRecord);
    VARO_VERIFY_ERROR(rs.MoveFirst(), ErrorNumber::ForwardOnly);

    Recordset empty = c.Execute(QStringLiteral("select FCode from T_Item where 1 = 0"));
    QVERIFY(empty.isOpen());
    QVERIFY(empty.atEOF());
}

void TestAdo::statementWhileRowsAreRead_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("execute");
    forEachKind([](const QString &kind) {
        QTest::newRow(qPrintable(kind + QStringLiteral(": Execute"))) << kind << true;
        QTest::newRow(qPrintable(kind + QStringLiteral(": Open dynamic"))) << kind << false;
    });
}

void TestAdo::statementWhileRowsAreRead()
{
    // The engine reads one statement's rows while it runs others on the same connection
    // (a lookup per row, a scalar query); neither may lose rows to the other.
    QFETCH(QString, database);
    QFETCH(bool, execute);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset outer = Recordset::create();
    if (execute)
        VARO_VERIFY_SQL(c, outer = c.Execute(itemsQuery));
    else
        VARO_VERIFY_SQL(
            c, outer.Open(itemsQuery, c, varo::CursorType::Dynamic, varo::LockType::Pessimistic));
    QStringList seen;
    while (!outer.atEOF()) {
        const QString code = outer.Fields(QStringLiteral("FCode")).Value().toString();
        seen.append(code);
        Recordset inner = Recordset::create();
        VARO_VERIFY_SQL(
            c, inner.Open(QStringLiteral("select FQty from T_Item where FCode = '") + code + u'\'',
                          c));
        QCOMPARE(inner.RecordCount(), 1);
        Recordset scalar;
        VARO_VERIFY_SQL(c, scalar = c.Execute(QStringLiteral("select count(*) from T_Item")));
        QCOMPARE(scalar.Fields(0).Value().toInt(), 3);
        VARO_VERIFY_SQL(c, outer.MoveNext());
    }
    QCOMPARE(seen,
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("B01")}));
}

void TestAdo::statementsWithoutRows_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("expected");
    forEachKind([](const QString &kind) {
        QTest::newRow(qPrintable(kind + QStringLiteral(": insert")))
            << kind << "insert into T_Item values ('C01', 'washer', 5, null)"
            << "select FName from T_Item where FCode = 'C01'"
            << "washer";
        QTest::newRow(qPrintable(kind + QStringLiteral(": update")))
            << kind << "update T_Item set FName = 'screw' where FCode = 'A01'"
            << "select FName from T_Item where FCode = 'A01'"
            << "screw";
        QTest::newRow(qPrintable(kind + QStringLiteral(": delete")))
            << kind << "delete from T_Item where FCode <> 'A02'"
            << "select FCode from T_Item"
            << "A02";
        // The one schema repair the engine makes, exactly as it writes it.
        QTest::newRow(qPrintable(kind + QStringLiteral(": alter table")))
            << kind << "alter table T_Item add  FGroupStr Varchar(200) null"
            << "select FGroupStr from T_Item where FCode = 'A01'"
            << "";
    });
}

void TestAdo::statementsWithoutRows()
{
    QFETCH(QString, database);
    QFETCH(QString, sql);
    QFETCH(QString, check);
    QFETCH(QString, expected);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs;
    VARO_VERIFY_SQL(c, rs = c.Execute(sql));
    QVERIFY(!rs.isNull());
    QVERIFY(!rs.isOpen());
    VARO_VERIFY_ERROR(rs.atEOF(), ErrorNumber::OperationOnClosed);
    QCOMPARE(c.errors().Count(), 0);

    Recordset after = Recordset::create();
    VARO_VERIFY_SQL(c, after.Open(check, c));
    QCOMPARE(after.RecordCount(), 1);
    const QVariant value = after.Fields(0).Value();
    QCOMPARE(varo::isNull(value) ? QString() : value.toString(), expected);
}

void TestAdo::providerErrors_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("sql");
    forEachKind([](const QString &kind) {
        QTest::newRow(qPrintable(kind + QStringLiteral(": missing table")))
            << kind << "select * from T_Missing";
        QTest::newRow(qPrintable(kind + QStringLiteral(": syntax")))
            << kind << "selec FCode from T_Item";
        QTest::newRow(qPrintable(kind + QStringLiteral(": missing column")))
            << kind << "select FMissing from T_Item";
        QTest::newRow(qPrintable(kind + QStringLiteral(": unquoted apostrophe")))
            << kind << "select * from T_Item where FName = 'O'Brien'";
        QTest::newRow(qPrintable(kind + QStringLiteral(": existing column added")))
            << kind << "alter table T_Item add  FName Varchar(200) null";
    });
}

void TestAdo::providerErrors()
{
    QFETCH(QString, database);
    QFETCH(QString, sql);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    const auto error = varo::test::errorOf([&] { c.Execute(sql); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorNumber::ProviderError);
    QCOMPARE(c.errors().Count(), 1);
    const QString description = c.errors().Item(0).Description;
    QVERIFY(!description.isEmpty());
    QCOMPARE(error->description(), description);

    c.errors().Clear();
    QCOMPARE(c.errors().Count(), 0);

    // The connection goes on working after the failure (no transaction left aborted).
    Recordset rs = Recordset::create();
    VARO_VERIFY_SQL(c, rs.Open(itemsQuery, c));
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(c.errors().Count(), 0);
}

void TestAdo::openFailureListedOnActiveConnection_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::openFailureListedOnActiveConnection()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    Connection &c = db.connection();
    Connection other = Connection::open(db.url());
    Recordset rs = Recordset::create();
    VARO_VERIFY_ERROR(rs.Open(QStringLiteral("select * from T_Missing"), other,
                              varo::CursorType::Dynamic, varo::LockType::Pessimistic),
                      ErrorNumber::ProviderError);
    QCOMPARE(other.errors().Count(), 1);
    QCOMPARE(c.errors().Count(), 0);
    QVERIFY(!rs.isOpen());
}

void TestAdo::openSnapshot_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::openSnapshot()
{
    // ADO's default cursor, as OpenLocalRecordset opens the definition rows.
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    VARO_VERIFY_SQL(c,
                    rs.Open(itemsQuery, c, varo::CursorType::Default, varo::LockType::Default, -1));
    QVERIFY(rs.isOpen());
    QVERIFY(!rs.atEOF());
    QVERIFY(!rs.atBOF());
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.FieldCount(), 4);

    const QStringList codes{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("B01")};
    QCOMPARE(column(rs, QStringLiteral("FCode")), codes);
    QVERIFY(rs.atEOF());
    VARO_VERIFY_ERROR(rs.MoveNext(), ErrorNumber::NoCurrentRecord);
    VARO_VERIFY_ERROR(rs.Fields(0).Value(), ErrorNumber::NoCurrentRecord);

    // The rows are a snapshot: a second pass sees them again, and rows added meanwhile not.
    c.Execute(QStringLiteral("insert into T_Item values ('A00', 'new', 1, null)"));
    rs.MoveFirst();
    QVERIFY(!rs.atEOF());
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.Fields(QStringLiteral("FQty")).Value().toInt(), 10);
    QCOMPARE(column(rs, QStringLiteral("FCode")), codes);

    // Opening again reads the table anew.
    rs.Open(itemsQuery, c);
    QCOMPARE(rs.RecordCount(), 4);
    QCOMPARE(rs.Fields(0).Value(), QVariant(QStringLiteral("A00")));
}

void TestAdo::openDynamic_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::openDynamic()
{
    // adOpenDynamic with adLockPessimistic, as OpenSqlRecordset opens the report's own rows.
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    VARO_VERIFY_SQL(
        c, rs.Open(itemsQuery, c, varo::CursorType::Dynamic, varo::LockType::Pessimistic, -1));
    QVERIFY(rs.isOpen());
    QVERIFY(!rs.atBOF());
    QCOMPARE(rs.RecordCount(), -1); // not known without reading every row
    QCOMPARE(rs.fieldNames(), (QStringList{QStringLiteral("FCode"), QStringLiteral("FName"),
                                           QStringLiteral("FQty"), QStringLiteral("FNote")}));
    QCOMPARE(column(rs, QStringLiteral("fcode")),
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("B01")}));
    VARO_VERIFY_ERROR(rs.MoveNext(), ErrorNumber::NoCurrentRecord);

    VARO_VERIFY_NO_ERROR(rs.MoveFirst());
    QVERIFY(!rs.atEOF());
    QCOMPARE(column(rs, QStringLiteral("FCode")),
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("B01")}));
}

void TestAdo::emptyResult_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::emptyResult()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    VARO_VERIFY_SQL(c, rs.Open(QStringLiteral("select FCode, FName from T_Item where FCode = "
                                              "'none'"),
                               c));
    QVERIFY(rs.atEOF());
    QVERIFY(rs.atBOF());
    QCOMPARE(rs.RecordCount(), 0);
    QCOMPARE(rs.FieldCount(), 2); // the fields are known without a row
    QCOMPARE(rs.Fields(1).Name(), QStringLiteral("FName"));
    VARO_VERIFY_ERROR(rs.MoveNext(), ErrorNumber::NoCurrentRecord);
    VARO_VERIFY_ERROR(rs.Fields(QStringLiteral("FCode")).Value(), ErrorNumber::NoCurrentRecord);
    VARO_VERIFY_NO_ERROR(rs.MoveFirst());
    QVERIFY(rs.atEOF());
}

void TestAdo::fieldsByNameAndIndex_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::fieldsByNameAndIndex()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    rs.Open(itemsQuery, c);
    rs.MoveNext(); // A02
    for (const QString &name : {QStringLiteral("FQty"), QStringLiteral("fqty"),
                                QStringLiteral("FQTY"), QStringLiteral("fQtY")}) {
        QCOMPARE(rs.Fields(name).Name(), QStringLiteral("FQty"));
        QCOMPARE(rs.Fields(name).Value().toInt(), 20);
    }
    QCOMPARE(rs.Fields(0).Name(), QStringLiteral("FCode"));
    QCOMPARE(rs.Fields(0).Value(), QVariant(QStringLiteral("A02")));
    QCOMPARE(rs.Fields(3).Name(), QStringLiteral("FNote"));
    VARO_VERIFY_ERROR(rs.Fields(QStringLiteral("FMissing")), ErrorNumber::ItemNotFound);
    VARO_VERIFY_ERROR(rs.Fields(4), ErrorNumber::ItemNotFound);
    VARO_VERIFY_ERROR(rs.Fields(-1), ErrorNumber::ItemNotFound);

    // A Field follows its recordset's current row.
    const varo::Field code = rs.Fields(QStringLiteral("FCode"));
    rs.MoveNext();
    QCOMPARE(code.Value(), QVariant(QStringLiteral("B01")));
}

void TestAdo::nullIsNotEmptyText_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::nullIsNotEmptyText()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    rs.Open(itemsQuery, c);
    // A01: FNote is NULL
    QVERIFY(varo::isNull(rs.Fields(QStringLiteral("FNote")).Value()));
    QCOMPARE(rs.Fields(QStringLiteral("FName")).Value(), QVariant(QStringLiteral("bolt")));
    rs.MoveNext();
    // A02: FName is the empty text, which is not NULL
    const QVariant empty = rs.Fields(QStringLiteral("FName")).Value();
    QVERIFY(!varo::isNull(empty));
    QVERIFY(!varo::isEmpty(empty));
    QCOMPARE(empty.toString(), QString());
    rs.MoveNext();
    // B01: blanks are the caller's to trim, not the database layer's
    QCOMPARE(rs.Fields(QStringLiteral("FName")).Value(), QVariant(QStringLiteral("nut ")));
    QCOMPARE(rs.Fields(QStringLiteral("FNote")).Value(), QVariant(QStringLiteral("  padded  ")));

    // The same through Execute's rows.
    Recordset forward = c.Execute(QStringLiteral("select null as FNone, '' as FBlank"));
    QVERIFY(varo::isNull(forward.Fields(0).Value()));
    QVERIFY(!varo::isNull(forward.Fields(1).Value()));
    QCOMPARE(forward.Fields(1).Value().toString(), QString());
}

void TestAdo::fieldNamesKeepSpelling_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("names");
    forEachKind([](const QString &kind) {
        QTest::newRow(qPrintable(kind + QStringLiteral(": columns")))
            << kind << "select FCode, FName from T_Item"
            << QStringList{QStringLiteral("FCode"), QStringLiteral("FName")};
        QTest::newRow(qPrintable(kind + QStringLiteral(": other spelling in where")))
            << kind << "select FCode, FQty from T_Item where fcode = 'A01' and FQTY > 0"
            << QStringList{QStringLiteral("FCode"), QStringLiteral("FQty")};
        QTest::newRow(qPrintable(kind + QStringLiteral(": alias")))
            << kind << "select fcode as FItemCode from T_Item"
            << QStringList{QStringLiteral("FItemCode")};
        QTest::newRow(qPrintable(kind + QStringLiteral(": alias, other spelling later")))
            << kind << "select FName as FCaption, FCode from T_Item order by FCAPTION, fcode"
            << QStringList{QStringLiteral("FCaption"), QStringLiteral("FCode")};
        QTest::newRow(qPrintable(kind + QStringLiteral(": expression alias")))
            << kind << "select FQty * 2 as FDouble from T_Item"
            << QStringList{QStringLiteral("FDouble")};
        QTest::newRow(qPrintable(kind + QStringLiteral(": qualified")))
            << kind << "select t.FCode from T_Item t" << QStringList{QStringLiteral("FCode")};
        QTest::newRow(qPrintable(kind + QStringLiteral(": quoted alias")))
            << kind << "select FName as \"Item Name\" from T_Item"
            << QStringList{QStringLiteral("Item Name")};
    });
}

void TestAdo::fieldNamesKeepSpelling()
{
    QFETCH(QString, database);
    QFETCH(QString, sql);
    QFETCH(QStringList, names);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    VARO_VERIFY_SQL(c, rs.Open(sql, c));
    QCOMPARE(rs.fieldNames(), names);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(rs.Fields(i).Name(), names.at(i));
    Recordset forward;
    VARO_VERIFY_SQL(c, forward = c.Execute(sql));
    QCOMPARE(forward.fieldNames(), names);
}

void TestAdo::closedRecordset_data()
{
    varo::test::addDatabaseRows();
}

void TestAdo::closedRecordset()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    createItems(db);
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    VARO_VERIFY_ERROR(rs.atEOF(), ErrorNumber::OperationOnClosed); // never opened
    rs.Open(itemsQuery, c);
    rs.Close();
    QVERIFY(!rs.isOpen());
    VARO_VERIFY_ERROR(rs.atEOF(), ErrorNumber::OperationOnClosed);
    VARO_VERIFY_ERROR(rs.atBOF(), ErrorNumber::OperationOnClosed);
    VARO_VERIFY_ERROR(rs.MoveFirst(), ErrorNumber::OperationOnClosed);
    VARO_VERIFY_ERROR(rs.RecordCount(), ErrorNumber::OperationOnClosed);
    VARO_VERIFY_ERROR(rs.Fields(QStringLiteral("FCode")), ErrorNumber::OperationOnClosed);
    rs.Open(itemsQuery, c);
    QCOMPARE(rs.RecordCount(), 3);
}

void TestAdo::nothingRaises()
{
    Recordset nothing;
    Connection none;
    QVERIFY(nothing.isNull());
    QVERIFY(none.isNull());
    VARO_VERIFY_ERROR(nothing.atEOF(), ErrorNumber::ObjectNotSet);
    VARO_VERIFY_ERROR(nothing.Close(), ErrorNumber::ObjectNotSet);
    VARO_VERIFY_ERROR(none.Execute(QStringLiteral("select 1")), ErrorNumber::ObjectNotSet);
    VARO_VERIFY_ERROR(none.errors(), ErrorNumber::ObjectNotSet);
    Recordset rs = Recordset::create();
    VARO_VERIFY_ERROR(rs.Open(QStringLiteral("select 1"), none), ErrorNumber::ObjectNotSet);
}

void TestAdo::sqlServerFunctions_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected"); // Null for SQL NULL
    const QVariant null = varo::nullValue();
    const QList<std::pair<const char *, QVariant>> cases = {
        {"charindex('b', 'abc')", 2},
        {"charindex('bc', 'abcbc')", 2},
        {"charindex('B', 'abc')", 2},
        {"charindex('bc', 'ABC')", 2},
        {"charindex('x', 'abc')", 0},
        {"charindex('', 'abc')", 0},
        {"charindex('abcd', 'abc')", 0},
        {"charindex('|', 'FDate1|2024-01-01')", 7},
        {"charindex('中', '文中文中')", 2},
        {"charindex(' ', 'a b')", 2},
        {"charindex('c ', 'abc ')", 3},
        {"charindex('a', 'abca', 1)", 1},
        {"charindex('a', 'abca', 2)", 4},
        {"charindex('a', 'abca', 4)", 4},
        {"charindex('a', 'abca', 5)", 0},
        {"charindex('a', 'abca', 0)", 1},
        {"charindex('a', 'abca', -3)", 1},
        {"charindex('中', '文中文中', 3)", 4},
        {"charindex(null, 'abc')", null},
        {"charindex('a', null)", null},
        {"charindex(null, null)", null},
        {"charindex('a', 'abc', null)", null},
        {"charindex('o', FName)", 0},
        {"charindex('T ', FName)", 3},
        {"len('abc')", 3},
        {"len('abc   ')", 3},
        {"len('  abc')", 5},
        {"len(' a b ')", 4},
        {"len('')", 0},
        {"len('   ')", 0},
        {"len('中文')", 2},
        {"len(null)", null},
        {"len(FName)", 3},
        {"len(FNote)", 8},
    };
    forEachKind([&](const QString &kind) {
        for (const auto &[expression, expected] : cases)
            QTest::newRow(qPrintable(kind + QStringLiteral(": ") + QString::fromUtf8(expression)))
                << kind << QString::fromUtf8(expression) << expected;
    });
}

void TestAdo::sqlServerFunctions()
{
    QFETCH(QString, database);
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    auto &db = m_readOnly[database];
    if (!db) {
        db = std::make_unique<TestDatabase>(database);
        if (db->state() == TestDatabase::State::Ready)
            VARO_VERIFY_SQL(db->connection(), createItems(*db));
    }
    if (db->state() == TestDatabase::State::Skipped)
        QSKIP(qPrintable(db->errorString()));
    QVERIFY2(db->state() == TestDatabase::State::Ready, qPrintable(db->errorString()));
    Connection &c = db->connection();
    // Row B01 holds FName 'nut ' and FNote '  padded  '.
    Recordset rs = Recordset::create();
    VARO_VERIFY_SQL(
        c,
        rs.Open(
            QStringLiteral("select %1 as FValue from T_Item where FCode = 'B01'").arg(expression),
            c));
    QCOMPARE(rs.RecordCount(), 1);
    const QVariant value = rs.Fields(QStringLiteral("FValue")).Value();
    if (varo::isNull(expected)) {
        QVERIFY2(varo::isNull(value), qPrintable(value.toString()));
    } else {
        QVERIFY(!varo::isNull(value));
        QCOMPARE(value.toLongLong(), expected.toLongLong());
    }
}

void TestAdo::cleanupTestCase()
{
    m_readOnly.clear();
}

VARO_TEST_MAIN(TestAdo)
#include "tst_ado.moc"
