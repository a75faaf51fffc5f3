// What both public report objects show a host: the properties read after a request, each
// returning the reference the object holds, in their documented order.
#pragma once

#include "engine/loadplan.h"
#include "engine/reportstate.h"

#include <QObject>

namespace varo
{

class ReportObject : public QObject
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
    using QObject::QObject;

    Vector Title() const { return m_state.Title; }
    qint32 RptID() const { return m_state.RptID; }
    QString RptKey() const { return m_state.RptKey; }
    // The shared definition connection, whichever request set it last.
    Connection LocDBConn() const;
    void setRptID(qint32 id) { m_state.RptID = id; }
    Vector Header() const { return m_state.Header; }
    Dictionary Property() const { return m_state.Property; }
    Recordset rs() const { return m_state.rs; }
    Vector VectRs() const { return m_state.VectRs; }
    Dictionary Result() const { return m_state.Result; }

    // For the engine's own host (varo-report sql), not reachable by member name: with planning
    // on, a request collects its filter as always, then keeps in plannedLoad() what it would
    // load instead of loading it. Nothing runs on the business connection after the filter
    // step, not even the trial of the expanded SQL, and no result properties are read.
    void setPlanning(bool on) { m_planning = on; }
    const LoadPlan &plannedLoad() const { return m_plan; }

protected:
    ReportState m_state;
    bool m_planning = false;
    LoadPlan m_plan;
};

} // namespace varo
