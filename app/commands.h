// The commands of varo-report. Each returns the program's exit status.
#pragma once

#include "options.h"

#include <QString>

namespace varo::report
{

namespace ExitStatus
{
constexpr int Ok = 0;          // every step worked and its output was written whole
constexpr int HostFailure = 1; // a connection, the database, the object or a call failed
constexpr int UsageError = 2;  // the command line (or an answer) was wrong
constexpr int StepFailed = 3;  // a step returned false, or the output was not written whole
} // namespace ExitStatus

// Runs the steps on one report object and prints each step's result in the format.
int runCommand(const RunOptions &options, OutputFormat format, bool headless);

// Takes a report's filter step as run does, then prints the SQL the engine would run (or what a
// report plug-in would be handed) instead of loading; the databases are left as they were.
int sqlCommand(const RunOptions &options, OutputFormat format, bool headless);

// Prints the reports of T_RepList with the route each takes and the plug-ins it creates.
int listCommand(const QString &dbUrl, const ConnectionLimits &limits = {});

// Opens the report viewer on the catalogue and the reports the options name.
int viewCommand(const RunOptions &options);

// Checks the definitions of the reports with the options' keys (all when none) and prints the
// problems; 1 when a report has an error.
int checkCommand(const RunOptions &options);

// Builds the demo database at a SQLite path or PostgreSQL URL and lists its reports.
int demoDbCommand(const QString &target);

} // namespace varo::report
