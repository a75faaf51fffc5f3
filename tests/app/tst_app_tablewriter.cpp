// The report as a table and as CSV: title lines, captions with the second caption line, rows in
// Header order looked up by FColName, the totals record under a rule, and CSV quoting.

#include "common/testsupport.h"
#include "platform/containers.h"
#include "platform/variant.h"
#include "tablewriter.h"

#include <QDate>
#include <QTest>

using varo::Dictionary;
using varo::Vector;

namespace
{

QVariant dict(std::initializer_list<std::pair<const char *, QVariant>> entries)
{
    return QVariant::fromValue(varo::test::dictionary(entries));
}

QVariant vec(std::initializer_list<QVariant> items)
{
    return QVariant::fromValue(varo::test::vector(items));
}

QVariant column(const char *caption, const char *second, const char *name)
{
    return dict({{"FColCaption", QString::fromUtf8(caption)},
                 {"FHeadSecond", QString::fromUtf8(second)},
                 {"FColType", QStringLiteral("C")},
                 {"FColName", QString::fromUtf8(name)},
                 {"FVisible", 1}});
}

varo::report::StepResult result(const QVariant &title, const QVariant &header, const QVariant &rows)
{
    varo::report::StepResult r;
    r.step = QStringLiteral("K");
    r.returned = true;
    r.properties = {{QStringLiteral("Title"), title},
                    {QStringLiteral("Header"), header},
                    {QStringLiteral("VectRs"), rows}};
    return r;
}

// Rows as the engine shapes them: fields in query order, the totals record last.
QVariant salesRows()
{
    return vec({dict({{"FCust", QStringLiteral("C001")},
                      {"FName", QStringLiteral("华东贸易")},
                      {"FAmt", QStringLiteral("1.5")}}),
                dict({{"FCust", QStringLiteral("C002")},
                      {"FName", QStringLiteral("Acme, \"West\"")},
                      {"FAmt", QStringLiteral("2")}}),
                dict({{"FAmt", 3.5}, {"FCust", QStringLiteral("合计：")}})});
}

} // namespace

class TestTableWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void table_data();
    void table();
    void csv_data();
    void csv();
    void cellText_data();
    void cellText();
    void csvField_data();
    void csvField();
};

void TestTableWriter::table_data()
{
    QTest::addColumn<QVariant>("title");
    QTest::addColumn<QVariant>("header");
    QTest::addColumn<QVariant>("rows");
    QTest::addColumn<QString>("text");

    const QVariant header = vec(
        {column("客户", "", "FCust"), column("名称", "", "FName"), column("金额", "元", "FAmt")});
    QTest::newRow("titles, second captions, totals")
        << vec({dict({{"FCaption", QStringLiteral("日期：2024-01-01 至 2024-01-31")},
                      {"FIndex", 1}}),
                dict({{"FCaption", QStringLiteral("地区：华东")}, {"Findex", 2}})})
        << header << salesRows()
        << QStringLiteral("日期：2024-01-01 至 2024-01-31\n"
                          "地区：华东\n"
                          "客户    名称          金额\n"
                          "                      元\n"
                          "C001    华东贸易      1.5\n"
                          "C002    Acme, \"West\"  2\n"
                          "------  ------------  ----\n"
                          "合计：                3.5\n");
    // Header order wins over the rows' field order; a column missing from a row stays empty.
    QTest::newRow("Header order, no totals")
        << QVariant::fromValue(Vector())
        << vec({column("B", "", "b"), column("A", "", "a"), column("C", "", "c")})
        << vec({dict({{"a", QStringLiteral("1")}, {"b", QStringLiteral("2")}})})
        << QStringLiteral("B  A  C\n"
                          "2  1\n");
    QTest::newRow("no Header: the fields of the first row")
        << QVariant() << QVariant::fromValue(Vector())
        << vec({dict({{"x", QStringLiteral("1")}, {"y", QStringLiteral("a\nb")}})})
        << QStringLiteral("x  y\n"
                          "1  a b\n");
    QTest::newRow("no rows: captions only") << QVariant() << header << QVariant::fromValue(Vector())
                                            << QStringLiteral("客户  名称  金额\n"
                                                              "            元\n");
    QTest::newRow("nothing at all") << QVariant() << QVariant() << QVariant() << QString();
}

void TestTableWriter::table()
{
    QFETCH(QVariant, title);
    QFETCH(QVariant, header);
    QFETCH(QVariant, rows);
    QFETCH(QString, text);
    QCOMPARE(varo::report::reportTable(result(title, header, rows)), text);
}

void TestTableWriter::csv_data()
{
    QTest::addColumn<QVariant>("header");
    QTest::addColumn<QVariant>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("sales with totals")
        << vec({column("客户", "", "FCust"), column("名称", "", "FName"),
                column("金额", "元", "FAmt")})
        << salesRows()
        << QStringLiteral("客户,名称,金额\r\n"
                          "C001,华东贸易,1.5\r\n"
                          "C002,\"Acme, \"\"West\"\"\",2\r\n"
                          "合计：,,3.5\r\n");
    QTest::newRow("no rows") << vec({column("A", "", "a")}) << QVariant() << "A\r\n";
}

void TestTableWriter::csv()
{
    QFETCH(QVariant, header);
    QFETCH(QVariant, rows);
    QFETCH(QString, text);
    QCOMPARE(varo::report::reportCsv(result(QVariant(), header, rows)), text);
}

void TestTableWriter::cellText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("Empty") << QVariant() << "";
    QTest::newRow("Null") << varo::nullValue() << "";
    QTest::newRow("double") << QVariant(3.5) << "3.5";
    QTest::newRow("whole double") << QVariant(12.0) << "12";
    QTest::newRow("NaN") << QVariant(qQNaN()) << "";
    QTest::newRow("boolean") << QVariant(true) << "True";
    QTest::newRow("date") << QVariant(QDate(2024, 2, 29)) << "2024-02-29";
    QTest::newRow("Vector as JSON") << vec({1, QStringLiteral("a")}) << "[1,\"a\"]";
    QTest::newRow("nothing") << QVariant::fromValue(Dictionary()) << "";
}

void TestTableWriter::cellText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QCOMPARE(varo::report::cellText(value), text);
}

void TestTableWriter::csvField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "abc"
                           << "abc";
    QTest::newRow("Chinese") << QStringLiteral("华东") << QStringLiteral("华东");
    QTest::newRow("blanks stay unquoted") << " a b "
                                          << " a b ";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("quote") << "5\" disk"
                           << "\"5\"\" disk\"";
    QTest::newRow("line break") << "a\nb"
                                << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb"
                                     << "\"a\rb\"";
}

void TestTableWriter::csvField()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(varo::report::csvField(text), field);
}

VARO_TEST_MAIN(TestTableWriter)
#include "tst_app_tablewriter.moc"
