#include "commands.h"

#include "console.h"

#include "demodatabase.h"
#include "platform/ado.h"
#include "platform/error.h"

namespace varo::report
{

int demoDbCommand(const QString &target)
{
    try {
        demo::createDemoDatabase(target);
    } catch (const std::exception &e) {
        complain(toError(e).description());
        return ExitStatus::HostFailure;
    }
    const QString url = databaseUrl(target);
    writeOut(
        QStringLiteral("created the demo database %1 with these reports:\n").arg(maskedUrl(url)));
    return listCommand(url);
}

} // namespace varo::report
