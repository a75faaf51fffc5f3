// Scriptable stand-ins for the components the engine creates by ProgID. The item lookup records
// how it was called and answers, fails or hands back connections as the test scripted; install()
// registers it under the lookup's ProgID with a fresh script.
#pragma once

#include "platform/ado.h"
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

class ScriptedItemLook : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ReturnValue READ ReturnValue)
public:
    static LookupScript &script();
    // Registers the lookup under its ProgID with an empty script.
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

} // namespace varo::test
