#include "commands.h"

#include "console.h"
#include "dialogdriver.h"
#include "jsonwriter.h"
#include "messagerecorder.h"
#include "reporthost.h"
#include "stepresult.h"
#include "steps.h"
#include "tablewriter.h"

#include "textwidth.h"

#include "export/exporter.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/containers.h"
#include "platform/error.h"
#include "server/classfactory.h"

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

bool succeeded(const StepResult &result, Verdict verdict)
{
    if (verdict == Verdict::Returned)
        return result.returned.typeId() != QMetaType::Bool || result.returned.toBool();
    const QVariant outcome = result.property(QStringLiteral("Result"));
    const Dictionary d = outcome.metaType() == QMetaType::fromType<Dictionary>()
                             ? outcome.value<Dictionary>()
                             : Dictionary();
    return !d.isNull() && d.value(QStringLiteral("OK")).toBool();
}

// The report of a step for the exporters; its sheet is named after the report.
exporting::ReportTable exportedTable(const StepResult &result)
{
    const QVariant property = result.property(QStringLiteral("Property"));
    const Dictionary d = property.metaType() == QMetaType::fromType<Dictionary>()
                             ? property.value<Dictionary>()
                             : Dictionary();
    const QString name = d.isNull() ? QString() : cellText(d.value(QStringLiteral("FRepName")));
    return exporting::ReportTable(name.trimmed().isEmpty() ? result.step : name,
                                  result.property(QStringLiteral("Title")).value<Vector>(),
                                  result.property(QStringLiteral("Header")).value<Vector>(),
                                  result.property(QStringLiteral("VectRs")).value<Vector>());
}

// Only data on stdout, so that it loads as it is; the rest goes to stderr.
void complainAboutStep(const StepResult &result, bool worked)
{
    for (const RecordedMessage &m : result.messages)
        complain(result.step + QStringLiteral(": ") + messageLine(m));
    if (!worked)
        complain(stepHeading(result));
}

// A step that did not work leaves the properties of an earlier one behind: its report is not
// printed.
void printStep(const StepResult &result, const RunOptions &o, OutputFormat format, bool first,
               bool worked)
{
    TextOut &out = standardOutput();
    switch (format) {
    case OutputFormat::Json:
        writeStepJson(out, result);
        out.write(u"\n");
        break;
    case OutputFormat::Table:
        if (!first)
            out.write(u"\n");
        out.write(visibleText(stepHeading(result)));
        out.write(u"\n");
        for (const RecordedMessage &m : result.messages) {
            out.write(visibleText(messageLine(m)));
            out.write(u"\n");
        }
        if (worked)
            writeReportTable(out, result);
        break;
    case OutputFormat::Csv:
        complainAboutStep(result, worked);
        if (first && o.csvBom)
            out.write(u"\uFEFF");
        if (worked) {
            if (!first)
                out.write(u"\r\n");
            if (o.csvTitles) {
                const QStringList titles = exportedTable(result).titleLines();
                for (const QString &line : titles) {
                    out.write(csvField(line));
                    out.write(u"\r\n");
                }
            }
            writeReportCsv(out, result);
        }
        break;
    case OutputFormat::Xlsx:
    case OutputFormat::Pdf:
        break; // always to a file
    }
}

int exportTo(const RunOptions &o, OutputFormat format, const QList<exporting::ReportTable> &reports)
{
    using exporting::ExportFormat;
    const ExportFormat to = format == OutputFormat::Xlsx  ? ExportFormat::Xlsx
                            : format == OutputFormat::Pdf ? ExportFormat::Pdf
                                                          : ExportFormat::Csv;
    const QString problem =
        exporting::exportReports(reports, to, o.output, {o.csvTitles, o.csvBom});
    if (problem.isEmpty())
        return ExitStatus::Ok;
    complain(problem);
    return ExitStatus::HostFailure;
}

int runSteps(const RunOptions &o, OutputFormat format, bool headless, Connection &definitions,
             Connection &data)
{
    const Object report = createReportObject(o.object);
    if (report.isNull())
        return ExitStatus::HostFailure;

    MessageRecorder recorder(!headless);
    DialogDriver driver(o.answers, o.cancel, o.screenshot);
    if (headless)
        driver.install();

    const bool toFile = !o.output.isEmpty();
    QList<exporting::ReportTable> exported;
    int status = ExitStatus::Ok;
    bool allWorked = true;
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
        const bool worked = succeeded(result, verdictOf(o.object, step));
        allWorked = allWorked && worked;
        if (!toFile) {
            printStep(result, o, format, i == 0, worked);
        } else {
            complainAboutStep(result, worked);
            if (worked)
                exported.append(exportedTable(result));
        }
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
        // Output that cannot be written ends the run; the program says why as it ends.
        if (!flushOut()) {
            status = ExitStatus::StepFailed;
            break;
        }
    }
    if (status == ExitStatus::Ok) {
        if (complainAboutUnusedAnswers(driver))
            status = ExitStatus::UsageError;
        else if (!allWorked)
            status = ExitStatus::StepFailed;
    }
    if (toFile && status == ExitStatus::StepFailed)
        complain(QStringLiteral("%1 not written: a step did not work").arg(o.output));
    if (toFile && status == ExitStatus::Ok)
        status = exportTo(o, format, exported);
    return status;
}

} // namespace

int runCommand(const RunOptions &o, OutputFormat format, bool headless)
{
    prepareHost(o);
    std::optional<ReportConnections> connections = openReportConnections(o);
    if (!connections)
        return ExitStatus::HostFailure;

    const int status = runSteps(o, format, headless, connections->definitions, connections->data);
    // Let the engine's references go while the application still exists, so that the
    // connections close cleanly.
    server::releaseConnections();
    return status;
}

} // namespace varo::report
