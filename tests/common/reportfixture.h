// Report definitions for the engine's tests, and a fixture that makes requests as a host does:
// a fresh database of each kind holding the definition tables and one report per route over
// T_Items, the dialogs answered by control name, message boxes, progress texts and settings
// kept away from the user, the plug-in stand-ins installed and the shared connections reset.
#pragma once

#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "platform/automation.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

namespace varo::test
{

// Creates T_RepList, T_RepSql, T_RepHeadCaption, T_RepFilter (without FGroupStr),
// ICReportKeywords and ICReport with the columns the engine reads.
QStringList definitionTableStatements();

// "'text'" with inner quotes doubled, or "null" for a null QString.
QString sqlText(const QString &text);

struct ReportRow {
    QString key;
    int id = 1;
    QString name = QStringLiteral("测试报表");
    QString repSub = QStringLiteral("1"); // null QString writes Null
    int defaultFilter = 0;
    QString filterPlugName;
    QString repPluginSvr;
    int multi = 0;
    QString repType = QStringLiteral("2");
    int index = 1; // FIndex, the order of the properties query
};
QString insertReport(const ReportRow &row);

struct HeaderRow {
    QString key;
    int index = 0;
    QString colName;
    QString caption;
    QString second;
    QString type = QStringLiteral("string");
    int visible = 1;
    QString serial;                    // null QString writes Null
    QString sum = QStringLiteral("0"); // null QString writes Null
};
QString insertHeader(const HeaderRow &row);

QString insertTemplate(const QString &key, const QString &sql);

// A T_RepFilter row written "type|caption|markFrom|filterFrom|to|markTo|filterTo|ctrlSel|group";
// empty parts are Null. A row without a group string fits a table without FGroupStr.
QString insertFilter(const QString &key, int index, const QString &columns);

// An ICReportKeywords row from its values as SQL: "1, '到', '#TO#', 2, null".
QString insertKeyword(const QString &values);

// Over T_Items (A 1, B 2, C 3), each with the header FNumber "编码", FQty "数量" (a sum column):
// FP, filtered by the filter plug-in and served by the report plug-in (although FRepSub is 2);
// KW, keywords #FROM# and #TO# in its template, also named by its filter rows; SQL, a text range
// NF..NT in the condition dialog and a template; PLUG, the same range and the report plug-in.
QStringList routeReports();

// One field of every record, as text.
QStringList column(const Vector &records, const QString &name = QStringLiteral("FNumber"));

class ReportFixture
{
public:
    ReportFixture();
    ~ReportFixture();
    ReportFixture(const ReportFixture &) = delete;
    ReportFixture &operator=(const ReportFixture &) = delete;

    // A database of the kind with the definition tables, routeReports() and `more`.
    TestDatabase &open(const QString &kind, const QStringList &more = {});
    Connection &connection() { return m_db->connection(); }

    // Answers every dialog from now on: the condition dialog's controls by name, the keyword
    // grid's values by keyword (a date as yyyy-MM-dd) with `titles` ticked; then OK, or Cancel.
    void answer(const QMap<QString, QString> &values, bool ok = true,
                const QStringList &titles = {});

    // GetReportData(key, connection, connection) by member name, as a host calls it.
    QVariant request(const Object &report, const QString &key);

    MessageRecorder messages;
    QStringList progress; // texts of the progress window
    QStringList offered;  // keywords of every keyword grid shown, in row order
    int dialogs = 0;

private:
    std::unique_ptr<TestDatabase> m_db;
    TemporarySettingsFile m_settings;
};

// What a report object holds, read by member name.
Dictionary resultOf(const Object &report);
Vector rowsOf(const Object &report);
Vector titleOf(const Object &report);

} // namespace varo::test

// Declares a ReportFixture on the data row's "database"; skips or fails when it is not there.
#define VARO_REPORT_FIXTURE(variable, ...)                                                         \
    QFETCH(QString, database);                                                                     \
    varo::test::ReportFixture variable;                                                            \
    if (const auto &db_ = variable.open(database, ##__VA_ARGS__);                                  \
        db_.state() == varo::test::TestDatabase::State::Skipped)                                   \
        QSKIP(qPrintable(db_.errorString()));                                                      \
    else                                                                                           \
        QVERIFY2(db_.state() == varo::test::TestDatabase::State::Ready,                            \
                 qPrintable(db_.errorString()))
