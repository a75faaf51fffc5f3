// The demo's report definitions: catalogue rows, SQL templates, column headers, condition rows,
// the keyword catalogue and the host's report table, one group of rows per demo report.
#pragma once

#include <QStringList>

namespace varo::demo
{

// INSERT statements for the six definition tables.
QStringList definitionDataStatements();

} // namespace varo::demo
