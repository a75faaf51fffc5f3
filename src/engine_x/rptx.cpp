#include "rptx.h"

#include "dialogs/progress/bar.h"
#include "engine/filtersteps.h"
#include "engine/loadplan.h"
#include "engine/requestsupport.h"
#include "engine/resultshaping.h"
#include "engine/templateexpansion.h"
#include "platform/ui.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

namespace varo
{

namespace
{

// A by-reference connection argument that holds no connection.
bool isNothing(const QVariant &connection)
{
    if (!connection.isValid() || connection.isNull())
        return true;
    return connection.metaType() == QMetaType::fromType<Connection>() &&
           connection.value<Connection>().isNull();
}

Connection connectionIn(const QVariant &value)
{
    try {
        return objectFrom<Connection>(value);
    } catch (const std::exception &) {
        // Not a connection: the request goes on without one and reports it when it is used.
        return Connection();
    }
}

// The ICReport rows whose FProcedure, after its first "/" (or whole, without one), is the key.
QString hostReportNumberSql(const QString &sKey)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString indent(17, u' ');
    return QStringLiteral("Select FInterID from ICReport ") + crlf +
           QStringLiteral(" where substring(cast(FProcedure as varchar(500)), ") + crlf + indent +
           QStringLiteral("charindex('/',cast(FProcedure as varchar(500)))+1, ") + crlf + indent +
           QStringLiteral("len(cast(FProcedure as varchar(500)))-charindex('/',cast(FProcedure "
                          "as varchar(500))))='") +
           sKey + QStringLiteral("' ") + crlf;
}

} // namespace

rptX::rptX(QObject *parent) : ReportObject(parent) {}

rptX::~rptX() = default;

bool rptX::GetReportData()
{
    QVariant sqlConn;
    QVariant locConn;
    return GetReportData(QString(), sqlConn, locConn, -1);
}

bool rptX::GetReportData(const QString &sKey)
{
    QVariant sqlConn;
    QVariant locConn;
    return GetReportData(sKey, sqlConn, locConn, -1);
}

bool rptX::GetReportData(const QString &sKey, QVariant &oSqlConn)
{
    QVariant locConn;
    return GetReportData(sKey, oSqlConn, locConn, -1);
}

bool rptX::GetReportData(const QString &sKey, QVariant &oSqlConn, QVariant &oLocConn)
{
    return GetReportData(sKey, oSqlConn, oLocConn, -1);
}

bool rptX::GetReportData(const QString &sKey, QVariant &oSqlConn, QVariant &oLocConn,
                         qint32 FRepType)
{
    // A cancelled filter plug-in blocks every request until a filter is confirmed again.
    if (m_FilterCancelled)
        return false;
    try {
        if (sKey.isEmpty() && isNothing(oSqlConn) && isNothing(oLocConn)) {
            Refresh();
            return false;
        }
        m_state.RptKey = sKey;
        m_plan = LoadPlan();
        gRepType() = FRepType;
        if (isNothing(oLocConn))
            oLocConn = oSqlConn;
        gSqlConn() = connectionIn(oSqlConn);
        gLocConn() = connectionIn(oLocConn);
        m_state.Result = Dictionary::create();
        {
            Recordset catalogue = OpenCatalogueRow(sKey);
            if (catalogue.atEOF() && catalogue.atBOF()) {
                ShowMessage(QStringLiteral("报表不存在!"));
                return false;
            }
            lookUpHostReportNumber(sKey);
            m_RepSub = ReadRouteFields(catalogue, m_state);
            if (m_RepSub == RouteCode::ReportPlugin && !CheckReportPlugin(m_state.m_RepPluginSvr))
                return false;
        }
        if (m_state.m_DefaultFilter == 1 && !CheckFilterPlugin(m_state.m_FilterPlugName))
            return false;
        if (!ShowFilter())
            return false;
        if (m_planning)
            return planLoad();
        Refresh();
        return true;
    } catch (const std::exception &e) {
        if (!m_state.Result.isNull())
            m_state.Result.set(QStringLiteral("OK"), false);
        showError(e);
        return false;
    }
}

void rptX::lookUpHostReportNumber(const QString &sKey)
{
    Recordset rows = gSqlConn().Execute(hostReportNumberSql(sKey));
    if (!rows.atEOF())
        m_state.RptID = toInt32(rows.Fields(QStringLiteral("FInterID")).Value());
    rows.Close();
}

QVariant rptX::Refresh()
{
    if (!m_ProgBar) {
        m_ProgBar = std::make_unique<dialogs::Bar>();
        connect(m_ProgBar.get(), &dialogs::Bar::Active, this, &rptX::m_ProgBar_Active);
    }
    // The load writes its outcome here; a host that reloads before any request still gets one.
    if (m_state.Result.isNull())
        m_state.Result = Dictionary::create();
    m_loadFailure = nullptr;
    m_ProgBar->Show();
    if (m_loadFailure)
        std::rethrow_exception(std::exchange(m_loadFailure, nullptr));
    return QVariant();
}

void rptX::m_ProgBar_Active()
{
    // Errors cannot cross the window's event loop: the window closes, and Refresh raises what
    // the load left uncaught once Show has returned.
    try {
        m_ProgBar->SetMsg(QStringLiteral("正在连接服务器"));
        LoadReportData();
    } catch (...) {
        m_loadFailure = std::current_exception();
    }
    if (m_ProgBar->m_frm() || m_ProgBar->m_clsPass())
        m_ProgBar->Unload();
}

void rptX::LoadReportData()
{
    const QString &key = m_state.RptKey;
    Object report;
    // Once a filter plug-in's report plug-in has delivered rows, its errors go to the caller.
    bool trapErrors = true;
    try {
        if (m_FilterCancelled) {
            m_ProgBar->Unload();
            return;
        }
        m_ProgBar->SetMsg(QStringLiteral("正在从服务器读取数据..."));
        if (m_state.m_DefaultFilter == 1) {
            report = createObject(m_state.m_RepPluginSvr);
            ui::letMessagesRun();
            loadFromFilterPlugin(report);
            trapErrors = false;
            ui::letMessagesRun();
            if (m_state.m_Multi == 1)
                m_state.m_RepSerial = report.get(QStringLiteral("ReturnSerial"));
            m_state.Title = objectFrom<Vector>(report.get(QStringLiteral("ReturnFilterTitle")));
            report = Object();
        } else if (m_RepSub == RouteCode::Keywords) {
            const QString sql = ExpandKeywordSql(
                m_state.m_Keywords, key, MissingKeywords::RemoveBraces, m_state.m_OfferedKeywords);
            if (!ValidateSql(sql)) {
                m_state.Result.set(QStringLiteral("OK"), false);
                m_ProgBar->Unload();
                return;
            }
            ui::letMessagesRun();
            m_state.VectRs = OpenRowVector(m_state.rs, sql, key);
            ui::letMessagesRun();
        } else if (m_RepSub == RouteCode::Template) {
            ui::letMessagesRun();
            m_state.VectRs = OpenRowVector(m_state.rs, ExpandFilterSql(m_Condition, key), key);
            ui::letMessagesRun();
        } else {
            report = createObject(m_state.m_RepPluginSvr);
            ui::letMessagesRun();
            m_state.VectRs = GetPluginRows(report, m_Condition, m_state.m_PluginHeader);
            ui::letMessagesRun();
            report = Object();
        }
        if (!LoadProperties(m_state, key)) {
            m_ProgBar->Unload();
            return;
        }
        // rptX reports always say so, whatever the catalogue's FRepType.
        m_state.Property.set(QStringLiteral("RptType"), qint16(1));
        if (!LoadHeader(m_state)) {
            m_ProgBar->Unload();
            return;
        }
        m_ProgBar->Unload();
        m_state.Result.set(QStringLiteral("OK"), true);
        m_state.Result.set(QStringLiteral("Error"), QString());
    } catch (const std::exception &e) {
        if (!trapErrors)
            throw;
        m_state.Result.set(QStringLiteral("OK"), false);
        m_ProgBar->Unload();
        report = Object();
        showError(e);
    }
}

// The branches of LoadReportData, up to where each would run or hand over its filter.
bool rptX::planLoad()
{
    const QString &key = m_state.RptKey;
    if (m_state.m_DefaultFilter == 1) {
        PlanPluginLoad(m_plan, m_state.m_RepPluginSvr,
                       m_FilterPlugin.get(QStringLiteral("ReturnCondition")));
        return true;
    }
    if (m_RepSub == RouteCode::Keywords)
        return PlanSqlLoad(m_plan,
                           ExpandKeywordSql(m_state.m_Keywords, key, MissingKeywords::RemoveBraces,
                                            m_state.m_OfferedKeywords),
                           QVariant::fromValue(KeywordValues(m_state.m_Keywords)));
    if (m_RepSub == RouteCode::Template)
        return PlanSqlLoad(m_plan, ExpandFilterSql(m_Condition, key),
                           QVariant::fromValue(m_Condition));
    PlanPluginLoad(m_plan, m_state.m_RepPluginSvr, QVariant::fromValue(m_Condition));
    return true;
}

void rptX::loadFromFilterPlugin(Object &report)
{
    // Each step may fail on its own: what it would have set keeps its value.
    try {
        QVariantList request{m_FilterPlugin.get(QStringLiteral("ReturnCondition")),
                             QVariant::fromValue(gSqlConn())};
        const QVariant rows = report.call(QStringLiteral("GetReportData"), request);
        gSqlConn() = connectionIn(request.at(1));
        m_state.VectRs = objectFrom<Vector>(rows);
    } catch (const std::exception &) {
    }
    try {
        m_state.rs = objectFrom<Recordset>(report.get(QStringLiteral("rs")));
    } catch (const std::exception &) {
    }
}

} // namespace varo
