// What a report object would load once its filter is collected, kept instead of loading when a
// host only asks to see it (varo-report sql): the statement it would run on the business
// connection, or the report plug-in it would create and the values it would hand over. Internal
// to the engine and its own host; not installed, not reachable by member name.
#pragma once

#include "platform/containers.h"

#include <QString>
#include <QVariant>

namespace varo
{

struct LoadPlan {
    bool ready = false; // a request got as far as its load
    QString sql;        // the expanded template; empty for a plug-in
    QString plugin;     // the report plug-in's ProgID; empty for a template
    // The values the filter step produced: the condition dialog's values, each keyword's value
    // by marker, or the filter plug-in's condition. A plug-in is handed exactly these.
    QVariant values;
};

// The plan of a template load. The SQL is not tried: a blank one (an expansion that failed, or
// no template) is refused with the message the trial run would show, and false.
bool PlanSqlLoad(LoadPlan &plan, const QString &sql, const QVariant &values);

// The plan of a report plug-in's load with the values it would be handed.
void PlanPluginLoad(LoadPlan &plan, const QString &progId, const QVariant &values);

// Each keyword's value by its marker, from the keyword dialog's records.
Dictionary KeywordValues(const Vector &keywords);

} // namespace varo
