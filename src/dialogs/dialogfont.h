// The font of the engine's dialogs: 宋体 where it is installed, else an installed font that
// covers Chinese, at the dialogs' design size of 9 points.
#pragma once

#include <QFont>

namespace varo::dialogs
{

QFont dialogFont();

} // namespace varo::dialogs
