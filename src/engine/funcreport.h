// FuncReport, the engine's first public report object: a host hands it a report key and its two
// connections, and reads back the rows, totals, header, title lines and report properties.
// Members are reachable by name through the automation layer, in their documented order.
#pragma once

#include "engine/reportobject.h"

#include <QObject>
#include <QVariant>
#include <memory>

namespace varo
{

namespace dialogs
{
class frmSQLFilter;
}

class FuncReport : public ReportObject
{
    Q_OBJECT

public:
    explicit FuncReport(QObject *parent = nullptr);
    ~FuncReport() override;

    // oSqlConn and oLocConn hold Connections; they are by-reference arguments.
    Q_INVOKABLE bool GetReportData(const QString &sKey, QVariant &oSqlConn, QVariant &oLocConn,
                                   qint32 FRepType = -1);
    // The keyword dialog for the keywords of the report's template. Called on an object that has
    // not run GetReportData yet, it creates Result for its outcome rather than failing.
    Q_INVOKABLE bool ShowFilter(const QString &strKey);

    // The same request for C++ hosts holding Connections directly.
    bool GetReportData(const QString &sKey, Connection &sqlConn, Connection &locConn,
                       qint32 FRepType = -1);

private:
    bool filterPluginRoute(bool &trapErrors);
    bool keywordRoute(const QString &sKey);
    bool conditionRoute(const QString &sKey, RouteCode routeCode);
    bool finish(const QString &sKey);

    // The last keyword dialog, kept until this object goes.
    std::unique_ptr<dialogs::frmSQLFilter> m_KeywordDialog;
};

} // namespace varo
