// One report object as the viewer drives it for a result tab: created by ProgID and called by
// member name, as any host does. A call that raises is shown to the user and answered false, so
// that no error leaves the slot that made the call.
#pragma once

#include "export/reporttable.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/containers.h"

#include <QSize>
#include <QString>

namespace varo::viewer
{

// What every report the viewer opens is requested with.
struct ViewerSettings {
    Connection definitions;
    Connection data;
    QString object = QStringLiteral("rptX"); // FuncReport or rptX
    qint32 repType = -1;
};

class ReportSession
{
public:
    ReportSession(const ViewerSettings &settings, const QString &key);

    const QString &key() const { return m_key; }
    bool isRptX() const { return m_object == QLatin1String("rptX"); }

    // GetReportData: the engine's dialogs, then the rows. False when it did not work (the engine
    // has said why) or the person cancelled.
    bool request();
    // rptX's Refresh in its progress window; true when the result says OK. FuncReport: false.
    bool refresh();
    // rptX: ShowFilter, then Refresh. FuncReport has no filter step of its own: the whole
    // request again.
    bool newFilter();

    // The result the object holds now.
    exporting::ReportTable table() const;
    // FRepName from the object's properties, or the key when it has none.
    QString reportName() const;
    // FRepFormWid x FRepFormHei as the catalogue gives them, 0 where it gives none.
    QSize formSize() const;

private:
    bool call(const QString &member, QVariantList args, bool *returned);
    QVariant property(const QString &name) const;
    Dictionary properties() const;

    ViewerSettings m_settings;
    QString m_key;
    QString m_object;
    Object m_report;
};

} // namespace varo::viewer
