// Keyword substitution in report templates: values replace markers, keywords without value turn
// their optional stretches into " 1=1 ", and every template ends, however odd its markers.
#include "common/testsupport.h"
#include "engine/templateexpansion.h"
#include "platform/error.h"

#include <QTest>

using namespace varo;

namespace
{

// Keywords as "MARKER=value;MARKER2=;..." in order.
Vector keywords(const QString &entries)
{
    Vector list = Vector::create();
    for (const QString &entry : entries.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = entry.indexOf(u'=');
        Dictionary keyword = Dictionary::create();
        keyword.set(QStringLiteral("FKeyWord"), entry.left(eq));
        keyword.set(QStringLiteral("FValue"), entry.mid(eq + 1));
        list.Add(QVariant::fromValue(keyword));
    }
    return list;
}

} // namespace

class TestKeywordExpansion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expands_data()
    {
        QTest::addColumn<QString>("sqlTemplate");
        QTest::addColumn<QString>("keywordList");
        QTest::addColumn<QString>("expected");

        QTest::newRow("value replaces marker everywhere, braces dropped")
            << "select * from t where 1=1 {and f = '#K#'} and g = '#K#'"
            << "#K#=7"
            << "select * from t where 1=1 and f = '7' and g = '7'";
        QTest::newRow("empty keyword turns each stretch into 1=1")
            << "where 1=1 {and f = #K#} {and g = #K#}"
            << "#K#="
            << "where 1=1  1=1   1=1 ";
        QTest::newRow("identical stretches replaced in one step") << "a {x=#K#} b {x=#K#}"
                                                                  << "#K#="
                                                                  << "a  1=1  b  1=1 ";
        QTest::newRow("blank value counts as none") << "a {x=#K#} b"
                                                    << "#K#=   "
                                                    << "a  1=1  b";
        QTest::newRow("value kept untrimmed") << "a {x='#K#'}"
                                              << "#K#= v "
                                              << "a x=' v '";
        QTest::newRow("keywords applied in list order") << "{a=#A#} {b=#B#}"
                                                        << "#A#=1;#B#="
                                                        << "a=1  1=1 ";
        QTest::newRow("markers are case-sensitive") << "{a=#k#} {b=#K#}"
                                                    << "#K#="
                                                    << "a=#k#  1=1 ";
        QTest::newRow("nested stretch goes with its outer one") << "w {x {y=#A#} and z=#B#}"
                                                                << "#A#=;#B#="
                                                                << "w  1=1 ";
        QTest::newRow("marker found in 1=1 is not searched again") << "w {a=1} and {b=2}"
                                                                   << "1="
                                                                   << "w  1=1  and b=2";
        QTest::newRow("value replacement leaves inserted 1=1 alone") << "w {a=#A#} and c=1"
                                                                     << "#A#=;1=5"
                                                                     << "w  1=1  and c=5";
        QTest::newRow("empty marker occurs nowhere") << "w {a=1}"
                                                     << "="
                                                     << "w a=1";
        QTest::newRow("no keywords: only braces removed") << "w {a=1} {b}"
                                                          << ""
                                                          << "w a=1 b";
    }

    void expands()
    {
        QFETCH(QString, sqlTemplate);
        QFETCH(QString, keywordList);
        QFETCH(QString, expected);
        QCOMPARE(expandKeywords(sqlTemplate, keywords(keywordList)), expected);
    }

    void fails_data()
    {
        QTest::addColumn<QString>("sqlTemplate");
        QTest::addColumn<QString>("keywordList");

        QTest::newRow("empty keyword outside braces") << "where f = #K#"
                                                      << "#K#=";
        QTest::newRow("no closing brace after it") << "{where f = #K#"
                                                   << "#K#=";
        QTest::newRow("only brace is the first character, none after") << "{ x #K# y"
                                                                       << "#K#=";
        QTest::newRow("bare digit marker with a brace only before it") << "{ a 1 b"
                                                                       << "1=";
    }

    // A template that cannot be expanded raises; the expansion ends rather than looping.
    void fails()
    {
        QFETCH(QString, sqlTemplate);
        QFETCH(QString, keywordList);
        QVERIFY_THROWS_EXCEPTION(Error, expandKeywords(sqlTemplate, keywords(keywordList)));
    }

    void nullValueFails()
    {
        Vector list = Vector::create();
        Dictionary keyword = Dictionary::create();
        keyword.set(QStringLiteral("FKeyword"), QStringLiteral("#K#"));
        keyword.set(QStringLiteral("FValue"), QVariant::fromValue(nullptr));
        list.Add(QVariant::fromValue(keyword));
        QVERIFY_THROWS_EXCEPTION(Error, expandKeywords(QStringLiteral("{#K#}"), list));
        QVERIFY_THROWS_EXCEPTION(Error, expandKeywords(QStringLiteral("{#K#}"), Vector()));
    }
};

VARO_TEST_MAIN(TestKeywordExpansion)
#include "tst_keywordexpansion.moc"
