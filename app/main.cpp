// varo-report, the reference host of the report engine: runs reports from the command line and
// prints what the report objects hand back.
#include "commands.h"
#include "console.h"
#include "options.h"
#include "qtenvironment.h"

#include <QApplication>
#include <csignal>

using namespace varo::report;

namespace
{

int runCommandLine(const CommandLine &cl, char *argv[])
{
    if (!cl.error.isEmpty()) {
        complain(cl.error);
        writeError(QStringLiteral("Try 'varo-report --help'.\n"));
        return ExitStatus::UsageError;
    }
    if (cl.command == Command::Help) {
        writeOut(usageText());
        return ExitStatus::Ok;
    }

    if (cl.command == Command::View && !hasDisplay() &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        complain(QStringLiteral("view needs a display (DISPLAY or WAYLAND_DISPLAY)"));
        return ExitStatus::HostFailure;
    }
    const bool asksLikeRun = cl.command == Command::Run || cl.command == Command::Sql;
    const bool headless =
        cl.command == Command::View ? false : !asksLikeRun || runsHeadless(cl.run, hasDisplay());
    prepareQtEnvironment(headless);
    // Qt sees only the program name: a step or value such as "-style" is ours, not Qt's.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("varo-report"));

    switch (cl.command) {
    case Command::Run: {
        const OutputFormat format =
            cl.run.format.value_or(stdoutIsTerminal() ? OutputFormat::Table : OutputFormat::Json);
        return runCommand(cl.run, format, headless);
    }
    case Command::Sql:
        return sqlCommand(cl.run, cl.run.format.value_or(OutputFormat::Table), headless);
    case Command::List:
        return listCommand(cl.run.dbUrl, cl.run.limits);
    case Command::View:
        return viewCommand(cl.run);
    case Command::Check:
        return checkCommand(cl.run);
    case Command::DemoDb:
        return demoDbCommand(cl.demoTarget);
    case Command::Help:
        break;
    }
    return ExitStatus::Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    // A reader that went away (a closed pipe) is a failed write, told by the exit status.
    std::signal(SIGPIPE, SIG_IGN);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    int status = runCommandLine(parseCommandLine(arguments), argv);
    if (!flushOut()) {
        complain(QStringLiteral("cannot write the output: ") + outputError());
        if (status == ExitStatus::Ok)
            status = ExitStatus::StepFailed;
    }
    return status;
}
