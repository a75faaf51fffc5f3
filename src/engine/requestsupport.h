// Checks a report request makes before it commits to a route: whether a component can be
// created, and whether the expanded SQL runs.
#pragma once

#include <QString>

namespace varo
{

// True when an object can be created from the ProgID; it is released at once. Shows nothing.
bool PluginExists(const QString &progId);

// Runs the SQL once on the business connection and discards what it returns; shows
// "SQL语句为空!" for blank SQL and the provider's errors, one per line, when it fails.
bool ValidateSql(const QString &sql);

} // namespace varo
