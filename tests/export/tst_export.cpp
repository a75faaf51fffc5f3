// The exporters on a report with all a result may have: title lines, columns with and without a
// second header level, an invisible one, codes, a text in a numeric column, texts with commas,
// quotes and line breaks, the totals record; every file read back as another program reads it.

#include "common/testsupport.h"
#include "export/exporter.h"
#include "export/exportreading.h"

#include <QDir>
#include <QTemporaryDir>

using namespace varo;
using namespace varo::exporting;
using namespace varo::test;

namespace
{

QVariant record(std::initializer_list<std::pair<const char *, QVariant>> entries)
{
    return QVariant::fromValue(dictionary(entries));
}

QVariant column(const char *name, const char *caption, const char *group, const char *type,
                int visible = 1)
{
    return record({{"FColCaption", caption},
                   {"FHeadSecond", group},
                   {"FColType", type},
                   {"FColName", name},
                   {"FVisible", visible}});
}

// Rows named in another letter case than the header names them, as engines do.
ReportTable sample(const QString &name, int rows, int wideColumns = 0)
{
    Vector header =
        vector({column("FBillNo", "单号", "", "C"), column("FItem", "商品代码", "商品", "C"),
                column("FName", "商品名称", "商品", "C"), column("FCost", "成本", "商品", "N", 0),
                column("FQty", "数量", "销售", "N"),
                column("FAmount", "金额", "销售", "C"), // summed: numeric
                column("FNote", "备注", "", "C")});
    for (int i = 0; i < wideColumns; ++i)
        header.Add(column("FWide", "一个很宽的列", "", "C"));
    Vector rs = Vector::create();
    for (int r = 0; r < rows; ++r)
        rs.Add(record({{"fbillno", QStringLiteral("SO-%1").arg(r)},
                       {"FITEM", "007"},
                       {"FName", "笔,\"黑\""},
                       {"FQty", r == 0 ? "1234567890123456" : QString::number(r + 1)},
                       {"FAmount", r == 0 ? "n/a" : "12.5"},
                       {"FNote", r == 0 ? "line\nbreak" : ""}}));
    rs.Add(record({{"FQty", rows * (rows + 1) / 2.0},
                   {"FAmount", 12.5 * (rows - 1)},
                   {"FBillNo", "合计："}}));
    const Vector title = vector({record({{"FCaption", "日期：2024-03-01 至 2024-03-10"}}),
                                 record({{"FCaption", "区域：华南"}})});
    return ReportTable(name, title, header, rs);
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void xlsx()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("r.xlsx");
        const QString longName = "a/b:c*d?[e]'" + QString(40, u'x');
        QCOMPARE(exportReports({sample("销售明细", 3), sample("销售明细", 1), sample(longName, 0)},
                               ExportFormat::Xlsx, path),
                 QString());
        const Sheet sheet = readSheet(path, 1);
        QCOMPARE(sheet.names,
                 QStringList({"销售明细", "销售明细 (2)", "a_b_c_d__e_'" + QString(19, u'x')}));
        const QList<std::tuple<const char *, QString, bool, bool>> expected{
            {"A1", "日期：2024-03-01 至 2024-03-10", false, true},
            {"A3", "单号", false, true},
            {"B4", "商品代码", false, true},
            {"B5", "007", false, false},
            {"C5", "笔,\"黑\"", false, false},
            {"D5", "1234567890123456", false, false},
            {"D6", "2", true, false},
            {"E5", "n/a", false, false},
            {"F5", "line\nbreak", false, false},
            {"A8", "合计：", false, true},
            {"E8", "25", true, true}};
        for (const auto &[ref, text, number, bold] : expected) {
            const SheetCell cell = sheet.cells.value(ref);
            QVERIFY2(cell.text == text && cell.number == number && cell.bold == bold, ref);
        }
        QVERIFY(!sheet.cells.contains("G4")); // the invisible column is left out
        QCOMPARE(sheet.merges, QStringList({"B3:C3", "D3:E3", "A3:A4", "F3:F4"}));
        QCOMPARE(sheet.frozenRows, 4);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), {"r.xlsx"});
    }

    void csv_data()
    {
        QTest::addColumn<int>("reports");
        QTest::addColumn<bool>("titles");
        QTest::addColumn<bool>("bom");
        QTest::addColumn<QString>("text");
        const QString report = "单号,商品代码,商品名称,数量,金额,备注\r\n"
                               "SO-0,007,\"笔,\"\"黑\"\"\",1234567890123456,n/a,\"line\nbreak\"\r\n"
                               "SO-1,007,\"笔,\"\"黑\"\"\",2,12.5,\r\n"
                               "合计：,,,3,12.5,\r\n";
        const QString titles = "日期：2024-03-01 至 2024-03-10\r\n区域：华南\r\n";
        QTest::newRow("plain") << 1 << false << false << report;
        QTest::newRow("titles and mark") << 1 << true << true << u'\xFEFF' + titles + report;
        QTest::newRow("one after another") << 2 << false << false << report + "\r\n" + report;
    }

    void csv()
    {
        QFETCH(int, reports);
        QFETCH(bool, titles);
        QFETCH(bool, bom);
        QFETCH(QString, text);
        const QString path = m_dir.filePath("r.csv");
        QCOMPARE(exportReports(QList<ReportTable>(reports, sample("r", 2)), ExportFormat::Csv, path,
                               {titles, bom}),
                 QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text.toUtf8());
    }

    void pdf_data()
    {
        QTest::addColumn<int>("wideColumns");
        QTest::addColumn<QString>("pageSize");
        QTest::newRow("portrait") << 0 << "595 x 842 pts (A4)";
        QTest::newRow("landscape") << 12 << "842 x 595 pts (A4)";
    }

    void pdf()
    {
        QFETCH(int, wideColumns);
        QFETCH(QString, pageSize);
        const QString path = m_dir.filePath("r.pdf");
        QCOMPARE(exportReports({sample("r", 150, wideColumns)}, ExportFormat::Pdf, path),
                 QString());
        QVERIFY(pdfInfo(path).contains("Page size: " + pageSize));
        const QStringList pages = pdfPages(path);
        QVERIFY2(pages.size() >= 2, qPrintable(pages.join("\n----\n")));
        for (int i = 0; i < pages.size(); ++i) {
            const QString &page = pages.at(i);
            for (const char *header : {"单号", "商品代码", "金额", "销售", "备注"})
                QVERIFY2(page.contains(header), qPrintable(page));
            QVERIFY(QString(page).remove(u' ').contains(
                QStringLiteral("%1/%2").arg(i + 1).arg(pages.size())));
            QCOMPARE(page.contains("区域：华南"), i == 0);
            QCOMPARE(page.contains("合计："), i == pages.size() - 1);
        }
        QVERIFY(pages.first().contains("SO-0"));
        QVERIFY(pages.last().contains("SO-149"));
    }

    // A failed export leaves the file that was there as it was, and nothing beside it.
    void failures_data()
    {
        QTest::addColumn<QString>("path"); // in the test's folder, which %1 stands for
        QTest::addColumn<int>("reports");
        QTest::addColumn<int>("wideColumns");
        QTest::addColumn<QString>("error");
        QTest::newRow("no folder")
            << "none/r.xlsx" << 1 << 0 << "cannot write %1/none/r.xlsx: no folder %1/none";
        QTest::newRow("a folder") << "" << 1 << 0 << "cannot write %1/: it is a folder";
        QTest::newRow("too wide") << "old.xlsx" << 1 << 16384 - 5
                                  << "cannot write %1/old.xlsx: the report r has 16385 columns; "
                                     "a sheet holds at most 16384";
    }

    void failures()
    {
        QFETCH(QString, path);
        QFETCH(int, reports);
        QFETCH(int, wideColumns);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QFile file(dir.filePath("old.xlsx"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        file.close();
        QCOMPARE(exportReports(QList<ReportTable>(reports, sample("r", 2, wideColumns)),
                               ExportFormat::Xlsx, dir.path() + u'/' + path),
                 error.arg(dir.path()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "old");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), {"old.xlsx"});
    }

private:
    QTemporaryDir m_dir;
};

VARO_TEST_MAIN(TestExport)
#include "tst_export.moc"
