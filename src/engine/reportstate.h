// The fields of a report object that the load's shared operations read and write. FuncReport
// and rptX each keep their own; the operations exist once and take the fields they work on.
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"

#include <QString>
#include <QVariant>

namespace varo
{

// A report's route code (FRepSub, Null counting as "0"), which decides the way of a report that
// no filter plug-in filters: "0" the condition dialog and the report plug-in, "1" the condition
// dialog and the SQL template, "2" the keyword dialog and the template. Any other code takes
// the report plug-in's way, without the check a "0" gets first.
enum class RouteCode { ReportPlugin, Template, Keywords, Other };

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
    // The keyword records the dialog was offered (FKeyword, FValueType, ...): the expansion
    // reads each keyword's type from them.
    Vector m_OfferedKeywords;
};

} // namespace varo
