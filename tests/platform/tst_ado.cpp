// Database access on every server the engine meets (SQLite and PostgreSQL): the three ways to
// read rows (Execute's lazy forward-only rows, snapshots, dynamic cursors), with statements run
// while rows are read, fields, Null, field names as written, closed recordsets, provider errors
// kept on the connection, and the charindex and len functions that the report SQL relies on.
// Every fixture runs its statements through Execute; of statements without rows, only the
// closed recordset they hand back is checked here.

#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "platform/ado.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"

#include <QTemporaryDir>
#include <QTest>

using varo::Connection;
using varo::Recordset;
using varo::test::databaseRow;
using varo::test::firstValue;
using varo::test::TestDatabase;
namespace ErrorNumber = varo::ErrorNumber;

namespace
{

const QString itemsQuery =
    QStringLiteral("select FCode, FName, FQty, FNote from T_Item order by FCode");
const QStringList itemCodes{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("B01")};

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

// Rows the way the engine asks for them: "execute" (Connection::Execute), "snapshot" (Open
// with the default cursor) or "dynamic" (Open with the dynamic cursor and pessimistic lock).
Recordset openRows(Connection &c, const QString &mode, const QString &sql)
{
    if (mode == QLatin1String("execute"))
        return c.Execute(sql);
    Recordset rs = Recordset::create();
    if (mode == QLatin1String("dynamic"))
        rs.Open(sql, c, varo::CursorType::Dynamic, varo::LockType::Pessimistic, -1);
    else
        rs.Open(sql, c, varo::CursorType::Default, varo::LockType::Default, -1);
    return rs;
}

} // namespace

class TestAdo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openBadUrl_data()
    {
        QTest::addColumn<QString>("url");
        // A missing file must not turn into a new, empty database (<dir>: an existing folder).
        QTest::newRow("missing SQLite file") << "sqlite://<dir>/report.db";
        QTest::newRow("relative SQLite path") << "sqlite://report.db";
        QTest::newRow("unknown scheme") << "mysql://user@host/db";
        QTest::newRow("PostgreSQL without host") << "postgresql://";
        QTest::newRow("PostgreSQL, nobody listening") << "postgresql://nobody@127.0.0.1:1/report";
    }

    void openBadUrl()
    {
        QFETCH(QString, url);
        const QTemporaryDir dir;
        url.replace(QStringLiteral("<dir>"), dir.path());
        const auto error = varo::test::errorOf([&] { Connection::open(url); });
        QVERIFY(error);
        QVERIFY2(error->description().contains(url), qPrintable(error->description()));
    }

    void executeReadsRowsLazily_data() { varo::test::addDatabaseRows(); }
    void executeReadsRowsLazily()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        createItems(db);
        // The third row fails when it is computed (SQLite: integer overflow; PostgreSQL:
        // division by zero); the failing expression uses the row's own column so that no
        // server can work it out before the first row, and there is no order by, which would
        // compute every row before the first comes out. A fresh table is read in insertion
        // order.
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
            for (Recordset rs = c.Execute(sql); !rs.atEOF(); rs.MoveNext())
                read.append(rs.Fields(QStringLiteral("FCode")).Value().toString());
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

    void readModes_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("recordCount"); // -1: unknown without reading every row
        for (const QString &kind : varo::test::databaseKinds()) {
            databaseRow(kind, "Execute: forward-only") << QStringLiteral("execute") << -1;
            databaseRow(kind, "Open: snapshot") << QStringLiteral("snapshot") << 3;
            databaseRow(kind, "Open: dynamic, runs again") << QStringLiteral("dynamic") << -1;
        }
    }

    void readModes()
    {
        QFETCH(QString, database);
        QFETCH(QString, mode);
        QFETCH(int, recordCount);
        VARO_TEST_DATABASE(db, database);
        createItems(db);
        Connection &c = db.connection();
        Recordset rs;
        VARO_VERIFY_SQL(c, rs = openRows(c, mode, itemsQuery));
        QVERIFY(!rs.atBOF());
        QCOMPARE(rs.RecordCount(), qsizetype(recordCount));
        QCOMPARE(rs.fieldNames(), (QStringList{QStringLiteral("FCode"), QStringLiteral("FName"),
                                               QStringLiteral("FQty"), QStringLiteral("FNote")}));
        // The same field read twice gives the same value.
        QCOMPARE(rs.Fields(0).Value(), QVariant(QStringLiteral("A01")));
        QCOMPARE(rs.Fields(QStringLiteral("fcode")).Value(), QVariant(QStringLiteral("A01")));
        // The engine runs other statements on the connection while it reads rows (a lookup
        // per row, a scalar query); neither may lose rows to the other.
        QStringList seen;
        for (; !rs.atEOF(); rs.MoveNext()) {
            seen << rs.Fields(QStringLiteral("FCode")).Value().toString();
            QCOMPARE(firstValue(c, QStringLiteral("select count(*) from T_Item where FCode = '%1'")
                                       .arg(seen.last()))
                         .toInt(),
                     1);
            QCOMPARE(
                c.Execute(QStringLiteral("select count(*) from T_Item")).Fields(0).Value().toInt(),
                3);
        }
        QCOMPARE(seen, itemCodes);
        QVERIFY(!rs.atBOF()); // only a result without rows is at both ends
        VARO_VERIFY_ERROR(rs.MoveNext(), ErrorNumber::NoCurrentRecord);
        VARO_VERIFY_ERROR(rs.Fields(0).Value(), ErrorNumber::NoCurrentRecord);

        // A snapshot keeps its rows: a row added meanwhile is not among them.
        if (mode == QLatin1String("snapshot"))
            c.Execute(QStringLiteral("insert into T_Item values ('A00', 'new', 1, null)"));
        if (mode == QLatin1String("execute")) {
            VARO_VERIFY_ERROR(rs.MoveFirst(), ErrorNumber::ForwardOnly);
        } else {
            // Back to the first row from the end and from the middle of the rows.
            VARO_VERIFY_SQL(c, rs.MoveFirst());
            rs.MoveNext();
            VARO_VERIFY_SQL(c, rs.MoveFirst());
            seen.clear();
            for (; !rs.atEOF(); rs.MoveNext())
                seen << rs.Fields(0).Value().toString();
            QCOMPARE(seen, itemCodes);
            QCOMPARE(rs.RecordCount(), qsizetype(recordCount));
        }

        // No rows: at both ends at once, and the fields known all the same.
        Recordset empty;
        VARO_VERIFY_SQL(c, empty = openRows(c, mode,
                                            QStringLiteral("select FCode, FName from T_Item "
                                                           "where FCode = 'none'")));
        QVERIFY(empty.atEOF());
        QVERIFY(empty.atBOF());
        QCOMPARE(empty.RecordCount(), qsizetype(recordCount < 0 ? -1 : 0));
        QCOMPARE(empty.Fields(1).Name(), QStringLiteral("FName"));
    }

    void providerErrors_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("sql");
        for (const QString &kind : varo::test::databaseKinds()) {
            databaseRow(kind, "missing table") << QStringLiteral("select * from T_Missing");
            databaseRow(kind, "missing column") << QStringLiteral("select FMissing from T_Item");
            databaseRow(kind, "unquoted apostrophe")
                << QStringLiteral("select * from T_Item where FName = 'O'Brien'");
            databaseRow(kind, "existing column added")
                << QStringLiteral("alter table T_Item add  FName Varchar(200) null");
        }
    }

    void providerErrors()
    {
        QFETCH(QString, database);
        QFETCH(QString, sql);
        VARO_TEST_DATABASE(db, database);
        createItems(db);
        Connection &c = db.connection();
        Connection other = Connection::open(db.url());

        // Open lists the error on the connection it was given, and on no other.
        Recordset rs = Recordset::create();
        VARO_VERIFY_ERROR(
            rs.Open(sql, other, varo::CursorType::Dynamic, varo::LockType::Pessimistic),
            ErrorNumber::ProviderError);
        QCOMPARE(other.errors().Count(), 1);
        QCOMPARE(c.errors().Count(), 0);
        QVERIFY(!rs.isOpen());

        const auto error = varo::test::errorOf([&] { c.Execute(sql); });
        QVERIFY(error);
        QCOMPARE(error->number(), ErrorNumber::ProviderError);
        QCOMPARE(c.errors().Count(), 1);
        QVERIFY(!c.errors().Item(0).Description.isEmpty());
        QCOMPARE(error->description(), c.errors().Item(0).Description);

        // The connection goes on working after the failure (no transaction left aborted).
        VARO_VERIFY_SQL(c, rs.Open(itemsQuery, c));
        QCOMPARE(rs.RecordCount(), 3);
    }

    void fieldValues_data() { varo::test::addDatabaseRows(); }
    void fieldValues()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        createItems(db);
        Recordset rs;
        VARO_VERIFY_SQL(db.connection(),
                        rs = openRows(db.connection(), QStringLiteral("snapshot"), itemsQuery));
        // A01: FNote is NULL
        QVERIFY(varo::isNull(rs.Fields(QStringLiteral("FNote")).Value()));
        QCOMPARE(rs.Fields(QStringLiteral("FName")).Value(), QVariant(QStringLiteral("bolt")));
        rs.MoveNext();
        // A02: FName is the empty text, which is not NULL. Names in any case, or indexes.
        const QVariant empty = rs.Fields(QStringLiteral("FName")).Value();
        QVERIFY(!varo::isNull(empty));
        QVERIFY(!varo::isEmpty(empty));
        QCOMPARE(empty.toString(), QString());
        QCOMPARE(rs.Fields(QStringLiteral("FQTY")).Name(), QStringLiteral("FQty"));
        QCOMPARE(rs.Fields(QStringLiteral("fqty")).Value().toInt(), 20);
        QCOMPARE(rs.Fields(3).Name(), QStringLiteral("FNote"));
        VARO_VERIFY_ERROR(rs.Fields(QStringLiteral("FMissing")), ErrorNumber::ItemNotFound);
        VARO_VERIFY_ERROR(rs.Fields(4), ErrorNumber::ItemNotFound);
        VARO_VERIFY_ERROR(rs.Fields(-1), ErrorNumber::ItemNotFound);

        // A Field follows its recordset's current row.
        const varo::Field name = rs.Fields(QStringLiteral("FName"));
        rs.MoveNext();
        // B01: blanks are the caller's to trim, not the database layer's
        QCOMPARE(name.Value(), QVariant(QStringLiteral("nut ")));
        QCOMPARE(rs.Fields(QStringLiteral("FNote")).Value(),
                 QVariant(QStringLiteral("  padded  ")));
    }

    // PostgreSQL folds unquoted names to lower case; hosts see them as the statement writes
    // them on every server.
    void fieldNamesKeepSpelling_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("names");
        for (const QString &kind : varo::test::databaseKinds()) {
            databaseRow(kind, "other spelling in where")
                << QStringLiteral("select FCode, FQty from T_Item where fcode = 'A01' and FQTY > 0")
                << QStringList{QStringLiteral("FCode"), QStringLiteral("FQty")};
            databaseRow(kind, "alias spelled unlike its column")
                << QStringLiteral("select fcode as FCode from T_Item")
                << QStringList{QStringLiteral("FCode")};
            databaseRow(kind, "alias, other spelling later")
                << QStringLiteral("select FName as FCaption, FCode from T_Item "
                                  "order by FCAPTION, fcode")
                << QStringList{QStringLiteral("FCaption"), QStringLiteral("FCode")};
            databaseRow(kind, "qualified") << QStringLiteral("select t.FCode from T_Item t")
                                           << QStringList{QStringLiteral("FCode")};
            databaseRow(kind, "quoted alias")
                << QStringLiteral("select FName as \"Item Name\" from T_Item")
                << QStringList{QStringLiteral("Item Name")};
        }
    }

    void fieldNamesKeepSpelling()
    {
        QFETCH(QString, database);
        QFETCH(QString, sql);
        QFETCH(QStringList, names);
        VARO_TEST_DATABASE(db, database);
        createItems(db);
        Recordset rs;
        VARO_VERIFY_SQL(db.connection(),
                        rs = openRows(db.connection(), QStringLiteral("snapshot"), sql));
        QCOMPARE(rs.fieldNames(), names);
    }

    void closedRecordset_data() { varo::test::addDatabaseRows(); }
    void closedRecordset()
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
        VARO_VERIFY_ERROR(rs.MoveFirst(), ErrorNumber::OperationOnClosed);
        VARO_VERIFY_ERROR(rs.Fields(QStringLiteral("FCode")), ErrorNumber::OperationOnClosed);
        rs.Open(itemsQuery, c);
        QCOMPARE(rs.RecordCount(), 3);
        // A statement without rows hands back a closed recordset.
        Recordset done = c.Execute(QStringLiteral("update T_Item set FQty = 0 where 1 = 0"));
        QVERIFY(!done.isNull());
        VARO_VERIFY_ERROR(done.atEOF(), ErrorNumber::OperationOnClosed);

        // Nothing at all is another error.
        Recordset nothing;
        Connection none;
        VARO_VERIFY_ERROR(nothing.atEOF(), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(nothing.Close(), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(none.Execute(QStringLiteral("select 1")), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(none.errors(), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(rs.Open(QStringLiteral("select 1"), none), ErrorNumber::ObjectNotSet);
    }

    void sqlFunctions_data() { varo::test::addDatabaseRows(); }
    void sqlFunctions()
    {
        // "expression = result" on row B01, which holds FName 'nut ' and FNote '  padded  '.
        // Positions count from 1, 0 is "not found"; letters match in any case; len ignores
        // trailing blanks only.
        const QStringList cases = {
            QStringLiteral("charindex('b', 'abc') = 2"),
            QStringLiteral("charindex('bc', 'abcbc') = 2"),
            QStringLiteral("charindex('B', 'abc') = 2"),
            QStringLiteral("charindex('x', 'abc') = 0"),
            QStringLiteral("charindex('', 'abc') = 0"),
            QStringLiteral("charindex('a', 'abca', 2) = 4"),
            QStringLiteral("charindex('a', 'abca', 4) = 4"),
            QStringLiteral("charindex('a', 'abca', 5) = 0"),
            QStringLiteral("charindex('a', 'abca', -3) = 1"),
            QStringLiteral("charindex('中', '文中文中', 3) = 4"),
            QStringLiteral("charindex(null, 'abc') = null"),
            QStringLiteral("charindex('a', null) = null"),
            QStringLiteral("charindex('a', 'abc', null) = null"),
            QStringLiteral("charindex('T ', FName) = 3"),
            QStringLiteral("len('abc   ') = 3"),
            QStringLiteral("len('  abc') = 5"),
            QStringLiteral("len('   ') = 0"),
            QStringLiteral("len('中文') = 2"),
            QStringLiteral("len(null) = null"),
            QStringLiteral("len(FNote) = 8"),
        };
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        createItems(db);
        QStringList results;
        for (const QString &item : cases) {
            const QString expression = item.left(item.lastIndexOf(QStringLiteral(" = ")));
            QVariant value;
            VARO_VERIFY_SQL(
                db.connection(),
                value = firstValue(
                    db.connection(),
                    QStringLiteral("select %1 from T_Item where FCode = 'B01'").arg(expression)));
            results << expression + QStringLiteral(" = ") +
                           (varo::isNull(value) ? QStringLiteral("null")
                                                : QString::number(value.toLongLong()));
        }
        QCOMPARE(results, cases);
    }
};

VARO_TEST_MAIN(TestAdo)
#include "tst_ado.moc"
