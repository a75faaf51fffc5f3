#include "commands.h"
#include "reporthost.h"

#include "console.h"
#include "dialogdriver.h"
#include "messagerecorder.h"

#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/error.h"
#include "platform/settings.h"
#include "server/classfactory.h"
#include "viewer/catalogueview.h"
#include "viewer/mainwindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <optional>

namespace varo::report
{

namespace
{

// Opens the reports named on the command line, answering their dialogs from --answer when
// given; the message boxes of such a run go to stderr. Returns the exit status so far.
int openStartReports(viewer::MainWindow &window, const RunOptions &o)
{
    const bool scripted = !o.answers.isEmpty() || !o.screenshot.isEmpty();
    DialogDriver driver(o.answers, false);
    std::optional<MessageRecorder> recorder;
    if (scripted) {
        driver.install();
        recorder.emplace(false);
    }
    int status = ExitStatus::Ok;
    for (const QString &key : o.steps) {
        if (!window.openReport(key))
            status = ExitStatus::StepFailed;
        if (recorder) {
            for (const RecordedMessage &m : recorder->take())
                complain(QStringLiteral("%1: message (%2) %3: %4")
                             .arg(key, iconName(m.icon), m.title, m.text));
        }
    }
    QStringList mistakes = driver.failures();
    for (const QString &name : driver.unusedControls())
        mistakes.append(QStringLiteral("no control named %1 in the dialog").arg(name));
    for (const QString &text : driver.unusedKeywordAnswers())
        mistakes.append(QStringLiteral("no keyword grid took --answer %1").arg(text));
    for (const QString &mistake : std::as_const(mistakes))
        complain(mistake);
    return mistakes.isEmpty() ? status : ExitStatus::UsageError;
}

int runViewer(const RunOptions &o, Connection &definitions, Connection &data)
{
    QList<viewer::CatalogueEntry> entries;
    try {
        entries = viewer::readCatalogue(definitions);
    } catch (const std::exception &e) {
        complain(QStringLiteral("cannot read the report catalogue T_RepList in %1: %2")
                     .arg(maskedUrl(definitions.url()), toError(e).description()));
        return ExitStatus::HostFailure;
    }
    server::registerClasses();
    viewer::MainWindow window({definitions, data, o.object, o.repType});
    window.catalogue()->setEntries(entries);
    window.show();
    const int status = openStartReports(window, o);
    if (o.screenshot.isEmpty())
        return QApplication::exec();
    QApplication::processEvents();
    if (!window.grab().save(o.screenshot, "PNG")) {
        complain(QStringLiteral("cannot save the picture %1").arg(o.screenshot));
        return ExitStatus::HostFailure;
    }
    return status;
}

} // namespace

int viewCommand(const RunOptions &o)
{
    if (!o.settingsFile.isEmpty())
        settings::setFile(QFileInfo(o.settingsFile).absoluteFilePath());
    for (const QString &dir : o.pluginDirs)
        addPluginPath(QFileInfo(dir).absoluteFilePath());
    std::optional<Connection> definitions = openConnection(o.dbUrl, o.limits);
    if (!definitions)
        return ExitStatus::HostFailure;
    std::optional<Connection> data =
        o.dataDbUrl.isEmpty() ? definitions : openConnection(o.dataDbUrl, o.limits);
    if (!data)
        return ExitStatus::HostFailure;
    const int status = runViewer(o, *definitions, *data);
    server::releaseConnections();
    return status;
}

} // namespace varo::report
