// The shared module: per-thread connections and report type, the value and string helpers, the
// database shortcuts on the right connection, the one schema repair and the item lookup with
// the engine's standard message box. Everything that reads SQL runs on SQLite and PostgreSQL.
#include "common/fakes.h"
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QTest>
#include <thread>

using namespace varo;
using test::ScriptedItemLook;
using varo::ui::MessageIcon;

class TestModGlobal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        gLocConn() = Connection();
        gSqlConn() = Connection();
        gRepType() = 0;
    }

    void sharedVariablesArePerThread()
    {
        const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
        gLocConn() = loc;
        gRepType() = 3;
        bool otherStartedEmpty = false;
        std::thread other([&otherStartedEmpty] {
            otherStartedEmpty = gLocConn().isNull() && gSqlConn().isNull() && gRepType() == 0;
            gRepType() = 9;
        });
        other.join();
        QVERIFY(otherStartedEmpty);
        QVERIFY(gLocConn() == loc);
        QCOMPARE(gRepType(), 3);
    }

    void values()
    {
        QCOMPARE(NullToValue(nullValue()), QVariant(QString()));
        QCOMPARE(NullToValue(nullValue(), 0), QVariant(0));
        QCOMPARE(NullToValue(QVariant(), 0), QVariant()); // Empty is not Null
        QCOMPARE(NullToValue(0.0, "z"), QVariant(0.0));
        QCOMPARE(GetPart("a|| c ", "|", 2), QStringLiteral(" c "));
        QCOMPARE(GetPart("a|b", "|", 2), QString());
        // Callers that need inner quotes doubled do it themselves.
        QCOMPARE(QuoteSql(QStringLiteral("O'Neil ")), QStringLiteral("'O'Neil '"));
    }

    // The definition rows come forward-only from the definition connection, the business rows
    // from the business one; the current row reads as trimmed texts.
    void recordsets_data() { test::addDatabaseRows(); }
    void recordsets()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(local, database);
        VARO_TEST_DATABASE(business, database);
        const QString create = "create table T_Which (FName varchar(20), FNote varchar(9), FQty "
                               "integer)";
        local.execute({create, "insert into T_Which values (' 螺丝 ', null, 12), ('b', 'x', 3)"});
        business.execute({create, "insert into T_Which values ('sql', 'y', 1)"});
        gLocConn() = local.connection();
        gSqlConn() = business.connection();
        test::MessageRecorder recorder;
        const QString query =
            QStringLiteral("select FName, FNote, FQty from T_Which order by FQty desc");
        Recordset fromLocal = OpenLocalRecordset(query);
        QCOMPARE(fromLocal.RecordCount(), qsizetype(2));
        const Dictionary record = RecordToDictionary(fromLocal);
        QCOMPARE(record.keyAt(0), QStringLiteral("FName"));
        QCOMPARE(record.value("FName"), QVariant("螺丝"));
        QCOMPARE(record.value("FNote"), QVariant(""));
        QCOMPARE(record.value("FQty"), QVariant("12"));
        fromLocal.MoveNext();
        fromLocal.MoveNext();
        QVERIFY(RecordToDictionary(fromLocal).isNull());

        // The business rows are a dynamic cursor: no count, yet it can go back to the first row.
        Recordset fromSql = OpenSqlRecordset(query);
        QCOMPARE(fromSql.RecordCount(), qsizetype(-1));
        fromSql.MoveNext();
        QVERIFY(fromSql.atEOF());
        fromSql.MoveFirst();
        QCOMPARE(fromSql.Fields(0).Value(), QVariant("sql"));

        // Errors go to the caller, listed on the connection that ran the statement.
        VARO_VERIFY_ERROR(OpenLocalRecordset("select FName from T_Missing"),
                          ErrorNumber::ProviderError);
        QCOMPARE(local.connection().errors().Count(), 1);
        QCOMPARE(business.connection().errors().Count(), 0);
        QCOMPARE(recorder.texts(), QStringList());

        // GetScalarString runs on the connection given: field 0 of the first row, untrimmed,
        // Null as ""; a failure shows the description alone, without icon or title.
        QCOMPARE(GetScalarString(query, local.connection()), QStringLiteral(" 螺丝 "));
        QCOMPARE(GetScalarString("select FNote from T_Which where FQty = 12", local.connection()),
                 QString());
        QCOMPARE(GetScalarString("select FName from T_Which where 1=0", business.connection()),
                 QString());
        QCOMPARE(GetScalarString("select FName from T_Missing", business.connection()), QString());
        QCOMPARE(recorder.messages().size(), 1);
        QCOMPARE(recorder.messages()[0].text, business.connection().errors().Item(0).Description);
        QCOMPARE(recorder.messages()[0].icon, MessageIcon::None);
        QCOMPARE(recorder.messages()[0].title, QString());
    }

    void ensureColumn_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("columns"); // of T_RepFilter, which has two rows; empty: no table
        QTest::addColumn<bool>("adds");
        for (const QString &kind : test::databaseKinds()) {
            // With rows, the check's own query must be done with them before the table changes.
            test::databaseRow(kind, "without the column") << "FRepKey text, FIndex integer" << true;
            test::databaseRow(kind, "a longer name is another column")
                << "FRepKey text, FGroupStr2 varchar(10)" << true;
            test::databaseRow(kind, "column in upper case")
                << "FRepKey text, \"FGROUPSTR\" text" << false;
            test::databaseRow(kind, "missing table") << QString() << false;
        }
    }
    void ensureColumn()
    {
        QFETCH(QString, database);
        QFETCH(QString, columns);
        QFETCH(bool, adds);
        VARO_TEST_DATABASE(db, database);
        Connection &c = db.connection();
        if (!columns.isEmpty()) {
            const QString row = "insert into T_RepFilter (FRepKey) values ('a')";
            db.execute({"create table T_RepFilter (" + columns + ")", row, row});
        }
        test::MessageRecorder recorder;
        // Twice: once there, the column is left alone (adding it again would fail and show).
        for (int call = 0; call < 2; ++call)
            EnsureColumn(c, QStringLiteral("T_RepFilter"), QStringLiteral("FGroupStr"));
        if (columns.isEmpty()) {
            QCOMPARE(recorder.texts(), QStringList(2, c.errors().Item(0).Description));
            QCOMPARE(recorder.messages().first().title, QStringLiteral("沐岩提示"));
            return;
        }
        QCOMPARE(recorder.texts(), QStringList());
        QCOMPARE(c.Execute("select * from T_RepFilter").FieldCount(), 2 + (adds ? 1 : 0));
        if (adds) {
            c.Execute("update T_RepFilter set FGroupStr = '" + QString(200, u'x') + "'");
            QCOMPARE(test::firstValue(c, "select count(*) from T_RepFilter where FGroupStr is "
                                         "not null")
                         .toInt(),
                     2);
        }
    }

    // The lookup gets the key and the shared connections; those it hands back replace them.
    void lookupItem_data()
    {
        QTest::addColumn<bool>("handBack");
        QTest::addColumn<bool>("businessOnly");
        QTest::addColumn<int>("failWith");
        QTest::newRow("hands back other connections") << true << false << 0;
        QTest::newRow("leaves the connections") << false << false << 0;
        QTest::newRow("business connection alone") << true << true << 0;
        QTest::newRow("ShowForm raises") << true << false << 1234;
    }
    void lookupItem()
    {
        QFETCH(bool, handBack);
        QFETCH(bool, businessOnly);
        QFETCH(int, failWith);
        const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
        const Connection sql = Connection::open(QStringLiteral("sqlite::memory:"));
        gLocConn() = loc;
        gSqlConn() = sql;
        ScriptedItemLook::install();
        test::LookupScript &script = ScriptedItemLook::script();
        script.answer = "A01 螺丝";
        script.failWith = failWith;
        script.handBack = handBack;
        script.locConn = Connection::open("sqlite::memory:");
        script.sqlConn = Connection::open("sqlite::memory:");
        test::MessageRecorder recorder;
        const QString result =
            LookupItem("Material", businessOnly ? LookupConnections::BusinessOnly
                                                : LookupConnections::DefinitionAndBusiness);
        QCOMPARE(script.keys, QStringList{"Material"});
        QVERIFY(script.seenLocConn == (businessOnly ? Connection() : loc));
        QVERIFY(script.seenSqlConn == sql);
        QCOMPARE(script.alive, 0); // released
        const bool replaced = handBack && !failWith;
        QVERIFY(gLocConn() == (replaced && !businessOnly ? script.locConn : loc));
        QVERIFY(gSqlConn() == (replaced ? script.sqlConn : sql));
        QCOMPARE(result, failWith ? QString() : script.answer);
        QCOMPARE(recorder.texts(),
                 failWith ? QStringList{"错误编号:1234,错误描述:选择窗口打不开"} : QStringList());
    }
};

VARO_TEST_MAIN(TestModGlobal)
#include "tst_modglobal.moc"
