// Automation values: Null apart from Empty, values as text, blank trimming, the leading number
// of a text, and the integer conversions used on definition columns.

#include "common/testsupport.h"
#include "platform/containers.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"

#include <QDate>
#include <QDateTime>
#include <QTest>

class TestVariant : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nullIsNotEmpty_data();
    void nullIsNotEmpty();
    void toText_data();
    void toText();
    void toTextRaises_data();
    void toTextRaises();
    void trimBlanks_data();
    void trimBlanks();
    void trimBlanksSharesUntrimmedText();
    void leadingNumber_data();
    void leadingNumber();
    void toInt32_data();
    void toInt32();
    void toInt16_data();
    void toInt16();
    void integerConversionRaises_data();
    void integerConversionRaises();
};

void TestVariant::nullIsNotEmpty_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("null");
    QTest::addColumn<bool>("empty");
    QTest::newRow("Null") << varo::nullValue() << true << false;
    QTest::newRow("Empty") << QVariant() << false << true;
    // A null QString is a text (an empty one), not SQL NULL.
    QTest::newRow("null QString") << QVariant(QString()) << false << false;
    QTest::newRow("empty text") << QVariant(QStringLiteral("")) << false << false;
    QTest::newRow("zero") << QVariant(0) << false << false;
    QTest::newRow("nothing (Dictionary)")
        << QVariant::fromValue(varo::Dictionary()) << false << false;
}

void TestVariant::nullIsNotEmpty()
{
    QFETCH(QVariant, value);
    QFETCH(bool, null);
    QFETCH(bool, empty);
    QCOMPARE(varo::isNull(value), null);
    QCOMPARE(varo::isEmpty(value), empty);
}

void TestVariant::toText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("Empty") << QVariant() << "";
    QTest::newRow("text") << QVariant(QStringLiteral(" a b ")) << " a b ";
    QTest::newRow("Chinese") << QVariant(QStringLiteral("沐岩")) << QStringLiteral("沐岩");
    QTest::newRow("true") << QVariant(true) << "True";
    QTest::newRow("false") << QVariant(false) << "False";
    QTest::newRow("int") << QVariant(-42) << "-42";
    QTest::newRow("16-bit") << QVariant::fromValue<qint16>(7) << "7";
    QTest::newRow("64-bit") << QVariant::fromValue<qlonglong>(9007199254740993LL)
                            << "9007199254740993";
    QTest::newRow("double whole") << QVariant(3.0) << "3";
    QTest::newRow("double 0.1") << QVariant(0.1) << "0.1";
    QTest::newRow("double 1/3") << QVariant(1.0 / 3.0) << "0.3333333333333333";
    QTest::newRow("date") << QVariant(QDate(2024, 1, 5)) << "2024-01-05";
    QTest::newRow("date-time at midnight")
        << QVariant(QDateTime(QDate(2024, 1, 5), QTime(0, 0))) << "2024-01-05";
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 12, 31), QTime(13, 4, 5)))
                               << "2024-12-31 13:04:05";
}

void TestVariant::toText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QString result;
    VARO_VERIFY_NO_ERROR(result = varo::toText(value));
    QCOMPARE(result, text);
}

void TestVariant::toTextRaises_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("number");
    QTest::newRow("Null") << varo::nullValue() << varo::ErrorNumber::InvalidUseOfNull;
    QTest::newRow("Dictionary") << QVariant::fromValue(varo::Dictionary::create())
                                << varo::ErrorNumber::TypeMismatch;
    QTest::newRow("Vector") << QVariant::fromValue(varo::Vector::create())
                            << varo::ErrorNumber::TypeMismatch;
}

void TestVariant::toTextRaises()
{
    QFETCH(QVariant, value);
    QFETCH(int, number);
    VARO_VERIFY_ERROR(varo::toText(value), number);
}

void TestVariant::trimBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("both ends") << "  a b  "
                               << "a b";
    QTest::newRow("leading") << " x"
                             << "x";
    QTest::newRow("trailing") << "x   "
                              << "x";
    QTest::newRow("blanks only") << "   "
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("nothing to trim") << "a b"
                                     << "a b";
    QTest::newRow("tabs stay") << "\tx\t"
                               << "\tx\t";
    QTest::newRow("line breaks stay") << " x\n"
                                      << "x\n";
    QTest::newRow("ideographic space stays")
        << QStringLiteral("\u3000名称 ") << QStringLiteral("\u3000名称");
}

void TestVariant::trimBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(varo::trimBlanks(text), trimmed);
}

void TestVariant::trimBlanksSharesUntrimmedText()
{
    // A million row values that need no trimming must not become a million copies.
    const QString text = QStringLiteral("no blanks here");
    QCOMPARE(varo::trimBlanks(text).constData(), text.constData());
    const QString padded = QStringLiteral(" padded ");
    QVERIFY(varo::trimBlanks(padded).constData() != padded.constData());
}

void TestVariant::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("12abc") << "12abc" << 12.0;
    QTest::newRow("-1.5e3x") << "-1.5e3x" << -1500.0;
    QTest::newRow("abc") << "abc" << 0.0;
    QTest::newRow("1,234") << "1,234" << 1.0;
    QTest::newRow("' 7'") << " 7" << 7.0;
    QTest::newRow("+.5") << "+.5" << 0.5;
    QTest::newRow("1e") << "1e" << 1.0;
    QTest::newRow(".") << "." << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("1e+") << "1e+" << 1.0;
    QTest::newRow("2.5E-1") << "2.5E-1" << 0.25;
    QTest::newRow("1.2.3") << "1.2.3" << 1.2;
    QTest::newRow("5.") << "5." << 5.0;
    QTest::newRow("-0.25 trailing blanks") << "  -0.25  " << -0.25;
    QTest::newRow("0x1A") << "0x1A" << 0.0;
    QTest::newRow("blank after sign") << "- 3" << 0.0;
    QTest::newRow("E notation alone") << "e5" << 0.0;
    QTest::newRow("large") << "12345678901234567890" << 12345678901234567890.0;
}

void TestVariant::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(varo::leadingNumber(text), number);
}

void TestVariant::toInt32_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<qint32>("number");
    QTest::newRow("int") << QVariant(42) << 42;
    QTest::newRow("Empty") << QVariant() << 0;
    QTest::newRow("text 12abc") << QVariant(QStringLiteral("12abc")) << 12;
    QTest::newRow("text blank") << QVariant(QStringLiteral("")) << 0;
    QTest::newRow("true") << QVariant(true) << -1;
    QTest::newRow("false") << QVariant(false) << 0;
    // Automation integers round half to even.
    QTest::newRow("2.5") << QVariant(2.5) << 2;
    QTest::newRow("3.5") << QVariant(3.5) << 4;
    QTest::newRow("-2.5") << QVariant(-2.5) << -2;
    QTest::newRow("text 0.5") << QVariant(QStringLiteral("0.5")) << 0;
    QTest::newRow("2.6") << QVariant(2.6) << 3;
    QTest::newRow("64-bit in range") << QVariant::fromValue<qlonglong>(2147483647LL) << 2147483647;
}

void TestVariant::toInt32()
{
    QFETCH(QVariant, value);
    QFETCH(qint32, number);
    qint32 result = -999;
    VARO_VERIFY_NO_ERROR(result = varo::toInt32(value));
    QCOMPARE(result, number);
}

void TestVariant::toInt16_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<qint16>("number");
    QTest::newRow("highest") << QVariant(32767) << qint16(32767);
    QTest::newRow("lowest") << QVariant(QStringLiteral("-32768")) << qint16(-32768);
    QTest::newRow("32767.4 rounds down") << QVariant(32767.4) << qint16(32767);
}

void TestVariant::toInt16()
{
    QFETCH(QVariant, value);
    QFETCH(qint16, number);
    qint16 result = -999;
    VARO_VERIFY_NO_ERROR(result = varo::toInt16(value));
    QCOMPARE(result, number);
}

void TestVariant::integerConversionRaises_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("sixteenBit");
    QTest::addColumn<int>("number");
    QTest::newRow("Null") << varo::nullValue() << false << varo::ErrorNumber::InvalidUseOfNull;
    QTest::newRow("Null 16") << varo::nullValue() << true << varo::ErrorNumber::InvalidUseOfNull;
    QTest::newRow("32768 to 16 bits") << QVariant(32768) << true << varo::ErrorNumber::Overflow;
    QTest::newRow("32767.5 to 16 bits") << QVariant(32767.5) << true << varo::ErrorNumber::Overflow;
    QTest::newRow("text 40000 to 16 bits")
        << QVariant(QStringLiteral("40000")) << true << varo::ErrorNumber::Overflow;
    QTest::newRow("2^31") << QVariant::fromValue<qlonglong>(2147483648LL) << false
                          << varo::ErrorNumber::Overflow;
    QTest::newRow("date") << QVariant(QDate(2024, 1, 1)) << false
                          << varo::ErrorNumber::TypeMismatch;
    QTest::newRow("Dictionary") << QVariant::fromValue(varo::Dictionary::create()) << false
                                << varo::ErrorNumber::TypeMismatch;
}

void TestVariant::integerConversionRaises()
{
    QFETCH(QVariant, value);
    QFETCH(bool, sixteenBit);
    QFETCH(int, number);
    if (sixteenBit)
        VARO_VERIFY_ERROR(varo::toInt16(value), number);
    else
        VARO_VERIFY_ERROR(varo::toInt32(value), number);
}

VARO_TEST_MAIN(TestVariant)
#include "tst_variant.moc"
