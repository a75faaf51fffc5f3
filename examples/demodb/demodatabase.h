// The demo database: a small trading company's sales over 2023-2024 together with report
// definitions that take every route of the engine (filter plug-in, report plug-in after the
// condition dialog, SQL template from the condition dialog, keyword template). Hosts, tests and
// the demo script name the reports through the keys below.
#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace varo
{
class Connection;
}

namespace varo::demo
{

// Filter plug-in route: "VaroDemo.SalesFilter" collects dates, region and grouping,
// "VaroDemo.SalesReport" returns the rows; two header layouts (1 by customer, 2 by item).
inline constexpr QLatin1String kFilterPluginReport{"SALES_SUMMARY"};
// Condition dialog, then the report plug-in "VaroDemo.SalesReport" (GetRptVect with the
// header argument): sales by region and salesperson, plus two columns the plug-in describes.
inline constexpr QLatin1String kConditionPluginReport{"SALES_BY_REGION"};
// Condition dialog, then the SQL template with {NAME} placeholders: order lines.
inline constexpr QLatin1String kConditionSqlReport{"SALES_DETAIL"};
// Keyword dialog, then the keyword template with optional clauses: sales by customer.
inline constexpr QLatin1String kKeywordReport{"CUSTOMER_SALES"};
// Condition dialog, then "VaroDemo.LegacyReport", which knows only the two-argument GetRptVect:
// sales by salesperson.
inline constexpr QLatin1String kLegacyPluginReport{"SALESMAN_SALES"};

// Every demo report key, in the catalogue's order.
QStringList demoReportKeys();

// Fills an empty SQLite or PostgreSQL database with the definition tables, the business tables
// and their rows, in one transaction. On PostgreSQL it first creates the SQL Server functions
// the engine's statements use. Raises varo::Error when the database is not empty, is of another
// kind, or a statement fails (the transaction is then rolled back).
void buildDemoDatabase(varo::Connection &conn);

// Creates the demo database at a target: a file path (or sqlite:///path URL) for SQLite, which
// must not exist yet or be empty, or a postgresql:// URL of an empty database. Raises
// varo::Error with a description of what went wrong; a file it created is removed again then.
void createDemoDatabase(const QString &target);

} // namespace varo::demo
