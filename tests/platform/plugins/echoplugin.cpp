#include "echoplugin.h"

#include "platform/error.h"

namespace varo::test
{

void EchoComponent::Fail(const QString &description)
{
    throw Error(5, description);
}

QObject *EchoPlugin::create(const QString &progId)
{
    // Answers every ProgID its metadata lists, under the spelling the caller used.
    if (progId.compare(QLatin1String("VaroTest.Refuses"), Qt::CaseInsensitive) == 0)
        return nullptr;
    return new EchoComponent(progId);
}

} // namespace varo::test
