// The command line of varo-report: its commands, the options of `run` and `view`, and the syntax
// of an `--answer`. Parsing only; nothing here opens a connection or a window.
#pragma once

#include "platform/ado.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace varo::report
{

// Json, Table and Csv go to stdout; Xlsx, Pdf and Csv go to a file with --output.
enum class OutputFormat { Json, Table, Csv, Xlsx, Pdf };

// One `--answer NAME=VALUE`. NAME is a control's objectName, or "kind:TARGET" for answers that
// address something other than a control by name ("keyword:MARKER=VALUE" in a keyword grid).
struct Answer {
    QString kind; // empty for a control named by its objectName
    QString target;
    QString value;
    QString text; // as given, for messages
};

// The kinds an answer name may start with; the dialog driver says which it can apply.
QStringList answerKinds();

// Parses NAME=VALUE (VALUE may be empty and may hold "="); an empty result sets *error.
std::optional<Answer> parseAnswer(const QString &text, QString *error);

struct RunOptions {
    QString dbUrl;
    QString dataDbUrl;       // empty: the definition connection serves as the business one too
    ConnectionLimits limits; // --connect-timeout, --statement-timeout
    QString object = QStringLiteral("FuncReport");
    qint32 repType = -1;
    QString settingsFile;
    QStringList pluginDirs;
    QList<Answer> answers;
    bool cancel = false;
    std::optional<OutputFormat> format; // none given: chosen by whether stdout is a terminal
    bool headless = false;              // as asked for; see runsHeadless
    QString screenshot;                 // PNG of the first dialog, as answered
    QString output;                     // --output FILE: the reports exported to it
    bool csvTitles = false;             // the title lines before the CSV header line
    bool csvBom = false;                // a UTF-8 byte order mark before the CSV
    QStringList steps;
};

enum class Command { Help, Run, List, DemoDb, View, Sql, Check };

struct CommandLine {
    Command command = Command::Help;
    RunOptions run;     // `list` uses dbUrl and limits only; `view` opens the steps' reports,
                        // `sql` the one report key among them; `check` checks the steps' keys
    QString demoTarget; // `demo-db`
    QString error;      // a usage error; the program then ends with status 2
};

// Arguments without the program name.
CommandLine parseCommandLine(const QStringList &arguments);

QString usageText();

// A database argument as a URL: URLs pass unchanged, a plain file path becomes
// "sqlite:///absolute/path".
QString databaseUrl(const QString &argument);

// Headless when asked for, when there is no display, or when the dialogs are to be answered
// (or pictured) from the command line.
bool runsHeadless(const RunOptions &options, bool hasDisplay);
bool hasDisplay();

} // namespace varo::report
