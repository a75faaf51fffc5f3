// The steps of `varo-report run`: a report key requests that report with GetReportData; a step
// starting with ":" calls one method of the object instead. The method steps belong to rptX.
#pragma once

#include <QString>
#include <QStringList>

namespace varo::report
{

struct MethodStep {
    QString step;   // as written on the command line, ":refresh"
    QString member; // the member called, "Refresh"
};

// The method steps, or an empty list for an object that has none.
QList<MethodStep> methodSteps(const QString &object);

inline bool isMethodStep(const QString &step)
{
    return step.startsWith(u':');
}

// The member a method step calls on the object; empty when the object has no such step.
QString memberForStep(const QString &object, const QString &step);

// Why a step cannot run on the object, or an empty string when it can.
QString stepProblem(const QString &object, const QString &step);

} // namespace varo::report
