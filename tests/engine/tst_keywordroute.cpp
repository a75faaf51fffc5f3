// FuncReport on the keyword route, on SQLite and PostgreSQL: which catalogue keywords ShowFilter
// offers and in what order, its outcomes, and GetReportData from the expanded template, the
// demo's keyword report included. The keyword grid is answered as a person would.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "definitiontables.h"
#include "demodb/demodatabase.h"
#include "engine/funcreport.h"
#include "platform/automation.h"
#include "platform/variant.h"
#include "server/classfactory.h"
#include "shared/modglobal.h"

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace varo;

namespace
{

// Grid columns of the keyword dialog, counted from 0.
constexpr int kValue = 1, kFlag = 2, kKeyword = 3;

// What the person saw in the grid, by keyword in row order.
QStringList offered;

// Answers the keyword grid: values by keyword (a date cell takes yyyy-MM-dd), the keywords to
// tick as titles, then OK or Cancel.
test::ScopedModalDriver answer(const QMap<QString, QString> &values, const QStringList &titles = {},
                               bool ok = true)
{
    offered.clear();
    return test::ScopedModalDriver([=](QDialog *dialog) {
        auto *grid = dialog->findChild<QTableWidget *>(QStringLiteral("vaKeywords"));
        QVERIFY(grid);
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QString keyword = grid->item(r, kKeyword)->text();
            offered << keyword;
            QTableWidgetItem *value = grid->item(r, kValue);
            if (values.contains(keyword)) {
                const QDate date = QDate::fromString(values.value(keyword), Qt::ISODate);
                value->setData(Qt::EditRole,
                               date.isValid() ? QVariant(date) : QVariant(values.value(keyword)));
            }
            if (titles.contains(keyword))
                grid->item(r, kFlag)->setCheckState(Qt::Checked);
        }
        dialog->findChild<QPushButton *>(ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdCacel"))
            ->click();
    });
}

QStringList column(const Vector &rows, const QString &name)
{
    QStringList values;
    for (const QVariant &row : rows.items())
        values << toText(row.value<Dictionary>().value(name));
    return values;
}

} // namespace

class TestKeywordRoute : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_db;
    std::unique_ptr<test::MessageRecorder> m_messages;
    std::unique_ptr<test::TemporarySettingsFile> m_settings;

    // Report "KW" with the given template (none when null) over T_Items, and a catalogue whose
    // insertion order is not its FInterID order; it holds a Null marker and, when asked, an
    // empty one.
    bool openDatabase(const QString &sql, bool emptyMarker = false)
    {
        QFETCH(QString, database);
        m_db = std::make_unique<test::TestDatabase>(database);
        if (m_db->state() != test::TestDatabase::State::Ready)
            return false;
        QStringList s = test::definitionTableStatements();
        s << QStringLiteral("create table T_Items (FNumber varchar(20), FQty integer)")
          << QStringLiteral("insert into T_Items values ('A', 1), ('B', 2), ('C', 3)");
        test::ReportRow report;
        report.key = QStringLiteral("KW");
        report.repSub = QStringLiteral("2");
        s << test::insertReport(report);
        if (!sql.isNull())
            s << test::insertTemplate(report.key, sql);
        s << test::insertHeader({report.key, 1, QStringLiteral("FNumber"), QStringLiteral("编码"),
                                 QString(), QStringLiteral("C"), 1, QString(), QStringLiteral("0")})
          << test::insertHeader({report.key, 2, QStringLiteral("FQty"), QStringLiteral("数量"),
                                 QString(), QStringLiteral("N"), 1, QString(),
                                 QStringLiteral("1")});
        const QString row = QStringLiteral("insert into ICReportKeywords (FInterID, FCaption, "
                                           "FKeyword, FValueType, FSourceField) values (%1)");
        s << row.arg(QStringLiteral("3, '最大', '#MAX#', 3, null"))
          << row.arg(QStringLiteral("1, '起始编码', '#FROM#', 2, ''"))
          << row.arg(QStringLiteral("2, '大写', '#From#', 2, null"))
          << row.arg(QStringLiteral("4, '无', null, 2, null"));
        if (emptyMarker)
            s << row.arg(QStringLiteral("5, '空', '', 2, null"));
        m_db->execute(s);
        gLocConn() = m_db->connection();
        gSqlConn() = m_db->connection();
        return true;
    }

    bool request(FuncReport &report)
    {
        Connection &conn = m_db->connection();
        return report.GetReportData(QStringLiteral("KW"), conn, conn);
    }

private Q_SLOTS:
    void initTestCase() { server::registerClasses(); }

    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        m_messages = std::make_unique<test::MessageRecorder>();
        m_settings = std::make_unique<test::TemporarySettingsFile>();
    }

    void cleanup()
    {
        m_messages.reset();
        m_settings.reset();
        m_db.reset();
        gLocConn() = Connection();
        gSqlConn() = Connection();
        QLocale::setDefault(QLocale::system());
    }

    // The keywords offered: those whose marker the template contains (letter case counts), in
    // FInterID order; none means no dialog, false, and "OK" true.
    void offeredKeywords_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("emptyMarker");
        QTest::addColumn<QStringList>("keywords");
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "FInterID order")
                << "select #MAX#, '#FROM#'" << false << QStringList{"#FROM#", "#MAX#"};
            test::databaseRow(kind, "letter case counts")
                << "select '#From#'" << false << QStringList{"#From#"};
            test::databaseRow(kind, "empty marker is in any template")
                << "select '#FROM#'" << true << QStringList{"#FROM#", ""};
            test::databaseRow(kind, "no marker") << "select 1" << false << QStringList{};
            test::databaseRow(kind, "no template row") << QString() << true << QStringList{};
        }
    }
    void offeredKeywords()
    {
        QFETCH(QString, sql);
        QFETCH(bool, emptyMarker);
        QFETCH(QStringList, keywords);
        if (!openDatabase(sql, emptyMarker))
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        const auto driver = answer({});
        QCOMPARE(report.ShowFilter(QStringLiteral("KW")), !keywords.isEmpty());
        QCOMPARE(offered, keywords);
        QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(m_messages->texts(), QStringList());
    }

    // Confirmed: the titles and "OK" true; cancelled afterwards: "OK" false and the earlier
    // titles kept.
    void confirmThenCancel_data() { test::addDatabaseRows(); }
    void confirmThenCancel()
    {
        if (!openDatabase(QStringLiteral("select '#FROM#', #MAX#")))
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        {
            const auto driver = answer({{"#FROM#", "B"}, {"#MAX#", "7"}}, {"#MAX#"});
            QVERIFY(report.ShowFilter(QStringLiteral("KW")));
        }
        QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(true));
        QCOMPARE(report.Result().value(QStringLiteral("Error")), QVariant(QString()));
        const Vector titles = report.Title();
        QCOMPARE(column(titles, QStringLiteral("FCaption")), QStringList{"最大: 7"});
        {
            const auto driver = answer({{"#FROM#", "C"}}, {}, false);
            QVERIFY(!report.ShowFilter(QStringLiteral("KW")));
        }
        QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(false));
        QCOMPARE(report.Title(), titles);
        QCOMPARE(m_messages->texts(), QStringList());
    }

    // GetReportData writes the entered values into the template and shapes the rows; a cancel
    // or a template without keywords stops it without a word, keeping the earlier rows.
    void request_data() { test::addDatabaseRows(); }
    void request()
    {
        if (!openDatabase(QStringLiteral(
                "select FNumber, FQty from T_Items where 1=1 and {FNumber >= '#FROM#'} and "
                "{FQty <= #MAX#} order by FNumber")))
            QSKIP(qPrintable(m_db->errorString()));
        FuncReport report;
        {
            const auto driver = answer({{"#FROM#", "B"}}, {"#FROM#"});
            QVERIFY(request(report));
        }
        QCOMPARE(m_messages->texts(), QStringList());
        QCOMPARE(column(report.VectRs(), QStringLiteral("FNumber")),
                 (QStringList{"B", "C", QStringLiteral("合计：")}));
        QCOMPARE(column(report.VectRs(), QStringLiteral("FQty")).last(), QStringLiteral("5"));
        QCOMPARE(column(report.Title(), QStringLiteral("FCaption")), QStringList{"起始编码: B"});
        // Remembered for the next time: the value comes back unless the person changes it.
        {
            const auto driver = answer({{"#MAX#", "2"}});
            QVERIFY(request(report));
        }
        QCOMPARE(column(report.VectRs(), QStringLiteral("FNumber")),
                 (QStringList{"B", QStringLiteral("合计：")}));

        const Vector rows = report.VectRs();
        {
            const auto driver = answer({}, {}, false);
            QVERIFY(!request(report));
        }
        QCOMPARE(report.VectRs(), rows);
        QCOMPARE(report.Result().value(QStringLiteral("OK")), QVariant(false));
        QCOMPARE(m_messages->texts(), QStringList());
    }

    // The demo's keyword report, dates given, every other keyword left empty.
    void demoReport_data() { test::addDatabaseRows(); }
    void demoReport()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        VARO_VERIFY_NO_ERROR(demo::buildDemoDatabase(db.connection()));
        const auto driver =
            answer({{"#DATEFROM#", "2024-05-20"}, {"#DATETO#", "2024-05-21"}}, {"#DATEFROM#"});
        Object report = createObject(QStringLiteral("VaroReportEngine.FuncReport"));
        QVariantList args{QString(demo::kKeywordReport), QVariant::fromValue(db.connection()),
                          QVariant::fromValue(db.connection())};
        QCOMPARE(report.call(QStringLiteral("GetReportData"), args), QVariant(true));
        QCOMPARE(m_messages->texts(), QStringList());
        QCOMPARE(offered, (QStringList{"#DATEFROM#", "#DATETO#", "#REGION#", "#CUSTNO#", "#ITEMNO#",
                                       "#MINAMOUNT#", "#MINQTY#"}));
        const Vector rows = objectFrom<Vector>(report.get(QStringLiteral("VectRs")));
        const int customers =
            test::firstValue(db.connection(),
                             "select count(distinct FCustID) from T_SalesOrder where FDate >= "
                             "'2024-05-20' and FDate <= '2024-05-21'")
                .toInt();
        QVERIFY(customers > 0);
        QCOMPARE(rows.Count(), customers + 1);
        QCOMPARE(column(objectFrom<Vector>(report.get(QStringLiteral("Title"))),
                        QStringLiteral("FCaption")),
                 QStringList{"开始日期: 2024/05/20"});
    }
};

VARO_TEST_MAIN(TestKeywordRoute)
#include "tst_keywordroute.moc"
