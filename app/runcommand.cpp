#include "commands.h"

#include "console.h"
#include "dialogdriver.h"
#include "jsonwriter.h"
#include "messagerecorder.h"
#include "stepresult.h"
#include "steps.h"
#include "tablewriter.h"

#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/error.h"
#include "platform/settings.h"
#include "server/classfactory.h"

#include <QFileInfo>
#include <optional>

namespace varo::report
{

namespace
{

// What a step's call raised, if anything.
struct Call {
    QVariant returned;
    std::optional<Error> error;
};

Call callStep(const Object &report, const RunOptions &o, const QString &step, Connection &data,
              Connection &definitions)
{
    Call call;
    try {
        if (isMethodStep(step)) {
            call.returned = report.call(memberForStep(o.object, step));
        } else {
            QVariantList args{step, QVariant::fromValue(data), QVariant::fromValue(definitions),
                              QVariant(o.repType)};
            call.returned = report.call(QStringLiteral("GetReportData"), args);
        }
    } catch (const std::exception &e) {
        call.returned = QVariant();
        call.error = toError(e);
    }
    return call;
}

// Properties as the object holds them after the step; one it lacks is null.
QList<QPair<QString, QVariant>> readProperties(const Object &report)
{
    QList<QPair<QString, QVariant>> properties;
    for (const QString &name : reportPropertyNames()) {
        QVariant value;
        try {
            value = report.get(name);
        } catch (const std::exception &) {
        }
        properties.append({name, value});
    }
    return properties;
}

QString stepHeading(const StepResult &result)
{
    QString outcome;
    if (result.returned.typeId() == QMetaType::Bool)
        outcome = result.returned.toBool() ? QStringLiteral("returned true")
                                           : QStringLiteral("returned false");
    else if (!result.returned.isValid())
        outcome = QStringLiteral("done");
    else
        outcome = QStringLiteral("returned ") + cellText(result.returned);
    return QStringLiteral("step %1: %2").arg(result.step, outcome);
}

QString messageLine(const RecordedMessage &m)
{
    return QStringLiteral("message (%1) %2: %3").arg(iconName(m.icon), m.title, m.text);
}

bool returnedFalse(const StepResult &result)
{
    return result.returned.typeId() == QMetaType::Bool && !result.returned.toBool();
}

void printStep(const StepResult &result, OutputFormat format, bool first)
{
    switch (format) {
    case OutputFormat::Json:
        writeOut(stepJsonLine(result) + u'\n');
        break;
    case OutputFormat::Table: {
        QString text = first ? QString() : QStringLiteral("\n");
        text += stepHeading(result) + u'\n';
        for (const RecordedMessage &m : result.messages)
            text += messageLine(m) + u'\n';
        // A request that stopped leaves the properties of an earlier one behind.
        if (!returnedFalse(result))
            text += reportTable(result);
        writeOut(text);
        break;
    }
    case OutputFormat::Csv:
        // Only data on stdout, so that it loads as it is; the rest goes to stderr.
        for (const RecordedMessage &m : result.messages)
            complain(result.step + QStringLiteral(": ") + messageLine(m));
        if (returnedFalse(result))
            complain(stepHeading(result));
        else
            writeOut((first ? QString() : QStringLiteral("\r\n")) + reportCsv(result));
        break;
    }
}

std::optional<Connection> openConnection(const QString &url, const ConnectionLimits &limits)
{
    try {
        return Connection::open(url, limits);
    } catch (const std::exception &e) {
        const Error error = toError(e);
        // The connection layer names the URL; say it here when an error does not.
        complain(
            error.description().contains(url)
                ? error.description()
                : QStringLiteral("cannot open connection %1: %2").arg(url, error.description()));
        return std::nullopt;
    }
}

int runSteps(const RunOptions &o, OutputFormat format, bool headless, Connection &definitions,
             Connection &data)
{
    server::registerClasses();
    const QString progId = QStringLiteral("VaroReportEngine.") + o.object;
    Object report;
    try {
        report = createObject(progId);
    } catch (const std::exception &e) {
        const Error error = toError(e);
        complain(QStringLiteral("cannot create %1: error %2: %3")
                     .arg(progId)
                     .arg(error.number())
                     .arg(error.description()));
        return ExitStatus::HostFailure;
    }

    MessageRecorder recorder(!headless);
    DialogDriver driver(o.answers, o.cancel, o.screenshot);
    if (headless)
        driver.install();

    int status = ExitStatus::Ok;
    for (qsizetype i = 0; i < o.steps.size(); ++i) {
        const QString &step = o.steps.at(i);
        const Call call = callStep(report, o, step, data, definitions);
        StepResult result;
        result.step = step;
        result.returned = call.returned;
        result.properties = readProperties(report);
        result.messages = recorder.take();
        const QStringList progress = recorder.takeProgress();
        // Only rptX loads inside a progress window.
        if (o.object == QLatin1String("rptX"))
            result.progress = progress;
        printStep(result, format, i == 0);
        if (call.error) {
            complain(QStringLiteral("%1: error %2: %3")
                         .arg(step)
                         .arg(call.error->number())
                         .arg(call.error->description()));
            status = ExitStatus::HostFailure;
            break;
        }
        if (!driver.failures().isEmpty()) {
            for (const QString &failure : driver.failures())
                complain(failure);
            status = ExitStatus::UsageError;
            break;
        }
    }
    if (status == ExitStatus::Ok) {
        const QStringList unused = driver.unusedControls();
        for (const QString &name : unused)
            complain(QStringLiteral("no control named %1 in the dialog").arg(name));
        const QStringList unusedKeywords = driver.unusedKeywordAnswers();
        for (const QString &text : unusedKeywords)
            complain(QStringLiteral("no keyword grid took --answer %1").arg(text));
        if (!unused.isEmpty() || !unusedKeywords.isEmpty())
            status = ExitStatus::UsageError;
    }
    return status;
}

} // namespace

int runCommand(const RunOptions &o, OutputFormat format, bool headless)
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

    const int status = runSteps(o, format, headless, *definitions, *data);
    // Let the engine's references go while the application still exists, so that the
    // connections close cleanly.
    server::releaseConnections();
    return status;
}

} // namespace varo::report
