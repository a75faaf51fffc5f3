#include "demoschema.h"

namespace varo::demo
{

QStringList definitionTableStatements()
{
    // T_RepFilter deliberately lacks FGroupStr: the engine adds it the first time a condition
    // dialog opens, and the demo should show that happening.
    return {
        QStringLiteral("create table T_RepList (id integer, FRepKey varchar(50) not null, "
                       "FRepName varchar(100), FRepDesc varchar(255), FRepCategory varchar(50), "
                       "FRepFormWid integer, FRepFormHei integer, FRepType integer, "
                       "FRepSub varchar(10), FDefaultFilter integer, FFilterPlugName varchar(100), "
                       "FRepPluginSvr varchar(100), FMulti integer, FTxparm varchar(10), "
                       "FIndex integer)"),
        QStringLiteral("create table T_RepSql (FRepKey varchar(50) not null, FRepSql text, "
                       "FIndex integer)"),
        QStringLiteral("create table T_RepHeadCaption (FRepKey varchar(50) not null, "
                       "FIndex integer, FRepColName varchar(50), FRepColCaption varchar(100), "
                       "FRepColType varchar(10), FRepColSecond varchar(100), "
                       "FRepColVisible integer, FRepSerial varchar(10), FSumCol varchar(10))"),
        QStringLiteral("create table T_RepFilter (FRepKey varchar(50) not null, FIndex integer, "
                       "FCaption varchar(100), FMarkNameFrom varchar(50), "
                       "FMarkNameTo varchar(50), FFilterFrom varchar(500), "
                       "FFilterTo varchar(500), FTo varchar(100), FCtrlType varchar(10), "
                       "FCtrlSel varchar(50))"),
        QStringLiteral("create table ICReportKeywords (FInterID integer primary key, "
                       "FCaption varchar(100), FKeyword varchar(50), FValueType integer, "
                       "FSourceField varchar(50))"),
        QStringLiteral("create table ICReport (FInterID integer primary key, FProcedure text)"),
    };
}

QStringList businessTableStatements()
{
    return {
        QStringLiteral("create table T_Employee (FID integer primary key, "
                       "FNumber varchar(20) not null unique, FName varchar(50) not null)"),
        QStringLiteral("create table T_Customer (FID integer primary key, "
                       "FNumber varchar(20) not null unique, FName varchar(100) not null, "
                       "FRegion varchar(20) not null, FEmpID integer not null)"),
        QStringLiteral("create table T_Item (FID integer primary key, "
                       "FNumber varchar(20) not null unique, FName varchar(100) not null, "
                       "FCategory varchar(50) not null, FUnit varchar(10) not null, "
                       "FPrice integer not null)"),
        QStringLiteral("create table T_SalesOrder (FID integer primary key, "
                       "FBillNo varchar(20) not null unique, FDate varchar(10) not null, "
                       "FCustID integer not null, FEmpID integer not null)"),
        QStringLiteral("create table T_SalesOrderEntry (FID integer primary key, "
                       "FOrderID integer not null, FEntryID integer not null, "
                       "FItemID integer not null, FQty integer not null, "
                       "FPrice integer not null, FAmount integer not null)"),
        QStringLiteral("create index IX_SalesOrder_Date on T_SalesOrder (FDate)"),
        QStringLiteral("create index IX_SalesOrderEntry_Order on T_SalesOrderEntry (FOrderID)"),
    };
}

QStringList demoTableNames()
{
    return {
        QStringLiteral("T_RepList"),
        QStringLiteral("T_RepSql"),
        QStringLiteral("T_RepHeadCaption"),
        QStringLiteral("T_RepFilter"),
        QStringLiteral("ICReportKeywords"),
        QStringLiteral("ICReport"),
        QStringLiteral("T_Employee"),
        QStringLiteral("T_Customer"),
        QStringLiteral("T_Item"),
        QStringLiteral("T_SalesOrder"),
        QStringLiteral("T_SalesOrderEntry"),
    };
}

} // namespace varo::demo
