// The one statement the checks run: a report's SQL, expanded with neutral values, wrapped in a
// query that selects no row, so that the data connection compiles it and names its columns
// without reading or changing anything.
#pragma once

#include "platform/ado.h"

#include <QString>
#include <QStringList>

namespace varo::check
{

struct TrialResult {
    bool ran = false;
    QStringList columns; // as the database names them
    QString errors;      // the provider's errors, one per line, when it did not run
};

// The SQL inside "select * from (...) where 1=0"; a trailing ";" is dropped.
QString wrappedTrialSql(const QString &sql);

TrialResult runTrialQuery(Connection &data, const QString &sql);

} // namespace varo::check
