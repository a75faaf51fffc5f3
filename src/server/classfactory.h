// The engine's entry point for host programs. A host calls registerClasses() once, creates the
// report objects by ProgID with varo::createObject and calls their members by name through
// varo::Object (platform/automation.h):
//
//   "VaroReportEngine.FuncReport"  GetReportData(sKey, oSqlConn&, oLocConn&, FRepType) -> bool
//   "VaroReportEngine.rptX"        GetReportData(...), ShowFilter(AutoFilter&), Refresh()
//
// and reads the results through the properties VectRs, Header, Title, Property, Result, rs,
// RptID and RptKey. What a host may rely on: those ProgIDs, member names, argument orders and
// by-reference arguments; the shapes of the result containers (a row record per row, then the
// totals record; header entries with FColCaption, FHeadSecond, FColType, FColName, FVisible;
// title lines with FCaption and FIndex); every call returns on the thread it was made on, the
// host's one user-interface thread. The host opens and owns both connections; the engine keeps
// a reference to the last request's pair until the next request or releaseConnections().
#pragma once

namespace varo::server
{

// Registers "VaroReportEngine.FuncReport" and "VaroReportEngine.rptX" with the component
// registry. Calling it again changes nothing.
void registerClasses();

// Drops the engine's references to the connections of the last request on this thread, so
// that the host can close them (a host calls it before its application object ends).
void releaseConnections();

} // namespace varo::server
