// Text to the terminal or a pipe, in UTF-8. stdout is written through a buffer of its own and
// handed on in large blocks; it is flushed before anything goes to stderr, so that the lines of
// the two streams appear in the order they happened. A failed write to stdout (a full disk, a
// closed pipe) is kept so that the exit status can tell; later output is dropped.
#pragma once

#include "textout.h"

#include <QString>

namespace varo::report
{

TextOut &standardOutput();
void writeOut(const QString &text);

// Hands on what stdout holds; false once any write to it failed.
bool flushOut();
// Why writing stdout failed, or an empty string.
QString outputError();

void writeError(const QString &text);

// "varo-report: <text>" on one line of stderr: the lines of a multi-line text (a server's
// error, say) are joined with blanks, and control characters are shown as escapes.
void complain(const QString &text);

QString singleLine(const QString &text);

bool stdoutIsTerminal();

} // namespace varo::report
