// A real plug-in library for the automation tests: it creates "VaroTest.Echo" components whose
// members exercise by-reference arguments and errors raised inside a component.

#include "platform/automation.h"
#include "platform/error.h"

namespace varo::test
{

class EchoComponent : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name MEMBER m_name)

public:
    explicit EchoComponent(const QString &progId) : m_name(progId) {}
    Q_INVOKABLE QVariant Echo(const QVariant &value) { return value; }
    Q_INVOKABLE void SwapRefs(QVariant &first, QVariant &second) { first.swap(second); }
    Q_INVOKABLE void Fail(const QString &description) { throw Error(5, description); }

private:
    QString m_name;
};

class EchoPlugin : public QObject, public ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VaroComponentFactory_iid FILE "echoplugin.json")
    Q_INTERFACES(varo::ComponentFactory)

public:
    // Answers every ProgID its metadata lists, under the spelling the caller used.
    QObject *create(const QString &progId) override
    {
        if (progId.compare(QLatin1String("VaroTest.Refuses"), Qt::CaseInsensitive) == 0)
            return nullptr;
        return new EchoComponent(progId);
    }
};

} // namespace varo::test

#include "echoplugin.moc"
