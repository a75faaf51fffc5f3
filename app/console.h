// Text to the terminal or a pipe: stdout and stderr in UTF-8, flushed at once so that lines of
// the two streams and of successive steps appear in the order they happened.
#pragma once

#include <QString>

namespace varo::report
{

void writeOut(const QString &text);
void writeError(const QString &text);

// "varo-report: <text>" on one line of stderr: the lines of a multi-line text (a server's
// error, say) are joined with blanks.
void complain(const QString &text);

QString singleLine(const QString &text);

bool stdoutIsTerminal();

} // namespace varo::report
