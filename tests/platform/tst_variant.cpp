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
    void trimBlanks_data();
    void trimBlanks();
    void leadingNumber_data();
    void leadingNumber();
    void toInteger_data();
    void toInteger();
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
    QTest::addColumn<int>("error"); // 0: none
    QTest::newRow("Empty") << QVariant() << "" << 0;
    QTest::newRow("text") << QVariant(QStringLiteral(" a b ")) << " a b " << 0;
    QTest::newRow("true") << QVariant(true) << "True" << 0;
    QTest::newRow("false") << QVariant(false) << "False" << 0;
    QTest::newRow("int") << QVariant(-42) << "-42" << 0;
    QTest::newRow("16-bit") << QVariant::fromValue<qint16>(7) << "7" << 0;
    QTest::newRow("64-bit") << QVariant::fromValue<qlonglong>(9007199254740993LL)
                            << "9007199254740993" << 0;
    QTest::newRow("double whole") << QVariant(3.0) << "3" << 0;
    QTest::newRow("double 0.1") << QVariant(0.1) << "0.1" << 0;
    QTest::newRow("double 1/3") << QVariant(1.0 / 3.0) << "0.3333333333333333" << 0;
    QTest::newRow("date") << QVariant(QDate(2024, 1, 5)) << "2024-01-05" << 0;
    QTest::newRow("date-time at midnight")
        << QVariant(QDateTime(QDate(2024, 1, 5), QTime(0, 0))) << "2024-01-05" << 0;
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 12, 31), QTime(13, 4, 5)))
                               << "2024-12-31 13:04:05" << 0;
    QTest::newRow("Null") << varo::nullValue() << "" << int(varo::ErrorNumber::InvalidUseOfNull);
    QTest::newRow("Dictionary") << QVariant::fromValue(varo::Dictionary::create()) << ""
                                << int(varo::ErrorNumber::TypeMismatch);
    QTest::newRow("Vector") << QVariant::fromValue(varo::Vector::create()) << ""
                            << int(varo::ErrorNumber::TypeMismatch);
}

void TestVariant::toText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QFETCH(int, error);
    if (error != 0) {
        VARO_VERIFY_ERROR(varo::toText(value), error);
        return;
    }
    QString result;
    VARO_VERIFY_NO_ERROR(result = varo::toText(value));
    QCOMPARE(result, text);
}

void TestVariant::trimBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("both ends") << QStringLiteral("  a b  ") << QStringLiteral("a b");
    QTest::newRow("blanks only") << QStringLiteral("   ") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("nothing to trim") << QStringLiteral("a b") << QStringLiteral("a b");
    QTest::newRow("tabs and line breaks stay")
        << QStringLiteral("\tx\n ") << QStringLiteral("\tx\n");
    QTest::newRow("ideographic space stays")
        << QStringLiteral("\u3000名称 ") << QStringLiteral("\u3000名称");
}

void TestVariant::trimBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    const QString result = varo::trimBlanks(text);
    QCOMPARE(result, trimmed);
    // A million row values that need no trimming must not become a million copies.
    if (text == trimmed)
        QCOMPARE(result.constData(), text.constData());
}

void TestVariant::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("12abc") << "12abc" << 12.0;
    QTest::newRow("-1.5e3x") << "-1.5e3x" << -1500.0;
    QTest::newRow("abc") << "abc" << 0.0;
    QTest::newRow("+.5") << "+.5" << 0.5;
    QTest::newRow(".") << "." << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("1e+") << "1e+" << 1.0;
    QTest::newRow("2.5E-1") << "2.5E-1" << 0.25;
    QTest::newRow("1.2.3") << "1.2.3" << 1.2;
    QTest::newRow("-0.25 among blanks") << "  -0.25  " << -0.25;
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

void TestVariant::toInteger_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("sixteenBit");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("error"); // 0: none
    QTest::newRow("int") << QVariant(42) << false << 42 << 0;
    QTest::newRow("Empty") << QVariant() << false << 0 << 0;
    QTest::newRow("text 12abc") << QVariant(QStringLiteral("12abc")) << false << 12 << 0;
    QTest::newRow("text blank") << QVariant(QStringLiteral("")) << false << 0 << 0;
    QTest::newRow("true") << QVariant(true) << false << -1 << 0;
    // Automation integers round half to even.
    QTest::newRow("2.5") << QVariant(2.5) << false << 2 << 0;
    QTest::newRow("3.5") << QVariant(3.5) << false << 4 << 0;
    QTest::newRow("-2.5") << QVariant(-2.5) << false << -2 << 0;
    QTest::newRow("text 0.5") << QVariant(QStringLiteral("0.5")) << false << 0 << 0;
    QTest::newRow("2.6") << QVariant(2.6) << false << 3 << 0;
    QTest::newRow("64-bit in range")
        << QVariant::fromValue<qlonglong>(2147483647LL) << false << 2147483647 << 0;
    QTest::newRow("16: highest") << QVariant(32767) << true << 32767 << 0;
    QTest::newRow("16: lowest") << QVariant(QStringLiteral("-32768")) << true << -32768 << 0;
    QTest::newRow("16: 32767.4 rounds down") << QVariant(32767.4) << true << 32767 << 0;

    const int overflow = varo::ErrorNumber::Overflow;
    const int mismatch = varo::ErrorNumber::TypeMismatch;
    const int null = varo::ErrorNumber::InvalidUseOfNull;
    QTest::newRow("Null") << varo::nullValue() << false << 0 << null;
    QTest::newRow("16: Null") << varo::nullValue() << true << 0 << null;
    QTest::newRow("16: 32768") << QVariant(32768) << true << 0 << overflow;
    QTest::newRow("16: 32767.5") << QVariant(32767.5) << true << 0 << overflow;
    QTest::newRow("16: text 40000") << QVariant(QStringLiteral("40000")) << true << 0 << overflow;
    QTest::newRow("2^31") << QVariant::fromValue<qlonglong>(2147483648LL) << false << 0 << overflow;
    QTest::newRow("date") << QVariant(QDate(2024, 1, 1)) << false << 0 << mismatch;
    QTest::newRow("Dictionary") << QVariant::fromValue(varo::Dictionary::create()) << false << 0
                                << mismatch;
}

void TestVariant::toInteger()
{
    QFETCH(QVariant, value);
    QFETCH(bool, sixteenBit);
    QFETCH(int, number);
    QFETCH(int, error);
    const auto convert = [&] { return sixteenBit ? varo::toInt16(value) : varo::toInt32(value); };
    if (error != 0) {
        VARO_VERIFY_ERROR(convert(), error);
        return;
    }
    qint32 result = -999;
    VARO_VERIFY_NO_ERROR(result = convert());
    QCOMPARE(result, number);
}

VARO_TEST_MAIN(TestVariant)
#include "tst_variant.moc"
