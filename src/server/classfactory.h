// Registers the engine's public report classes under their ProgIDs, so that hosts create
// them by name ("VaroReportEngine.FuncReport").
#pragma once

namespace varo::server
{

void registerClasses();

} // namespace varo::server
