// rptX, the engine's second public report object: the same results as FuncReport, with the
// request cut into a filter step (ShowFilter) and a load (Refresh) that runs inside a modal
// progress window and can be repeated with the same filter. Its report number comes from the
// host's ICReport table. Members are reachable by name, in their documented order.
#pragma once

#include "engine/reportobject.h"
#include "platform/automation.h"

#include <QObject>
#include <QVariant>
#include <exception>
#include <memory>

namespace varo
{

namespace dialogs
{
class Bar;
}

class rptX : public ReportObject
{
    Q_OBJECT

public:
    explicit rptX(QObject *parent = nullptr);
    ~rptX() override;

    // Loads the data again with the filter last collected, inside the progress window; returns
    // once the window has closed. Always an empty variant.
    Q_INVOKABLE QVariant Refresh();

    // The whole request: definition, filter, load. The connections are by-reference arguments
    // holding Connections; a missing definition connection becomes the SQL connection, in the
    // caller's variable too. With no key and no connections it only reloads (and says false).
    Q_INVOKABLE bool GetReportData();
    Q_INVOKABLE bool GetReportData(const QString &sKey);
    Q_INVOKABLE bool GetReportData(const QString &sKey, QVariant &oSqlConn);
    Q_INVOKABLE bool GetReportData(const QString &sKey, QVariant &oSqlConn, QVariant &oLocConn);
    Q_INVOKABLE bool GetReportData(const QString &sKey, QVariant &oSqlConn, QVariant &oLocConn,
                                   qint32 FRepType);

    // Collects the filter the report's definition asks for (filter plug-in, keyword dialog or
    // condition dialog) and keeps it for the load. AutoFilter is accepted and not consulted.
    Q_INVOKABLE bool ShowFilter();
    Q_INVOKABLE bool ShowFilter(QVariant &AutoFilter);
    // The keyword step: the dialog offers the keywords that the report's filter rows name and
    // its template contains; with none, no dialog and true.
    Q_INVOKABLE bool ShowFilterAuto();

private:
    void m_ProgBar_Active();
    void LoadReportData();
    bool planLoad();
    void loadFromFilterPlugin(Object &report);
    void lookUpHostReportNumber(const QString &sKey);

    RouteCode m_RepSub = RouteCode::Other;
    Dictionary m_Condition;
    Object m_FilterPlugin;
    bool m_FilterCancelled = false;
    std::unique_ptr<dialogs::Bar> m_ProgBar;
    // An error the load leaves to Refresh's caller, held while the progress window closes.
    std::exception_ptr m_loadFailure;
};

} // namespace varo
