#include "filtersteps.h"

#include "dialogs/condition/frmcondition.h"
#include "engine/reportstate.h"
#include "engine/requestsupport.h"
#include "engine/templateexpansion.h"
#include "platform/error.h"
#include "platform/ui.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <memory>

namespace varo
{

RouteCode ReadRouteFields(Recordset &catalogue, ReportState &state)
{
    auto field = [&catalogue](const char *name) {
        return catalogue.Fields(QString::fromLatin1(name)).Value();
    };
    state.m_DefaultFilter = toInt16(NullToValue(field("FDefaultFilter"), 0));
    state.m_FilterPlugName = toText(NullToValue(field("FFilterPlugName")));
    const QString routeCode = toText(NullToValue(field("FRepSub"), QStringLiteral("0")));
    state.m_RepPluginSvr = toText(NullToValue(field("FRepPluginSvr")));
    state.m_Multi = toInt16(NullToValue(field("FMulti"), 0));
    if (routeCode == QLatin1String("0"))
        return RouteCode::ReportPlugin;
    if (routeCode == QLatin1String("1"))
        return RouteCode::Template;
    if (routeCode == QLatin1String("2"))
        return RouteCode::Keywords;
    return RouteCode::Other;
}

bool CheckReportPlugin(const QString &progId)
{
    if (trimBlanks(progId).isEmpty()) {
        ShowMessage(QStringLiteral("报表插件名不可为空，请修改报表信息!"));
        return false;
    }
    if (!PluginExists(progId)) {
        ShowMessage(QStringLiteral("插件类[") + progId + QStringLiteral("]不存在或插件未被注册！"));
        return false;
    }
    return true;
}

bool CheckFilterPlugin(const QString &progId)
{
    if (trimBlanks(progId).isEmpty()) {
        ShowMessage(QStringLiteral("报表过滤界面用到的插件名不可为空，请修改报表信息!"));
        return false;
    }
    if (!PluginExists(progId)) {
        ShowMessage(QStringLiteral("报表过滤界面用到的插件类[") + progId +
                    QStringLiteral("]不存在或插件未被注册！"));
        return false;
    }
    return true;
}

void ShowFilterPlugin(const QString &progId, Object &filter)
{
    filter = createObject(progId);
    QVariantList connections{QVariant::fromValue(gLocConn()), QVariant::fromValue(gSqlConn())};
    filter.call(QStringLiteral("ShowCondition"), connections);
    gLocConn() = objectFrom<Connection>(connections.at(0));
    gSqlConn() = objectFrom<Connection>(connections.at(1));
}

void ShowKeywordStepError(const std::exception &e)
{
    const Error error = toError(e);
    if (error.number() != 0)
        ui::showMessage(error.description(), ui::MessageIcon::Critical, QStringLiteral("沐岩提示"));
}

bool CollectConditionFilter(const QString &sKey, bool validateSql, Dictionary &values,
                            Vector &title)
{
    // Released on every way out: the dialog lives for this one filter.
    const auto dialog = std::make_unique<dialogs::FrmCondition>();
    if (!dialog->InitData(sKey, QString()))
        return false;
    ui::execModal(dialog.get());
    if (dialog->Tag() != QLatin1String("OK"))
        return false;
    values = dialog->ReturnVal();
    if (values.isNull())
        return false;
    if (validateSql && !ValidateSql(ExpandFilterSql(values, sKey)))
        return false;
    title = dialog->ReturnFilterTitle();
    return true;
}

QString ReportTemplate(const QString &sKey)
{
    return GetScalarString(
        QStringLiteral("Select FRepSql From T_RepSql Where FRepKey=") + QuoteSql(sKey), gLocConn());
}

Vector OfferedKeywords(Recordset &rows, const QString &sqlTemplate)
{
    Vector records = Vector::create();
    auto field = [&rows](const QString &name) { return rows.Fields(name).Value(); };
    for (; !rows.atEOF(); rows.MoveNext()) {
        const QVariant marker = field(QStringLiteral("FKeyword"));
        if (isNull(marker) || sqlTemplate.isEmpty() || !sqlTemplate.contains(toText(marker)))
            continue;
        Dictionary record = Dictionary::create();
        record.set(QStringLiteral("FKeyWord"), marker);
        record.set(QStringLiteral("FCaption"), field(QStringLiteral("FCaption")));
        record.set(QStringLiteral("FValueType"), field(QStringLiteral("FValueType")));
        record.set(QStringLiteral("FSourceField"), field(QStringLiteral("FSourceField")));
        records.Add(QVariant::fromValue(record));
    }
    return records;
}

} // namespace varo
