// How many terminal columns a text takes: East Asian wide and fullwidth characters (Chinese
// among them) take two, combining marks and controls none, everything else one. Used to line up
// the columns of the table output.
#pragma once

#include <QString>

namespace varo::report
{

int charWidth(char32_t codePoint);
int displayWidth(const QString &text);

// The text with its control characters (C0, DEL, C1) written as escapes: "\t", "\n", "\r",
// else "\xNN". Data shown on a terminal then cannot move the cursor, clear the screen or
// retitle the window.
QString visibleText(const QString &text);

// The text followed by blanks up to the given display width (never cut).
QString padToWidth(const QString &text, int width);

} // namespace varo::report
