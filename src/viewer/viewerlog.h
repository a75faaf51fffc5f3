// The viewer's logging category, for failures it deliberately does not show the user.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcViewer)
