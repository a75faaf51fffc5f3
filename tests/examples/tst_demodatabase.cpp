// The demo database builder: it builds the same rows on SQLite and PostgreSQL, refuses to build
// over existing data, and its report definitions hold together: every header column comes out
// of its report's SQL, the templates expand to SQL that runs and filters as the conditions say,
// and the host's report table matches keys the way the engine's query does.

#include "common/demoerrors.h"
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "demobusiness.h"
#include "demodatabase.h"
#include "demotesthelpers.h"
#include "platform/automation.h"

#include <QDate>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace varo;
using varo::demotest::FilterRow;
using varo::demotest::SalesLine;
using varo::demotest::TextTable;

namespace
{

const QStringList kTables = {QStringLiteral("T_RepList"),        QStringLiteral("T_RepSql"),
                             QStringLiteral("T_RepHeadCaption"), QStringLiteral("T_RepFilter"),
                             QStringLiteral("ICReportKeywords"), QStringLiteral("ICReport"),
                             QStringLiteral("T_Employee"),       QStringLiteral("T_Customer"),
                             QStringLiteral("T_Item"),           QStringLiteral("T_SalesOrder"),
                             QStringLiteral("T_SalesOrderEntry")};

// A whole table in a fixed order, so that two databases can be compared row by row.
TextTable dump(Connection &conn, const QString &table)
{
    const int columns = int(demotest::query(conn, QStringLiteral("select * from ") + table +
                                                      QStringLiteral(" where 1=0"))
                                .names.size());
    QStringList order;
    for (int i = 1; i <= columns; ++i)
        order.append(QString::number(i));
    return demotest::query(conn, QStringLiteral("select * from ") + table +
                                     QStringLiteral(" order by ") + order.join(u','));
}

QString scalarText(Connection &conn, const QString &sql)
{
    const TextTable t = demotest::query(conn, sql);
    return t.rows.isEmpty() ? QString() : t.rows.first().first();
}

// ---- what the template expansions do, written out for the test ----

// Placeholder expansion: the text is upper-cased before each item fills its placeholder.
QString expandFilter(QString sql, const QString &strFilter)
{
    for (const QString &part : strFilter.split(u'&')) {
        if (part.isEmpty())
            continue;
        sql = sql.toUpper();
        const QStringList fields = part.trimmed().split(u'|');
        const QString name = fields.value(0).toUpper();
        sql.replace(u'{' + name + u'}', fields.value(1));
    }
    return sql;
}

// Keyword expansion: a keyword without value turns its {...} stretch into " 1=1 ".
QString expandKeywords(QString sql, const QList<QPair<QString, QString>> &keywordValues)
{
    for (const auto &[marker, value] : keywordValues) {
        if (value.trimmed().isEmpty()) {
            for (qsizetype at = sql.indexOf(marker); at >= 0; at = sql.indexOf(marker)) {
                const qsizetype open = sql.lastIndexOf(u'{', at);
                const qsizetype close = sql.indexOf(u'}', at);
                if (open < 0 || close < 0)
                    return QString();
                sql.replace(sql.mid(open, close - open + 1), QStringLiteral(" 1=1 "));
            }
        } else {
            sql.replace(marker, value);
        }
    }
    sql.remove(u'{');
    sql.remove(u'}');
    return sql;
}

QString templateOf(Connection &conn, const QString &key)
{
    return scalarText(conn, QStringLiteral("select FRepSql from T_RepSql where FRepKey = '") + key +
                                u'\'');
}

// The keywords of the catalogue that occur in a template, in FInterID order.
QStringList templateKeywords(Connection &conn, const QString &sqlTemplate)
{
    QStringList found;
    for (const QStringList &r :
         demotest::query(conn, QStringLiteral("select FKeyword from ICReportKeywords "
                                              "order by FInterID"))
             .rows) {
        if (sqlTemplate.contains(r.first()))
            found.append(r.first());
    }
    return found;
}

QString isoDate(const QString &keywordDate)
{
    return QString(keywordDate).replace(u'/', u'-').replace(u'.', u'-');
}

// The detail report's filter applied to one order line, as the user means it.
struct DetailFilter {
    QString dateFrom, dateTo, itemFrom, itemTo, custFrom, custTo;

    bool accepts(const SalesLine &l) const
    {
        return l.date >= dateFrom && l.date <= dateTo &&
               (itemFrom.isEmpty() || l.itemNumber >= itemFrom) &&
               (itemTo.isEmpty() || l.itemNumber <= itemTo) &&
               (custFrom.isEmpty() || l.custNumber >= custFrom) &&
               (custTo.isEmpty() || l.custNumber <= custTo);
    }
    QMap<QString, QString> values() const
    {
        return {{QStringLiteral("DATEFROM"), dateFrom}, {QStringLiteral("DATETO"), dateTo},
                {QStringLiteral("ITEMFROM"), itemFrom}, {QStringLiteral("ITEMTO"), itemTo},
                {QStringLiteral("CUSTFROM"), custFrom}, {QStringLiteral("CUSTTO"), custTo}};
    }
};

// The keyword report's filter: one value per keyword, "" for none.
struct KeywordFilter {
    QMap<QString, QString> values; // marker -> value as the keyword dialog gives it

    bool accepts(const SalesLine &l) const
    {
        auto v = [&](const char *marker) { return values.value(QString::fromLatin1(marker)); };
        return (v("#DATEFROM#").isEmpty() || l.date >= isoDate(v("#DATEFROM#"))) &&
               (v("#DATETO#").isEmpty() || l.date <= isoDate(v("#DATETO#"))) &&
               (v("#CUSTNO#").isEmpty() || l.custNumber == v("#CUSTNO#")) &&
               (v("#ITEMNO#").isEmpty() || l.itemNumber == v("#ITEMNO#")) &&
               (v("#MINAMOUNT#").isEmpty() || double(l.amount) >= v("#MINAMOUNT#").toDouble()) &&
               (v("#MINQTY#").isEmpty() || l.qty >= v("#MINQTY#").toLongLong()) &&
               (v("#REGION#").isEmpty() || l.region == v("#REGION#"));
    }
};

// Sales by customer as the keyword report shows them, computed from the order lines.
QList<QStringList> customerSales(const QList<SalesLine> &lines, const KeywordFilter &filter)
{
    struct Sum {
        QString name, region;
        QSet<int> orders;
        qint64 qty = 0, amount = 0;
    };
    QMap<QString, Sum> byCustomer;
    for (const SalesLine &l : lines) {
        if (!filter.accepts(l))
            continue;
        Sum &s = byCustomer[l.custNumber];
        s.name = l.custName;
        s.region = l.region;
        s.orders.insert(l.orderId);
        s.qty += l.qty;
        s.amount += l.amount;
    }
    QList<QStringList> rows;
    for (auto it = byCustomer.cbegin(); it != byCustomer.cend(); ++it)
        rows.append({it.key(), it->name, it->region, QString::number(it->orders.size()),
                     QString::number(it->qty), QString::number(it->amount)});
    return rows;
}

QList<QPair<QString, QString>> keywordValues(Connection &conn, const QString &sqlTemplate,
                                             const KeywordFilter &filter)
{
    QList<QPair<QString, QString>> values;
    for (const QString &k : templateKeywords(conn, sqlTemplate))
        values.append({k, filter.values.value(k)});
    return values;
}

const QString kIcReportQuery =
    QStringLiteral("Select FInterID from ICReport \r\n where substring(cast(FProcedure as "
                   "varchar(500)), \r\n                 charindex('/',cast(FProcedure as "
                   "varchar(500)))+1, \r\n                 len(cast(FProcedure as "
                   "varchar(500)))-charindex('/',cast(FProcedure as varchar(500))))='%1' \r\n");

} // namespace

class TestDemoDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { m_databases.clear(); }

    void buildsEveryTable_data() { test::addDatabaseRows(); }
    void buildsEveryTable();
    void sameRowsOnSqliteAndPostgres();
    void buildIsDeterministic();
    void refusesDatabaseWithTables_data() { test::addDatabaseRows(); }
    void refusesDatabaseWithTables();

    void businessDataHoldsTogether_data() { test::addDatabaseRows(); }
    void businessDataHoldsTogether();

    void catalogueNamesEveryRoute_data() { test::addDatabaseRows(); }
    void catalogueNamesEveryRoute();
    void headerLayoutsHaveVisibleColumns_data() { test::addDatabaseRows(); }
    void headerLayoutsHaveVisibleColumns();
    void filterRowsMatchPlaceholders_data() { test::addDatabaseRows(); }
    void filterRowsMatchPlaceholders();
    void keywordCatalogueCoversEveryKind_data() { test::addDatabaseRows(); }
    void keywordCatalogueCoversEveryKind();
    void filterTableLacksGroupColumn_data() { test::addDatabaseRows(); }
    void filterTableLacksGroupColumn();
    void namedPluginsCanBeCreated();

    void detailTemplateFilters_data();
    void detailTemplateFilters();
    void keywordTemplateFilters_data();
    void keywordTemplateFilters();
    void reportSqlSameOnSqliteAndPostgres();
    void hostReportTableMatchesKeys_data() { test::addDatabaseRows(); }
    void hostReportTableMatchesKeys();

    void createsSqliteFile();
    void createFillsEmptyExistingFile();
    void createRefusesNonEmptyFile();
    void createRemovesFileAfterFailure();
    void createOnPostgresUrl();

private:
    demotest::DemoDatabases m_databases;
};

void TestDemoDatabase::buildsEveryTable()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    for (const QString &table : kTables) {
        const qint64 rows = demotest::scalar(conn, QStringLiteral("select count(*) from ") + table);
        QVERIFY2(rows > 0, qPrintable(table + QStringLiteral(" is empty")));
    }
    // A few thousand rows in all: enough to page through, small enough to build in a moment.
    qint64 total = 0;
    for (const QString &table : kTables)
        total += demotest::scalar(conn, QStringLiteral("select count(*) from ") + table);
    QVERIFY2(total >= 1000 && total <= 10000, qPrintable(QString::number(total)));
}

void TestDemoDatabase::sameRowsOnSqliteAndPostgres()
{
    VARO_DEMO_DATABASE(sqlite, m_databases, QStringLiteral("sqlite"));
    VARO_DEMO_DATABASE(postgres, m_databases, QStringLiteral("postgresql"));
    for (const QString &table : kTables) {
        const TextTable a = dump(sqlite, table);
        const TextTable b = dump(postgres, table);
        QCOMPARE(b.rows.size(), a.rows.size());
        for (qsizetype i = 0; i < a.rows.size(); ++i)
            QCOMPARE(b.rows.at(i), a.rows.at(i));
    }
}

void TestDemoDatabase::buildIsDeterministic()
{
    test::TestDatabase first(QStringLiteral("sqlite"));
    test::TestDatabase second(QStringLiteral("sqlite"));
    QVERIFY2(first.state() == test::TestDatabase::State::Ready, qPrintable(first.errorString()));
    QVERIFY2(second.state() == test::TestDatabase::State::Ready, qPrintable(second.errorString()));
    VARO_VERIFY_NO_ERROR(demo::buildDemoDatabase(first.connection()));
    VARO_VERIFY_NO_ERROR(demo::buildDemoDatabase(second.connection()));
    for (const QString &table : kTables)
        QCOMPARE(dump(second.connection(), table).rows, dump(first.connection(), table).rows);
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
    const auto missing = test::errorOf(
        [&] { db.connection().Execute(QStringLiteral("select count(*) from T_RepList")); });
    QVERIFY(missing.has_value());

    // A second build over the demo itself is refused the same way.
    VARO_TEST_DATABASE(demoDb, database);
    VARO_VERIFY_NO_ERROR(demo::buildDemoDatabase(demoDb.connection()));
    const qint64 lines = demotest::scalar(demoDb.connection(),
                                          QStringLiteral("select count(*) from T_SalesOrderEntry"));
    VARO_VERIFY_ERROR(demo::buildDemoDatabase(demoDb.connection()),
                      demo::ErrorNumber::InvalidArgument);
    QCOMPARE(demotest::scalar(demoDb.connection(),
                              QStringLiteral("select count(*) from T_SalesOrderEntry")),
             lines);
}

void TestDemoDatabase::businessDataHoldsTogether()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QList<SalesLine> lines = demotest::salesLines(conn);
    // Every line joined to its order, customer, salesperson and item.
    QCOMPARE(lines.size(), demotest::scalar(conn, QStringLiteral("select count(*) from "
                                                                 "T_SalesOrderEntry")));
    QSet<int> ordersWithLines;
    QSet<QString> regions;
    for (const SalesLine &l : lines) {
        QCOMPARE(l.amount, l.qty * l.price);
        QVERIFY2(l.qty > 0, qPrintable(l.billNo));
        const QDate date = QDate::fromString(l.date, Qt::ISODate);
        QVERIFY2(date.isValid() && date.year() >= 2023 && date.year() <= 2024, qPrintable(l.date));
        QVERIFY2(l.billNo.startsWith(QStringLiteral("SO") + QString::number(date.year())),
                 qPrintable(l.billNo));
        ordersWithLines.insert(l.orderId);
        regions.insert(l.region);
    }
    QCOMPARE(ordersWithLines.size(),
             demotest::scalar(conn, QStringLiteral("select count(*) from T_SalesOrder")));
    // Orders span both years, and every region buys something.
    QCOMPARE(scalarText(conn, QStringLiteral("select min(FDate) from T_SalesOrder")).left(4),
             QStringLiteral("2023"));
    QCOMPARE(scalarText(conn, QStringLiteral("select max(FDate) from T_SalesOrder")).left(4),
             QStringLiteral("2024"));
    const QStringList expectedRegions = demo::demoRegions();
    QCOMPARE(regions, QSet<QString>(expectedRegions.cbegin(), expectedRegions.cend()));
    // Lines of one order name different items.
    QCOMPARE(demotest::scalar(conn, QStringLiteral("select count(*) from (select FOrderID, FItemID "
                                                   "from T_SalesOrderEntry group by FOrderID, "
                                                   "FItemID having count(*) > 1) t")),
             0);
    // Item codes are A01, A02, ...: the lookups and the templates compare them as text.
    for (const QStringList &r :
         demotest::query(conn, QStringLiteral("select FNumber from T_Item")).rows)
        QVERIFY2(QRegularExpression(QStringLiteral("^A\\d\\d$")).match(r.first()).hasMatch(),
                 qPrintable(r.first()));
}

void TestDemoDatabase::catalogueNamesEveryRoute()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const TextTable list = demotest::query(
        conn, QStringLiteral("select FRepKey, FRepSub, FDefaultFilter, FFilterPlugName, "
                             "FRepPluginSvr, FMulti, id from T_RepList order by FIndex"));
    QStringList keys;
    QMap<QString, QStringList> byKey;
    for (const QStringList &r : list.rows) {
        keys.append(r[0]);
        byKey.insert(r[0], r);
    }
    QCOMPARE(keys, demo::demoReportKeys());

    const QStringList filterPlugin = byKey.value(demo::kFilterPluginReport);
    QCOMPARE(filterPlugin[2], QStringLiteral("1"));
    QCOMPARE(filterPlugin[3], QStringLiteral("VaroDemo.SalesFilter"));
    QCOMPARE(filterPlugin[4], QStringLiteral("VaroDemo.SalesReport"));
    QCOMPARE(filterPlugin[5], QStringLiteral("1"));

    // After the condition dialog: a report plug-in for every sub code but "1" and "2".
    const QStringList conditionPlugin = byKey.value(demo::kConditionPluginReport);
    QVERIFY(conditionPlugin[1] != QLatin1String("1") && conditionPlugin[1] != QLatin1String("2"));
    QVERIFY(conditionPlugin[2] != QLatin1String("1"));
    QCOMPARE(conditionPlugin[4], QStringLiteral("VaroDemo.SalesReport"));
    const QStringList legacy = byKey.value(demo::kLegacyPluginReport);
    QVERIFY(legacy[1] != QLatin1String("1") && legacy[1] != QLatin1String("2"));
    QCOMPARE(legacy[4], QStringLiteral("VaroDemo.LegacyReport"));

    QCOMPARE(byKey.value(demo::kConditionSqlReport)[1], QStringLiteral("1"));
    QCOMPARE(byKey.value(demo::kKeywordReport)[1], QStringLiteral("2"));
    for (const QString &key : {QString(demo::kConditionSqlReport), QString(demo::kKeywordReport)})
        QVERIFY2(!templateOf(conn, key).trimmed().isEmpty(), qPrintable(key));

    // Ids are distinct, so RptID tells the reports apart.
    QSet<QString> ids;
    for (const QStringList &r : list.rows)
        ids.insert(r[6]);
    QCOMPARE(ids.size(), list.rows.size());
}

void TestDemoDatabase::headerLayoutsHaveVisibleColumns()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    for (const QString &key : demo::demoReportKeys()) {
        const bool multi =
            demotest::scalar(conn,
                             QStringLiteral("select FMulti from T_RepList where FRepKey = '") +
                                 key + u'\'') == 1;
        const QStringList serials =
            multi ? QStringList{QStringLiteral("1"), QStringLiteral("2")} : QStringList{QString()};
        for (const QString &serial : serials) {
            const QStringList visible = demotest::visibleColumns(conn, key, serial);
            QVERIFY2(!visible.isEmpty(), qPrintable(key + u'/' + serial));
            QCOMPARE(QSet<QString>(visible.cbegin(), visible.cend()).size(), visible.size());
        }
        // Sum columns are numbers, and the first column is never one (it carries "合计：").
        const TextTable heads = demotest::query(
            conn, QStringLiteral("select FRepColName, FRepColType, FSumCol, FIndex from "
                                 "T_RepHeadCaption where FRepKey = '") +
                      key + QStringLiteral("' order by FRepSerial, FIndex"));
        for (const QStringList &h : heads.rows) {
            if (h[2] == QLatin1String("1")) {
                QCOMPARE(h[1], QStringLiteral("N"));
                QVERIFY2(h[3] != QLatin1String("1"), qPrintable(key + u'.' + h[0]));
            }
        }
    }
}

void TestDemoDatabase::filterRowsMatchPlaceholders()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QString key = demo::kConditionSqlReport;
    const QString sqlTemplate = templateOf(conn, key);
    QSet<QString> placeholders;
    for (auto it = QRegularExpression(QStringLiteral("\\{(\\w+)\\}")).globalMatch(sqlTemplate);
         it.hasNext();)
        placeholders.insert(it.next().captured(1).toUpper());

    QSet<QString> marks;
    QSet<QString> kinds;
    for (const FilterRow &r : demotest::filterRows(conn, key)) {
        kinds.insert(r.ctrlType);
        if (r.ctrlType == QLatin1String("CMB")) {
            QVERIFY2(r.filterFrom.split(u',').size() > 1, qPrintable(r.filterFrom));
            continue;
        }
        if (r.ctrlType == QLatin1String("CDTXT"))
            QVERIFY2(!r.ctrlSel.trimmed().isEmpty(), qPrintable(r.caption));
        for (const auto &[mark, tmpl] :
             {std::pair(r.markFrom, r.filterFrom), std::pair(r.markTo, r.filterTo)}) {
            QVERIFY2(!mark.isEmpty() && tmpl.count(u'?') == 1, qPrintable(r.caption));
            marks.insert(mark.toUpper());
        }
    }
    QCOMPARE(kinds, (QSet<QString>{QStringLiteral("DTP"), QStringLiteral("CDTXT"),
                                   QStringLiteral("CMB")}));
    // Every placeholder is filled by a condition and every condition fills a placeholder.
    QCOMPARE(placeholders, marks);

    // The plug-in reports take their conditions from their filter rows too.
    for (const QString &pluginKey :
         {QString(demo::kConditionPluginReport), QString(demo::kLegacyPluginReport)}) {
        const QList<FilterRow> rows = demotest::filterRows(conn, pluginKey);
        QVERIFY2(!rows.isEmpty(), qPrintable(pluginKey));
        QCOMPARE(rows.first().ctrlType, QStringLiteral("DTP"));
    }
}

void TestDemoDatabase::keywordCatalogueCoversEveryKind()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const TextTable catalogue = demotest::query(
        conn, QStringLiteral("select FKeyword, FValueType, FSourceField from ICReportKeywords"));
    const QString sqlTemplate = templateOf(conn, demo::kKeywordReport);
    QSet<int> kinds;
    int lookups = 0;
    int unused = 0;
    for (const QStringList &r : catalogue.rows) {
        kinds.insert(r[1].toInt());
        lookups += r[2].isEmpty() ? 0 : 1;
        // No marker hides inside another one or inside " 1=1 ".
        QVERIFY(!QStringLiteral(" 1=1 ").contains(r[0]));
        for (const QStringList &other : catalogue.rows)
            QVERIFY2(other[0] == r[0] || !other[0].contains(r[0]), qPrintable(r[0]));
        if (!sqlTemplate.contains(r[0]))
            ++unused;
    }
    QVERIFY(kinds.contains(0) && kinds.contains(1) && kinds.contains(2) && kinds.contains(3));
    QVERIFY2(kinds.size() >= 5, "no keyword of a kind other than 0 to 3");
    QVERIFY(lookups > 0);
    QVERIFY2(unused > 0, "every keyword occurs in the template");

    // Each optional clause holds exactly one keyword of the template.
    const QStringList used = templateKeywords(conn, sqlTemplate);
    QVERIFY(used.size() >= 5);
    for (auto it = QRegularExpression(QStringLiteral("\\{[^}]*\\}")).globalMatch(sqlTemplate);
         it.hasNext();) {
        const QString clause = it.next().captured();
        int found = 0;
        for (const QString &k : used)
            found += clause.contains(k) ? 1 : 0;
        QVERIFY2(found == 1, qPrintable(clause));
    }
    // rptX offers the keywords that the report's filter rows name by caption.
    QStringList named;
    for (const FilterRow &r : demotest::filterRows(conn, demo::kKeywordReport))
        named.append(r.caption);
    QCOMPARE(QSet<QString>(named.cbegin(), named.cend()),
             QSet<QString>(used.cbegin(), used.cend()));
}

void TestDemoDatabase::filterTableLacksGroupColumn()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QStringList names =
        demotest::query(conn, QStringLiteral("select * from T_RepFilter where  1=1")).names;
    QVERIFY(names.contains(QStringLiteral("FCtrlSel"), Qt::CaseInsensitive));
    QVERIFY(!names.contains(QStringLiteral("FGroupStr"), Qt::CaseInsensitive));
}

void TestDemoDatabase::namedPluginsCanBeCreated()
{
    VARO_DEMO_DATABASE(conn, m_databases, QStringLiteral("sqlite"));
    const TextTable names = demotest::query(
        conn, QStringLiteral("select FFilterPlugName, FRepPluginSvr from T_RepList"));
    int checked = 0;
    for (const QStringList &r : names.rows) {
        for (const QString &progId : r) {
            if (progId.isEmpty())
                continue;
            VARO_VERIFY_NO_ERROR(demotest::createDemoObject(progId));
            ++checked;
        }
    }
    QVERIFY(checked >= 4);
}

void TestDemoDatabase::detailTemplateFilters_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("dateFrom");
    QTest::addColumn<QString>("dateTo");
    QTest::addColumn<QString>("itemFrom");
    QTest::addColumn<QString>("itemTo");
    QTest::addColumn<QString>("custFrom");
    QTest::addColumn<QString>("custTo");
    QTest::addColumn<bool>("expectRows");
    const QString empty;
    for (const QString &db : test::databaseKinds()) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s/%s", qPrintable(db), name) << db;
        };
        row("both years") << QStringLiteral("2023-01-01") << QStringLiteral("2024-12-31") << empty
                          << empty << empty << empty << true;
        row("one quarter") << QStringLiteral("2024-01-01") << QStringLiteral("2024-03-31") << empty
                           << empty << empty << empty << true;
        // The first day counts although the dialog writes it with a time of day.
        row("one day") << QStringLiteral("2024-05-20") << QStringLiteral("2024-05-20") << empty
                       << empty << empty << empty << true;
        row("item range") << QStringLiteral("2023-01-01") << QStringLiteral("2023-12-31")
                          << QStringLiteral("A03") << QStringLiteral("A07") << empty << empty
                          << true;
        row("customers from") << QStringLiteral("2024-01-01") << QStringLiteral("2024-12-31")
                              << empty << empty << QStringLiteral("C030") << empty << true;
        row("customers up to") << QStringLiteral("2023-01-01") << QStringLiteral("2024-12-31")
                               << empty << empty << empty << QStringLiteral("C005") << true;
        row("every bound") << QStringLiteral("2023-03-01") << QStringLiteral("2024-10-31")
                           << QStringLiteral("A01") << QStringLiteral("A15")
                           << QStringLiteral("C010") << QStringLiteral("C020") << true;
        row("dates crossed") << QStringLiteral("2024-06-01") << QStringLiteral("2024-05-01")
                             << empty << empty << empty << empty << false;
    }
}

void TestDemoDatabase::detailTemplateFilters()
{
    QFETCH(QString, database);
    QFETCH(QString, dateFrom);
    QFETCH(QString, dateTo);
    QFETCH(QString, itemFrom);
    QFETCH(QString, itemTo);
    QFETCH(QString, custFrom);
    QFETCH(QString, custTo);
    QFETCH(bool, expectRows);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const QString key = demo::kConditionSqlReport;
    const DetailFilter filter{dateFrom, dateTo, itemFrom, itemTo, custFrom, custTo};
    const QString strFilter =
        demotest::composeFilter(demotest::filterRows(conn, key), filter.values());
    const QString sql = expandFilter(templateOf(conn, key), strFilter);
    QVERIFY2(!sql.contains(u'{'), qPrintable(sql));

    TextTable result;
    VARO_VERIFY_SQL(conn, result = demotest::query(conn, sql));
    for (const QString &column : demotest::visibleColumns(conn, key))
        QVERIFY2(result.column(column) >= 0, qPrintable(column));

    QList<QStringList> expected;
    for (const SalesLine &l : demotest::salesLines(conn)) {
        if (filter.accepts(l))
            expected.append({l.billNo, l.date, l.itemNumber, QString::number(l.amount)});
    }
    QCOMPARE(!expected.isEmpty(), expectRows);
    QList<QStringList> got;
    const QList<int> at = {
        result.column(QStringLiteral("FBillNo")), result.column(QStringLiteral("FDate")),
        result.column(QStringLiteral("FItemNumber")), result.column(QStringLiteral("FAmount"))};
    for (const QStringList &r : result.rows)
        got.append({r[at[0]], r[at[1]], r[at[2]], r[at[3]]});
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    QCOMPARE(got, expected);
}

void TestDemoDatabase::keywordTemplateFilters_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("values"); // marker=value pairs; markers not named are empty
    for (const QString &db : test::databaseKinds()) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s/%s", qPrintable(db), name) << db;
        };
        row("dates with slashes") << QStringList{QStringLiteral("#DATEFROM#=2023/01/01"),
                                                 QStringLiteral("#DATETO#=2024/12/31"),
                                                 QStringLiteral("#MINAMOUNT#=0")};
        row("dates with dots, one region") << QStringList{
            QStringLiteral("#DATEFROM#=2024.03.01"), QStringLiteral("#DATETO#=2024.03.31"),
            QStringLiteral("#MINAMOUNT#=0"), QStringLiteral("#REGION#=华东")};
        row("one customer") << QStringList{
            QStringLiteral("#DATEFROM#=2024-01-01"), QStringLiteral("#DATETO#=2024-06-30"),
            QStringLiteral("#MINAMOUNT#=0"), QStringLiteral("#CUSTNO#=C003")};
        row("item and minimums") << QStringList{
            QStringLiteral("#DATEFROM#=2023/01/01"), QStringLiteral("#DATETO#=2024/12/31"),
            QStringLiteral("#ITEMNO#=A09"), QStringLiteral("#MINAMOUNT#=500.5"),
            QStringLiteral("#MINQTY#=3")};
        row("every keyword empty") << QStringList{};
    }
}

void TestDemoDatabase::keywordTemplateFilters()
{
    QFETCH(QString, database);
    QFETCH(QStringList, values);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    KeywordFilter filter;
    for (const QString &v : values)
        filter.values.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
    const QString sqlTemplate = templateOf(conn, demo::kKeywordReport);
    const QString sql = expandKeywords(sqlTemplate, keywordValues(conn, sqlTemplate, filter));
    QVERIFY2(!sql.isEmpty() && !sql.contains(u'#'), qPrintable(sql));

    TextTable result;
    VARO_VERIFY_SQL(conn, result = demotest::query(conn, sql));
    const QStringList columns = demotest::visibleColumns(conn, demo::kKeywordReport);
    for (const QString &column : columns)
        QVERIFY2(result.column(column) >= 0, qPrintable(column));
    const QList<QStringList> expected = customerSales(demotest::salesLines(conn), filter);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(result.rows, expected);
}

void TestDemoDatabase::reportSqlSameOnSqliteAndPostgres()
{
    VARO_DEMO_DATABASE(sqlite, m_databases, QStringLiteral("sqlite"));
    VARO_DEMO_DATABASE(postgres, m_databases, QStringLiteral("postgresql"));
    QStringList statements;
    const QString detail = templateOf(sqlite, demo::kConditionSqlReport);
    const QList<FilterRow> rows = demotest::filterRows(sqlite, demo::kConditionSqlReport);
    statements.append(expandFilter(
        detail,
        demotest::composeFilter(
            rows, DetailFilter{QStringLiteral("2024-02-01"), QStringLiteral("2024-04-30"),
                               QString(), QStringLiteral("A20"), QStringLiteral("C002"), QString()}
                      .values())));
    const QString keyword = templateOf(sqlite, demo::kKeywordReport);
    KeywordFilter filter;
    filter.values = {{QStringLiteral("#DATEFROM#"), QStringLiteral("2023/05/01")},
                     {QStringLiteral("#DATETO#"), QStringLiteral("2024/05/01")},
                     {QStringLiteral("#MINAMOUNT#"), QStringLiteral("100")},
                     {QStringLiteral("#REGION#"), QStringLiteral("华南")}};
    statements.append(expandKeywords(keyword, keywordValues(sqlite, keyword, filter)));
    for (const QString &key : demo::demoReportKeys())
        statements.append(kIcReportQuery.arg(key));
    for (const QString &sql : statements) {
        TextTable a, b;
        VARO_VERIFY_SQL(sqlite, a = demotest::query(sqlite, sql));
        VARO_VERIFY_SQL(postgres, b = demotest::query(postgres, sql));
        QCOMPARE(b.names, a.names);
        QCOMPARE(b.rows, a.rows);
    }
}

void TestDemoDatabase::hostReportTableMatchesKeys()
{
    QFETCH(QString, database);
    VARO_DEMO_DATABASE(conn, m_databases, database);
    const TextTable hostReports =
        demotest::query(conn, QStringLiteral("select FInterID, FProcedure from ICReport"));
    bool sawTwoSlashes = false;
    bool sawNoSlash = false;
    int matched = 0;
    for (const QString &key : demo::demoReportKeys()) {
        QStringList expected;
        for (const QStringList &r : hostReports.rows) {
            const QString procedure = r[1];
            sawTwoSlashes = sawTwoSlashes || procedure.count(u'/') == 2;
            sawNoSlash = sawNoSlash || !procedure.contains(u'/');
            if (procedure.section(u'/', 1) == key ||
                (!procedure.contains(u'/') && procedure == key))
                expected.append(r[0]);
        }
        TextTable found;
        VARO_VERIFY_SQL(conn, found = demotest::query(conn, kIcReportQuery.arg(key)));
        QStringList got;
        for (const QStringList &r : found.rows)
            got.append(r.first());
        QCOMPARE(got, expected);
        matched += got.isEmpty() ? 0 : 1;
    }
    QVERIFY(sawTwoSlashes && sawNoSlash);
    // The two-slash row leaves one demo report without a host number.
    QCOMPARE(matched, int(demo::demoReportKeys().size()) - 1);
}

void TestDemoDatabase::createsSqliteFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.db"));
    VARO_VERIFY_NO_ERROR(demo::createDemoDatabase(path));
    Connection conn = Connection::open(QStringLiteral("sqlite://") + path);
    QCOMPARE(demotest::scalar(conn, QStringLiteral("select count(*) from T_RepList")),
             qint64(demo::demoReportKeys().size()));

    // The URL form names the same kind of target.
    const QString other = dir.filePath(QStringLiteral("other.db"));
    VARO_VERIFY_NO_ERROR(demo::createDemoDatabase(QStringLiteral("sqlite://") + other));
    QVERIFY(QFileInfo(other).size() > 0);
}

void TestDemoDatabase::createFillsEmptyExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    VARO_VERIFY_NO_ERROR(demo::createDemoDatabase(path));
    QVERIFY(QFileInfo(path).size() > 0);
}

void TestDemoDatabase::createRefusesNonEmptyFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    const auto error = test::errorOf([&] { demo::createDemoDatabase(path); });
    QVERIFY(error.has_value());
    QCOMPARE(error->number(), demo::ErrorNumber::FileAccess);
    QVERIFY2(error->description().contains(QFileInfo(path).absoluteFilePath()),
             qPrintable(error->description()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));

    // A folder is no file to build in either.
    VARO_VERIFY_ERROR(demo::createDemoDatabase(dir.path()), demo::ErrorNumber::FileAccess);
    VARO_VERIFY_ERROR(demo::createDemoDatabase(QString()), demo::ErrorNumber::InvalidArgument);
}

void TestDemoDatabase::createRemovesFileAfterFailure()
{
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/demo.db"));
    VARO_VERIFY_ERROR(demo::createDemoDatabase(missingFolder), demo::ErrorNumber::FileAccess);
    QVERIFY(!QFileInfo::exists(missingFolder));
}

void TestDemoDatabase::createOnPostgresUrl()
{
    VARO_TEST_DATABASE(db, QStringLiteral("postgresql"));
    VARO_VERIFY_NO_ERROR(demo::createDemoDatabase(db.url()));
    QCOMPARE(demotest::scalar(db.connection(), QStringLiteral("select count(*) from T_RepList")),
             qint64(demo::demoReportKeys().size()));
    VARO_VERIFY_ERROR(demo::createDemoDatabase(db.url()), demo::ErrorNumber::InvalidArgument);
}

VARO_TEST_MAIN(TestDemoDatabase)
#include "tst_demodatabase.moc"
