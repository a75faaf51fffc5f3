// The item lookup component as the dialog tests script it: it records the keys it is called
// with and answers with the text (or the error) the test chose. Both call shapes exist: with
// the two shared connections, as the condition dialog calls it, and with the business one only.
#pragma once

#include "platform/error.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

namespace varo::test
{

struct LookupScript {
    QString answer;
    bool fails = false;
    QStringList keys;
};

inline LookupScript &lookupScript()
{
    static LookupScript script;
    return script;
}

class ScriptedItemLook : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ReturnValue READ ReturnValue)
public:
    Q_INVOKABLE void ShowForm(const QVariant &key, QVariant &) { called(key); }
    Q_INVOKABLE void ShowForm(const QVariant &key, QVariant &, QVariant &) { called(key); }
    QString ReturnValue() const { return lookupScript().answer; }

private:
    static void called(const QVariant &key)
    {
        lookupScript().keys << key.toString();
        if (lookupScript().fails)
            throw Error(5, QStringLiteral("查找失败"));
    }
};

} // namespace varo::test
