// The shared module: per-thread connections and report type, the value and string helpers, the
// database shortcuts on the right connection, the one schema repair, the item lookup and the
// engine's standard message box. Everything that reads SQL runs on SQLite and PostgreSQL.
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

// Counts the schema changes a database goes through: SQLite numbers them itself; a PostgreSQL
// database logs every DDL command through an event trigger installed here.
class SchemaChanges
{
public:
    explicit SchemaChanges(test::TestDatabase &db) : m_db(db)
    {
        if (isPostgres())
            db.execute({
                QStringLiteral("create table varo_ddl_log (tag text)"),
                QStringLiteral("create function varo_log_ddl() returns event_trigger "
                               "language plpgsql as $$ begin "
                               "insert into varo_ddl_log values (tg_tag); end $$"),
                QStringLiteral("create event trigger varo_log_ddl on ddl_command_end "
                               "execute function varo_log_ddl()"),
            });
        m_start = current();
    }

    int count() const { return current() - m_start; }

private:
    bool isPostgres() const { return m_db.kind() == QLatin1String("postgresql"); }

    int current() const
    {
        const QString sql = isPostgres() ? QStringLiteral("select count(*) from varo_ddl_log")
                                         : QStringLiteral("pragma schema_version");
        return firstValue(m_db.connection(), sql).toInt();
    }

    test::TestDatabase &m_db;
    int m_start = 0;
};

// "type null" or "type not null" of a column, in the same words on both databases.
QString columnDeclaration(test::TestDatabase &db, const QString &table, const QString &column)
{
    Connection &c = db.connection();
    Recordset rs = Recordset::create();
    if (db.kind() == QLatin1String("postgresql")) {
        rs.Open(QStringLiteral("select character_maximum_length, is_nullable, data_type "
                               "from information_schema.columns where table_name = '%1' and "
                               "column_name = '%2'")
                    .arg(table.toLower(), column.toLower()),
                c);
        if (rs.atEOF())
            return QString();
        const QString type = rs.Fields(2).Value().toString() == QLatin1String("character varying")
                                 ? QStringLiteral("varchar")
                                 : rs.Fields(2).Value().toString();
        return QStringLiteral("%1(%2) %3")
            .arg(type, rs.Fields(0).Value().toString(),
                 rs.Fields(1).Value().toString() == QLatin1String("YES")
                     ? QStringLiteral("null")
                     : QStringLiteral("not null"));
    }
    rs.Open(QStringLiteral("pragma table_info(%1)").arg(table), c);
    for (; !rs.atEOF(); rs.MoveNext()) {
        if (rs.Fields(QStringLiteral("name")).Value().toString() != column)
            continue;
        return rs.Fields(QStringLiteral("type")).Value().toString().toLower() +
               (rs.Fields(QStringLiteral("notnull")).Value().toInt() ? QStringLiteral(" not null")
                                                                     : QStringLiteral(" null"));
    }
    return QString();
}

// Every entry as "name=value"; a value that is not text is marked, since records hold text only.
QStringList recordEntries(const Dictionary &record)
{
    QStringList entries;
    for (int i = 0; i < record.Count(); ++i) {
        const QVariant value = record.valueAt(i);
        const QString mark = value.typeId() == QMetaType::QString
                                 ? QString()
                                 : QStringLiteral(" (not text: %1)")
                                       .arg(QString::fromLatin1(value.metaType().name()));
        entries.append(record.keyAt(i) + u'=' + value.toString() + mark);
    }
    return entries;
}

const QStringList kRecordRows = {
    QStringLiteral("create table T_Rec (FOrder integer, FCode varchar(20), FName varchar(50), "
                   "FNote varchar(50), FQty integer)"),
    QStringLiteral("insert into T_Rec values (1, '  A01 ', ' 螺丝', null, 12)"),
    QStringLiteral("insert into T_Rec values (2, 'B02', '螺母 ', 'x', 3)"),
    QStringLiteral("create table T_Empty (FCode varchar(20))"),
};

} // namespace

// What the lookup component below does when ShowForm is called.
struct LookupScript {
    bool handBack = false;
    Connection locConn;
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

    QString ReturnValue() const { return m_value; }

private:
    QString m_value;
};

class TestModGlobal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void sharedVariablesArePerThread();

    void getPart_data();
    void getPart();
    void nullToValue_data();
    void nullToValue();
    void quoteSql_data();
    void quoteSql();
    void showMessage_data();
    void showMessage();

    void recordToDictionary_data();
    void recordToDictionary();
    void openRecordsetsUseTheirConnection_data();
    void openRecordsetsUseTheirConnection();
    void getScalarString_data();
    void getScalarString();
    void ensureColumn_data();
    void ensureColumn();

    void lookupItem_data();
    void lookupItem();
    void lookupItemWithoutComponent_data();
    void lookupItemWithoutComponent();
};

void TestModGlobal::cleanup()
{
    gLocConn() = Connection();
    gSqlConn() = Connection();
    gRepType() = 0;
    unregisterClass(kLookupProgId);
    ItemLook::script = {};
    ItemLook::seenLocConn = Connection();
    ItemLook::seenSqlConn = Connection();
}

void TestModGlobal::sharedVariablesArePerThread()
{
    // Nothing is set before the first request.
    QVERIFY(gLocConn().isNull());
    QVERIFY(gSqlConn().isNull());
    QCOMPARE(gRepType(), 0);

    const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
    const Connection sql = Connection::open(QStringLiteral("sqlite::memory:"));
    gLocConn() = loc;
    gSqlConn() = sql;
    gRepType() = 3;

    struct Seen {
        bool locEmpty = false;
        bool sqlEmpty = false;
        qint32 repType = -1;
        bool ownLocKept = false;
        qint32 ownRepType = -1;
    } seen;
    std::thread other([&seen] {
        seen.locEmpty = gLocConn().isNull();
        seen.sqlEmpty = gSqlConn().isNull();
        seen.repType = gRepType();
        const Connection own = Connection::open(QStringLiteral("sqlite::memory:"));
        gLocConn() = own;
        gSqlConn() = own;
        gRepType() = 9;
        seen.ownLocKept = gLocConn() == own;
        seen.ownRepType = gRepType();
        // The connection belongs to this thread: let go of it here.
        gLocConn() = Connection();
        gSqlConn() = Connection();
    });
    other.join();

    QVERIFY(seen.locEmpty);
    QVERIFY(seen.sqlEmpty);
    QCOMPARE(seen.repType, 0);
    QVERIFY(seen.ownLocKept);
    QCOMPARE(seen.ownRepType, 9);
    // The other thread's writes left this thread's variables alone.
    QVERIFY(gLocConn() == loc);
    QVERIFY(gSqlConn() == sql);
    QCOMPARE(gRepType(), 3);
}

void TestModGlobal::getPart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a|b, 0") << "a|b"
                            << "|" << 0 << "a";
    QTest::newRow("a|b, 1") << "a|b"
                            << "|" << 1 << "b";
    QTest::newRow("a|b, 2 is beyond the last part") << "a|b"
                                                    << "|" << 2 << "";
    QTest::newRow("empty text, 0") << ""
                                   << "|" << 0 << "";
    QTest::newRow("empty text, 1") << ""
                                   << "|" << 1 << "";
    QTest::newRow("no delimiter: whole text") << "abc"
                                              << "|" << 0 << "abc";
    QTest::newRow("no delimiter, 1") << "abc"
                                     << "|" << 1 << "";
    QTest::newRow("empty middle part") << "a||c"
                                       << "|" << 1 << "";
    QTest::newRow("after an empty part") << "a||c"
                                         << "|" << 2 << "c";
    QTest::newRow("trailing delimiter gives an empty last part") << "a|"
                                                                 << "|" << 1 << "";
    QTest::newRow("no limit on parts") << "a|b|c|d|e"
                                       << "|" << 4 << "e";
    QTest::newRow("blanks kept") << " a | b "
                                 << "|" << 1 << " b ";
    QTest::newRow("delimiter of two characters") << "x&&y&z"
                                                 << "&&" << 1 << "y&z";
    QTest::newRow("delimiter is case-sensitive") << "aXbxc"
                                                 << "x" << 0 << "aXb";
    QTest::newRow("Chinese delimiter") << "开始，结束"
                                       << "，" << 1 << "结束";
}

void TestModGlobal::getPart()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(int, index);
    QFETCH(QString, expected);
    const QString part = GetPart(text, delimiter, qint16(index));
    QCOMPARE(part, expected);
}

void TestModGlobal::nullToValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("withDefault");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("Null, no default: empty text")
        << nullValue() << false << QVariant() << QVariant(QString());
    QTest::newRow("Null, default 0") << nullValue() << true << QVariant(0) << QVariant(0);
    QTest::newRow("Null, default \"0\"")
        << nullValue() << true << QVariant(QStringLiteral("0")) << QVariant(QStringLiteral("0"));
    QTest::newRow("Empty is not Null") << QVariant() << true << QVariant(0) << QVariant();
    QTest::newRow("Empty, no default") << QVariant() << false << QVariant() << QVariant();
    QTest::newRow("text unchanged") << QVariant(QStringLiteral(" x ")) << true << QVariant(0)
                                    << QVariant(QStringLiteral(" x "));
    QTest::newRow("empty text unchanged")
        << QVariant(QString()) << true << QVariant(0) << QVariant(QString());
    QTest::newRow("number unchanged")
        << QVariant::fromValue(qint16(7)) << false << QVariant() << QVariant::fromValue(qint16(7));
    QTest::newRow("zero unchanged")
        << QVariant(0.0) << true << QVariant(QStringLiteral("z")) << QVariant(0.0);
    QTest::newRow("false unchanged") << QVariant(false) << false << QVariant() << QVariant(false);
}

void TestModGlobal::nullToValue()
{
    QFETCH(QVariant, value);
    QFETCH(bool, withDefault);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, expected);
    const QVariant result = withDefault ? NullToValue(value, defaultValue) : NullToValue(value);
    QCOMPARE(result.metaType(), expected.metaType());
    QCOMPARE(result, expected);
    QCOMPARE(isNull(result), false);
}

void TestModGlobal::quoteSql_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("key") << "SaleList"
                         << "'SaleList'";
    QTest::newRow("empty") << ""
                           << "''";
    QTest::newRow("blanks kept") << " a b "
                                 << "' a b '";
    QTest::newRow("apostrophe left single") << "O'Neil"
                                            << "'O'Neil'";
    QTest::newRow("two apostrophes") << "''"
                                     << "''''";
    QTest::newRow("Chinese") << "销售日报"
                             << "'销售日报'";
}

void TestModGlobal::quoteSql()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(QuoteSql(text), expected);
}

void TestModGlobal::showMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("notice") << "报表不存在!";
    QTest::newRow("several lines") << "第一行\r\n第二行\r\n";
    QTest::newRow("empty") << "";
}

void TestModGlobal::showMessage()
{
    QFETCH(QString, text);
    MessageRecorder recorder;
    ShowMessage(text);
    QCOMPARE(recorder.messages().size(), 1);
    const test::RecordedMessage &box = recorder.messages().first();
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, MessageIcon::Information);
    QCOMPARE(box.title, QStringLiteral("沐岩提示"));
}

void TestModGlobal::recordToDictionary_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("moves");            // MoveNext calls before the call
    QTest::addColumn<QStringList>("expected"); // "name=value" in field order; empty: nothing

    const QString query =
        QStringLiteral("select FCode, FName, FNote, FQty from T_Rec order by FOrder");
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "first row: trimmed, Null as empty text, numbers as text")
            << query << 0
            << QStringList{QStringLiteral("FCode=A01"), QStringLiteral("FName=螺丝"),
                           QStringLiteral("FNote="), QStringLiteral("FQty=12")};
        databaseRow(kind, "second row")
            << query << 1
            << QStringList{QStringLiteral("FCode=B02"), QStringLiteral("FName=螺母"),
                           QStringLiteral("FNote=x"), QStringLiteral("FQty=3")};
        databaseRow(kind, "after the last row") << query << 2 << QStringList();
        databaseRow(kind, "empty result")
            << QStringLiteral("select FCode from T_Empty") << 0 << QStringList();
    }
}

void TestModGlobal::recordToDictionary()
{
    QFETCH(QString, database);
    QFETCH(QString, query);
    QFETCH(int, moves);
    QFETCH(QStringList, expected);
    VARO_TEST_DATABASE(db, database);
    VARO_VERIFY_SQL(db.connection(), db.execute(kRecordRows));

    Recordset rs = Recordset::create();
    VARO_VERIFY_SQL(db.connection(), rs.Open(query, db.connection()));
    for (int i = 0; i < moves; ++i)
        rs.MoveNext();
    const bool wasAtEnd = rs.atEOF();
    const QVariant before = wasAtEnd ? QVariant() : rs.Fields(0).Value();

    Dictionary record;
    VARO_VERIFY_NO_ERROR(record = RecordToDictionary(rs));
    if (expected.isEmpty()) {
        QVERIFY(record.isNull());
        QVERIFY(rs.atEOF());
        return;
    }
    QVERIFY(!record.isNull());
    QCOMPARE(recordEntries(record), expected);
    // The recordset stays on the row it was on.
    QVERIFY(!rs.atEOF());
    QCOMPARE(rs.Fields(0).Value(), before);
    QCOMPARE(RecordToDictionary(rs).keys(), record.keys());
}

void TestModGlobal::openRecordsetsUseTheirConnection_data()
{
    test::addDatabaseRows();
}

void TestModGlobal::openRecordsetsUseTheirConnection()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(local, database);
    VARO_TEST_DATABASE(business, database);
    const QString create = QStringLiteral("create table T_Which (FName varchar(20))");
    VARO_VERIFY_SQL(local.connection(),
                    local.execute({create, QStringLiteral("insert into T_Which values ('local')"),
                                   QStringLiteral("insert into T_Which values ('local2')")}));
    VARO_VERIFY_SQL(business.connection(),
                    business.execute({create, QStringLiteral("insert into T_Which values ('sql')"),
                                      QStringLiteral("create table T_OnlySql (FName int)")}));
    gLocConn() = local.connection();
    gSqlConn() = business.connection();
    MessageRecorder recorder;

    const QString query = QStringLiteral("select FName from T_Which order by FName");
    Recordset fromLocal;
    VARO_VERIFY_SQL(local.connection(), fromLocal = OpenLocalRecordset(query));
    QCOMPARE(fromLocal.Fields(0).Value().toString(), QStringLiteral("local"));
    QCOMPARE(fromLocal.RecordCount(), qsizetype(2));
    Recordset fromSql;
    VARO_VERIFY_SQL(business.connection(), fromSql = OpenSqlRecordset(query));
    QCOMPARE(fromSql.Fields(0).Value().toString(), QStringLiteral("sql"));
    // Both modes can go back to the first row.
    fromLocal.MoveNext();
    fromLocal.MoveFirst();
    QCOMPARE(fromLocal.Fields(0).Value().toString(), QStringLiteral("local"));
    fromSql.MoveNext();
    QVERIFY(fromSql.atEOF());
    fromSql.MoveFirst();
    QCOMPARE(fromSql.Fields(0).Value().toString(), QStringLiteral("sql"));

    // Errors go to the caller, and nothing is shown.
    const QString onlySql = QStringLiteral("select FName from T_OnlySql");
    VARO_VERIFY_ERROR(OpenLocalRecordset(onlySql), ErrorNumber::ProviderError);
    QCOMPARE(local.connection().errors().Count(), 1);
    VARO_VERIFY_NO_ERROR(OpenSqlRecordset(onlySql));
    VARO_VERIFY_ERROR(OpenSqlRecordset(QStringLiteral("select nothing from T_Nowhere")),
                      ErrorNumber::ProviderError);
    QVERIFY(business.connection().errors().Count() > 0);

    gLocConn() = Connection();
    VARO_VERIFY_ERROR(OpenLocalRecordset(query), ErrorNumber::ObjectNotSet);
    gSqlConn() = Connection();
    VARO_VERIFY_ERROR(OpenSqlRecordset(query), ErrorNumber::ObjectNotSet);
    QCOMPARE(recorder.texts(), QStringList());
}

void TestModGlobal::getScalarString_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");

    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "first field of the first row, untrimmed")
            << QStringLiteral("select FCode, FName from T_Rec order by FOrder")
            << QStringLiteral("  A01 ");
        databaseRow(kind, "first row in the query's order")
            << QStringLiteral("select FName, FCode from T_Rec order by FOrder desc")
            << QStringLiteral("螺母 ");
        databaseRow(kind, "Null gives empty text")
            << QStringLiteral("select FNote from T_Rec order by FOrder") << QString();
        databaseRow(kind, "number as text")
            << QStringLiteral("select FQty, FCode from T_Rec order by FOrder")
            << QStringLiteral("12");
        databaseRow(kind, "no row gives empty text")
            << QStringLiteral("select FCode from T_Rec where FOrder = 99") << QString();
    }
}

void TestModGlobal::getScalarString()
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
    QCOMPARE(recorder.texts(), QStringList());

    // A failing statement shows only its description: no icon, no title of its own.
    VARO_VERIFY_NO_ERROR(
        value = GetScalarString(QStringLiteral("select FCode from T_Missing"), db.connection()));
    QCOMPARE(value, QString());
    QCOMPARE(recorder.messages().size(), 1);
    QCOMPARE(db.connection().errors().Count(), 1);
    const QString description = db.connection().errors().Item(0).Description;
    QVERIFY(description.contains(QStringLiteral("t_missing"), Qt::CaseInsensitive));
    QCOMPARE(recorder.messages().first().text, description);
    QCOMPARE(recorder.messages().first().icon, MessageIcon::None);
    QCOMPARE(recorder.messages().first().title, QString());
}

void TestModGlobal::ensureColumn_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("alters");
    QTest::addColumn<bool>("fails");

    const QString columns = QStringLiteral("FRepKey varchar(100), FIndex integer, ");
    const QString someRows = QStringLiteral("insert into T_RepFilter (FRepKey, FIndex) values "
                                            "('a', 1)");
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "empty table without the column")
            << QStringList{QStringLiteral("create table T_RepFilter (FRepKey varchar(100), "
                                          "FIndex integer)")}
            << QStringLiteral("T_RepFilter") << 1 << false;
        databaseRow(kind, "table with rows, without the column")
            << QStringList{QStringLiteral("create table T_RepFilter (FRepKey varchar(100), "
                                          "FIndex integer)"),
                           someRows, someRows}
            << QStringLiteral("T_RepFilter") << 1 << false;
        databaseRow(kind, "a longer name is another column")
            << QStringList{QStringLiteral("create table T_RepFilter (") + columns +
                           QStringLiteral("FGroupStr2 varchar(10))")}
            << QStringLiteral("T_RepFilter") << 1 << false;
        databaseRow(kind, "column as named")
            << QStringList{QStringLiteral("create table T_RepFilter (") + columns +
                           QStringLiteral("FGroupStr varchar(200))")}
            << QStringLiteral("T_RepFilter") << 0 << false;
        databaseRow(kind, "column in upper case")
            << QStringList{QStringLiteral("create table T_RepFilter (") + columns +
                               QStringLiteral("\"FGROUPSTR\" varchar(50))"),
                           someRows}
            << QStringLiteral("T_RepFilter") << 0 << false;
        databaseRow(kind, "column in lower case, first")
            << QStringList{QStringLiteral("create table T_RepFilter (\"fgroupstr\" text, "
                                          "FRepKey varchar(100))")}
            << QStringLiteral("T_RepFilter") << 0 << false;
        databaseRow(kind, "missing table")
            << QStringList() << QStringLiteral("T_RepFilter") << 0 << true;
    }
}

void TestModGlobal::ensureColumn()
{
    QFETCH(QString, database);
    QFETCH(QStringList, setup);
    QFETCH(QString, table);
    QFETCH(int, alters);
    QFETCH(bool, fails);
    VARO_TEST_DATABASE(db, database);
    VARO_VERIFY_SQL(db.connection(), db.execute(setup));
    SchemaChanges changes(db);
    MessageRecorder recorder;
    const QString column = QStringLiteral("FGroupStr");

    // The shared connections stay empty: the repair works on the connection it is given.
    VARO_VERIFY_NO_ERROR(EnsureColumn(db.connection(), table, column));
    QCOMPARE(changes.count(), alters);

    if (fails) {
        QCOMPARE(db.connection().errors().Count(), 1);
        const QString description = db.connection().errors().Item(0).Description;
        QVERIFY(!description.isEmpty());
        QCOMPARE(recorder.messages().size(), 1);
        QCOMPARE(recorder.messages().first().text, description);
        QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
        QCOMPARE(recorder.messages().first().title, kTitle);
        return;
    }
    QCOMPARE(recorder.texts(), QStringList());
    if (alters > 0) {
        QCOMPARE(columnDeclaration(db, table, column), QStringLiteral("varchar(200) null"));
        // The new column takes text of 200 characters and Null.
        const QString longText(200, QChar(u'组'));
        VARO_VERIFY_SQL(db.connection(),
                        db.execute({QStringLiteral("insert into T_RepFilter (FRepKey, FGroupStr) "
                                                   "values ('long', '%1')")
                                        .arg(longText),
                                    QStringLiteral("insert into T_RepFilter (FRepKey, FGroupStr) "
                                                   "values ('null', null)")}));
        QCOMPARE(firstValue(db.connection(), QStringLiteral("select FGroupStr from T_RepFilter "
                                                            "where FRepKey = 'long'"))
                     .toString(),
                 longText);
        QVERIFY(isNull(firstValue(db.connection(), QStringLiteral("select FGroupStr from "
                                                                  "T_RepFilter where FRepKey = "
                                                                  "'null'"))));
    }
    // Once there, the column is left alone.
    VARO_VERIFY_NO_ERROR(EnsureColumn(db.connection(), table, column));
    QCOMPARE(changes.count(), alters);
    QCOMPARE(recorder.texts(), QStringList());
}

void TestModGlobal::lookupItem_data()
{
    QTest::addColumn<bool>("handBack");
    QTest::addColumn<bool>("handBackNothing");
    QTest::addColumn<QString>("returnValue");
    QTest::addColumn<int>("failWith");

    QTest::newRow("hands back other connections") << true << false << "A01 螺丝" << 0;
    QTest::newRow("leaves the connections") << false << false << "B02" << 0;
    QTest::newRow("hands back nothing") << true << true << "C03" << 0;
    QTest::newRow("nothing chosen") << false << false << "" << 0;
    QTest::newRow("ShowForm raises") << true << false << "D04" << 1234;
}

void TestModGlobal::lookupItem()
{
    QFETCH(bool, handBack);
    QFETCH(bool, handBackNothing);
    QFETCH(QString, returnValue);
    QFETCH(int, failWith);

    const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
    const Connection sql = Connection::open(QStringLiteral("sqlite::memory:"));
    gLocConn() = loc;
    gSqlConn() = sql;
    ItemLook::script.handBack = handBack;
    if (!handBackNothing) {
        ItemLook::script.locConn = Connection::open(QStringLiteral("sqlite::memory:"));
        ItemLook::script.sqlConn = Connection::open(QStringLiteral("sqlite::memory:"));
    }
    ItemLook::script.returnValue = returnValue;
    ItemLook::script.failWith = failWith;
    ItemLook::calls = 0;
    registerClass(kLookupProgId, [] { return new ItemLook; });
    MessageRecorder recorder;

    QString result;
    VARO_VERIFY_NO_ERROR(result = LookupItem(QStringLiteral("Material")));

    QCOMPARE(ItemLook::calls, 1);
    QCOMPARE(ItemLook::seenKey, QVariant(QStringLiteral("Material")));
    QVERIFY(ItemLook::seenLocConn == loc);
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
    QCOMPARE(result, returnValue);
    QCOMPARE(recorder.texts(), QStringList());
    QVERIFY(gLocConn() == (handBack ? ItemLook::script.locConn : loc));
    QVERIFY(gSqlConn() == (handBack ? ItemLook::script.sqlConn : sql));
    QCOMPARE(gLocConn().isNull(), handBackNothing);
}

void TestModGlobal::lookupItemWithoutComponent_data()
{
    QTest::addColumn<bool>("registered");
    QTest::newRow("not registered") << false;
    QTest::newRow("factory makes no object") << true;
}

void TestModGlobal::lookupItemWithoutComponent()
{
    QFETCH(bool, registered);
    if (registered) {
        registerClass(kLookupProgId, [] { return static_cast<QObject *>(nullptr); });
    } else {
        // The build's own plug-in folder may hold a lookup component; this case needs none.
        Object found;
        const auto error = test::errorOf([&] { found = createObject(kLookupProgId); });
        if (!error)
            QSKIP("a plug-in in the plug-in folders provides the lookup component");
    }
    const auto creation = test::errorOf([&] { createObject(kLookupProgId); });
    QVERIFY(creation.has_value());
    QCOMPARE(creation->number(), ErrorNumber::CannotCreateObject);

    const Connection loc = Connection::open(QStringLiteral("sqlite::memory:"));
    gLocConn() = loc;
    MessageRecorder recorder;
    QString result = QStringLiteral("unset");
    VARO_VERIFY_NO_ERROR(result = LookupItem(QStringLiteral("Material")));
    QCOMPARE(result, QString());
    QCOMPARE(recorder.messages().size(), 1);
    QCOMPARE(recorder.messages().first().text,
             QStringLiteral("错误编号:429,错误描述:") + creation->description());
    QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
    QCOMPARE(recorder.messages().first().title, kTitle);
    QVERIFY(gLocConn() == loc);
    QVERIFY(gSqlConn().isNull());
}

VARO_TEST_MAIN(TestModGlobal)
#include "tst_modglobal.moc"
