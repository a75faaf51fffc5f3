#include "common/fakes.h"

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

} // namespace varo::test
