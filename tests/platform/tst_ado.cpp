// Database access on every server the engine meets (SQLite and PostgreSQL): rows read three
// ways, provider errors kept on the connection, and the SQL that report statements rely on.

#include "common/testdatabase.h"
#include "platform/variant.h"

using namespace varo;

const QStringList items{"create table T_Item (FCode varchar(9), FName varchar(9), FQty integer, "
                        "FNote varchar(20))",
                        "insert into T_Item values ('A01', 'bolt', 10, null)",
                        "insert into T_Item values ('A02', '', 20, 'x')",
                        "insert into T_Item values ('B01', 'nut ', 30, '  padded  ')"};

class TestAdo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openBadUrl()
    {
        // A missing file must not turn into a new, empty database; every failure names the URL.
        for (const QString url :
             {"sqlite:///nonexistent/report.db", "sqlite://report.db", "mysql://user@host/db",
              "postgresql://", "postgresql://nobody@127.0.0.1:1/report"}) {
            const auto error = test::errorOf([&] { Connection::open(url); });
            QVERIFY2(error && error->description().contains(url), qPrintable(url));
        }
    }

    // Connection::Execute's forward-only rows, and Open with the default (snapshot) or the
    // dynamic cursor.
    void rows_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("recordCount"); // -1: unknown without reading every row
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "Execute") << "execute" << -1;
            test::databaseRow(kind, "Open: snapshot") << "snapshot" << 3;
            test::databaseRow(kind, "Open: dynamic") << "dynamic" << -1;
        }
    }
    void rows()
    {
        QFETCH(QString, database);
        QFETCH(QString, mode);
        QFETCH(int, recordCount);
        VARO_TEST_DATABASE(db, database);
        db.execute(items);
        Connection &c = db.connection();
        const auto open = [&](const QString &sql) {
            Recordset rs = mode == "execute" ? c.Execute(sql) : Recordset::create();
            if (mode != "execute")
                rs.Open(sql, c, mode == "dynamic" ? CursorType::Dynamic : CursorType::Default,
                        mode == "dynamic" ? LockType::Pessimistic : LockType::Default, -1);
            return rs;
        };
        Recordset rs;
        VARO_VERIFY_SQL(c, rs = open("select FCode, FName, FQty, FNote from T_Item order by 1"));
        QCOMPARE(rs.RecordCount(), qsizetype(recordCount));
        QCOMPARE(rs.fieldNames(), QStringList({"FCode", "FName", "FQty", "FNote"}));
        QCOMPARE(rs.Fields("FQTY").Name(), QStringLiteral("FQty"));
        VARO_VERIFY_ERROR(rs.Fields("FMissing"), ErrorNumber::ItemNotFound);
        VARO_VERIFY_ERROR(rs.Fields(4), ErrorNumber::ItemNotFound);
        const Field name = rs.Fields("fname"); // follows the current row
        const auto read = [&] {
            QStringList rows;
            for (; !rs.atEOF(); rs.MoveNext()) {
                // The engine runs a lookup per row while it reads rows; neither may lose rows.
                const QString lookup = "select count(*) from T_Item where FQty = %1";
                const QVariant note = rs.Fields(3).Value();
                rows << rs.Fields(0).Value().toString() + '|' + name.Value().toString() + '|' +
                            (isNull(note) ? "Null" : note.toString()) + '|' +
                            c.Execute(lookup.arg(rs.value(2).toInt())).value(0).toString();
            }
            return rows;
        };
        // Null is not the empty text; blanks are the caller's to trim.
        const QStringList all{"A01|bolt|Null|1", "A02||x|1", "B01|nut |  padded  |1"};
        QCOMPARE(read(), all);
        QVERIFY(!rs.atBOF()); // only a result without rows is at both ends
        VARO_VERIFY_ERROR(rs.MoveNext(), ErrorNumber::NoCurrentRecord);
        VARO_VERIFY_ERROR(name.Value(), ErrorNumber::NoCurrentRecord);
        if (mode == "execute") {
            VARO_VERIFY_ERROR(rs.MoveFirst(), ErrorNumber::ForwardOnly);
        } else {
            // A snapshot keeps its rows; a dynamic cursor runs the query again (where rows
            // are read as they are asked for).
            c.Execute("insert into T_Item values ('A00', 'new', 1, 'n')");
            VARO_VERIFY_SQL(c, rs.MoveFirst());
            const bool again = mode == "dynamic" && database == "sqlite";
            QCOMPARE(read(), again ? QStringList{"A00|new|n|1"} + all : all);
        }
        VARO_VERIFY_SQL(c, rs = open("select FCode, FName from T_Item where 1 = 0"));
        QVERIFY(rs.atEOF() && rs.atBOF()); // and the fields known all the same
        QCOMPARE(rs.RecordCount(), qsizetype(recordCount < 0 ? -1 : 0));
        QCOMPARE(rs.Fields(1).Name(), QStringLiteral("FName"));
    }

    void statements_data() { test::addDatabaseRows(); }
    void statements()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        db.execute(items);
        Connection &c = db.connection();
        Connection other = Connection::open(db.url());
        Recordset rs = Recordset::create();
        // The last statement fails at its third row, from the row's own column so that no
        // server can fail it early: Execute's rows raise when it is read, never end quietly.
        const bool sqlite = database == "sqlite";
        const QString third = sqlite ? "abs(-9223372036854775778 - FQty)" : "1 / (FQty - 30)";
        QStringList read;
        for (const QString &sql :
             QStringList{"select * from T_Missing", "alter table T_Item add FName int",
                         "select * from T_Item where FName = 'O'B'",
                         "select FCode, case when FQty = 30 then " + third +
                             " else FQty end from T_Item"}) {
            // Listed on the connection the statement ran on, and on no other.
            VARO_VERIFY_ERROR(rs.Open(sql, other), ErrorNumber::ProviderError);
            QVERIFY(other.errors().Count() == 1 && c.errors().Count() == 0);
            const auto error = test::errorOf([&] {
                for (rs = c.Execute(sql); !rs.atEOF(); rs.MoveNext())
                    read << rs.Fields(0).Value().toString();
            });
            QVERIFY(error && error->number() == ErrorNumber::ProviderError);
            QVERIFY(c.errors().Count() == 1 && !error->description().isEmpty());
            QCOMPARE(c.errors().Item(0).Description, error->description());
            c.errors().Clear();
            // The connection goes on working (no transaction left aborted).
            QCOMPARE(test::firstValue(c, "select count(*) from T_Item").toInt(), 3);
        }
        // SQLite rows come as they are read; other servers may fail a result whole.
        QVERIFY(sqlite ? (read == QStringList{"A01", "A02"}) : read.size() <= 2);
        const int closed = ErrorNumber::OperationOnClosed, notSet = ErrorNumber::ObjectNotSet;
        rs = Recordset::create();
        VARO_VERIFY_ERROR(rs.atEOF(), closed); // never opened
        rs.Open("select FCode from T_Item", c);
        rs.Close();
        VARO_VERIFY_ERROR(rs.Fields("FCode"), closed);
        rs.Open("update T_Item set FQty = 0 where 1 = 0", c); // no rows: stays closed
        VARO_VERIFY_ERROR(rs.MoveFirst(), closed);
        VARO_VERIFY_ERROR(c.Execute("delete from T_Item where 1 = 0").atEOF(), closed);
        Connection none; // nothing is another error
        VARO_VERIFY_ERROR(rs.Open("select 1", none), notSet);
        VARO_VERIFY_ERROR(Recordset().Open("select 1", c), notSet);

        // "expression = result" on row B01 (FName 'nut ', FNote '  padded  '). charindex: from
        // 1, 0 for "not found", letters in any case; len ignores trailing blanks only.
        const QStringList cases =
            QString("charindex('bc', 'abcbc') = 2; charindex('B', 'abc') = 2; "
                    "charindex('x', 'abc') = 0; charindex('', 'abc') = 0; "
                    "charindex('a', 'abca', 4) = 4; charindex('a', 'abca', 5) = 0; "
                    "charindex('a', 'abca', -3) = 1; charindex('中', '文中文中', 3) = 4; "
                    "charindex(null, 'abc') = null; charindex('a', 'abc', null) = null; "
                    "charindex('T ', FName) = 3; len('abc   ') = 3; len('  abc') = 5; "
                    "len('   ') = 0; len('中文') = 2; len(null) = null; len(FNote) = 8")
                .split("; ");
        // "names: statement": field names as the statement writes them, though PostgreSQL
        // folds unquoted names to lower case.
        const QStringList names = {
            "FCode,FQty: select FCode, FQty from T_Item where fcode = 'A01' and FQTY > 0",
            "FCode: select fcode as FCode from T_Item",
            "FCaption,FCode: select FName as FCaption, FCode from T_Item order by FCAPTION, fcode",
            "Item Name: select FName as \"Item Name\" from T_Item"};
        QStringList results;
        for (const QString &item : cases) {
            const QString expression = item.section(" = ", 0, 0);
            QVariant v;
            VARO_VERIFY_SQL(c, v = test::firstValue(c, "select " + expression +
                                                           " from T_Item where FCode = 'B01'"));
            results << expression + " = " + (isNull(v) ? "null" : QString::number(v.toInt()));
        }
        for (const QString &item : names) {
            VARO_VERIFY_SQL(c, rs = c.Execute(item.section(": ", 1)));
            results << rs.fieldNames().join(',') + ": " + item.section(": ", 1);
        }
        QCOMPARE(results, cases + names);
    }
};

VARO_TEST_MAIN(TestAdo)
#include "tst_ado.moc"
