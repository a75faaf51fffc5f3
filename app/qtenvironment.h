// The environment Qt reads when the application object is created: the offscreen platform for
// headless runs, and a runtime folder; and the one warning of the offscreen platform that says
// nothing about the run is kept off stderr.
#pragma once

namespace varo::report
{

// Call before the QApplication exists.
void prepareQtEnvironment(bool headless);

} // namespace varo::report
