#include "definitiontables.h"

namespace varo::test
{

QStringList definitionTableStatements()
{
    return {
        QStringLiteral("create table T_RepList (FRepKey varchar(100), id integer, "
                       "FRepName varchar(200), FRepDesc varchar(200), FRepCategory varchar(100), "
                       "FRepFormWid integer, FRepFormHei integer, FRepType integer, "
                       "FRepSub varchar(10), FDefaultFilter integer, FFilterPlugName varchar(200), "
                       "FRepPluginSvr varchar(200), FMulti integer, FTxparm varchar(10), "
                       "FIndex integer)"),
        QStringLiteral(
            "create table T_RepSql (FRepKey varchar(100), FRepSql text, FIndex integer)"),
        QStringLiteral("create table T_RepHeadCaption (FRepKey varchar(100), FIndex integer, "
                       "FRepColName varchar(100), FRepColCaption varchar(200), "
                       "FRepColSecond varchar(200), FRepColType varchar(50), "
                       "FRepColVisible integer, FRepSerial varchar(10), FSumCol varchar(10))"),
        QStringLiteral("create table T_RepFilter (FRepKey varchar(100), FIndex integer, "
                       "FCaption varchar(200), FMarkNameFrom varchar(100), "
                       "FMarkNameTo varchar(100), FFilterFrom varchar(500), "
                       "FFilterTo varchar(500), FTo varchar(100), FCtrlType varchar(20), "
                       "FCtrlSel varchar(100))"),
        QStringLiteral("create table ICReportKeywords (FInterID integer, FCaption varchar(200), "
                       "FKeyword varchar(100), FValueType integer, FSourceField varchar(100))"),
        QStringLiteral("create table ICReport (FInterID integer, FProcedure text)"),
    };
}

QString sqlText(const QString &text)
{
    if (text.isNull())
        return QStringLiteral("null");
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

QString insertReport(const ReportRow &row)
{
    return QStringLiteral("insert into T_RepList (FRepKey, id, FRepName, FRepDesc, FRepCategory, "
                          "FRepFormWid, FRepFormHei, FRepType, FRepSub, FDefaultFilter, "
                          "FFilterPlugName, FRepPluginSvr, FMulti, FTxparm, FIndex) values (") +
           sqlText(row.key) + u',' + QString::number(row.id) + u',' + sqlText(row.name) + u',' +
           sqlText(row.desc) + u',' + sqlText(row.category) + QStringLiteral(",800,600,") +
           row.repType + u',' + sqlText(row.repSub) + u',' + QString::number(row.defaultFilter) +
           u',' + sqlText(row.filterPlugName) + u',' + sqlText(row.repPluginSvr) + u',' +
           QString::number(row.multi) + QStringLiteral(",null,") + QString::number(row.index) +
           u')';
}

QString insertHeader(const HeaderRow &row)
{
    return QStringLiteral("insert into T_RepHeadCaption (FRepKey, FIndex, FRepColName, "
                          "FRepColCaption, FRepColSecond, FRepColType, FRepColVisible, "
                          "FRepSerial, FSumCol) values (") +
           sqlText(row.key) + u',' + QString::number(row.index) + u',' + sqlText(row.colName) +
           u',' + sqlText(row.caption) + u',' + sqlText(row.second) + u',' + sqlText(row.type) +
           u',' + QString::number(row.visible) + u',' + sqlText(row.serial) + u',' +
           sqlText(row.sum) + u')';
}

QString insertTemplate(const QString &key, const QString &sql)
{
    return QStringLiteral("insert into T_RepSql (FRepKey, FRepSql, FIndex) values (") +
           sqlText(key) + u',' + sqlText(sql) + QStringLiteral(",1)");
}

QString insertFilter(const QString &key, int index, const QString &columns)
{
    QStringList f = columns.split(u'|');
    while (f.size() < 9)
        f << QString();
    auto text = [](const QString &s) { return sqlText(s.isEmpty() ? QString() : s); };
    // Without a group string the row also fits a table that lacks the group column.
    const bool grouped = !f[8].isEmpty();
    return QStringLiteral("insert into T_RepFilter (FRepKey, FIndex, FCtrlType, FCaption, "
                          "FMarkNameFrom, FFilterFrom, FTo, FMarkNameTo, FFilterTo, FCtrlSel%1) "
                          "values (%2, %3, %4, %5, %6, %7, %8, %9, %10, %11%12)")
        .arg(grouped ? QStringLiteral(", FGroupStr") : QString(), sqlText(key))
        .arg(index)
        .arg(text(f[0]), text(f[1]), text(f[2]), text(f[3]), text(f[4]), text(f[5]), text(f[6]),
             text(f[7]), grouped ? u", " + text(f[8]) : QString());
}

} // namespace varo::test
