// The steps of collecting a filter that both report objects take: reading the fields that
// choose a report's route, the plug-in checks made before a route is taken, the filter plug-in's
// dialog, the condition dialog, and which catalogue keywords a report's template contains.
#pragma once

#include "engine/reportstate.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/containers.h"

#include <QString>
#include <exception>

namespace varo
{

// Reads FDefaultFilter, FFilterPlugName, FRepPluginSvr and FMulti of the catalogue row into the
// state (Null as 0 or "") and returns the route code.
RouteCode ReadRouteFields(Recordset &catalogue, ReportState &state);

// The report plug-in a report served by one needs: its name given and its class creatable.
// Shows why not and returns false.
bool CheckReportPlugin(const QString &progId);
// The same for the filter plug-in of a report filtered by one.
bool CheckFilterPlugin(const QString &progId);

// Creates the filter plug-in into `filter` and lets it show its dialog; it may replace both
// shared connections, which it hands back. Whether the user confirmed is its "Sure".
void ShowFilterPlugin(const QString &progId, Object &filter);

// The condition dialog for the report: its values and title lines once the user confirmed.
// With validateSql, the report's template expanded from the values must also pass ValidateSql.
// False, after any message of its own, when the dialog cannot be set up, is cancelled or
// refused.
bool CollectConditionFilter(const QString &sKey, bool validateSql, Dictionary &values,
                            Vector &title);

// How the keyword step reports an error it caught: the description alone in a critical box,
// nothing for error number 0.
void ShowKeywordStepError(const std::exception &e);

// The report's SQL template; "" when it has none.
QString ReportTemplate(const QString &sKey);

// One keyword record ("FKeyWord", "FCaption", "FValueType", "FSourceField") per row whose
// FKeyword the template contains, letter case counting: a Null keyword never, an empty one in
// any template but the empty one.
Vector OfferedKeywords(Recordset &rows, const QString &sqlTemplate);

} // namespace varo
