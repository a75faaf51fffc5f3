#include "common/fakes.h"

#include "common/testsupport.h"
#include "platform/automation.h"

namespace varo::test
{

LookupScript &ScriptedItemLook::script()
{
    static LookupScript script;
    return script;
}

void ScriptedItemLook::install()
{
    script() = LookupScript();
    registerClass(QStringLiteral("VaroSelect.clsItemLook"), [] { return new ScriptedItemLook; });
}

void ScriptedItemLook::ShowForm(const QVariant &key, QVariant &locConn, QVariant &sqlConn)
{
    LookupScript &s = script();
    s.keys << key.toString();
    s.seenLocConn = locConn.value<Connection>();
    s.seenSqlConn = sqlConn.value<Connection>();
    if (s.failWith)
        throw Error(s.failWith, QStringLiteral("选择窗口打不开"));
    if (s.handBack) {
        locConn = s.locConn.isNull() ? QVariant() : QVariant::fromValue(s.locConn);
        sqlConn = s.sqlConn.isNull() ? QVariant() : QVariant::fromValue(s.sqlConn);
    }
    m_value = s.answer;
}

void ScriptedItemLook::ShowForm(const QVariant &key, QVariant &sqlConn)
{
    QVariant noLocConn;
    ShowForm(key, noLocConn, sqlConn);
}

namespace
{

void called(const QString &member)
{
    ScriptedFilter::script().calls << member;
    const QStringList &failing = ScriptedFilter::script().failing;
    if (failing.contains(member) || failing.contains(member.section(u'/', 0, 0)))
        throw Error(kPluginError, member.section(u'/', 0, 0) + QStringLiteral(" refused"));
}

Vector oneRow(const QVariant &number)
{
    return vector({QVariant::fromValue(dictionary({{"FNumber", number}}))});
}

QVariant strFilter(const QVariant &values)
{
    return values.value<Dictionary>().value(QStringLiteral("strFilter"));
}

} // namespace

PluginScript &ScriptedFilter::script()
{
    static PluginScript script;
    return script;
}

void ScriptedFilter::install()
{
    script() = PluginScript();
    registerClass(QStringLiteral("Test.Filter"), [] { return new ScriptedFilter; });
    registerClass(QStringLiteral("Test.Report"), [] { return new ScriptedReport; });
}

void ScriptedFilter::ShowCondition(QVariant &locConn, QVariant &)
{
    called(QStringLiteral("ShowCondition"));
    if (!script().replacementLoc.isNull())
        locConn = QVariant::fromValue(script().replacementLoc);
}

Vector ScriptedReport::GetReportData(const QVariant &condition, QVariant &sqlConn)
{
    ScriptedFilter::script().conditionSeen = condition;
    called(QStringLiteral("GetReportData"));
    Connection connection = sqlConn.value<Connection>();
    m_rs = Recordset::create();
    m_rs.Open(QStringLiteral("select 1 as n"), connection);
    return oneRow(condition);
}

Vector ScriptedReport::GetRptVect(QVariant &values, QVariant &, QVariant &header)
{
    called(QStringLiteral("GetRptVect/3"));
    Vector columns = header.value<Vector>();
    ScriptedFilter::script().headerSeen = columns;
    columns.Add(QVariant::fromValue(dictionary({{"FColCaption", QStringLiteral("附加")},
                                                {"FHeadSecond", QString()},
                                                {"FColType", QStringLiteral("N")},
                                                {"FColName", QStringLiteral("FExtra")},
                                                {"FVisible", 1}})));
    return oneRow(strFilter(values));
}

Vector ScriptedReport::GetRptVect(QVariant &values, QVariant &)
{
    called(QStringLiteral("GetRptVect/2"));
    return oneRow(strFilter(values));
}

Recordset ScriptedReport::rs() const
{
    if (ScriptedFilter::script().failing.contains(QStringLiteral("rs")))
        throw Error(kPluginError, QStringLiteral("rs refused"));
    return m_rs;
}

QVariant ScriptedReport::ReturnSerial() const
{
    if (ScriptedFilter::script().failing.contains(QStringLiteral("ReturnSerial")))
        throw Error(kPluginError, QStringLiteral("ReturnSerial refused"));
    return ScriptedFilter::script().serial;
}

Vector ScriptedReport::ReturnFilterTitle() const
{
    if (ScriptedFilter::script().failing.contains(QStringLiteral("ReturnFilterTitle")))
        throw Error(kPluginError, QStringLiteral("ReturnFilterTitle refused"));
    return vector({QVariant::fromValue(
        dictionary({{"FCaption", QStringLiteral("插件标题")}, {"FIndex", 0}}))});
}

} // namespace varo::test
