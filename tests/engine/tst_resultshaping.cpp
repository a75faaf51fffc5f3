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
using varo::test::MessageRecorder;

namespace
{

const QString kKey = QStringLiteral("R1");
const QString kRowQuery = QStringLiteral("select FName, FQty, FPrice from T_Data order by FOrder");

QStringList strings(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

// Every entry as "name=value (type)", in the record's order, so that a total held as text
// instead of a double shows.
QStringList entries(const Dictionary &record)
{
    QStringList list;
    for (int i = 0; i < record.Count(); ++i)
        list.append(QStringLiteral("%1=%2 (%3)")
                        .arg(record.keyAt(i), record.valueAt(i).toString(),
                             QString::fromLatin1(record.valueAt(i).metaType().name())));
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
    test::HeaderRow row;
    row.key = part(3, kKey);
    row.index = index;
    row.colName = part(0, QString());
    row.caption = row.colName;
    row.serial = part(2, QStringLiteral("1"));
    row.sum = part(1, QStringLiteral("0"));
    return test::insertHeader(row);
}

// A T_RepList row; the other columns as test::ReportRow has them.
QString catalogueRow(const QString &key, const QString &name, int index, const QString &type)
{
    test::ReportRow row;
    row.key = key;
    row.name = name;
    row.index = index;
    row.repType = type;
    return test::insertReport(row);
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

// The text every trap of the engine shows for an unexpected error, up to its description.
QString errorPrefix(int number)
{
    return QStringLiteral("错误编号:%1,错误描述:").arg(number);
}

} // namespace

class TestResultShaping : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_local;
    std::unique_ptr<test::TestDatabase> m_business; // none when both are one connection

    // Skips or fails the running test unless the database is ready and takes the statements.
    static bool prepare(test::TestDatabase &db, const QStringList &statements)
    {
        if (db.state() == test::TestDatabase::State::Skipped) {
            QTest::qSkip(qPrintable(db.errorString()), __FILE__, __LINE__);
            return false;
        }
        if (db.state() != test::TestDatabase::State::Ready) {
            QTest::qFail(qPrintable(db.errorString()), __FILE__, __LINE__);
            return false;
        }
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
        if (!prepare(*m_local, test::definitionTableStatements() + definitions))
            return false;
        test::TestDatabase *businessDb = m_local.get();
        if (!oneConnection) {
            m_business = std::make_unique<test::TestDatabase>(database);
            businessDb = m_business.get();
        }
        if (!prepare(*businessDb, business))
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

    void buildRowVectorTotals_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("headers");    // see headerFromText, FIndex in list order
        QTest::addColumn<QStringList>("quantities"); // FQty per row
        QTest::addColumn<QStringList>("totals");     // entries of the totals record; none if empty

        const QStringList threeRows{"1.5", "2", QStringLiteral("")};
        const QString total = QStringLiteral("FQty=3.5 (double)");
        const QString caption = QStringLiteral("FName=合计： (QString)");
        const QStringList summed{total, caption};
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "1.5, 2 and empty give 3.5")
                << strings({"FName", "FQty|1"}) << threeRows << summed;
            databaseRow(kind, "leading number of the text")
                << strings({"FQty|1"}) << strings({"12abc", "abc", " 7 ", "3.5元"})
                << QStringList{"FQty=22.5 (double)", caption};
            databaseRow(kind, "Null value counts 0")
                << strings({"FQty|1"}) << QStringList{QString(), "4.25"}
                << QStringList{"FQty=4.25 (double)", caption};
            databaseRow(kind, "FSumCol \"1 \" and \" 1\" mark a sum column")
                << strings({"FQty|1 ", "FPrice| 1"}) << threeRows
                << QStringList{total, "FPrice=7.5 (double)", caption};
            databaseRow(kind, "FSumCol \"01\" and empty do not")
                << strings({"FQty|01", "FPrice|"}) << threeRows << QStringList();
            databaseRow(kind, "field without header row is never summed")
                << strings({"FName|0", "FOther|1"}) << threeRows << QStringList();
            databaseRow(kind, "column name matched without regard to case")
                << strings({"fqty|1"}) << threeRows << summed;
            databaseRow(kind, "a later header row of the column replaces the earlier")
                << strings({"FQty|1|1", "FQty|0|2", "FPrice|0|1", "FPrice|1|2"}) << threeRows
                << QStringList{"FPrice=7.5 (double)", caption};
            databaseRow(kind, "sum columns of every header layout count")
                << strings({"FName|0|1", "FQty|1|1", "FName|0|2", "FPrice|1|2"}) << threeRows
                << QStringList{total, "FPrice=7.5 (double)", caption};
            databaseRow(kind, "first field as sum column gets the caption instead")
                << strings({"FName|1"}) << threeRows << QStringList{caption};
            databaseRow(kind, "first field summed among others keeps its place")
                << strings({"FName|1", "FQty|1"}) << threeRows << QStringList{caption, total};
        }
    }

    void buildRowVectorTotals()
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

        Recordset rs = OpenSqlRecordset(kRowQuery);
        const Vector rows = BuildRowVector(rs, kKey);
        QCOMPARE(recorder.texts(), QStringList());
        QCOMPARE(rows.Count(), int(quantities.size()) + (totals.isEmpty() ? 0 : 1));
        QVERIFY(rs.atEOF());
        if (!totals.isEmpty())
            QCOMPARE(entries(itemAt(rows, rows.Count() - 1)), totals);
    }

    void buildRowVectorRecords_data() { test::addDatabaseRows(); }
    void buildRowVectorRecords()
    {
        // One database for both connections: the sum columns are read while the rows are.
        if (!openDatabases(
                {headerFromText("FCode", 1), headerFromText("FName", 2)},
                {QStringLiteral("create table T_Data (FOrder integer, FCode varchar(20), "
                                "FName varchar(50), FNote varchar(50), FQty integer)"),
                 QStringLiteral("insert into T_Data values (1, '  A01 ', ' 螺丝', null, 12)"),
                 QStringLiteral("insert into T_Data values (2, 'B02', '螺母 ', '', -3)"),
                 QStringLiteral("insert into T_Data values (3, 'C03', '垫片', 'x y', null)")},
                true))
            return;
        MessageRecorder recorder;
        Recordset rs = OpenSqlRecordset(
            QStringLiteral("select FCode, FName, FNote, FQty from T_Data order by FOrder"));
        const Vector rows = BuildRowVector(rs, kKey);
        QCOMPARE(recorder.texts(), QStringList());
        // No sum column: exactly one record per row.
        QCOMPARE(rows.Count(), 3);
        QCOMPARE(entries(itemAt(rows, 0)), (strings({"FCode=A01 (QString)", "FName=螺丝 (QString)",
                                                     "FNote= (QString)", "FQty=12 (QString)"})));
        QCOMPARE(entries(itemAt(rows, 1)), (strings({"FCode=B02 (QString)", "FName=螺母 (QString)",
                                                     "FNote= (QString)", "FQty=-3 (QString)"})));
        QCOMPARE(entries(itemAt(rows, 2)), (strings({"FCode=C03 (QString)", "FName=垫片 (QString)",
                                                     "FNote=x y (QString)", "FQty= (QString)"})));

        // Records of one result share their names, yet each is a Dictionary of its own.
        Dictionary first = itemAt(rows, 0);
        first.set(QStringLiteral("FExtra"), 1);
        first.set(QStringLiteral("fname"), QStringLiteral("改"));
        QCOMPARE(first.Count(), 5);
        QCOMPARE(first.keyAt(1), QStringLiteral("FName"));
        QCOMPARE(first.value(QStringLiteral("FName")), QVariant(QStringLiteral("改")));
        QCOMPARE(entries(itemAt(rows, 1)).size(), 4);
        QCOMPARE(itemAt(rows, 1).value(QStringLiteral("FName")), QVariant(QStringLiteral("螺母")));
    }

    // What gives no rows at all, and what is shown on the way.
    void buildRowVectorWithoutResult_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("breakIt");
        QTest::addColumn<int>("number"); // of the error shown; 0: nothing shown
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "no rows, though a sum column") << "empty" << 0;
            databaseRow(kind, "no recordset") << "nothing" << 0;
            databaseRow(kind, "header table missing")
                << "headers" << int(ErrorNumber::ProviderError);
            databaseRow(kind, "recordset closed")
                << "closed" << int(ErrorNumber::OperationOnClosed);
        }
    }

    void buildRowVectorWithoutResult()
    {
        QFETCH(QString, breakIt);
        QFETCH(int, number);
        const QStringList definitions{breakIt == QLatin1String("headers")
                                          ? QStringLiteral("drop table T_RepHeadCaption")
                                          : headerFromText("FQty|1", 1)};
        const QStringList quantities =
            breakIt == QLatin1String("empty") ? QStringList() : strings({"1", "2"});
        if (!openDatabases(definitions, dataRows(quantities)))
            return;
        Recordset rs =
            breakIt == QLatin1String("nothing") ? Recordset() : OpenSqlRecordset(kRowQuery);
        if (breakIt == QLatin1String("closed"))
            rs.Close();
        MessageRecorder recorder;
        Vector rows = Vector::create();
        VARO_VERIFY_NO_ERROR(rows = BuildRowVector(rs, kKey));
        QVERIFY(rows.isNull());
        if (!number) {
            QCOMPARE(recorder.texts(), QStringList());
            return;
        }
        QCOMPARE(recorder.messages().size(), 1);
        const QString text = recorder.texts().first();
        QVERIFY2(text.startsWith(errorPrefix(number)), qPrintable(text));
        if (breakIt == QLatin1String("headers"))
            QCOMPARE(text,
                     errorPrefix(number) + m_local->connection().errors().Item(0).Description);
        QCOMPARE(recorder.messages().first().icon, ui::MessageIcon::Information);
        QCOMPARE(recorder.messages().first().title, QStringLiteral("沐岩提示"));
    }

    void loadSumColumns_data() { test::addDatabaseRows(); }
    void loadSumColumns()
    {
        // FHidden is invisible, and counts as well.
        if (!openDatabases({headerFromText("FQty|0|1", 2), headerFromText("FName|~|1", 1),
                            headerFromText("~|1|1", 3), headerFromText("FQTY|1 |2", 4),
                            headerFromText("FPrice|Y|2|R1", 5), headerFromText("FHidden|1|1", 6),
                            headerFromText("FOther|1|1|R2", 1),
                            QStringLiteral("update T_RepHeadCaption set FRepColVisible = 0 "
                                           "where FRepColName = 'FHidden'")}))
            return;
        Dictionary sums;
        VARO_VERIFY_NO_ERROR(sums = LoadSumColumns(kKey));
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

    void loadProperties_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QStringList>("catalogue");
        QTest::addColumn<QString>("rptKey");
        QTest::addColumn<QStringList>("expected"); // the seven catalogue entries
        QTest::addColumn<int>("number");           // of the error shown instead; 0: none

        const QString plain = catalogueRow(kKey, "  销售日报 ", 1, "2");
        const QString other = catalogueRow("R2", "其他", 1, "7");
        auto catalogueEntries = [](const QString &key, const QString &name, const QString &type) {
            return QStringLiteral(
                       "FRepKey=%1 (QString)|FRepName=%2 (QString)|FRepDesc=说明 (QString)|"
                       "FRepCategory=销售 (QString)|FRepFormWid=800 (QString)|"
                       "FRepFormHei=600 (QString)|FRepType=%3 (QString)")
                .arg(key, name, type)
                .split(u'|');
        };
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "texts trimmed") << QStringList{plain, other} << kKey
                                               << catalogueEntries(kKey, "销售日报", "2") << 0;
            databaseRow(kind, "first row in FIndex order")
                << QStringList{catalogueRow(kKey, "乙表", 2, "2"),
                               catalogueRow(kKey, "甲表", 1, "2")}
                << kKey << catalogueEntries(kKey, "甲表", "2") << 0;
            databaseRow(kind, "the report object's key names the row")
                << QStringList{plain, other} << QStringLiteral("R2")
                << catalogueEntries("R2", "其他", "7") << 0;
            databaseRow(kind, "no catalogue row")
                << QStringList{other} << kKey << QStringList() << int(ErrorNumber::ObjectNotSet);
            databaseRow(kind, "no catalogue table")
                << QStringList{QStringLiteral("drop table T_RepList")} << kKey << QStringList()
                << int(ErrorNumber::ProviderError);
        }
    }

    void loadProperties()
    {
        QFETCH(QStringList, catalogue);
        QFETCH(QString, rptKey);
        QFETCH(QStringList, expected);
        QFETCH(int, number);
        if (!openDatabases(catalogue))
            return;
        MessageRecorder recorder;
        ReportState state;
        state.RptKey = rptKey;

        // The catalogue query names the report by RptKey, whatever key is passed along.
        bool ok = false;
        VARO_VERIFY_NO_ERROR(ok = LoadProperties(state, kKey));
        QCOMPARE(ok, number == 0);
        if (number) {
            QCOMPARE(recorder.messages().size(), 1);
            QVERIFY2(recorder.texts().first().startsWith(errorPrefix(number)),
                     qPrintable(recorder.texts().first()));
            return;
        }
        QCOMPARE(recorder.texts(), QStringList());
        QString name = expected.at(1);
        name.replace(QStringLiteral("FRepName="), QStringLiteral("Name="));
        // The constants are 16-bit integers to the host, not int.
        expected << name
                 << strings({"RptProperty=4 (short)", "DetailRptID=1075 (short)",
                             "bLongNumber=true (bool)", "MegerCol=0 (short)",
                             "MegerType=0 (short)"});
        QCOMPARE(entries(state.Property), expected);
    }

    void loadHeader_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<int>("multi");
        QTest::addColumn<QVariant>("serial");
        QTest::addColumn<int>("pluginItems");
        QTest::addColumn<QStringList>("expected"); // FColName of each item; plug-in items "P1", ..

        const QVariant one(QStringLiteral("1"));
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "visible columns of every layout in FIndex order")
                << 0 << QVariant() << 0
                << strings({"FName", "FAmount", "FQty", "FCode", "FNullSerial"});
            databaseRow(kind, "FMulti 2 is not 1")
                << 2 << one << 0 << strings({"FName", "FAmount", "FQty", "FCode", "FNullSerial"});
            databaseRow(kind, "FMulti 1 takes the serial's layout")
                << 1 << one << 0 << strings({"FName", "FAmount"});
            databaseRow(kind, "FMulti 1 without serial looks for an empty FRepSerial")
                << 1 << QVariant() << 0 << strings({"FCode"});
            databaseRow(kind, "FMulti 1 with a Null serial looks for an empty FRepSerial")
                << 1 << nullValue() << 0 << strings({"FCode"});
            databaseRow(kind, "plug-in columns appended")
                << 1 << one << 2 << strings({"FName", "FAmount", "P1", "P2"});
            databaseRow(kind, "only plug-in columns when the layout has none")
                << 1 << QVariant(QStringLiteral("9")) << 1 << strings({"P1"});
        }
    }

    void loadHeader()
    {
        QFETCH(int, multi);
        QFETCH(QVariant, serial);
        QFETCH(int, pluginItems);
        QFETCH(QStringList, expected);
        // Inserted out of order: the query orders them. FRepSerial Null is no layout's.
        if (!openDatabases({headerFromText("FAmount|1|1", 3), headerFromText("FNullSerial|0|~", 6),
                            headerFromText("FQty|0|2", 4), headerFromText("FName|0|1", 1),
                            headerFromText("FHidden|0|1", 2), headerFromText("FCode|0|", 5),
                            headerFromText("FOther|0|1|R2", 0),
                            QStringLiteral("update T_RepHeadCaption set FRepColVisible = 0 where "
                                           "FRepColName = 'FHidden'"),
                            QStringLiteral("update T_RepHeadCaption set FRepColCaption = '金额', "
                                           "FRepColType = 'money' where FRepColName = 'FAmount'")}))
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
                plugin << test::dictionary({{"FColName", QStringLiteral("P%1").arg(i)}});
                state.m_PluginHeader.Add(QVariant::fromValue(plugin.last()));
            }
        }

        QVERIFY(LoadHeader(state));
        QCOMPARE(recorder.texts(), QStringList());
        QVERIFY(!(state.Header == state.m_PluginHeader));
        QStringList names;
        for (const QVariant &item : state.Header.items())
            names << item.value<Dictionary>().value(QStringLiteral("FColName")).toString();
        QCOMPARE(names, expected);

        // Plug-in items are appended as they are, after the table's columns.
        const int tableColumns = int(expected.size()) - pluginItems;
        for (int i = 0; i < pluginItems; ++i)
            QVERIFY(itemAt(state.Header, tableColumns + i) == plugin.at(i));
        // A header item; its Null second caption reads as empty text.
        const qsizetype amount = names.indexOf(QStringLiteral("FAmount"));
        if (amount >= 0)
            QCOMPARE(entries(itemAt(state.Header, int(amount))),
                     strings({"FColCaption=金额 (QString)", "FHeadSecond= (QString)",
                              "FColType=money (QString)", "FColName=FAmount (QString)",
                              "FVisible=1 (short)"}));
    }

    void loadHeaderFails_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("emptyPluginHeader"); // an empty Vector rather than nothing
        QTest::addColumn<bool>("tableMissing");
        for (const QString &kind : test::databaseKinds()) {
            databaseRow(kind, "no visible column, no plug-in header") << false << false;
            databaseRow(kind, "no visible column, empty plug-in header") << true << false;
            databaseRow(kind, "header table missing") << false << true;
        }
    }

    void loadHeaderFails()
    {
        QFETCH(bool, emptyPluginHeader);
        QFETCH(bool, tableMissing);
        const QStringList definitions =
            tableMissing
                ? QStringList{QStringLiteral("drop table T_RepHeadCaption")}
                : QStringList{headerFromText("FHidden", 1), headerFromText("FOther|0|1|R2", 1),
                              QStringLiteral("update T_RepHeadCaption set FRepColVisible = 0 "
                                             "where FRepColName = 'FHidden'")};
        if (!openDatabases(definitions))
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
        QCOMPARE(recorder.texts(),
                 QStringList{tableMissing ? errorPrefix(ErrorNumber::ProviderError) +
                                                m_local->connection().errors().Item(0).Description
                                          : QStringLiteral("报表表头信息为空！")});
        QVERIFY(state.Header == previous);
    }
};

VARO_TEST_MAIN(TestResultShaping)
#include "tst_resultshaping.moc"
