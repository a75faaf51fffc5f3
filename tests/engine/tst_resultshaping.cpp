// Result shaping on SQLite and PostgreSQL: row records and the totals record built from a report
// recordset, the sum columns of all header layouts, the report properties and the header of
// visible columns, each with the message and result its failures give.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "definitiontables.h"
#include "engine/resultshaping.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QTest>

using namespace varo;
using varo::test::databaseRow;
using varo::test::firstValue;
using varo::test::HeaderRow;
using varo::test::MessageRecorder;
using varo::test::ReportRow;
using varo::ui::MessageIcon;

namespace
{

const QString kKey = QStringLiteral("R1");
const QString kTitle = QStringLiteral("沐岩提示");
const QString kRowQuery = QStringLiteral("select FName, FQty, FPrice from T_Data order by FOrder");

QStringList strings(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

// "value (type)", so that a total that is text instead of a double shows.
QString describe(const QVariant &value)
{
    return value.toString() + QStringLiteral(" (") + QString::fromLatin1(value.metaType().name()) +
           u')';
}

// Every entry as "name=value (type)", in the record's order.
QStringList entries(const Dictionary &record)
{
    QStringList list;
    for (int i = 0; i < record.Count(); ++i)
        list.append(record.keyAt(i) + u'=' + describe(record.valueAt(i)));
    return list;
}

Dictionary itemAt(const Vector &vector, int i)
{
    return vector.Item(i).value<Dictionary>();
}

// A T_RepHeadCaption row from "name|sum|serial|key"; "~" writes Null. Missing parts: sum "0",
// serial "1", the report's key.
QString headerFromText(const QString &text, int index)
{
    const QStringList parts = text.split(u'|');
    auto part = [&parts](int i, const QString &fallback) {
        if (i >= parts.size())
            return fallback;
        if (parts.at(i) == QLatin1String("~"))
            return QString();
        return parts.at(i).isEmpty() ? QStringLiteral("") : parts.at(i);
    };
    HeaderRow row;
    row.key = part(3, kKey);
    row.index = index;
    row.colName = part(0, QString());
    row.caption = row.colName;
    row.sum = part(1, QStringLiteral("0"));
    row.serial = part(2, QStringLiteral("1"));
    return test::insertHeader(row);
}

// A visible text column of layout Null, not summed, without second caption.
HeaderRow header(const QString &key, int index, const QString &colName, const QString &caption)
{
    HeaderRow row;
    row.key = key;
    row.index = index;
    row.colName = colName;
    row.caption = caption;
    return row;
}

// The business rows: FName "行1", "行2", ...; FQty from the list (a null QString writes Null);
// FPrice "2.5".
QStringList dataRows(const QStringList &quantities)
{
    QStringList statements{QStringLiteral("create table T_Data (FOrder integer, FName varchar(50), "
                                          "FQty varchar(50), FPrice varchar(50))")};
    for (int i = 0; i < quantities.size(); ++i)
        statements << QStringLiteral("insert into T_Data values (%1, '行%1', %2, '2.5')")
                          .arg(i + 1)
                          .arg(test::sqlText(quantities.at(i)));
    return statements;
}

// A recordset on the business rows, opened the way the request opens the report SQL.
Recordset openRows()
{
    return OpenSqlRecordset(kRowQuery);
}

} // namespace

class TestResultShaping : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_local;
    std::unique_ptr<test::TestDatabase> m_business; // none when both are one connection

    static bool ready(test::TestDatabase &db)
    {
        switch (db.state()) {
        case test::TestDatabase::State::Ready:
            return true;
        case test::TestDatabase::State::Skipped:
            QTest::qSkip(qPrintable(db.errorString()), __FILE__, __LINE__);
            return false;
        case test::TestDatabase::State::Failed:
            QTest::qFail(qPrintable(db.errorString()), __FILE__, __LINE__);
            return false;
        }
        return false;
    }

    static bool fill(test::TestDatabase &db, const QStringList &statements)
    {
        const auto error = test::errorOf([&] { db.execute(statements); });
        if (error)
            QTest::qFail(qPrintable(test::sqlFailure(db.connection(), *error, "fixture")), __FILE__,
                         __LINE__);
        return !error;
    }

    // Fresh databases: the definition tables with the given rows on the local connection, the
    // business tables on the business connection. With oneConnection both are one database,
    // as a host with a single database hands them over.
    bool openDatabases(const QStringList &definitions, const QStringList &business = {},
                       bool oneConnection = false)
    {
        QFETCH(QString, database);
        m_local = std::make_unique<test::TestDatabase>(database);
        if (!ready(*m_local) || !fill(*m_local, test::definitionTableStatements()) ||
            !fill(*m_local, definitions))
            return false;
        test::TestDatabase *businessDb = m_local.get();
        if (!oneConnection) {
            m_business = std::make_unique<test::TestDatabase>(database);
            if (!ready(*m_business))
                return false;
            businessDb = m_business.get();
        }
        if (!fill(*businessDb, business))
            return false;
        gLocConn() = m_local->connection();
        gSqlConn() = businessDb->connection();
        return true;
    }

private Q_SLOTS:
    void cleanup()
    {
        gLocConn() = Connection();
        gSqlConn() = Connection();
        m_local.reset();
        m_business.reset();
    }

    void buildRowVectorTotals_data();
    void buildRowVectorTotals();
    void buildRowVectorRecords_data();
    void buildRowVectorRecords();
    void buildRowVectorWithoutRows_data() { test::addDatabaseRows(); }
    void buildRowVectorWithoutRows();
    void buildRowVectorFailures_data();
    void buildRowVectorFailures();

    void loadSumColumns_data() { test::addDatabaseRows(); }
    void loadSumColumns();

    void loadProperties_data();
    void loadProperties();
    void loadPropertiesFailures_data();
    void loadPropertiesFailures();

    void loadHeader_data();
    void loadHeader();
    void loadHeaderWithoutColumns_data();
    void loadHeaderWithoutColumns();
    void loadHeaderFailure_data() { test::addDatabaseRows(); }
    void loadHeaderFailure();
};

void TestResultShaping::buildRowVectorTotals_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("headers");    // see headerFromText, FIndex in list order
    QTest::addColumn<QStringList>("quantities"); // FQty per row
    QTest::addColumn<QStringList>("totals");     // entries of the totals record; none if empty

    const QString no; // Null
    const QStringList threeRows{QStringLiteral("1.5"), QStringLiteral("2"), QStringLiteral("")};
    const QString total = QStringLiteral("FQty=3.5 (double)");
    const QString caption = QStringLiteral("FName=合计： (QString)");
    const QStringList summed{total, caption};
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "1.5, 2 and empty give 3.5")
            << strings({"FName", "FQty|1"}) << threeRows << summed;
        databaseRow(kind, "leading number of the text")
            << strings({"FQty|1"})
            << QStringList{QStringLiteral("12abc"), QStringLiteral("abc"), QStringLiteral(" 7 "),
                           QStringLiteral("3.5元")}
            << QStringList{QStringLiteral("FQty=22.5 (double)"), caption};
        databaseRow(kind, "Null value counts 0")
            << strings({"FQty|1"}) << QStringList{no, QStringLiteral("4.25")}
            << QStringList{QStringLiteral("FQty=4.25 (double)"), caption};
        databaseRow(kind, "FSumCol \"1 \" marks a sum column")
            << strings({"FQty|1 "}) << threeRows << summed;
        databaseRow(kind, "FSumCol \" 1\" marks a sum column")
            << strings({"FQty| 1"}) << threeRows << summed;
        databaseRow(kind, "FSumCol \"01\" does not")
            << strings({"FQty|01"}) << threeRows << QStringList();
        databaseRow(kind, "FSumCol \"Y\" does not")
            << strings({"FQty|Y"}) << threeRows << QStringList();
        databaseRow(kind, "FSumCol Null does not")
            << strings({"FQty|~"}) << threeRows << QStringList();
        databaseRow(kind, "FSumCol empty does not")
            << strings({"FQty|"}) << threeRows << QStringList();
        databaseRow(kind, "field without header row is never summed")
            << strings({"FName|0", "FOther|1"}) << threeRows << QStringList();
        databaseRow(kind, "another report's sum column does not count")
            << strings({"FQty|0", "FQty|1|1|R2"}) << threeRows << QStringList();
        databaseRow(kind, "column name matched without regard to case")
            << strings({"fqty|1"}) << threeRows << summed;
        databaseRow(kind, "a later header row of the column replaces the earlier")
            << strings({"FQty|1|1", "FQty|0|2"}) << threeRows << QStringList();
        databaseRow(kind, "the later row may mark it")
            << strings({"FQty|0|1", "FQty|1|2"}) << threeRows << summed;
        databaseRow(kind, "sum columns of every header layout count")
            << strings({"FName|0|1", "FQty|1|1", "FName|0|2", "FPrice|1|2"}) << threeRows
            << QStringList{total, QStringLiteral("FPrice=7.5 (double)"), caption};
        databaseRow(kind, "first field as sum column gets the caption instead")
            << strings({"FName|1"}) << threeRows << QStringList{caption};
        databaseRow(kind, "first field summed among others keeps its place")
            << strings({"FName|1", "FQty|1"}) << threeRows << QStringList{caption, total};
    }
}

void TestResultShaping::buildRowVectorTotals()
{
    QFETCH(QStringList, headers);
    QFETCH(QStringList, quantities);
    QFETCH(QStringList, totals);
    QStringList definitions;
    for (int i = 0; i < headers.size(); ++i)
        definitions << headerFromText(headers.at(i), i + 1);
    if (!openDatabases(definitions, dataRows(quantities)))
        return;
    MessageRecorder recorder;

    Recordset rs = openRows();
    const Vector rows = BuildRowVector(rs, kKey);
    QCOMPARE(recorder.texts(), QStringList());
    QVERIFY(!rows.isNull());
    QCOMPARE(rows.Count(), int(quantities.size()) + (totals.isEmpty() ? 0 : 1));
    QVERIFY(rs.atEOF());
    for (int i = 0; i < quantities.size(); ++i) {
        const Dictionary record = itemAt(rows, i);
        QCOMPARE(record.value(QStringLiteral("FName")),
                 QVariant(QStringLiteral("行%1").arg(i + 1)));
        QCOMPARE(record.value(QStringLiteral("FQty")), QVariant(trimBlanks(quantities.at(i))));
    }
    if (!totals.isEmpty())
        QCOMPARE(entries(itemAt(rows, rows.Count() - 1)), totals);
}

void TestResultShaping::buildRowVectorRecords_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("oneConnection");
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "two connections") << false;
        databaseRow(kind, "one connection for both") << true;
    }
}

void TestResultShaping::buildRowVectorRecords()
{
    QFETCH(bool, oneConnection);
    if (!openDatabases(
            {test::insertHeader(header(kKey, 1, QStringLiteral("FCode"), QStringLiteral("编码"))),
             test::insertHeader(header(kKey, 2, QStringLiteral("FName"), QStringLiteral("名称")))},
            {QStringLiteral("create table T_Data (FOrder integer, FCode varchar(20), "
                            "FName varchar(50), FNote varchar(50), FQty integer)"),
             QStringLiteral("insert into T_Data values (1, '  A01 ', ' 螺丝', null, 12)"),
             QStringLiteral("insert into T_Data values (2, 'B02', '螺母 ', '', -3)"),
             QStringLiteral("insert into T_Data values (3, 'C03', '垫片', 'x y', null)")},
            oneConnection))
        return;
    MessageRecorder recorder;
    Recordset rs = OpenSqlRecordset(QStringLiteral("select FCode, FName, FNote, FQty from T_Data "
                                                   "order by FOrder"));
    const Vector rows = BuildRowVector(rs, kKey);
    QCOMPARE(recorder.texts(), QStringList());
    QVERIFY(!rows.isNull());
    // No sum column: exactly one record per row.
    QCOMPARE(rows.Count(), 3);
    QCOMPARE(entries(itemAt(rows, 0)), (strings({"FCode=A01 (QString)", "FName=螺丝 (QString)",
                                                 "FNote= (QString)", "FQty=12 (QString)"})));
    QCOMPARE(entries(itemAt(rows, 1)), (strings({"FCode=B02 (QString)", "FName=螺母 (QString)",
                                                 "FNote= (QString)", "FQty=-3 (QString)"})));
    QCOMPARE(entries(itemAt(rows, 2)), (strings({"FCode=C03 (QString)", "FName=垫片 (QString)",
                                                 "FNote=x y (QString)", "FQty= (QString)"})));
    // A host that wants the rows again has to move back itself.
    QVERIFY(rs.atEOF());
    rs.MoveFirst();
    QCOMPARE(rs.Fields(0).Value().toString(), QStringLiteral("  A01 "));

    // Records of one result share their names, yet each is a Dictionary of its own.
    Dictionary first = itemAt(rows, 0);
    const Dictionary second = itemAt(rows, 1);
    first.set(QStringLiteral("FExtra"), 1);
    first.set(QStringLiteral("fname"), QStringLiteral("改"));
    QCOMPARE(first.Count(), 5);
    QCOMPARE(first.value(QStringLiteral("FName")), QVariant(QStringLiteral("改")));
    QCOMPARE(first.keyAt(1), QStringLiteral("FName"));
    QCOMPARE(second.Count(), 4);
    QVERIFY(!second.Exists(QStringLiteral("FExtra")));
    QCOMPARE(second.value(QStringLiteral("FName")), QVariant(QStringLiteral("螺母")));
    QCOMPARE(itemAt(rows, 2).keys(), (strings({"FCode", "FName", "FNote", "FQty"})));
}

void TestResultShaping::buildRowVectorWithoutRows()
{
    if (!openDatabases({headerFromText(QStringLiteral("FQty|1"), 1)},
                       {QStringLiteral("create table T_Data (FOrder integer, FName varchar(50), "
                                       "FQty varchar(50), FPrice varchar(50))")}))
        return;
    MessageRecorder recorder;
    Recordset rs = openRows();
    QVERIFY(BuildRowVector(rs, kKey).isNull());
    // The recordset itself is a valid, empty one.
    QVERIFY(rs.isOpen());
    QVERIFY(rs.atEOF());
    QVERIFY(rs.atBOF());
    QCOMPARE(rs.fieldNames(), (strings({"FName", "FQty", "FPrice"})));

    Recordset nothing;
    QVERIFY(BuildRowVector(nothing, kKey).isNull());
    QCOMPARE(recorder.texts(), QStringList());
}

void TestResultShaping::buildRowVectorFailures_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("breakIt"); // "headers": drop T_RepHeadCaption; "closed": close rs
    QTest::addColumn<int>("number");
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "header table missing")
            << QStringLiteral("headers") << int(ErrorNumber::ProviderError);
        databaseRow(kind, "recordset closed")
            << QStringLiteral("closed") << int(ErrorNumber::OperationOnClosed);
    }
}

void TestResultShaping::buildRowVectorFailures()
{
    QFETCH(QString, breakIt);
    QFETCH(int, number);
    QStringList definitions;
    if (breakIt == QLatin1String("headers"))
        definitions << QStringLiteral("drop table T_RepHeadCaption");
    if (!openDatabases(definitions, dataRows({QStringLiteral("1"), QStringLiteral("2")})))
        return;
    Recordset rs = openRows();
    if (breakIt == QLatin1String("closed"))
        rs.Close();
    MessageRecorder recorder;
    Vector rows = Vector::create();
    VARO_VERIFY_NO_ERROR(rows = BuildRowVector(rs, kKey));
    QVERIFY(rows.isNull());
    QCOMPARE(recorder.messages().size(), 1);
    const QString prefix = QStringLiteral("错误编号:%1,错误描述:").arg(number);
    QVERIFY2(recorder.texts().first().startsWith(prefix), qPrintable(recorder.texts().first()));
    QVERIFY(recorder.texts().first().size() > prefix.size());
    if (breakIt == QLatin1String("headers"))
        QCOMPARE(recorder.texts().first(),
                 prefix + m_local->connection().errors().Item(0).Description);
    QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
    QCOMPARE(recorder.messages().first().title, kTitle);
}

void TestResultShaping::loadSumColumns()
{
    HeaderRow nullName = header(kKey, 3, QString(), QStringLiteral("无名"));
    nullName.serial = QStringLiteral("1");
    nullName.sum = QStringLiteral("1");
    if (!openDatabases({headerFromText(QStringLiteral("FQty|0|1"), 2),
                        headerFromText(QStringLiteral("FName|~|1"), 1),
                        test::insertHeader(nullName),
                        headerFromText(QStringLiteral("FQTY|1 |2"), 4),
                        headerFromText(QStringLiteral("FPrice|Y|2|R1"), 5),
                        headerFromText(QStringLiteral("FHidden|1|1"), 6),
                        headerFromText(QStringLiteral("FOther|1|1|R2"), 1)}))
        return;
    // The invisible column counts as well.
    VARO_VERIFY_SQL(m_local->connection(), m_local->execute({QStringLiteral(
                                               "update T_RepHeadCaption set FRepColVisible = 0 "
                                               "where FRepColName = 'FHidden'")}));
    Dictionary sums;
    VARO_VERIFY_NO_ERROR(sums = LoadSumColumns(kKey));
    QVERIFY(!sums.isNull());
    QCOMPARE(entries(sums), (strings({"FName=0 (QString)", "FQty=1  (QString)", "=1 (QString)",
                                      "FPrice=Y (QString)", "FHidden=1 (QString)"})));

    Dictionary none;
    VARO_VERIFY_NO_ERROR(none = LoadSumColumns(QStringLiteral("R9")));
    QVERIFY(!none.isNull());
    QCOMPARE(none.Count(), 0);

    // It has no trap of its own: errors reach the caller, and nothing is shown.
    VARO_VERIFY_SQL(m_local->connection(),
                    m_local->execute({QStringLiteral("drop table T_RepHeadCaption")}));
    VARO_VERIFY_ERROR(LoadSumColumns(kKey), ErrorNumber::ProviderError);
}

void TestResultShaping::loadProperties_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("catalogue");
    QTest::addColumn<QString>("rptKey");
    QTest::addColumn<QStringList>("expected"); // the seven catalogue entries

    ReportRow plain;
    plain.key = kKey;
    plain.name = QStringLiteral("  销售日报 ");
    ReportRow nulls = plain;
    nulls.desc = QString();
    nulls.category = QString();
    ReportRow second = plain;
    second.name = QStringLiteral("乙表");
    second.index = 2;
    ReportRow first = plain;
    first.name = QStringLiteral("甲表");
    first.index = 1;
    ReportRow other = plain;
    other.key = QStringLiteral("R2");
    other.name = QStringLiteral("其他");
    other.repType = QStringLiteral("7");

    auto catalogueEntries = [](const QString &key, const QString &name, const QString &desc,
                               const QString &category, const QString &type) {
        return QStringList{QStringLiteral("FRepKey=%1 (QString)").arg(key),
                           QStringLiteral("FRepName=%1 (QString)").arg(name),
                           QStringLiteral("FRepDesc=%1 (QString)").arg(desc),
                           QStringLiteral("FRepCategory=%1 (QString)").arg(category),
                           QStringLiteral("FRepFormWid=800 (QString)"),
                           QStringLiteral("FRepFormHei=600 (QString)"),
                           QStringLiteral("FRepType=%1 (QString)").arg(type)};
    };
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "texts trimmed")
            << QStringList{test::insertReport(plain), test::insertReport(other)} << kKey
            << catalogueEntries(kKey, QStringLiteral("销售日报"), QStringLiteral("说明"),
                                QStringLiteral("销售"), QStringLiteral("2"));
        databaseRow(kind, "Null as empty text")
            << QStringList{test::insertReport(nulls)} << kKey
            << catalogueEntries(kKey, QStringLiteral("销售日报"), QString(), QString(),
                                QStringLiteral("2"));
        databaseRow(kind, "first row in FIndex order")
            << QStringList{test::insertReport(second), test::insertReport(first)} << kKey
            << catalogueEntries(kKey, QStringLiteral("甲表"), QStringLiteral("说明"),
                                QStringLiteral("销售"), QStringLiteral("2"));
        databaseRow(kind, "the report object's key names the row")
            << QStringList{test::insertReport(plain), test::insertReport(other)}
            << QStringLiteral("R2")
            << catalogueEntries(QStringLiteral("R2"), QStringLiteral("其他"),
                                QStringLiteral("说明"), QStringLiteral("销售"),
                                QStringLiteral("7"));
    }
}

void TestResultShaping::loadProperties()
{
    QFETCH(QStringList, catalogue);
    QFETCH(QString, rptKey);
    QFETCH(QStringList, expected);
    if (!openDatabases(catalogue))
        return;
    MessageRecorder recorder;
    ReportState state;
    state.RptKey = rptKey;
    const Dictionary previous = Dictionary::create();
    state.Property = previous;

    // The catalogue query names the report by RptKey, whatever key is passed along.
    QVERIFY(LoadProperties(state, kKey));
    QCOMPARE(recorder.texts(), QStringList());
    QVERIFY(!(state.Property == previous));
    QString name = expected.at(1);
    name.replace(QStringLiteral("FRepName="), QStringLiteral("Name="));
    expected << name
             << strings({"RptProperty=4 (short)", "DetailRptID=1075 (short)",
                         "bLongNumber=true (bool)", "MegerCol=0 (short)", "MegerType=0 (short)"});
    QCOMPARE(entries(state.Property), expected);
}

void TestResultShaping::loadPropertiesFailures_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<int>("number");
    ReportRow other;
    other.key = QStringLiteral("R2");
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "no catalogue row")
            << QStringList{test::insertReport(other)} << int(ErrorNumber::ObjectNotSet);
        databaseRow(kind, "no catalogue table")
            << QStringList{QStringLiteral("drop table T_RepList")}
            << int(ErrorNumber::ProviderError);
    }
}

void TestResultShaping::loadPropertiesFailures()
{
    QFETCH(QStringList, setup);
    QFETCH(int, number);
    if (!openDatabases(setup))
        return;
    MessageRecorder recorder;
    ReportState state;
    state.RptKey = kKey;
    bool ok = true;
    VARO_VERIFY_NO_ERROR(ok = LoadProperties(state, kKey));
    QVERIFY(!ok);
    QCOMPARE(recorder.messages().size(), 1);
    const QString prefix = QStringLiteral("错误编号:%1,错误描述:").arg(number);
    QVERIFY2(recorder.texts().first().startsWith(prefix), qPrintable(recorder.texts().first()));
    QVERIFY(recorder.texts().first().size() > prefix.size());
    QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
    QCOMPARE(recorder.messages().first().title, kTitle);
    if (number == ErrorNumber::ObjectNotSet)
        QVERIFY(state.Property.isNull()); // replaced by the missing row's nothing
}

void TestResultShaping::loadHeader_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("multi");
    QTest::addColumn<QVariant>("serial");
    QTest::addColumn<int>("pluginItems");
    QTest::addColumn<QStringList>("expected"); // FColName of each item; plug-in items "P1", ...

    const QStringList all = strings({"FName", "FAmount", "FQty", "FCode", "FNullSerial"});
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "visible columns of every layout in FIndex order")
            << 0 << QVariant() << 0 << all;
        databaseRow(kind, "FMulti 0 ignores the serial")
            << 0 << QVariant(QStringLiteral("2")) << 0 << all;
        databaseRow(kind, "FMulti 2 is not 1") << 2 << QVariant(QStringLiteral("1")) << 0 << all;
        databaseRow(kind, "FMulti 1 takes the serial's layout")
            << 1 << QVariant(QStringLiteral("1")) << 0 << strings({"FName", "FAmount"});
        databaseRow(kind, "serial as a number") << 1 << QVariant(2) << 0 << strings({"FQty"});
        databaseRow(kind, "FMulti 1 without serial looks for an empty FRepSerial")
            << 1 << QVariant() << 0 << strings({"FCode"});
        databaseRow(kind, "FMulti 1 with a Null serial looks for an empty FRepSerial")
            << 1 << nullValue() << 0 << strings({"FCode"});
        databaseRow(kind, "plug-in columns appended")
            << 1 << QVariant(QStringLiteral("1")) << 2 << strings({"FName", "FAmount", "P1", "P2"});
        databaseRow(kind, "only plug-in columns when the layout has none")
            << 1 << QVariant(QStringLiteral("9")) << 1 << strings({"P1"});
    }
}

void TestResultShaping::loadHeader()
{
    QFETCH(int, multi);
    QFETCH(QVariant, serial);
    QFETCH(int, pluginItems);
    QFETCH(QStringList, expected);
    HeaderRow name = header(kKey, 1, QStringLiteral("FName"), QStringLiteral("名称"));
    name.second = QStringLiteral("基本");
    name.serial = QStringLiteral("1");
    HeaderRow hidden = header(kKey, 2, QStringLiteral("FHidden"), QStringLiteral("隐藏"));
    hidden.visible = 0;
    hidden.serial = QStringLiteral("1");
    HeaderRow amount = header(kKey, 3, QStringLiteral("FAmount"), QStringLiteral("金额"));
    amount.type = QStringLiteral("money");
    amount.serial = QStringLiteral("1");
    amount.sum = QStringLiteral("1");
    HeaderRow qty = header(kKey, 4, QStringLiteral("FQty"), QStringLiteral("数量"));
    qty.serial = QStringLiteral("2");
    HeaderRow code = header(kKey, 5, QStringLiteral("FCode"), QStringLiteral("编码"));
    code.serial = QStringLiteral("");
    HeaderRow nullSerial = header(kKey, 6, QStringLiteral("FNullSerial"), QStringLiteral("无"));
    HeaderRow otherReport =
        header(QStringLiteral("R2"), 0, QStringLiteral("FOther"), QStringLiteral("他"));
    otherReport.serial = QStringLiteral("1");
    // Inserted out of order: the query orders them.
    if (!openDatabases({test::insertHeader(amount), test::insertHeader(nullSerial),
                        test::insertHeader(qty), test::insertHeader(name),
                        test::insertHeader(hidden), test::insertHeader(code),
                        test::insertHeader(otherReport)}))
        return;
    MessageRecorder recorder;
    ReportState state;
    state.RptKey = kKey;
    state.m_Multi = qint16(multi);
    state.m_RepSerial = serial;
    QList<Dictionary> plugin;
    if (pluginItems > 0) {
        state.m_PluginHeader = Vector::create();
        for (int i = 1; i <= pluginItems; ++i) {
            Dictionary item = Dictionary::create();
            item.set(QStringLiteral("FColName"), QStringLiteral("P%1").arg(i));
            item.set(QStringLiteral("FColCaption"), QStringLiteral("插件列%1").arg(i));
            state.m_PluginHeader.Add(QVariant::fromValue(item));
            plugin << item;
        }
    }

    QVERIFY(LoadHeader(state));
    QCOMPARE(recorder.texts(), QStringList());
    QVERIFY(!state.Header.isNull());
    QVERIFY(!state.m_PluginHeader.isNull());
    QVERIFY(!(state.Header == state.m_PluginHeader));
    QStringList names;
    for (const QVariant &item : state.Header.items())
        names << item.value<Dictionary>().value(QStringLiteral("FColName")).toString();
    QCOMPARE(names, expected);

    // Plug-in items are appended as they are, after the table's columns.
    const int tableColumns = int(expected.size()) - pluginItems;
    for (int i = 0; i < pluginItems; ++i)
        QVERIFY(itemAt(state.Header, tableColumns + i) == plugin.at(i));
    // Header items carry exactly these entries.
    const QHash<QString, QStringList> items{
        {QStringLiteral("FName"),
         strings({"FColCaption=名称 (QString)", "FHeadSecond=基本 (QString)",
                  "FColType=string (QString)", "FColName=FName (QString)", "FVisible=1 (short)"})},
        {QStringLiteral("FAmount"),
         strings({"FColCaption=金额 (QString)", "FHeadSecond= (QString)",
                  "FColType=money (QString)", "FColName=FAmount (QString)", "FVisible=1 (short)"})},
    };
    for (int i = 0; i < tableColumns; ++i) {
        if (items.contains(names.at(i)))
            QCOMPARE(entries(itemAt(state.Header, i)), items.value(names.at(i)));
        else
            QCOMPARE(itemAt(state.Header, i).keys(),
                     (strings({"FColCaption", "FHeadSecond", "FColType", "FColName", "FVisible"})));
    }
}

void TestResultShaping::loadHeaderWithoutColumns_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("emptyPluginHeader"); // an empty Vector rather than nothing
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "no plug-in header") << false;
        databaseRow(kind, "empty plug-in header") << true;
    }
}

void TestResultShaping::loadHeaderWithoutColumns()
{
    QFETCH(bool, emptyPluginHeader);
    HeaderRow hidden = header(kKey, 1, QStringLiteral("FHidden"), QStringLiteral("隐藏"));
    hidden.visible = 0;
    HeaderRow other =
        header(QStringLiteral("R2"), 1, QStringLiteral("FOther"), QStringLiteral("他"));
    if (!openDatabases({test::insertHeader(hidden), test::insertHeader(other)}))
        return;
    MessageRecorder recorder;
    ReportState state;
    state.RptKey = kKey;
    if (emptyPluginHeader)
        state.m_PluginHeader = Vector::create();
    const Vector previous = Vector::create();
    state.Header = previous;

    bool ok = true;
    VARO_VERIFY_NO_ERROR(ok = LoadHeader(state));
    QVERIFY(!ok);
    QCOMPARE(recorder.messages().size(), 1);
    QCOMPARE(recorder.messages().first().text, QStringLiteral("报表表头信息为空！"));
    QCOMPARE(recorder.messages().first().icon, MessageIcon::Information);
    QCOMPARE(recorder.messages().first().title, kTitle);
    QVERIFY(state.Header == previous);
    QVERIFY(!state.m_PluginHeader.isNull());
    QCOMPARE(state.m_PluginHeader.Count(), 0);
}

void TestResultShaping::loadHeaderFailure()
{
    if (!openDatabases({QStringLiteral("drop table T_RepHeadCaption")}))
        return;
    MessageRecorder recorder;
    ReportState state;
    state.RptKey = kKey;
    bool ok = true;
    VARO_VERIFY_NO_ERROR(ok = LoadHeader(state));
    QVERIFY(!ok);
    QCOMPARE(recorder.messages().size(), 1);
    QCOMPARE(recorder.texts().first(),
             QStringLiteral("错误编号:%1,错误描述:").arg(ErrorNumber::ProviderError) +
                 m_local->connection().errors().Item(0).Description);
    QCOMPARE(recorder.messages().first().title, kTitle);
}

VARO_TEST_MAIN(TestResultShaping)
#include "tst_resultshaping.moc"
