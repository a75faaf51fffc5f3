// The JSON that varo-report prints: string escaping, every kind of value the engine hands out,
// Dictionaries in insertion order with their keys as spelled, and the member order of a step's
// line.

#include "common/testsupport.h"
#include "jsonwriter.h"
#include "platform/ado.h"
#include "platform/containers.h"
#include "platform/variant.h"

#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QTest>
#include <limits>

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

// The text is valid JSON when it parses inside an array (a bare scalar is not a document).
QString parseError(const QString &json)
{
    QJsonParseError error;
    QJsonDocument::fromJson(QByteArray("[") + json.toUtf8() + ']', &error);
    return error.error == QJsonParseError::NoError ? QString() : error.errorString();
}

} // namespace

class TestJsonWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jsonString_data();
    void jsonString();
    void jsonValue_data();
    void jsonValue();
    void dictionaryKeepsFirstSpellingAndOrder();
    void selfContainingDictionaryEnds();
    void stepLine_data();
    void stepLine();
};

void TestJsonWriter::jsonString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("json");
    QTest::newRow("plain") << "abc"
                           << "\"abc\"";
    QTest::newRow("empty") << ""
                           << "\"\"";
    QTest::newRow("quote and backslash") << "a\"b\\c"
                                         << "\"a\\\"b\\\\c\"";
    QTest::newRow("line breaks and tab") << "a\r\nb\tc"
                                         << "\"a\\r\\nb\\tc\"";
    QTest::newRow("backspace, form feed") << "\b\f"
                                          << "\"\\b\\f\"";
    QTest::newRow("other control characters")
        << QString(QChar(0x01)) + QChar(0x1F) << "\"\\u0001\\u001f\"";
    QTest::newRow("slash and DEL kept")
        << QStringLiteral("a/b\x7f") << QStringLiteral("\"a/b\x7f\"");
    QTest::newRow("Chinese kept") << QStringLiteral("沐岩提示：合计")
                                  << QStringLiteral("\"沐岩提示：合计\"");
    QTest::newRow("outside the BMP kept") << QStringLiteral("𠀀😀") << QStringLiteral("\"𠀀😀\"");
}

void TestJsonWriter::jsonString()
{
    QFETCH(QString, text);
    QFETCH(QString, json);
    const QString written = varo::report::jsonString(text);
    QCOMPARE(written, json);
    QVERIFY2(parseError(written).isEmpty(), qPrintable(parseError(written)));
    // Read back, the text is the one written.
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray("[") + written.toUtf8() + ']');
    QCOMPARE(doc.array().at(0).toString(), text);
}

void TestJsonWriter::jsonValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("json");
    QTest::newRow("Empty") << QVariant() << "null";
    QTest::newRow("Null") << varo::nullValue() << "null";
    QTest::newRow("nothing (Vector)") << QVariant::fromValue(Vector()) << "null";
    QTest::newRow("nothing (Dictionary)") << QVariant::fromValue(Dictionary()) << "null";
    QTest::newRow("nothing (Connection)") << QVariant::fromValue(varo::Connection()) << "null";
    QTest::newRow("nothing (Recordset)") << QVariant::fromValue(varo::Recordset()) << "null";
    QTest::newRow("true") << QVariant(true) << "true";
    QTest::newRow("false") << QVariant(false) << "false";
    QTest::newRow("int") << QVariant(-42) << "-42";
    QTest::newRow("16-bit") << QVariant::fromValue<qint16>(1075) << "1075";
    QTest::newRow("64-bit") << QVariant::fromValue<qlonglong>(9007199254740993LL)
                            << "9007199254740993";
    QTest::newRow("unsigned") << QVariant::fromValue<quint32>(4000000000U) << "4000000000";
    QTest::newRow("double whole") << QVariant(3.0) << "3";
    QTest::newRow("double 3.5") << QVariant(3.5) << "3.5";
    QTest::newRow("double 0.1") << QVariant(0.1) << "0.1";
    QTest::newRow("double 1/3") << QVariant(1.0 / 3.0) << "0.3333333333333333";
    QTest::newRow("double negative") << QVariant(-1234.25) << "-1234.25";
    QTest::newRow("double large") << QVariant(1e21) << "1e+21";
    QTest::newRow("double small") << QVariant(1.5e-7) << "1.5e-07";
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << "null";
    QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << "null";
    QTest::newRow("minus infinity") << QVariant(-std::numeric_limits<double>::infinity()) << "null";
    QTest::newRow("text") << QVariant(QStringLiteral("合计：")) << QStringLiteral("\"合计：\"");
    QTest::newRow("empty text") << QVariant(QString()) << "\"\"";
    QTest::newRow("date") << QVariant(QDate(2024, 1, 5)) << "\"2024-01-05\"";
    QTest::newRow("date-time at midnight")
        << QVariant(QDateTime(QDate(2024, 1, 5), QTime(0, 0))) << "\"2024-01-05\"";
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 12, 31), QTime(13, 4, 5, 600)))
                               << "\"2024-12-31T13:04:05\"";
    QTest::newRow("invalid date") << QVariant(QDate()) << "null";
    QTest::newRow("empty Vector") << QVariant::fromValue(Vector::create()) << "[]";
    QTest::newRow("empty Dictionary") << QVariant::fromValue(Dictionary::create()) << "{}";
    QTest::newRow("nested Vectors")
        << vec({1, vec({2, QStringLiteral("x"), vec({})}), QVariant()}) << "[1,[2,\"x\",[]],null]";
    QTest::newRow("Dictionary in insertion order")
        << dict({{"Zeta", 1}, {"alpha", QStringLiteral("a")}, {"FColName", 2.5}})
        << "{\"Zeta\":1,\"alpha\":\"a\",\"FColName\":2.5}";
    QTest::newRow("Empty and Null entries")
        << dict({{"e", QVariant()}, {"n", varo::nullValue()}, {"v", QVariant::fromValue(Vector())}})
        << "{\"e\":null,\"n\":null,\"v\":null}";
    QTest::newRow("rows with a totals record")
        << vec({dict({{"FName", QStringLiteral("华东")}, {"FAmount", QStringLiteral("1.5")}}),
                dict({{"FAmount", 1.5}, {"FName", QStringLiteral("合计：")}})})
        << QStringLiteral("[{\"FName\":\"华东\",\"FAmount\":\"1.5\"},"
                          "{\"FAmount\":1.5,\"FName\":\"合计：\"}]");
    QTest::newRow("key that needs escaping") << dict({{"a\"b", true}}) << "{\"a\\\"b\":true}";
}

void TestJsonWriter::jsonValue()
{
    QFETCH(QVariant, value);
    QFETCH(QString, json);
    const QString written = varo::report::jsonValue(value);
    QCOMPARE(written, json);
    QVERIFY2(parseError(written).isEmpty(), qPrintable(parseError(written)));
}

void TestJsonWriter::dictionaryKeepsFirstSpellingAndOrder()
{
    Dictionary d = Dictionary::create();
    d.set(QStringLiteral("FCaption"), QStringLiteral("one"));
    d.set(QStringLiteral("Findex"), 1);
    // Setting an existing name in another letter case replaces the value in place.
    d.set(QStringLiteral("FINDEX"), 2);
    d.set(QStringLiteral("fcaption"), QStringLiteral("two"));
    QCOMPARE(varo::report::jsonValue(QVariant::fromValue(d)),
             QStringLiteral("{\"FCaption\":\"two\",\"Findex\":2}"));
}

void TestJsonWriter::selfContainingDictionaryEnds()
{
    Dictionary d = Dictionary::create();
    d.set(QStringLiteral("me"), QVariant::fromValue(d));
    Vector v = Vector::create();
    v.Add(QVariant::fromValue(v));
    for (const QVariant &value : {QVariant::fromValue(d), QVariant::fromValue(v)}) {
        const QString written = varo::report::jsonValue(value);
        QVERIFY2(parseError(written).isEmpty(), qPrintable(parseError(written)));
        // The innermost level that is still written holds null instead of itself again.
        QVERIFY(written.contains(QLatin1String("{\"me\":null}")) ||
                written.contains(QLatin1String("[null]")));
    }
    // Break the cycles so the containers are freed.
    d.set(QStringLiteral("me"), QVariant());
    v = Vector();
}

void TestJsonWriter::stepLine_data()
{
    QTest::addColumn<QVariant>("returned");
    QTest::addColumn<bool>("withMessages");
    QTest::addColumn<QString>("line");
    const QString properties = QStringLiteral(
        "\"RptKey\":\"K1\",\"RptID\":7,\"Result\":{\"OK\":true,\"Error\":\"\"},"
        "\"Title\":[{\"FCaption\":\"日期：2024-01-01\",\"FIndex\":1}],\"Header\":null,"
        "\"Property\":null,\"VectRs\":null");
    QTest::newRow("true, no messages") << QVariant(true) << false
                                       << QStringLiteral("{\"step\":\"K1\",\"returned\":true,") +
                                              properties + QStringLiteral(",\"messages\":[]}");
    QTest::newRow("nothing returned, two messages")
        << QVariant() << true
        << QStringLiteral("{\"step\":\"K1\",\"returned\":null,") + properties +
               QStringLiteral(",\"messages\":[{\"text\":\"报表不存在!\",\"icon\":\"information\","
                              "\"title\":\"沐岩提示\"},{\"text\":\"a\\nb\",\"icon\":\"critical\","
                              "\"title\":\"\"}]}");
}

void TestJsonWriter::stepLine()
{
    QFETCH(QVariant, returned);
    QFETCH(bool, withMessages);
    QFETCH(QString, line);
    varo::report::StepResult r;
    r.step = QStringLiteral("K1");
    r.returned = returned;
    const QVariant values[] = {
        QStringLiteral("K1"),
        7,
        dict({{"OK", true}, {"Error", QString()}}),
        vec({dict({{"FCaption", QStringLiteral("日期：2024-01-01")}, {"FIndex", 1}})}),
        QVariant::fromValue(Vector()),
        QVariant::fromValue(Dictionary()),
        QVariant(),
    };
    const QStringList names = varo::report::reportPropertyNames();
    QCOMPARE(names.size(), qsizetype(std::size(values)));
    for (qsizetype i = 0; i < names.size(); ++i)
        r.properties.append({names.at(i), values[i]});
    if (withMessages) {
        r.messages.append({QStringLiteral("报表不存在!"), varo::ui::MessageIcon::Information,
                           QStringLiteral("沐岩提示")});
        r.messages.append({QStringLiteral("a\nb"), varo::ui::MessageIcon::Critical, QString()});
    }
    const QString written = varo::report::stepJsonLine(r);
    QCOMPARE(written, line);
    QVERIFY2(parseError(written).isEmpty(), qPrintable(parseError(written)));
}

VARO_TEST_MAIN(TestJsonWriter)
#include "tst_app_jsonwriter.moc"
