// The fields of a report object that the load's shared operations read and write. FuncReport
// and rptX each keep their own; the operations exist once and take the fields they work on.
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"

#include <QString>
#include <QVariant>

namespace varo
{

struct ReportState {
    Vector Title;
    qint32 RptID = 0;
    QString RptKey;
    Vector Header;
    Dictionary Property;
    Recordset rs;
    Vector VectRs;
    Dictionary Result;

    qint16 m_DefaultFilter = 0;
    QString m_FilterPlugName;
    QString m_RepPluginSvr;
    qint16 m_Multi = 0;
    QVariant m_RepSerial;
    Vector m_PluginHeader;
    Vector m_Keywords;
};

} // namespace varo
