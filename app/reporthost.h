// What the commands that request reports (run, sql) share: the settings file and plug-in
// folders their options name, the two connections, the report object, and the answers that no
// dialog took. Each helper says on stderr why it failed.
#pragma once

#include "dialogdriver.h"
#include "options.h"

#include "platform/ado.h"
#include "platform/automation.h"

#include <optional>

namespace varo::report
{

struct ReportConnections {
    Connection definitions;
    Connection data; // the definition connection itself when no --data-db is given
};

// Points the settings store and the plug-in search at what the options name, and has values
// the dialogs cannot remember named on stderr, once each.
void prepareHost(const RunOptions &options);

// Opens a connection; nothing, with the reason on stderr, when it cannot be opened.
std::optional<Connection> openConnection(const QString &url, const ConnectionLimits &limits);

// Opens the connections and checks that the report catalogue can be read.
std::optional<ReportConnections> openReportConnections(const RunOptions &options);

// FuncReport or rptX, created by ProgID as any host creates it; nothing when it cannot be.
Object createReportObject(const QString &object);

// Says which answers no dialog took; true when there was one (a usage error).
bool complainAboutUnusedAnswers(const DialogDriver &driver);

} // namespace varo::report
