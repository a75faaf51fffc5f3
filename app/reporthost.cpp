#include "reporthost.h"

#include "commands.h"
#include "console.h"

#include "platform/error.h"
#include "platform/settings.h"
#include "server/classfactory.h"

#include <QFileInfo>
#include <QSet>
#include <memory>

namespace varo::report
{

namespace
{

// A file that is no database, or one that lost its catalogue, would make every step fail
// alike; that is the program failing, not a report.
bool catalogueReadable(Connection &definitions)
{
    try {
        Recordset::create().Open(QStringLiteral("select count(*) from T_RepList"), definitions);
        return true;
    } catch (const std::exception &e) {
        complain(QStringLiteral("cannot read the report catalogue T_RepList in %1: %2")
                     .arg(maskedUrl(definitions.url()), toError(e).description()));
        return false;
    }
}

} // namespace

std::optional<Connection> openConnection(const QString &url, const ConnectionLimits &limits)
{
    try {
        return Connection::open(url, limits);
    } catch (const std::exception &e) {
        const Error error = toError(e);
        // The connection layer names the URL; say it here when an error does not.
        const QString shown = maskedUrl(url);
        complain(
            error.description().contains(shown)
                ? error.description()
                : QStringLiteral("cannot open connection %1: %2").arg(shown, error.description()));
        return std::nullopt;
    }
}

void prepareHost(const RunOptions &o)
{
    if (!o.settingsFile.isEmpty())
        settings::setFile(QFileInfo(o.settingsFile).absoluteFilePath());
    auto reported = std::make_shared<QSet<QString>>();
    settings::setSaveFailureHandler([reported](const settings::SaveFailure &failure) {
        const QString text = QStringLiteral("cannot remember the dialog values in %1: %2")
                                 .arg(failure.file, failure.reason);
        if (!reported->contains(text)) {
            reported->insert(text);
            complain(text);
        }
    });
    for (const QString &dir : o.pluginDirs)
        addPluginPath(QFileInfo(dir).absoluteFilePath());
}

std::optional<ReportConnections> openReportConnections(const RunOptions &o)
{
    std::optional<Connection> definitions = openConnection(o.dbUrl, o.limits);
    if (!definitions || !catalogueReadable(*definitions))
        return std::nullopt;
    std::optional<Connection> data =
        o.dataDbUrl.isEmpty() ? definitions : openConnection(o.dataDbUrl, o.limits);
    if (!data)
        return std::nullopt;
    return ReportConnections{*definitions, *data};
}

Object createReportObject(const QString &object)
{
    server::registerClasses();
    const QString progId = QStringLiteral("VaroReportEngine.") + object;
    try {
        return createObject(progId);
    } catch (const std::exception &e) {
        const Error error = toError(e);
        complain(QStringLiteral("cannot create %1: error %2: %3")
                     .arg(progId)
                     .arg(error.number())
                     .arg(error.description()));
        return Object();
    }
}

bool complainAboutUnusedAnswers(const DialogDriver &driver)
{
    const QStringList unused = driver.unusedControls();
    for (const QString &name : unused)
        complain(QStringLiteral("no control named %1 in the dialog").arg(name));
    const QStringList unusedKeywords = driver.unusedKeywordAnswers();
    for (const QString &text : unusedKeywords)
        complain(QStringLiteral("no keyword grid took --answer %1").arg(text));
    return !unused.isEmpty() || !unusedKeywords.isEmpty();
}

} // namespace varo::report
