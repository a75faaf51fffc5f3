// rptX's filter step: the filter plug-in, the keyword dialog for the keywords the report's
// filter rows name, or the condition dialog.
#include "dialogs/keywords/frmsqlfilter.h"
#include "engine/filtersteps.h"
#include "engine_x/rptx.h"
#include "platform/ui.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

namespace varo
{

bool rptX::ShowFilter()
{
    QVariant autoFilter(true);
    return ShowFilter(autoFilter);
}

bool rptX::ShowFilter(QVariant &AutoFilter)
{
    Q_UNUSED(AutoFilter)
    m_Condition = Dictionary::create();
    if (m_state.m_DefaultFilter == 1) {
        ShowFilterPlugin(m_state.m_FilterPlugName, m_FilterPlugin);
        if (!toBool(m_FilterPlugin.get(QStringLiteral("Sure")))) {
            m_FilterPlugin = Object();
            m_FilterCancelled = true;
            return false;
        }
        m_FilterCancelled = false;
        return true;
    }
    if (m_RepSub == RouteCode::Keywords)
        return ShowFilterAuto();
    // A planned request shows the SQL without trying it.
    return CollectConditionFilter(m_state.RptKey, m_RepSub == RouteCode::Template && !m_planning,
                                  m_Condition, m_state.Title);
}

bool rptX::ShowFilterAuto()
{
    try {
        // A host may call this before any request: the outcome still has somewhere to go.
        if (m_state.Result.isNull())
            m_state.Result = Dictionary::create();
        Recordset rows = gLocConn().Execute(
            QStringLiteral("Select a.FCaption,a.FInterID,a.FKeyword,a.FValueType,a.FSourceField "
                           "from ICReportKeywords a,T_RepFilter b \r\n where a.FKeyword=b.FCaption "
                           "and b.FRepKey=") +
            QuoteSql(m_state.RptKey) + QStringLiteral(" order by b.FIndex;"));
        const Vector records = OfferedKeywords(rows, ReportTemplate(m_state.RptKey));
        if (records.Count() == 0) {
            m_state.Result.set(QStringLiteral("OK"), true);
            return true;
        }

        // Reached by member name, as a component is.
        Object dialog = Object::adopt(new dialogs::frmSQLFilter);
        dialog.set(QStringLiteral("Keywords"), QVariant::fromValue(records));
        dialog.set(QStringLiteral("RptID"), 0);
        dialog.set(QStringLiteral("RptKey"), m_state.RptKey);
        ui::execModal(qobject_cast<QDialog *>(dialog.get()));
        if (objectFrom<Dictionary>(dialog.get(QStringLiteral("m_Result"))).isNull()) {
            m_state.Result.set(QStringLiteral("OK"), false);
            m_state.Result.set(QStringLiteral("Error"),
                               QStringLiteral("过滤条件有误，请重新过滤！"));
            return false;
        }
        QVariantList ok{QStringLiteral("OK")};
        if (!toBool(dialog.call(QStringLiteral("m_Result"), ok))) {
            m_state.Result.set(QStringLiteral("OK"), false);
            return false;
        }
        m_state.Result.set(QStringLiteral("OK"), true);
        m_state.Result.set(QStringLiteral("Error"), QString());
        m_state.m_Keywords = objectFrom<Vector>(dialog.get(QStringLiteral("Keywords")));
        m_state.m_OfferedKeywords = records;
        m_state.Title = objectFrom<Vector>(dialog.get(QStringLiteral("Titles")));
        return true;
    } catch (const std::exception &e) {
        ShowKeywordStepError(e);
        return false;
    }
}

} // namespace varo
