// A real plug-in library for the automation tests: it creates "VaroTest.Echo" components whose
// members exercise calls by name, by-reference arguments and errors raised inside a component.
#pragma once

#include "platform/automation.h"

#include <QObject>
#include <QVariant>

namespace varo::test
{

class EchoComponent : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name READ name CONSTANT)

public:
    explicit EchoComponent(const QString &progId) : m_name(progId) {}
    QString name() const { return m_name; }

    Q_INVOKABLE QVariant Echo(const QVariant &value) { return value; }
    // Hands back the connections it was given swapped, as a lookup component may replace
    // the ones the engine passes.
    Q_INVOKABLE void SwapRefs(QVariant &first, QVariant &second) { first.swap(second); }
    Q_INVOKABLE void Fail(const QString &description);

private:
    QString m_name;
};

class EchoPlugin : public QObject, public ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VaroComponentFactory_iid FILE "echoplugin.json")
    Q_INTERFACES(varo::ComponentFactory)

public:
    QObject *create(const QString &progId) override;
};

} // namespace varo::test
