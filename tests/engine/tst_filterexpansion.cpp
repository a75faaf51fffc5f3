// Writing a filter into a report's stored SQL template, on SQLite and PostgreSQL: placeholders
// filled from the condition dialog's filter string, and the keyword expansion's reading of the
// template, each giving "" when there is nothing to run.
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "definitiontables.h"
#include "engine/templateexpansion.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QTest>

using namespace varo;
using varo::test::databaseRow;
using varo::test::firstValue;
using varo::test::MessageRecorder;

namespace
{

const QString kKey = QStringLiteral("R1");

// How a case stores its template: a row with the text, a row whose FRepSql is Null, or none.
enum class Stored { Text, Null, NoRow };

QStringList templateRows(Stored stored, const QString &sqlTemplate)
{
    // Another report's template is always there and must never be read.
    QStringList rows{test::insertTemplate(QStringLiteral("R2"), QStringLiteral("select {a} x"))};
    if (stored == Stored::Text)
        rows << test::insertTemplate(kKey, sqlTemplate);
    else if (stored == Stored::Null)
        rows << test::insertTemplate(kKey, QString());
    return rows;
}

// A keyword record as the keyword dialog hands it over.
Dictionary keyword(const QString &marker, const QString &value)
{
    Dictionary record = Dictionary::create();
    record.set(QStringLiteral("FKeyword"), marker);
    record.set(QStringLiteral("FValue"), value);
    return record;
}

} // namespace

Q_DECLARE_METATYPE(Stored)
Q_DECLARE_METATYPE(varo::MissingKeywords)

class TestFilterExpansion : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_db;

    // A fresh database with the definition tables and the given rows, as the local connection;
    // the business connection stays empty, since expansion never touches it.
    bool openDatabase(const QStringList &rows)
    {
        QFETCH(QString, database);
        m_db = std::make_unique<test::TestDatabase>(database);
        switch (m_db->state()) {
        case test::TestDatabase::State::Ready:
            break;
        case test::TestDatabase::State::Skipped:
            QTest::qSkip(qPrintable(m_db->errorString()), __FILE__, __LINE__);
            return false;
        case test::TestDatabase::State::Failed:
            QTest::qFail(qPrintable(m_db->errorString()), __FILE__, __LINE__);
            return false;
        }
        const auto error = test::errorOf([&] {
            m_db->execute(test::definitionTableStatements());
            m_db->execute(rows);
        });
        if (error) {
            QTest::qFail(qPrintable(test::sqlFailure(m_db->connection(), *error, "fixture")),
                         __FILE__, __LINE__);
            return false;
        }
        gLocConn() = m_db->connection();
        return true;
    }

private Q_SLOTS:
    void cleanup()
    {
        gLocConn() = Connection();
        m_db.reset();
    }

    void expandFilterSql_data();
    void expandFilterSql();
    void expandFilterSqlWithoutConditionValues_data() { test::addDatabaseRows(); }
    void expandFilterSqlWithoutConditionValues();
    void expandKeywordSql_data();
    void expandKeywordSql();
};

void TestFilterExpansion::expandFilterSql_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<QString>("sqlTemplate");
    QTest::addColumn<QVariant>("strFilter"); // Empty: the entry is missing
    QTest::addColumn<QString>("expected");

    auto text = [](const char *s) { return QVariant(QString::fromUtf8(s)); };
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "placeholder filled, text upper-cased")
            << Stored::Text << "select * from t where {D1}" << text("d1|x=1")
            << "SELECT * FROM T WHERE x=1";
        databaseRow(kind, "empty item skipped, text upper-cased before each item")
            << Stored::Text << "select {a}, {b} from t" << text("A|x1&&B|y2")
            << "SELECT X1, y2 FROM T";
        databaseRow(kind, "earlier quoted values reach the database upper-cased")
            << Stored::Text << "where n='{a}' and m='{b}'" << text("a|abc&b|def")
            << "WHERE N='ABC' AND M='def'";
        databaseRow(kind, "item without separator gives the empty value")
            << Stored::Text << "select 1 from t where 1=1{A}" << text("A")
            << "SELECT 1 FROM T WHERE 1=1";
        databaseRow(kind, "empty filter: template unchanged in its own case")
            << Stored::Text << "select * from t where {d1}" << text("")
            << "select * from t where {d1}";
        databaseRow(kind, "no strFilter entry: template unchanged")
            << Stored::Text << "select * from t where {d1}" << QVariant()
            << "select * from t where {d1}";
        databaseRow(kind, "only empty items: template unchanged")
            << Stored::Text << "select * from t where {d1}" << text("&&")
            << "select * from t where {d1}";
        databaseRow(kind, "blank-only item names {} and upper-cases")
            << Stored::Text << "select '{}' from t" << text("   ") << "SELECT '' FROM T";
        databaseRow(kind, "text after a second | ignored")
            << Stored::Text << "where {a}" << text("a|1|2") << "WHERE 1";
        databaseRow(kind, "blanks next to | stay, blanks at the ends go")
            << Stored::Text << "where x={a } and y={a}" << text("  a | 1  ")
            << "WHERE X= 1 AND Y={A}";
        databaseRow(kind, "leading and trailing & skipped")
            << Stored::Text << "where {a}" << text("&a|v&") << "WHERE v";
        databaseRow(kind, "every occurrence replaced, placeholder case does not matter")
            << Stored::Text << "{a}+{A}" << text("a|1") << "1+1";
        databaseRow(kind, "placeholder no item names stays, upper-cased")
            << Stored::Text << "{a} {zz}" << text("a|1") << "1 {ZZ}";
        databaseRow(kind, "later item sees the earlier value")
            << Stored::Text << "{a}" << text("a|{b}&b|2") << "2";
        databaseRow(kind, "Chinese names and values")
            << Stored::Text << "where f='{名称}' and g={日期}"
            << text("名称|甲方&日期|'2024-01-31'") << "WHERE F='甲方' AND G='2024-01-31'";
        databaseRow(kind, "no template row") << Stored::NoRow << "" << text("a|1") << "";
        databaseRow(kind, "no template row, empty filter") << Stored::NoRow << "" << text("") << "";
        databaseRow(kind, "Null template") << Stored::Null << "" << text("a|1") << "";
        databaseRow(kind, "Null template, empty filter") << Stored::Null << "" << text("") << "";
        databaseRow(kind, "Null filter string")
            << Stored::Text << "where {a}" << QVariant::fromValue(nullptr) << "";
    }
}

void TestFilterExpansion::expandFilterSql()
{
    QFETCH(Stored, stored);
    QFETCH(QString, sqlTemplate);
    QFETCH(QVariant, strFilter);
    QFETCH(QString, expected);
    if (!openDatabase(templateRows(stored, sqlTemplate)))
        return;
    MessageRecorder recorder;
    Dictionary conditionValues = Dictionary::create();
    conditionValues.set(QStringLiteral("Other"), QStringLiteral("{a}"));
    if (strFilter.isValid())
        conditionValues.set(QStringLiteral("strFilter"), strFilter);

    QString sql = QStringLiteral("unset");
    VARO_VERIFY_NO_ERROR(sql = ExpandFilterSql(conditionValues, kKey));
    QCOMPARE(sql, expected);
    QCOMPARE(recorder.texts(), QStringList());
    // The condition values are not changed.
    QCOMPARE(conditionValues.Count(), strFilter.isValid() ? 2 : 1);
    QCOMPARE(conditionValues.value(QStringLiteral("strFilter")), strFilter);
}

void TestFilterExpansion::expandFilterSqlWithoutConditionValues()
{
    if (!openDatabase(templateRows(Stored::Text, QStringLiteral("select * from t"))))
        return;
    MessageRecorder recorder;
    QString sql = QStringLiteral("unset");
    VARO_VERIFY_NO_ERROR(sql = ExpandFilterSql(Dictionary(), kKey));
    QCOMPARE(sql, QString());
    // Without a local connection the template cannot be read either.
    gLocConn() = Connection();
    sql = QStringLiteral("unset");
    Dictionary conditionValues = Dictionary::create();
    conditionValues.set(QStringLiteral("strFilter"), QStringLiteral("a|1"));
    VARO_VERIFY_NO_ERROR(sql = ExpandFilterSql(conditionValues, kKey));
    QCOMPARE(sql, QString());
    QCOMPARE(recorder.texts(), QStringList());
}

void TestFilterExpansion::expandKeywordSql_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<QString>("sqlTemplate");
    QTest::addColumn<bool>("withKeywords"); // #K# = "v", #G# without value; else nothing
    QTest::addColumn<MissingKeywords>("missing");
    QTest::addColumn<QString>("expected");

    const char *optional = "select * from t where 1=1 {and f='#K#'} {and g=#G#}";
    for (const QString &kind : test::databaseKinds()) {
        databaseRow(kind, "keywords written into the stored template")
            << Stored::Text << optional << true << MissingKeywords::Fail
            << "select * from t where 1=1 and f='v'  1=1 ";
        databaseRow(kind, "keyword list given: RemoveBraces changes nothing")
            << Stored::Text << optional << true << MissingKeywords::RemoveBraces
            << "select * from t where 1=1 and f='v'  1=1 ";
        databaseRow(kind, "keyword without value outside braces")
            << Stored::Text << "select * from t where g=#G#" << true << MissingKeywords::Fail << "";
        databaseRow(kind, "no keyword list: fails")
            << Stored::Text << optional << false << MissingKeywords::Fail << "";
        databaseRow(kind, "no keyword list: braces removed")
            << Stored::Text << optional << false << MissingKeywords::RemoveBraces
            << "select * from t where 1=1 and f='#K#' and g=#G#";
        databaseRow(kind, "no template row")
            << Stored::NoRow << "" << true << MissingKeywords::Fail << "";
        databaseRow(kind, "no template row, no keyword list")
            << Stored::NoRow << "" << false << MissingKeywords::RemoveBraces << "";
        databaseRow(kind, "Null template")
            << Stored::Null << "" << true << MissingKeywords::Fail << "";
        databaseRow(kind, "Null template, no keyword list")
            << Stored::Null << "" << false << MissingKeywords::RemoveBraces << "";
    }
}

void TestFilterExpansion::expandKeywordSql()
{
    QFETCH(Stored, stored);
    QFETCH(QString, sqlTemplate);
    QFETCH(bool, withKeywords);
    QFETCH(MissingKeywords, missing);
    QFETCH(QString, expected);
    if (!openDatabase(templateRows(stored, sqlTemplate)))
        return;
    MessageRecorder recorder;
    Vector keywords;
    if (withKeywords) {
        keywords = Vector::create();
        keywords.Add(QVariant::fromValue(keyword(QStringLiteral("#K#"), QStringLiteral("v"))));
        keywords.Add(QVariant::fromValue(keyword(QStringLiteral("#G#"), QStringLiteral("  "))));
    }
    QString sql = QStringLiteral("unset");
    VARO_VERIFY_NO_ERROR(sql = ExpandKeywordSql(keywords, kKey, missing));
    QCOMPARE(sql, expected);
    QCOMPARE(recorder.texts(), QStringList());
}

VARO_TEST_MAIN(TestFilterExpansion)
#include "tst_filterexpansion.moc"
