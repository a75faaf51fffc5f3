// The demo company's business data: salespersons, customers in five regions, thirty items and
// two years (2023-2024) of sales orders with their lines, generated from a fixed seed so that
// every build of the demo database holds the same rows.
#pragma once

#include <QStringList>

namespace varo::demo
{

// The sales regions, in the order the demo shows them.
QStringList demoRegions();

// INSERT statements for every business table, parents before children.
QStringList businessDataStatements();

} // namespace varo::demo
