// The test plug-ins, one library per kind (see CMakeLists.txt): "echo" creates components.

#include "platform/automation.h"
#include "platform/error.h"

#ifndef VARO_TEST_PLUGIN_IID
#define VARO_TEST_PLUGIN_IID VaroComponentFactory_iid
#endif

#ifdef VARO_TEST_ECHO
class EchoComponent : public QObject
{
    Q_OBJECT

public:
    explicit EchoComponent(const QString &name) { setObjectName(name); }
    Q_INVOKABLE void SwapRefs(QVariant &first, QVariant &second) { first.swap(second); }
    Q_INVOKABLE void Fail(const QString &description) { throw varo::Error(5, description); }
};

class Plugin : public QObject, public varo::ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VARO_TEST_PLUGIN_IID FILE VARO_TEST_PLUGIN_JSON)
    Q_INTERFACES(varo::ComponentFactory)

public:
    QObject *create(const QString &progId) override // named as the caller spelled it
    {
        return progId.endsWith(QLatin1String("Refuses")) ? nullptr : new EchoComponent(progId);
    }
};
#else
class Plugin : public QObject // no component factory, whatever its metadata says
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VARO_TEST_PLUGIN_IID FILE VARO_TEST_PLUGIN_JSON)
};
#endif

#include "plugin.moc"
