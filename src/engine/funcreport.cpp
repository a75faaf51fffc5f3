#include "funcreport.h"

#include "dialogs/condition/frmcondition.h"
#include "dialogs/keywords/frmsqlfilter.h"
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

const QString kMessageTitle = QStringLiteral("沐岩提示");

QVariant field(Recordset &rs, const char *name)
{
    return rs.Fields(QString::fromLatin1(name)).Value();
}

} // namespace

FuncReport::FuncReport(QObject *parent) : QObject(parent) {}

FuncReport::~FuncReport() = default;

Connection FuncReport::LocDBConn() const
{
    return gLocConn();
}

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
    gRepType() = FRepType;
    gSqlConn() = sqlConn;
    gLocConn() = locConn;
    m_state.Result = Dictionary::create();

    // Once a filter plug-in's report plug-in has delivered rows, its errors go to the host.
    bool trapErrors = true;
    try {
        QString routeCode;
        {
            Recordset catalogue = OpenLocalRecordset(
                QStringLiteral("Select * From T_RepList Where FRepKey='") + sKey + u'\'');
            if (catalogue.atEOF() && catalogue.atBOF()) {
                ShowMessage(QStringLiteral("报表不存在!"));
                return false;
            }
            m_state.RptID = toInt32(NullToValue(field(catalogue, "id"), 0));
            m_state.m_DefaultFilter = toInt16(NullToValue(field(catalogue, "FDefaultFilter"), 0));
            m_state.m_FilterPlugName = toText(NullToValue(field(catalogue, "FFilterPlugName")));
            routeCode = toText(NullToValue(field(catalogue, "FRepSub"), QStringLiteral("0")));
            m_state.m_RepPluginSvr = toText(NullToValue(field(catalogue, "FRepPluginSvr")));
            m_state.m_Multi = toInt16(NullToValue(field(catalogue, "FMulti"), 0));
            toText(NullToValue(field(catalogue, "FTxparm"), QStringLiteral("0")));

            if (routeCode == QLatin1String("0")) {
                if (trimBlanks(m_state.m_RepPluginSvr).isEmpty()) {
                    ShowMessage(QStringLiteral("报表插件名不可为空，请修改报表信息!"));
                    return false;
                }
                if (!PluginExists(m_state.m_RepPluginSvr)) {
                    ShowMessage(QStringLiteral("插件类[") + m_state.m_RepPluginSvr +
                                QStringLiteral("]不存在或插件未被注册！"));
                    return false;
                }
            }
        }

        bool produced = false;
        if (m_state.m_DefaultFilter == 1)
            produced = filterPluginRoute(trapErrors);
        else if (routeCode == QLatin1String("2"))
            produced = keywordRoute(sKey);
        else
            produced = conditionRoute(sKey, routeCode);
        return produced && finish(sKey);
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
    if (trimBlanks(m_state.m_FilterPlugName).isEmpty()) {
        ShowMessage(QStringLiteral("报表过滤界面用到的插件名不可为空，请修改报表信息!"));
        return false;
    }
    if (!PluginExists(m_state.m_FilterPlugName)) {
        ShowMessage(QStringLiteral("报表过滤界面用到的插件类[") + m_state.m_FilterPlugName +
                    QStringLiteral("]不存在或插件未被注册！"));
        return false;
    }
    Object filter = createObject(m_state.m_FilterPlugName);
    QVariantList connections{QVariant::fromValue(gLocConn()), QVariant::fromValue(gSqlConn())};
    filter.call(QStringLiteral("ShowCondition"), connections);
    gLocConn() = objectFrom<Connection>(connections.at(0));
    gSqlConn() = objectFrom<Connection>(connections.at(1));
    if (!toBool(filter.get(QStringLiteral("Sure"))))
        return false;

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
    const QString sql = ExpandKeywordSql(m_state.m_Keywords, sKey);
    if (!ValidateSql(sql))
        return false;
    ui::letMessagesRun();
    m_state.rs = OpenSqlRecordset(sql);
    m_state.VectRs = BuildRowVector(m_state.rs, sKey);
    ui::letMessagesRun();
    return true;
}

bool FuncReport::conditionRoute(const QString &sKey, const QString &routeCode)
{
    // Released on every way out, as the dialog lives for this request only.
    const auto dialog = std::make_unique<dialogs::FrmCondition>();
    if (!dialog->InitData(sKey, QString()))
        return false;
    ui::execModal(dialog.get());
    if (dialog->Tag() != QLatin1String("OK"))
        return false;
    Dictionary conditionValues = dialog->ReturnVal();
    if (conditionValues.isNull())
        return false;

    if (routeCode == QLatin1String("1")) {
        const QString sql = ExpandFilterSql(conditionValues, sKey);
        if (!ValidateSql(sql))
            return false;
        m_state.Title = dialog->ReturnFilterTitle();
        ui::letMessagesRun();
        m_state.rs = OpenSqlRecordset(sql);
        m_state.VectRs = BuildRowVector(m_state.rs, sKey);
        ui::letMessagesRun();
        return true;
    }

    m_state.Title = dialog->ReturnFilterTitle();
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
        Vector records = Vector::create();
        Recordset catalogue = gLocConn().Execute(
            QStringLiteral("Select FCaption,FInterID,FKeyword,FValueType,FSourceField from "
                           "ICReportKeywords order by FInterID"));
        const QString sqlTemplate = GetScalarString(
            QStringLiteral("Select FRepSql From T_RepSql Where FRepKey=") + QuoteSql(strKey),
            gLocConn());
        for (; !catalogue.atEOF(); catalogue.MoveNext()) {
            const QVariant marker = field(catalogue, "FKeyword");
            // An empty template holds no marker; an empty marker is in any other.
            if (isNull(marker) || sqlTemplate.isEmpty() || !sqlTemplate.contains(toText(marker)))
                continue;
            Dictionary record = Dictionary::create();
            record.set(QStringLiteral("FKeyWord"), marker);
            record.set(QStringLiteral("FCaption"), field(catalogue, "FCaption"));
            record.set(QStringLiteral("FValueType"), field(catalogue, "FValueType"));
            record.set(QStringLiteral("FSourceField"), field(catalogue, "FSourceField"));
            records.Add(QVariant::fromValue(record));
        }
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
        m_state.Title = m_KeywordDialog->Titles();
        return true;
    } catch (const std::exception &e) {
        const Error error = toError(e);
        if (error.number() != 0)
            ui::showMessage(error.description(), ui::MessageIcon::Critical, kMessageTitle);
        return false;
    }
}

} // namespace varo
