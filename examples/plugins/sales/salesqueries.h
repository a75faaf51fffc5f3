// The sales queries behind the demo report plug-ins, and the filter the filter plug-in hands to
// the report plug-in. Shared by SalesReport and LegacyReport so both read the data one way.
#pragma once

#include "platform/containers.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace varo::demo
{

// What "VaroDemo.SalesFilter" returns as ReturnCondition (a Dictionary with these entries):
// "DateFrom" and "DateTo" as 'yyyy-MM-dd', "Region" (empty or "全部" for every region) and
// "GroupBy" ("CUST" or "ITEM").
struct SalesSummaryFilter {
    QDate dateFrom;
    QDate dateTo;
    QString region; // empty: every region
    bool byItem = false;

    Dictionary toDictionary() const;
    // Raises when an entry is missing or malformed, naming the member that was called.
    static SalesSummaryFilter fromDictionary(const Dictionary &condition, const QString &member);
};

// The header layout of the summary: "1" by customer, "2" by item.
QString summarySerial(const SalesSummaryFilter &filter);
QString summarySql(const SalesSummaryFilter &filter);
// Title lines {"FCaption", "FIndex"} describing the filter.
Vector summaryTitle(const SalesSummaryFilter &filter);

// Sales by region and salesperson; the conditions come from the condition dialog's filter
// string and are written against the aliases o (order), c (customer) and e (salesperson).
QString regionSalesSql(const QStringList &conditions, const QString &region);

// Sales by salesperson, with the same aliases.
QString salesmanSalesSql(const QStringList &conditions);

// Whether a region choice means "every region".
bool isEveryRegion(const QString &region);

} // namespace varo::demo
