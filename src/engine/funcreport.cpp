#include "funcreport.h"

#include "dialogs/keywords/frmsqlfilter.h"
#include "engine/filtersteps.h"
#include "engine/loadplan.h"
#include "engine/requestsupport.h"
#include "engine/resultshaping.h"
#include "engine/templateexpansion.h"
#include "platform/automation.h"
#include "platform/error.h"
#include "platform/errornumbers.h"
#include "platform/ui.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <memory>

namespace varo
{

namespace
{

QVariant field(Recordset &rs, const char *name)
{
    return rs.Fields(QString::fromLatin1(name)).Value();
}

} // namespace

FuncReport::FuncReport(QObject *parent) : ReportObject(parent) {}

FuncReport::~FuncReport() = default;

bool FuncReport::GetReportData(const QString &sKey, QVariant &oSqlConn, QVariant &oLocConn,
                               qint32 FRepType)
{
    Connection sqlConn;
    Connection locConn;
    try {
        sqlConn = objectFrom<Connection>(oSqlConn);
        locConn = objectFrom<Connection>(oLocConn);
    } catch (const std::exception &) {
        // Not a connection: the request goes on without one and reports it when it is used.
    }
    return GetReportData(sKey, sqlConn, locConn, FRepType);
}

bool FuncReport::GetReportData(const QString &sKey, Connection &sqlConn, Connection &locConn,
                               qint32 FRepType)
{
    m_state.RptKey = sKey;
    m_plan = LoadPlan();
    gRepType() = FRepType;
    gSqlConn() = sqlConn;
    gLocConn() = locConn;
    m_state.Result = Dictionary::create();

    // Once a filter plug-in's report plug-in has delivered rows, its errors go to the host.
    bool trapErrors = true;
    try {
        RouteCode routeCode = RouteCode::Other;
        {
            Recordset catalogue = OpenCatalogueRow(sKey);
            if (catalogue.atEOF() && catalogue.atBOF()) {
                ShowMessage(QStringLiteral("报表不存在!"));
                return false;
            }
            m_state.RptID = toInt32(NullToValue(field(catalogue, "id"), 0));
            routeCode = ReadRouteFields(catalogue, m_state);
            toText(NullToValue(field(catalogue, "FTxparm"), QStringLiteral("0")));

            if (routeCode == RouteCode::ReportPlugin && !CheckReportPlugin(m_state.m_RepPluginSvr))
                return false;
        }

        bool produced = false;
        if (m_state.m_DefaultFilter == 1)
            produced = filterPluginRoute(trapErrors);
        else if (routeCode == RouteCode::Keywords)
            produced = keywordRoute(sKey);
        else
            produced = conditionRoute(sKey, routeCode);
        return produced && (m_planning || finish(sKey));
    } catch (const std::exception &e) {
        if (!trapErrors)
            throw;
        m_state.Result.set(QStringLiteral("OK"), false);
        showError(e);
        return false;
    }
}

bool FuncReport::filterPluginRoute(bool &trapErrors)
{
    if (!CheckFilterPlugin(m_state.m_FilterPlugName))
        return false;
    Object filter;
    ShowFilterPlugin(m_state.m_FilterPlugName, filter);
    if (!toBool(filter.get(QStringLiteral("Sure"))))
        return false;
    if (m_planning) {
        PlanPluginLoad(m_plan, m_state.m_RepPluginSvr,
                       filter.get(QStringLiteral("ReturnCondition")));
        return true;
    }

    Object report = createObject(m_state.m_RepPluginSvr);
    ui::letMessagesRun();
    QVariantList request{filter.get(QStringLiteral("ReturnCondition")),
                         QVariant::fromValue(gSqlConn())};
    const QVariant rows = report.call(QStringLiteral("GetReportData"), request);
    gSqlConn() = objectFrom<Connection>(request.at(1));
    m_state.VectRs = objectFrom<Vector>(rows);
    try {
        m_state.rs = objectFrom<Recordset>(report.get(QStringLiteral("rs")));
    } catch (const std::exception &) {
        // A report plug-in need not hand out its recordset.
    }
    trapErrors = false;
    ui::letMessagesRun();
    if (m_state.m_Multi == 1)
        m_state.m_RepSerial = report.get(QStringLiteral("ReturnSerial"));
    m_state.Title = objectFrom<Vector>(report.get(QStringLiteral("ReturnFilterTitle")));
    return true;
}

bool FuncReport::keywordRoute(const QString &sKey)
{
    if (!ShowFilter(sKey))
        return false;
    const QString sql = ExpandKeywordSql(m_state.m_Keywords, sKey, MissingKeywords::Fail,
                                         m_state.m_OfferedKeywords);
    if (m_planning)
        return PlanSqlLoad(m_plan, sql, QVariant::fromValue(KeywordValues(m_state.m_Keywords)));
    if (!ValidateSql(sql))
        return false;
    ui::letMessagesRun();
    m_state.VectRs = OpenRowVector(m_state.rs, sql, sKey);
    ui::letMessagesRun();
    return true;
}

bool FuncReport::conditionRoute(const QString &sKey, RouteCode routeCode)
{
    const bool fromTemplate = routeCode == RouteCode::Template;
    Dictionary conditionValues;
    if (!CollectConditionFilter(sKey, fromTemplate && !m_planning, conditionValues, m_state.Title))
        return false;
    if (m_planning && fromTemplate)
        return PlanSqlLoad(m_plan, ExpandFilterSql(conditionValues, sKey),
                           QVariant::fromValue(conditionValues));
    if (m_planning) {
        PlanPluginLoad(m_plan, m_state.m_RepPluginSvr, QVariant::fromValue(conditionValues));
        return true;
    }
    if (fromTemplate) {
        ui::letMessagesRun();
        m_state.VectRs = OpenRowVector(m_state.rs, ExpandFilterSql(conditionValues, sKey), sKey);
        ui::letMessagesRun();
        return true;
    }
    Object report = createObject(m_state.m_RepPluginSvr);
    ui::letMessagesRun();
    m_state.VectRs = GetPluginRows(report, conditionValues, m_state.m_PluginHeader);
    ui::letMessagesRun();
    return true;
}

bool FuncReport::finish(const QString &sKey)
{
    if (!LoadProperties(m_state, sKey))
        return false;
    if (!LoadHeader(m_state))
        return false;
    m_state.Result.set(QStringLiteral("OK"), true);
    m_state.Result.set(QStringLiteral("Error"), QString());
    return true;
}

bool FuncReport::ShowFilter(const QString &strKey)
{
    try {
        if (m_state.Result.isNull())
            m_state.Result = Dictionary::create();
        Recordset catalogue = gLocConn().Execute(
            QStringLiteral("Select FCaption,FInterID,FKeyword,FValueType,FSourceField from "
                           "ICReportKeywords order by FInterID"));
        const Vector records = OfferedKeywords(catalogue, ReportTemplate(strKey));
        if (records.Count() == 0) {
            m_state.Result.set(QStringLiteral("OK"), true);
            return false;
        }

        m_KeywordDialog = std::make_unique<dialogs::frmSQLFilter>();
        m_KeywordDialog->setKeywords(records);
        m_KeywordDialog->setRptID(0);
        m_KeywordDialog->setRptKey(strKey);
        ui::execModal(m_KeywordDialog.get());
        const Dictionary outcome = m_KeywordDialog->m_Result();
        if (outcome.isNull()) {
            m_state.Result.set(QStringLiteral("OK"), false);
            m_state.Result.set(QStringLiteral("Error"),
                               QStringLiteral("过滤条件有误，请重新过滤！"));
            return false;
        }
        if (!toBool(outcome.value(QStringLiteral("OK")))) {
            m_state.Result.set(QStringLiteral("OK"), false);
            return false;
        }
        m_state.Result.set(QStringLiteral("OK"), true);
        m_state.Result.set(QStringLiteral("Error"), QString());
        m_state.m_Keywords = m_KeywordDialog->Keywords();
        m_state.m_OfferedKeywords = records;
        m_state.Title = m_KeywordDialog->Titles();
        return true;
    } catch (const std::exception &e) {
        ShowKeywordStepError(e);
        return false;
    }
}

} // namespace varo
