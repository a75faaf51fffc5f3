// The demo database builder: it builds the same rows on SQLite and PostgreSQL, only into an empty
// database, its business rows and report definitions hold together the way the reports and the
// engine rely on, and the templates expand to SQL that runs and filters as the conditions say.
// createDemoDatabase builds into a new or empty file or a PostgreSQL URL and refuses anything
// else, leaving what was there as it was.

#include "common/demoerrors.h"
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "demobusiness.h"
#include "demodatabase.h"
#include "demoschema.h"
#include "demotesthelpers.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace varo;
using varo::demotest::SalesLine;
using varo::demotest::TextTable;

namespace
{

// A whole table in a fixed order, so that two databases can be compared row by row.
QList<QStringList> dump(Connection &conn, const QString &table)
{
    QList<QStringList> rows = demotest::query(conn, QStringLiteral("select * from ") + table).rows;
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString templateOf(Connection &conn, const QString &key)
{
    return demotest::firstColumn(
               conn, QStringLiteral("select FRepSql from T_RepSql where FRepKey = '%1'").arg(key))
        .value(0);
}

// The keywords of the catalogue that occur in a template.
QStringList templateKeywords(Connection &conn, const QString &sqlTemplate)
{
    QStringList found =
        demotest::firstColumn(conn, QStringLiteral("select FKeyword from ICReportKeywords"));
    found.removeIf([&](const QString &k) { return !sqlTemplate.contains(k); });
    return found;
}

// Placeholder expansion as the condition route does it: the text is upper-cased before each
// item fills its placeholder.
QString expandFilter(QString sql, const QString &strFilter)
{
    for (const QString &part : strFilter.split(u'&', Qt::SkipEmptyParts)) {
        sql = sql.toUpper();
        const QStringList fields = part.trimmed().split(u'|');
        sql.replace(u'{' + fields.value(0).toUpper() + u'}', fields.value(1));
    }
    return sql;
}

// Keyword expansion as the keyword route does it: a keyword without value turns its {...}
// stretch into " 1=1 ". "" when a keyword stands outside braces.
QString expandKeywords(QString sql, const QStringList &keywords,
                       const QMap<QString, QString> &values)
{
    for (const QString &marker : keywords) {
        if (!values.value(marker).trimmed().isEmpty()) {
            sql.replace(marker, values.value(marker));
            continue;
        }
        for (qsizetype at = sql.indexOf(marker); at >= 0; at = sql.indexOf(marker)) {
            const qsizetype open = sql.lastIndexOf(u'{', at);
            const qsizetype close = sql.indexOf(u'}', at);
            if (open < 0 || close < 0)
                return QString();
            sql.replace(open, close - open + 1, QStringLiteral(" 1=1 "));
        }
    }
    return sql.remove(u'{').remove(u'}');
}

// The keyword report's filter applied to one order line, as the user means it.
bool keywordAccepts(const QMap<QString, QString> &values, const SalesLine &l)
{
    auto v = [&](const char *marker) { return values.value(QString::fromLatin1(marker)); };
    auto isoDate = [](QString date) { return date.replace(u'/', u'-').replace(u'.', u'-'); };
    return (v("#DATEFROM#").isEmpty() || l.date >= isoDate(v("#DATEFROM#"))) &&
           (v("#DATETO#").isEmpty() || l.date <= isoDate(v("#DATETO#"))) &&
           (v("#CUSTNO#").isEmpty() || l.custNumber == v("#CUSTNO#")) &&
           (v("#ITEMNO#").isEmpty() || l.itemNumber == v("#ITEMNO#")) &&
           (v("#MINAMOUNT#").isEmpty() || double(l.amount) >= v("#MINAMOUNT#").toDouble()) &&
           (v("#MINQTY#").isEmpty() || l.qty >= v("#MINQTY#").toLongLong()) &&
           (v("#REGION#").isEmpty() || l.region == v("#REGION#"));
}

} // namespace

class TestDemoDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void sameRowsOnSqliteAndPostgres();
    void refusesDatabaseWithTables_data() { test::addDatabaseRows(); }
    void refusesDatabaseWithTables();
    void businessDataHoldsTogether();
    void definitionsHoldTogether();
    void detailTemplateFilters_data();
    void detailTemplateFilters();
    void keywordTemplateFilters_data();
    void keywordTemplateFilters();
    void createsSqliteTarget_data();
    void createsSqliteTarget();
    void createsOnPostgresUrl();

private:
    demotest::DemoDatabases m_databases;
};

// Two builds, one per server, give the same rows: the data is generated from a fixed seed and
// nothing in it depends on the server.
void TestDemoDatabase::sameRowsOnSqliteAndPostgres()
{
    VARO_DEMO_DATABASE(sqlite, m_databases, QStringLiteral("sqlite"));
    VARO_DEMO_DATABASE(postgres, m_databases, QStringLiteral("postgresql"));
    for (const QString &table : demo::demoTableNames()) {
        const QList<QStringList> rows = dump(sqlite, table);
        QVERIFY2(!rows.isEmpty(), qPrintable(table));
        QCOMPARE(dump(postgres, table), rows);
    }
}

void TestDemoDatabase::refusesDatabaseWithTables()
{
    QFETCH(QString, database);
    VARO_TEST_DATABASE(db, database);
    db.execute({QStringLiteral("create table T_Other (FID integer)"),
                QStringLiteral("insert into T_Other values (1)")});
    VARO_VERIFY_ERROR(demo::buildDemoDatabase(db.connection()), demo::ErrorNumber::InvalidArgument);
    // Nothing was added next to the table that was there.
    QCOMPARE(demotest::scalar(db.connection(), QStringLiteral("select count(*) from T_Other")), 1);
    QVERIFY(test::errorOf(
        [&] { db.connection().Execute(QStringLiteral("select count(*) from T_RepList")); }));
}

// The rows are the same on both servers (above), so SQLite alone is checked.
void TestDemoDatabase::businessDataHoldsTogether()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    const QList<SalesLine> lines = demotest::salesLines(conn);
    // Every line joins to its order, customer, salesperson and item.
    QCOMPARE(lines.size(),
             demotest::scalar(conn, QStringLiteral("select count(*) from T_SalesOrderEntry")));
    QSet<int> orders;
    QSet<QPair<int, int>> orderItems;
    QSet<QString> regions;
    for (const SalesLine &l : lines) {
        QVERIFY2(l.qty > 0 && l.amount == l.qty * l.price, qPrintable(l.billNo));
        // 'yyyy-MM-dd' text, which the date filters compare as text.
        const QDate date = QDate::fromString(l.date, Qt::ISODate);
        QVERIFY2(date.isValid() && date.year() >= 2023 && date.year() <= 2024, qPrintable(l.date));
        orders.insert(l.orderId);
        orderItems.insert({l.orderId, l.itemId});
        regions.insert(l.region);
    }
    QCOMPARE(orders.size(),
             demotest::scalar(conn, QStringLiteral("select count(*) from T_SalesOrder")));
    // The lines of one order name different items.
    QCOMPARE(orderItems.size(), lines.size());
    const QStringList expectedRegions = demo::demoRegions();
    QCOMPARE(regions, QSet<QString>(expectedRegions.cbegin(), expectedRegions.cend()));
    // Codes of one table are of one length, so that code ranges compared as text hold.
    for (const char *table : {"T_Item", "T_Customer", "T_Employee"})
        QVERIFY2(demotest::scalar(conn, QStringLiteral("select count(distinct length(FNumber)) "
                                                       "from ") +
                                            QLatin1String(table)) == 1,
                 table);
}

void TestDemoDatabase::definitionsHoldTogether()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    QCOMPARE(demotest::firstColumn(conn, QStringLiteral("select FRepKey from T_RepList order by "
                                                        "FIndex")),
             demo::demoReportKeys());
    // Every header layout of every report shows columns, each once.
    for (const QStringList &r :
         demotest::query(conn, QStringLiteral("select l.FRepKey, h.FRepSerial, count(h.FIndex), "
                                              "count(distinct h.FRepColName) from T_RepList l "
                                              "left join T_RepHeadCaption h on h.FRepKey = "
                                              "l.FRepKey and h.FRepColVisible = 1 "
                                              "group by l.FRepKey, h.FRepSerial"))
             .rows)
        QVERIFY2(r[2].toInt() > 0 && r[2] == r[3], qPrintable(r.join(u'/')));
    // Sum columns are numbers, and the first column never is one: it carries "合计：".
    for (const QStringList &h :
         demotest::query(conn, QStringLiteral("select FRepKey, FRepColName, FRepColType, FIndex "
                                              "from T_RepHeadCaption where FSumCol = '1'"))
             .rows)
        QVERIFY2(h[2] == QLatin1String("N") && h[3] != QLatin1String("1"),
                 qPrintable(h[0] + u'.' + h[1]));

    // An empty keyword drops its whole {...} clause, so each clause holds exactly one keyword.
    const QString sqlTemplate = templateOf(conn, demo::kKeywordReport);
    const QStringList used = templateKeywords(conn, sqlTemplate);
    for (auto it = QRegularExpression(QStringLiteral("\\{[^}]*\\}")).globalMatch(sqlTemplate);
         it.hasNext();) {
        const QString clause = it.next().captured();
        QVERIFY2(std::count_if(used.cbegin(), used.cend(),
                               [&](const QString &k) { return clause.contains(k); }) == 1,
                 qPrintable(clause));
    }
}

void TestDemoDatabase::detailTemplateFilters_data()
{
    QTest::addColumn<QString>("database");
    // Dates from and to, item codes from and to, customer codes from and to; "" leaves it open.
    QTest::addColumn<QStringList>("bounds");
    for (const QString &db : test::databaseKinds()) {
        test::databaseRow(db, "both years")
            << QStringList{"2023-01-01", "2024-12-31", "", "", "", ""};
        // The first day counts although the dialog writes it with a time of day.
        test::databaseRow(db, "one day") << QStringList{"2024-05-20", "2024-05-20", "", "", "", ""};
        test::databaseRow(db, "items from, customers up to")
            << QStringList{"2024-01-01", "2024-12-31", "A25", "", "", "C005"};
        test::databaseRow(db, "every bound")
            << QStringList{"2023-03-01", "2024-10-31", "A01", "A15", "C010", "C020"};
    }
}

void TestDemoDatabase::detailTemplateFilters()
{
    QFETCH(QString, database);
    QFETCH(QStringList, bounds);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QString key = demo::kConditionSqlReport;
    const QStringList marks = {"DATEFROM", "DATETO", "ITEMFROM", "ITEMTO", "CUSTFROM", "CUSTTO"};
    QMap<QString, QString> values;
    for (int i = 0; i < marks.size(); ++i)
        values.insert(marks[i], bounds[i]);
    const QString sql =
        expandFilter(templateOf(conn, key), demotest::composeFilter(conn, key, values));
    QVERIFY2(!sql.contains(u'{'), qPrintable(sql));

    TextTable result;
    VARO_VERIFY_SQL(conn, result = demotest::query(conn, sql));
    for (const QString &column : demotest::visibleColumns(conn, key))
        QVERIFY2(result.column(column) >= 0, qPrintable(column));

    // Lower bounds at even places, upper bounds at odd ones.
    auto accepts = [&](const SalesLine &l) {
        const QStringList v{l.date, l.date, l.itemNumber, l.itemNumber, l.custNumber, l.custNumber};
        for (int i = 0; i < v.size(); ++i) {
            if (!bounds[i].isEmpty() && (i % 2 ? v[i] > bounds[i] : v[i] < bounds[i]))
                return false;
        }
        return true;
    };
    QList<QStringList> expected;
    for (const SalesLine &l : demotest::salesLines(conn)) {
        if (accepts(l))
            expected.append({l.billNo, l.date, l.custNumber, l.custName, l.region, l.empName,
                             l.itemNumber, l.itemName, l.unit, QString::number(l.qty),
                             QString::number(l.price), QString::number(l.amount)});
    }
    QVERIFY(!expected.isEmpty());
    QCOMPARE(result.rows, expected);
}

void TestDemoDatabase::keywordTemplateFilters_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("values"); // marker=value pairs; markers not named are empty
    for (const QString &db : test::databaseKinds()) {
        test::databaseRow(db, "dates with slashes")
            << QStringList{"#DATEFROM#=2023/01/01", "#DATETO#=2024/12/31", "#MINAMOUNT#=0"};
        test::databaseRow(db, "dates with dots, one region") << QStringList{
            "#DATEFROM#=2024.03.01", "#DATETO#=2024.03.31", "#MINAMOUNT#=0", "#REGION#=华东"};
        test::databaseRow(db, "one customer") << QStringList{
            "#DATEFROM#=2024-01-01", "#DATETO#=2024-06-30", "#MINAMOUNT#=0", "#CUSTNO#=C003"};
        test::databaseRow(db, "item and minimums")
            << QStringList{"#DATEFROM#=2023/01/01", "#DATETO#=2024/12/31", "#ITEMNO#=A09",
                           "#MINAMOUNT#=500.5", "#MINQTY#=3"};
        test::databaseRow(db, "every keyword empty") << QStringList{};
    }
}

void TestDemoDatabase::keywordTemplateFilters()
{
    QFETCH(QString, database);
    QFETCH(QStringList, values);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    QMap<QString, QString> filter;
    for (const QString &v : values)
        filter.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
    const QString sqlTemplate = templateOf(conn, demo::kKeywordReport);
    const QString sql = expandKeywords(sqlTemplate, templateKeywords(conn, sqlTemplate), filter);
    QVERIFY2(!sql.isEmpty() && !sql.contains(u'#'), qPrintable(sql));

    TextTable result;
    VARO_VERIFY_SQL(conn, result = demotest::query(conn, sql));
    for (const QString &column : demotest::visibleColumns(conn, demo::kKeywordReport))
        QVERIFY2(result.column(column) >= 0, qPrintable(column));
    QList<QStringList> expected;
    for (const demotest::Totals &t : demotest::totals(
             demotest::salesLines(conn),
             [&](const SalesLine &l) { return keywordAccepts(filter, l); },
             [](const SalesLine &l) {
                 return QStringList{l.custNumber, l.custName, l.region};
             }))
        expected.append(t.fields + t.sums());
    QVERIFY(!expected.isEmpty());
    QCOMPARE(result.rows, expected);
}

void TestDemoDatabase::createsSqliteTarget_data()
{
    QTest::addColumn<QString>("target");    // "%1" is a new temporary folder
    QTest::addColumn<QVariant>("existing"); // the file's content before, if there was a file
    QTest::addColumn<int>("error");         // 0 when the demo is built
    const QVariant none;
    QTest::newRow("new file") << "%1/demo.db" << none << 0;
    QTest::newRow("sqlite URL") << "sqlite://%1/demo.db" << none << 0;
    QTest::newRow("empty file") << "%1/demo.db" << QVariant(QByteArray("")) << 0;
    QTest::newRow("file with content")
        << "%1/notes.txt" << QVariant(QByteArray("keep me")) << demo::ErrorNumber::FileAccess;
    QTest::newRow("folder") << "%1" << none << demo::ErrorNumber::FileAccess;
    QTest::newRow("missing folder")
        << "%1/no/such/demo.db" << none << demo::ErrorNumber::FileAccess;
    QTest::newRow("no target") << "" << none << demo::ErrorNumber::InvalidArgument;
}

void TestDemoDatabase::createsSqliteTarget()
{
    QFETCH(QString, target);
    QFETCH(QVariant, existing);
    QFETCH(int, error);
    QTemporaryDir dir;
    target.replace(QStringLiteral("%1"), dir.path());
    const QString path = QString(target).remove(QStringLiteral("sqlite://"));
    QFile file(path);
    if (existing.isValid()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(existing.toByteArray());
        file.close();
    }
    const bool existed = QFileInfo::exists(path);
    if (!error) {
        VARO_VERIFY_NO_ERROR(demo::createDemoDatabase(target));
        Connection conn = Connection::open(QStringLiteral("sqlite://") + path);
        QCOMPARE(demotest::scalar(conn, QStringLiteral("select count(*) from T_RepList")),
                 qint64(demo::demoReportKeys().size()));
        return;
    }
    const auto raised = test::errorOf([&] { demo::createDemoDatabase(target); });
    QVERIFY(raised.has_value());
    QCOMPARE(raised->number(), error);
    if (error == demo::ErrorNumber::FileAccess)
        QVERIFY2(raised->description().contains(QFileInfo(path).absoluteFilePath()),
                 qPrintable(raised->description()));
    // What was there is left as it was, and nothing is left behind.
    QCOMPARE(QFileInfo::exists(path), existed);
    if (existing.isValid()) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), existing.toByteArray());
    }
}

void TestDemoDatabase::createsOnPostgresUrl()
{
    VARO_TEST_DATABASE(db, QStringLiteral("postgresql"));
    // The test database comes with charindex and len; the builder must create them itself.
    db.execute({QStringLiteral("drop function charindex(text, text)"),
                QStringLiteral("drop function charindex(text, text, integer)"),
                QStringLiteral("drop function len(text)")});
    VARO_VERIFY_NO_ERROR(demo::createDemoDatabase(db.url()));
    QCOMPARE(demotest::scalar(db.connection(), QStringLiteral("select count(*) from T_RepList")),
             qint64(demo::demoReportKeys().size()));
    const QString sql = QStringLiteral("select charindex('b', 'abc', 1) + len('ab ')");
    qint64 found = 0;
    VARO_VERIFY_SQL(db.connection(), found = demotest::scalar(db.connection(), sql));
    QCOMPARE(found, 4);
}

VARO_TEST_MAIN(TestDemoDatabase)
#include "tst_demodatabase.moc"
