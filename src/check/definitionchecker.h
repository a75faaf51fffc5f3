// Checks report definitions the way the engine reads them, for report authors: the catalogue row
// and the route it picks, the plug-ins that route needs, the SQL template, the filter rows, the
// keyword catalogue and the header, and the template's SQL run once, neutrally and without rows,
// on the data connection. Nothing is shown and nothing is written.
#pragma once

#include "check/problem.h"
#include "platform/ado.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace varo::check
{

struct ReportCheck {
    QString key;
    QString route; // as varo-report list names it; empty for a key the catalogue lacks
    QList<Problem> problems;

    bool hasError() const;
};

// The reports with the given keys, or every report of T_RepList in its order. Raises when a
// definition table cannot be read at all.
QList<ReportCheck> checkReports(Connection &definitions, Connection &data,
                                const QStringList &keys = {});

} // namespace varo::check
