// Error numbers raised by the demo database builder and the demo plug-ins. They follow the
// automation numbers a host already knows, so a host shows them like any other error.
#pragma once

namespace varo::demo::ErrorNumber
{

constexpr int InvalidArgument = 5; // "Invalid procedure call or argument": bad input to a member
constexpr int FileAccess = 75;     // the target file cannot be created or is in the way

} // namespace varo::demo::ErrorNumber
