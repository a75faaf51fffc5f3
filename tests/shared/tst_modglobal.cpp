// The shared module: per-thread connections and report type, the value and string helpers, the
// database shortcuts on the right connection, the one schema repair and the item lookup with
// the engine's standard message box. Everything that reads SQL runs on SQLite and PostgreSQL.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "platform/automation.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QTest>
#include <thread>

using namespace varo;
using varo::test::databaseRow;
using varo::test::firstValue;
using varo::test::MessageRecorder;
using varo::ui::MessageIcon;

namespace
{

const QString kLookupProgId = QStringLiteral("VaroSelect.clsItemLook");
const QString kTitle = QStringLiteral("沐岩提示");

// Every entry as "name=value (type)", since records hold text only.
QStringList recordEntries(const Dictionary &record)
{
    QStringList entries;
    for (int i = 0; i < record.Count(); ++i)
        entries.append(QStringLiteral("%1=%2 (%3)")
                           .arg(record.keyAt(i), record.valueAt(i).toString(),
                                QString::fromLatin1(record.valueAt(i).metaType().name())));
    return entries;
}

const QStringList kRecordRows = {
    QStringLiteral("create table T_Rec (FOrder integer, FCode varchar(20), FName varchar(50), "
                   "FNote varchar(50), FQty integer)"),
    QStringLiteral("insert into T_Rec values (1, '  A01 ', ' 螺丝', null, 12)"),
    QStringLiteral("insert into T_Rec values (2, 'B02', '螺母 ', 'x', 3)"),
};

} // namespace

// What the lookup component below does when ShowForm is called.
struct LookupScript {
    bool handBack = false;
    Connection locConn; // handed back when handBack; nothing hands back Empty
    Connection sqlConn;
    QString returnValue;
    int failWith = 0; // error number ShowForm raises; 0 = none
};

// The item lookup component as the engine meets it: ShowForm with a key and both connections,
// then ReturnValue. What it hands back and whether it fails is set by the test.
class ItemLook : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ReturnValue READ ReturnValue)

public:
    static inline LookupScript script;
    static inline int alive = 0;
    static inline int calls = 0;
    static inline QVariant seenKey;
    static inline Connection seenLocConn;
    static inline Connection seenSqlConn;

    ItemLook() { ++alive; }
    ~ItemLook() override { --alive; }

    Q_INVOKABLE void ShowForm(const QVariant &key, QVariant &locConn, QVariant &sqlConn)
    {
        ++calls;
        seenKey = key;
        seenLocConn = locConn.value<Connection>();
        seenSqlConn = sqlConn.value<Connection>();
        if (script.failWith)
            throw Error(script.failWith, QStringLiteral("选择窗口打不开"));
        if (script.handBack) {
            locConn = script.locConn.isNull() ? QVariant() : QVariant::fromValue(script.locConn);
            sqlConn = script.sqlConn.isNull() ? QVariant() : QVariant::fromValue(script.sqlConn);
        }
        m_value = script.returnValue;
    }

    // The shape the keyword dialog calls, with the business connection alone.
    Q_INVOKABLE void ShowForm(const QVariant &key, QVariant &sqlConn)
    {
        QVariant noLocConn;
        ShowForm(key, noLocConn, sqlConn);
    }

    QString ReturnValue() const { return m_value; }

private:
    QString m_value;
};

class TestModGlobal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        gLocConn() = Connection();
        gSqlConn() = Connection();
        gRepType() = 0;
        unregisterClass(kLookupProgId);
        ItemLook::script = {};
        ItemLook::calls = 0;
        ItemLook::seenLocConn = Connection();
        ItemLook::seenSqlConn = Connection();
    }

    void sharedVariablesArePerThread()
    {
        const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
        const Connection sql = Connection::open(QStringLiteral("sqlite::memory:"));
        gLocConn() = loc;
        gSqlConn() = sql;
        gRepType() = 3;

        bool otherStartedEmpty = false;
        std::thread other([&otherStartedEmpty] {
            otherStartedEmpty = gLocConn().isNull() && gSqlConn().isNull() && gRepType() == 0;
            gLocConn() = Connection::open(QStringLiteral("sqlite::memory:"));
            gSqlConn() = gLocConn();
            gRepType() = 9;
            // The connection belongs to this thread: let go of it here.
            gLocConn() = gSqlConn() = Connection();
        });
        other.join();

        QVERIFY(otherStartedEmpty);
        QVERIFY(gLocConn() == loc);
        QVERIFY(gSqlConn() == sql);
        QCOMPARE(gRepType(), 3);
    }

    void getPart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *text, const char *delimiter, int index,
                            const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(delimiter) << index
                                << QString::fromUtf8(expected);
        };
        row("second part", "a|b", "|", 1, "b");
        row("beyond the last part", "a|b", "|", 2, "");
        row("negative index", "a|b", "|", -1, "");
        row("no delimiter: whole text", "abc", "|", 0, "abc");
        row("empty parts count", "a||c", "|", 2, "c");
        row("no limit on parts", "a|b|c|d|e", "|", 4, "e");
        row("blanks kept", " a | b ", "|", 1, " b ");
        row("delimiter of two characters", "x&&y&z", "&&", 1, "y&z");
        row("delimiter is case-sensitive", "aXbxc", "x", 0, "aXb");
    }

    void getPart()
    {
        QFETCH(QString, text);
        QFETCH(QString, delimiter);
        QFETCH(int, index);
        QFETCH(QString, expected);
        QCOMPARE(GetPart(text, delimiter, qint16(index)), expected);
    }

    void nullToValue_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("withDefault");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("Null, no default: empty text")
            << nullValue() << false << QVariant() << QVariant(QString());
        QTest::newRow("Null, default 0") << nullValue() << true << QVariant(0) << QVariant(0);
        QTest::newRow("Empty is not Null") << QVariant() << true << QVariant(0) << QVariant();
        QTest::newRow("empty text unchanged")
            << QVariant(QString()) << true << QVariant(0) << QVariant(QString());
        QTest::newRow("zero unchanged")
            << QVariant(0.0) << true << QVariant(QStringLiteral("z")) << QVariant(0.0);
    }

    void nullToValue()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, withDefault);
        QFETCH(QVariant, defaultValue);
        QFETCH(QVariant, expected);
        const QVariant result = withDefault ? NullToValue(value, defaultValue) : NullToValue(value);
        QCOMPARE(result.metaType(), expected.metaType());
        QCOMPARE(result, expected);
    }

    // Callers that need inner quotes doubled do it themselves.
    void quoteSqlLeavesQuotesSingle()
    {
        QCOMPARE(QuoteSql(QStringLiteral(" 销售 ")), QStringLiteral("' 销售 '"));
        QCOMPARE(QuoteSql(QStringLiteral("O'Neil")), QStringLiteral("'O'Neil'"));
    }

    void recordToDictionary_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<int>("moves");        // MoveNext calls before the call
        QTest::addColumn<QString>("expected"); // recordEntries joined; empty: nothing

        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "first row: trimmed, Null as empty text, numbers as text")
                << 0
                << QStringLiteral("FCode=A01 (QString), FName=螺丝 (QString), FNote= (QString), "
                                  "FQty=12 (QString)");
            databaseRow(kind, "second row")
                << 1
                << QStringLiteral("FCode=B02 (QString), FName=螺母 (QString), FNote=x (QString), "
                                  "FQty=3 (QString)");
            databaseRow(kind, "after the last row") << 2 << QString();
        }
    }

    void recordToDictionary()
    {
        QFETCH(QString, database);
        QFETCH(int, moves);
        QFETCH(QString, expected);
        VARO_TEST_DATABASE(db, database);
        VARO_VERIFY_SQL(db.connection(), db.execute(kRecordRows));

        Recordset rs = Recordset::create();
        VARO_VERIFY_SQL(db.connection(),
                        rs.Open(QStringLiteral("select FCode, FName, FNote, FQty from T_Rec "
                                               "order by FOrder"),
                                db.connection()));
        for (int i = 0; i < moves; ++i)
            rs.MoveNext();
        const QVariant before = rs.atEOF() ? QVariant() : rs.Fields(0).Value();

        Dictionary record;
        VARO_VERIFY_NO_ERROR(record = RecordToDictionary(rs));
        if (expected.isEmpty()) {
            QVERIFY(record.isNull());
            return;
        }
        QCOMPARE(recordEntries(record).join(QStringLiteral(", ")), expected);
        QCOMPARE(rs.Fields(0).Value(), before); // the recordset stays on its row
    }

    void openRecordsetsUseTheirConnection_data() { test::addDatabaseRows(); }
    void openRecordsetsUseTheirConnection()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(local, database);
        VARO_TEST_DATABASE(business, database);
        const QString create = QStringLiteral("create table T_Which (FName varchar(20))");
        VARO_VERIFY_SQL(
            local.connection(),
            local.execute({create, QStringLiteral("insert into T_Which values ('local')"),
                           QStringLiteral("insert into T_Which values ('local2')")}));
        VARO_VERIFY_SQL(
            business.connection(),
            business.execute({create, QStringLiteral("insert into T_Which values ('sql')")}));
        gLocConn() = local.connection();
        gSqlConn() = business.connection();
        MessageRecorder recorder;

        const QString query = QStringLiteral("select FName from T_Which order by FName");
        Recordset fromLocal;
        VARO_VERIFY_SQL(local.connection(), fromLocal = OpenLocalRecordset(query));
        QCOMPARE(fromLocal.Fields(0).Value().toString(), QStringLiteral("local"));
        QCOMPARE(fromLocal.RecordCount(), qsizetype(2)); // a snapshot, not forward-only rows
        Recordset fromSql;
        VARO_VERIFY_SQL(business.connection(), fromSql = OpenSqlRecordset(query));
        QCOMPARE(fromSql.Fields(0).Value().toString(), QStringLiteral("sql"));
        // The business rows are a dynamic cursor: no count, yet it can go back to the first row.
        QCOMPARE(fromSql.RecordCount(), qsizetype(-1));
        fromSql.MoveNext();
        QVERIFY(fromSql.atEOF());
        fromSql.MoveFirst();
        QCOMPARE(fromSql.Fields(0).Value().toString(), QStringLiteral("sql"));

        // Errors go to the caller, listed on the connection that ran the statement; nothing is
        // shown.
        VARO_VERIFY_ERROR(OpenLocalRecordset(QStringLiteral("select FName from T_Missing")),
                          ErrorNumber::ProviderError);
        QCOMPARE(local.connection().errors().Count(), 1);
        QCOMPARE(business.connection().errors().Count(), 0);
        QCOMPARE(recorder.texts(), QStringList());
    }

    void getScalarString_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");

        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "first field of the first row in the query's order, untrimmed")
                << QStringLiteral("select FName, FCode from T_Rec order by FOrder desc")
                << QStringLiteral("螺母 ");
            databaseRow(kind, "Null gives empty text")
                << QStringLiteral("select FNote from T_Rec order by FOrder") << QString();
            databaseRow(kind, "number as text")
                << QStringLiteral("select FQty, FCode from T_Rec order by FOrder")
                << QStringLiteral("12");
            databaseRow(kind, "no row gives empty text")
                << QStringLiteral("select FCode from T_Rec where FOrder = 99") << QString();
            databaseRow(kind, "failing statement gives empty text")
                << QStringLiteral("select FCode from T_Missing") << QString();
        }
    }

    void getScalarString()
    {
        QFETCH(QString, database);
        QFETCH(QString, query);
        QFETCH(QString, expected);
        VARO_TEST_DATABASE(db, database);
        VARO_VERIFY_SQL(db.connection(), db.execute(kRecordRows));
        // The shared connections are not used: the statement runs on the one given.
        MessageRecorder recorder;
        QString value;
        VARO_VERIFY_NO_ERROR(value = GetScalarString(query, db.connection()));
        QCOMPARE(value, expected);
        const bool fails = query.contains(QStringLiteral("T_Missing"));
        QCOMPARE(db.connection().errors().Count(), fails ? 1 : 0);
        if (!fails) {
            QCOMPARE(recorder.texts(), QStringList());
            return;
        }
        // A failing statement shows only its description: no icon, no title of its own.
        QCOMPARE(recorder.messages().size(), 1);
        QCOMPARE(recorder.messages().first().text, db.connection().errors().Item(0).Description);
        QCOMPARE(recorder.messages().first().icon, MessageIcon::None);
        QCOMPARE(recorder.messages().first().title, QString());
    }

    void ensureColumn_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("columns"); // of T_RepFilter, which has two rows; empty: no table
        QTest::addColumn<bool>("adds");

        const QString key = QStringLiteral("FRepKey varchar(100), ");
        for (const QString &kind : test::databaseKinds()) {
            // With rows, the check's own query must be done with them before the table changes.
            databaseRow(kind, "table with rows, without the column")
                << key + QStringLiteral("FIndex integer") << true;
            databaseRow(kind, "a longer name is another column")
                << key + QStringLiteral("FGroupStr2 varchar(10)") << true;
            databaseRow(kind, "column as named")
                << key + QStringLiteral("FGroupStr varchar(200)") << false;
            databaseRow(kind, "column in upper case")
                << key + QStringLiteral("\"FGROUPSTR\" text") << false;
            databaseRow(kind, "column in lower case, first")
                << QStringLiteral("\"fgroupstr\" text, FRepKey varchar(100)") << false;
            databaseRow(kind, "missing table") << QString() << false;
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
            const QString row = QStringLiteral("insert into T_RepFilter (FRepKey) values ('a')");
            VARO_VERIFY_SQL(
                c, db.execute(
                       {QStringLiteral("create table T_RepFilter (%1)").arg(columns), row, row}));
        }
        MessageRecorder recorder;

        // Twice: once there, the column is left alone (adding it again would fail and show).
        for (int call = 0; call < 2; ++call)
            VARO_VERIFY_NO_ERROR(
                EnsureColumn(c, QStringLiteral("T_RepFilter"), QStringLiteral("FGroupStr")));

        if (columns.isEmpty()) {
            // Shown at each call, never raised.
            QCOMPARE(recorder.messages().size(), 2);
            QCOMPARE(recorder.messages().first().text, c.errors().Item(0).Description);
            QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
            QCOMPARE(recorder.messages().first().title, kTitle);
            return;
        }
        QCOMPARE(recorder.texts(), QStringList());
        // On PostgreSQL a quoted "FGROUPSTR" is another column than an unquoted FGroupStr: only
        // the column count shows that none was added next to it.
        QCOMPARE(c.Execute(QStringLiteral("select * from T_RepFilter")).FieldCount(),
                 int(columns.count(u',')) + 1 + (adds ? 1 : 0));
        if (!adds)
            return;
        const bool postgres = database == QLatin1String("postgresql");
        const QString declaration =
            postgres
                ? QStringLiteral("select data_type || '(' || character_maximum_length || ') ' || "
                                 "is_nullable from information_schema.columns where "
                                 "table_name = 't_repfilter' and column_name = 'fgroupstr'")
                : QStringLiteral("select lower(type) || ' ' || \"notnull\" from "
                                 "pragma_table_info('T_RepFilter') where name = 'FGroupStr'");
        QCOMPARE(firstValue(c, declaration).toString(),
                 postgres ? QStringLiteral("character varying(200) YES")
                          : QStringLiteral("varchar(200) 0"));
    }

    void lookupItem_data()
    {
        QTest::addColumn<bool>("handBack");
        QTest::addColumn<bool>("handBackNothing");
        QTest::addColumn<int>("failWith");
        QTest::addColumn<bool>("businessOnly");

        QTest::newRow("hands back other connections") << true << false << 0 << false;
        QTest::newRow("leaves the connections") << false << false << 0 << false;
        QTest::newRow("hands back nothing") << true << true << 0 << false;
        QTest::newRow("ShowForm raises") << true << false << 1234 << false;
        QTest::newRow("business connection alone") << true << false << 0 << true;
    }

    void lookupItem()
    {
        QFETCH(bool, handBack);
        QFETCH(bool, handBackNothing);
        QFETCH(int, failWith);
        QFETCH(bool, businessOnly);

        const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
        const Connection sql = Connection::open(QStringLiteral("sqlite::memory:"));
        gLocConn() = loc;
        gSqlConn() = sql;
        ItemLook::script.handBack = handBack;
        if (!handBackNothing) {
            ItemLook::script.locConn = Connection::open(QStringLiteral("sqlite::memory:"));
            ItemLook::script.sqlConn = Connection::open(QStringLiteral("sqlite::memory:"));
        }
        ItemLook::script.returnValue = QStringLiteral("A01 螺丝");
        ItemLook::script.failWith = failWith;
        registerClass(kLookupProgId, [] { return new ItemLook; });
        MessageRecorder recorder;

        QString result;
        VARO_VERIFY_NO_ERROR(result = LookupItem(QStringLiteral("Material"),
                                                 businessOnly
                                                     ? LookupConnections::BusinessOnly
                                                     : LookupConnections::DefinitionAndBusiness));

        QCOMPARE(ItemLook::calls, 1);
        QCOMPARE(ItemLook::seenKey, QVariant(QStringLiteral("Material")));
        QVERIFY(ItemLook::seenLocConn == (businessOnly ? Connection() : loc));
        QVERIFY(ItemLook::seenSqlConn == sql);
        QCOMPARE(ItemLook::alive, 0); // released
        if (failWith) {
            QCOMPARE(result, QString());
            QCOMPARE(recorder.messages().size(), 1);
            QCOMPARE(recorder.messages().first().text,
                     QStringLiteral("错误编号:%1,错误描述:选择窗口打不开").arg(failWith));
            QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
            QCOMPARE(recorder.messages().first().title, kTitle);
            QVERIFY(gLocConn() == loc);
            QVERIFY(gSqlConn() == sql);
            return;
        }
        QCOMPARE(result, ItemLook::script.returnValue);
        QCOMPARE(recorder.texts(), QStringList());
        QVERIFY(gLocConn() == (handBack && !businessOnly ? ItemLook::script.locConn : loc));
        QVERIFY(gSqlConn() == (handBack ? ItemLook::script.sqlConn : sql));
        QCOMPARE(gLocConn().isNull(), handBackNothing);
    }

    void lookupItemWithoutComponent()
    {
        registerClass(kLookupProgId, [] { return static_cast<QObject *>(nullptr); });
        const auto creation = test::errorOf([&] { createObject(kLookupProgId); });
        QVERIFY(creation.has_value());

        const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
        gLocConn() = loc;
        MessageRecorder recorder;
        QString result = QStringLiteral("unset");
        VARO_VERIFY_NO_ERROR(result = LookupItem(QStringLiteral("Material")));
        QCOMPARE(result, QString());
        QCOMPARE(recorder.texts(),
                 QStringList{QStringLiteral("错误编号:429,错误描述:") + creation->description()});
        QVERIFY(gLocConn() == loc);
    }
};

VARO_TEST_MAIN(TestModGlobal)
#include "tst_modglobal.moc"
