// FuncReport, the engine's first public report object: a host hands it a report key and its two
// connections, and reads back the rows, totals, header, title lines and report properties.
// Members are reachable by name through the automation layer, in their documented order.
#pragma once

#include "engine/reportstate.h"

#include <QObject>
#include <QVariant>
#include <memory>

namespace varo
{

namespace dialogs
{
class frmSQLFilter;
}

class FuncReport : public QObject
{
    Q_OBJECT
    Q_PROPERTY(varo::Vector Title READ Title)
    Q_PROPERTY(qint32 RptID READ RptID WRITE setRptID)
    Q_PROPERTY(QString RptKey READ RptKey)
    Q_PROPERTY(varo::Connection LocDBConn READ LocDBConn)
    Q_PROPERTY(varo::Vector Header READ Header)
    Q_PROPERTY(varo::Dictionary Property READ Property)
    Q_PROPERTY(varo::Recordset rs READ rs)
    Q_PROPERTY(varo::Vector VectRs READ VectRs)
    Q_PROPERTY(varo::Dictionary Result READ Result)

public:
    explicit FuncReport(QObject *parent = nullptr);
    ~FuncReport() override;

    Vector Title() const { return m_state.Title; }
    qint32 RptID() const { return m_state.RptID; }
    QString RptKey() const { return m_state.RptKey; }
    Connection LocDBConn() const;
    void setRptID(qint32 id) { m_state.RptID = id; }
    Vector Header() const { return m_state.Header; }
    Dictionary Property() const { return m_state.Property; }
    Recordset rs() const { return m_state.rs; }
    Vector VectRs() const { return m_state.VectRs; }
    Dictionary Result() const { return m_state.Result; }

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
    bool conditionRoute(const QString &sKey, const QString &routeCode);
    bool finish(const QString &sKey);

    ReportState m_state;
    // The last keyword dialog, kept until this object goes.
    std::unique_ptr<dialogs::frmSQLFilter> m_KeywordDialog;
};

} // namespace varo
