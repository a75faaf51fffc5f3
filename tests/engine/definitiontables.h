// The report definition tables for engine tests, created empty in a test database, and short
// ways to add the rows a test needs.
#pragma once

#include "platform/ado.h"

#include <QString>
#include <QStringList>

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
    QString desc = QStringLiteral("说明 ");    // null QString writes Null
    QString category = QStringLiteral("销售"); // null QString writes Null
    int index = 1;                             // FIndex, the order of the properties query
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

} // namespace varo::test
