// Turning a report's rows and definitions into what a host displays: row records with a totals
// record, the report properties, and the header of visible columns. The operations take the
// fields of the report object they work for.
#pragma once

#include "engine/reportstate.h"

namespace varo
{

// Column name -> FSumCol text of every T_RepHeadCaption row of the report, all layouts.
Dictionary LoadSumColumns(const QString &sKey);

// One Dictionary per row (field name -> trimmed text), then a totals record when any field is
// a sum column. Nothing for no rows; rs is left at its end. Errors are shown and give nothing.
Vector BuildRowVector(Recordset &rs, const QString &sKey);

// Opens sql on the data connection into rs (raising as the open does), then builds its row
// records as BuildRowVector does. The sum columns are read before the rows: a server that
// streams the rows serves no other statement on the connection until they are all read.
Vector OpenRowVector(Recordset &rs, const QString &sql, const QString &sKey);

// Sets Property from the catalogue row and the constant entries; errors are shown, false.
bool LoadProperties(ReportState &state, const QString &sKey);

// Sets Header from the visible columns (of the plug-in's layout when m_Multi is 1) followed by
// the plug-in's own columns; errors are shown, false.
bool LoadHeader(ReportState &state);

// One header item from the current T_RepHeadCaption row.
Dictionary AddHeaderColumn(Recordset &rs);

// Shows an unexpected error the way every trap of the engine does.
void showError(const std::exception &e);

} // namespace varo
