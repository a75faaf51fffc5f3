#include "reportsession.h"

#include "viewerlog.h"

#include "platform/error.h"
#include "platform/ui.h"
#include "platform/variant.h"

#include <QSize>

namespace varo::viewer
{

ReportSession::ReportSession(const ViewerSettings &settings, const QString &key)
    : m_settings(settings), m_key(key), m_object(settings.object)
{
}

bool ReportSession::call(const QString &member, QVariantList args, bool *returned)
{
    try {
        if (m_report.isNull())
            m_report = createObject(QStringLiteral("VaroReportEngine.") + m_object);
        const QVariant value = m_report.call(member, args);
        if (returned)
            *returned = value.typeId() == QMetaType::Bool && value.toBool();
        return true;
    } catch (const std::exception &e) {
        const Error error = toError(e);
        ui::showMessage(QStringLiteral("%1 %2: error %3: %4")
                            .arg(m_key, member)
                            .arg(error.number())
                            .arg(error.description()),
                        ui::MessageIcon::Critical, QString());
        return false;
    }
}

bool ReportSession::request()
{
    bool worked = false;
    return call(QStringLiteral("GetReportData"),
                {m_key, QVariant::fromValue(m_settings.data),
                 QVariant::fromValue(m_settings.definitions), QVariant(m_settings.repType)},
                &worked) &&
           worked;
}

bool ReportSession::refresh()
{
    if (!isRptX())
        return false; // FuncReport keeps no filter to load again with
    if (!call(QStringLiteral("Refresh"), {}, nullptr))
        return false;
    const QVariant result = property(QStringLiteral("Result"));
    const Dictionary outcome = result.metaType() == QMetaType::fromType<Dictionary>()
                                   ? result.value<Dictionary>()
                                   : Dictionary();
    return !outcome.isNull() && outcome.value(QStringLiteral("OK")).toBool();
}

bool ReportSession::newFilter()
{
    if (!isRptX())
        return request();
    bool chosen = false;
    return call(QStringLiteral("ShowFilter"), {}, &chosen) && chosen && refresh();
}

QVariant ReportSession::property(const QString &name) const
{
    try {
        return m_report.isNull() ? QVariant() : m_report.get(name);
    } catch (const std::exception &e) {
        qCWarning(lcViewer) << "cannot read" << name << "of" << m_key << toError(e).description();
        return QVariant();
    }
}

Dictionary ReportSession::properties() const
{
    const QVariant v = property(QStringLiteral("Property"));
    return v.metaType() == QMetaType::fromType<Dictionary>() ? v.value<Dictionary>() : Dictionary();
}

exporting::ReportTable ReportSession::table() const
{
    auto vector = [this](const char *name) {
        const QVariant v = property(QString::fromLatin1(name));
        return v.metaType() == QMetaType::fromType<Vector>() ? v.value<Vector>() : Vector();
    };
    return exporting::ReportTable(reportName(), vector("Title"), vector("Header"),
                                  vector("VectRs"));
}

QString ReportSession::reportName() const
{
    const Dictionary p = properties();
    const QVariant name = p.isNull() ? QVariant() : p.value(QStringLiteral("FRepName"));
    const QString text = name.isValid() && !isNull(name) ? toText(name).trimmed() : QString();
    return text.isEmpty() ? m_key : text;
}

QSize ReportSession::formSize() const
{
    const Dictionary p = properties();
    if (p.isNull())
        return QSize();
    auto number = [&p](const char *name) {
        const QVariant v = p.value(QString::fromLatin1(name));
        return v.isValid() && !isNull(v) ? int(leadingNumber(toText(v))) : 0;
    };
    return QSize(number("FRepFormWid"), number("FRepFormHei"));
}

} // namespace varo::viewer
