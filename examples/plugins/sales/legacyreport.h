// "VaroDemo.LegacyReport": a report plug-in written before report plug-ins could describe
// columns. It knows only the two-argument GetRptVect, so the engine's three-argument call fails
// and the engine falls back to this one. Returns sales by salesperson.
#pragma once

#include <QObject>
#include <QVariant>

namespace varo::demo
{

class LegacyReport : public QObject
{
    Q_OBJECT

public:
    // conditionValues: the condition dialog's values (its "strFilter" is used); sqlConn: the
    // business connection. Returns a Vector of row records, one per salesperson.
    Q_INVOKABLE QVariant GetRptVect(QVariant &conditionValues, QVariant &sqlConn);
};

} // namespace varo::demo
