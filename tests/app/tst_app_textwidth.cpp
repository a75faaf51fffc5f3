// Display width of terminal text: wide East Asian characters take two columns, combining marks
// none; and the table lines lined up by it.

#include "common/testsupport.h"
#include "stringlists.h"
#include "tablewriter.h"
#include "textwidth.h"

#include <QTest>

using varo::test::strings;

class TestTextWidth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayWidth_data();
    void displayWidth();
    void alignedLines_data();
    void alignedLines();
};

void TestTextWidth::displayWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("ASCII") << "FRepKey" << 7;
    QTest::newRow("Chinese") << QStringLiteral("沐岩提示") << 8;
    QTest::newRow("fullwidth colon") << QStringLiteral("合计：") << 6;
    QTest::newRow("mixed") << QStringLiteral("日期:2024") << 9;
    QTest::newRow("fullwidth letters") << QStringLiteral("ＡＢ") << 4;
    QTest::newRow("halfwidth katakana") << QStringLiteral("ｱｲ") << 2;
    QTest::newRow("Hangul syllable") << QStringLiteral("한") << 2;
    QTest::newRow("Hiragana") << QStringLiteral("あ") << 2;
    QTest::newRow("ideographic space") << QStringLiteral("\u3000") << 2;
    QTest::newRow("CJK extension B (surrogate pair)") << QStringLiteral("𠀀") << 2;
    QTest::newRow("emoji") << QStringLiteral("😀") << 2;
    QTest::newRow("Latin with combining acute") << QStringLiteral("e\u0301") << 1;
    QTest::newRow("accented Latin") << QStringLiteral("é") << 1;
    QTest::newRow("Greek and Cyrillic") << QStringLiteral("αж") << 2;
    QTest::newRow("control characters") << QStringLiteral("a\tb") << 2;
    QTest::newRow("zero width space") << QStringLiteral("a\u200Bb") << 2;
    QTest::newRow("box drawing stays narrow") << QStringLiteral("─") << 1;
    QTest::newRow("last of the CJK block") << QStringLiteral("\u9FFF") << 2;
    QTest::newRow("just after Hangul syllables") << QStringLiteral("\uD7B0") << 1;
}

void TestTextWidth::displayWidth()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QCOMPARE(varo::report::displayWidth(text), width);
}

void TestTextWidth::alignedLines_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("ASCII") << QList<QStringList>{strings("a", "bb", "c"), strings("ccc", "d", "e")}
                           << strings("a    bb  c", "ccc  d   e");
    // Chinese captions count two columns per character, so values line up under them.
    QTest::newRow("Chinese captions")
        << QList<QStringList>{strings("客户", "金额"), strings("C001", "12.5"),
                              strings("合计：", "100")}
        << strings("客户    金额", "C001    12.5", "合计：  100");
    QTest::newRow("empty cells and trailing blanks")
        << QList<QStringList>{strings("x", "", ""), strings("", "yy", "")} << strings("x", "   yy");
    QTest::newRow("rows of different length")
        << QList<QStringList>{strings("a"), strings("b", "c")} << strings("a", "b  c");
}

void TestTextWidth::alignedLines()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(QStringList, lines);
    QCOMPARE(varo::report::alignedLines(rows), lines);
}

VARO_TEST_MAIN(TestTextWidth)
#include "tst_app_textwidth.moc"
