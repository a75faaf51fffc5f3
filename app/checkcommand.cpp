// varo-report check: the definition checks on the command line, as text for authors or as JSON
// lines for their pipelines.
#include "commands.h"
#include "reporthost.h"

#include "console.h"
#include "jsonwriter.h"
#include "textwidth.h"

#include "check/definitionchecker.h"
#include "platform/automation.h"
#include "platform/error.h"
#include "platform/ui.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <optional>

Q_LOGGING_CATEGORY(lcCheck, "varo.report")

namespace varo::report
{

namespace
{

// Scripts test for 0; a report with an error and a failed program both give 1.
constexpr int ErrorFound = 1;

QString counted(qsizetype n, const char *word)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(word),
                                                n == 1 ? QString() : QStringLiteral("s"));
}

QString reportJson(const check::ReportCheck &report)
{
    QString line = QStringLiteral("{\"key\":") + jsonString(report.key) +
                   QStringLiteral(",\"route\":") +
                   (report.route.isEmpty() ? QStringLiteral("null") : jsonString(report.route)) +
                   QStringLiteral(",\"problems\":[");
    for (qsizetype i = 0; i < report.problems.size(); ++i) {
        const check::Problem &p = report.problems.at(i);
        line += (i ? QStringLiteral(",{") : QStringLiteral("{")) + QStringLiteral("\"severity\":") +
                jsonString(check::severityName(p.severity())) + QStringLiteral(",\"code\":") +
                jsonString(p.codeName()) + QStringLiteral(",\"where\":") + jsonString(p.where) +
                QStringLiteral(",\"message\":") + jsonString(p.message) +
                QStringLiteral(",\"hint\":") + jsonString(p.hint) + u'}';
    }
    return line + QStringLiteral("]}\n");
}

// A heading per report, then each problem with its sentences indented below it. Texts from the
// database show their control characters as escapes, line by line.
QString reportText(const check::ReportCheck &report, qsizetype errors)
{
    const qsizetype warnings = report.problems.size() - errors;
    QStringList counts;
    if (errors)
        counts.append(counted(errors, "error"));
    if (warnings)
        counts.append(counted(warnings, "warning"));
    QStringList lines{
        visibleText(report.key) +
        (report.route.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(report.route)) +
        QStringLiteral(": ") +
        (counts.isEmpty() ? QStringLiteral("no problem") : counts.join(QStringLiteral(", ")))};
    for (const check::Problem &p : report.problems) {
        lines.append(
            QStringLiteral("  %1 %2 at %3")
                .arg(check::severityName(p.severity()), p.codeName(), visibleText(p.where)));
        for (const QString &line : p.message.split(u'\n'))
            lines.append(QStringLiteral("    ") + visibleText(line));
        lines.append(QStringLiteral("    Hint: ") + visibleText(p.hint));
    }
    return lines.join(u'\n') + u'\n';
}

} // namespace

int checkCommand(const RunOptions &o)
{
    for (const QString &dir : o.pluginDirs)
        addPluginPath(QFileInfo(dir).absoluteFilePath());
    // The checks show nothing; a box that still comes is the checker's fault, told on stderr.
    ui::setMessageSink([](const QString &text, ui::MessageIcon, const QString &title) {
        qCWarning(lcCheck).noquote() << "check: unexpected message" << title << text;
    });
    std::optional<Connection> definitions = openConnection(o.dbUrl, o.limits);
    if (!definitions)
        return ErrorFound;
    std::optional<Connection> data =
        o.dataDbUrl.isEmpty() ? definitions : openConnection(o.dataDbUrl, o.limits);
    if (!data)
        return ErrorFound;

    QList<check::ReportCheck> reports;
    try {
        reports = check::checkReports(*definitions, *data, o.steps);
    } catch (const std::exception &e) {
        complain(QStringLiteral("cannot read the report definitions in %1: %2")
                     .arg(maskedUrl(o.dbUrl), toError(e).description()));
        return ErrorFound;
    }
    const bool json = o.format == OutputFormat::Json;
    qsizetype errors = 0;
    qsizetype problems = 0;
    for (const check::ReportCheck &report : std::as_const(reports)) {
        qsizetype reportErrors = 0;
        for (const check::Problem &p : report.problems)
            reportErrors += p.severity() == check::Severity::Error;
        errors += reportErrors;
        problems += report.problems.size();
        writeOut(json ? reportJson(report) : reportText(report, reportErrors));
    }
    if (!json)
        writeOut(QStringLiteral("%1 checked: %2, %3\n")
                     .arg(counted(reports.size(), "report"), counted(errors, "error"),
                          counted(problems - errors, "warning")));
    return errors ? ErrorFound : ExitStatus::Ok;
}

} // namespace varo::report
