// Checks a report request makes before it commits to a route (whether a component can be
// created, whether the expanded SQL runs), and the report plug-in call that follows the
// condition dialog.
#pragma once

#include "platform/automation.h"
#include "platform/containers.h"

#include <QString>

namespace varo
{

// True when an object can be created from the ProgID; it is released at once. Shows nothing.
bool PluginExists(const QString &progId);

// Runs the SQL once on the business connection and discards what it returns; shows
// "SQL语句为空!" for blank SQL and the provider's errors, one per line, when it fails.
bool ValidateSql(const QString &sql);
// The first half of ValidateSql, which runs nothing: false, after "SQL语句为空!", for blank SQL.
bool SqlGiven(const QString &sql);

// The rows of a report plug-in for the condition values: GetRptVect with the values, the
// business connection and the extra header columns (created when missing), each handed back;
// when that call fails, silently, the older two-argument GetRptVect. Errors of the second call
// go to the caller.
Vector GetPluginRows(Object &plugin, Dictionary &conditionValues, Vector &pluginHeader);

} // namespace varo
