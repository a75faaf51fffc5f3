// Scriptable stand-ins for the components the engine creates by ProgID: the item lookup, a
// filter plug-in and a report plug-in. Each records how it was called and answers, fails or
// hands back connections as the test scripted; install() registers it with a fresh script.
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"
#include "platform/error.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

namespace varo::test
{

struct LookupScript {
    // What the lookup does.
    QString answer;
    int failWith = 0;      // error number ShowForm raises; 0: none
    bool handBack = false; // writes locConn and sqlConn back into the caller's arguments
    Connection locConn, sqlConn;
    // What it saw.
    QStringList keys;
    Connection seenLocConn, seenSqlConn;
    int alive = 0;
};

// "VaroSelect.clsItemLook", the item lookup both dialogs and LookupItem create.
class ScriptedItemLook : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ReturnValue READ ReturnValue)
public:
    static LookupScript &script();
    static void install();

    ScriptedItemLook() { ++script().alive; }
    ~ScriptedItemLook() override { --script().alive; }

    Q_INVOKABLE void ShowForm(const QVariant &key, QVariant &locConn, QVariant &sqlConn);
    // The shape the keyword dialog calls, with the business connection alone.
    Q_INVOKABLE void ShowForm(const QVariant &key, QVariant &sqlConn);
    QString ReturnValue() const { return m_value; }

private:
    QString m_value;
};

// A member of the plug-ins named in PluginScript::failing raises this error, with
// "<member> refused" as its description.
constexpr int kPluginError = 5100;

struct PluginScript {
    // The filter plug-in "Test.Filter".
    bool sure = true;
    QVariant condition = QStringLiteral("F"); // ReturnCondition
    Connection replacementLoc;                // handed back by ShowCondition when set
    // The report plug-in "Test.Report": every member it has may be made to fail. Its rows are
    // one record whose FNumber is the condition (GetReportData) or strFilter (GetRptVect).
    QStringList failing;
    QVariant serial = QStringLiteral("1");
    // What they saw, in order: "ShowCondition", "GetReportData", "GetRptVect/3", "GetRptVect/2".
    QStringList calls;
    QVariant conditionSeen;
    Vector headerSeen;
};

class ScriptedFilter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Sure READ Sure)
    Q_PROPERTY(QVariant ReturnCondition READ ReturnCondition)
public:
    static PluginScript &script();
    // Registers "Test.Filter" and "Test.Report" with an empty script.
    static void install();

    Q_INVOKABLE void ShowCondition(QVariant &locConn, QVariant &sqlConn);
    bool Sure() const { return script().sure; }
    QVariant ReturnCondition() const { return script().condition; }
};

class ScriptedReport : public QObject
{
    Q_OBJECT
    Q_PROPERTY(varo::Recordset rs READ rs)
    Q_PROPERTY(QVariant ReturnSerial READ ReturnSerial)
    Q_PROPERTY(varo::Vector ReturnFilterTitle READ ReturnFilterTitle)
public:
    Q_INVOKABLE varo::Vector GetReportData(const QVariant &condition, QVariant &sqlConn);
    // Adds a header column "FExtra" to the one it is handed.
    Q_INVOKABLE varo::Vector GetRptVect(QVariant &values, QVariant &sqlConn, QVariant &header);
    Q_INVOKABLE varo::Vector GetRptVect(QVariant &values, QVariant &sqlConn);
    Recordset rs() const;
    QVariant ReturnSerial() const;
    Vector ReturnFilterTitle() const; // one title line "插件标题"

private:
    Recordset m_rs;
};

} // namespace varo::test
