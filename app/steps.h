// The steps of `varo-report run`: a report key requests that report with GetReportData; a step
// starting with ":" calls one method of the object instead. The method steps belong to rptX.
#pragma once

#include <QString>
#include <QStringList>

namespace varo::report
{

// How a step tells whether it worked. Refresh returns nothing, and GetReportData without
// arguments returns false even when the load worked: for those the Result property's "OK" tells.
enum class Verdict { Returned, ResultOk };

struct MethodStep {
    QString step;   // as written on the command line, ":refresh"
    QString member; // the member called, "Refresh"
    Verdict verdict = Verdict::Returned;
};

// The method steps, or an empty list for an object that has none.
QList<MethodStep> methodSteps(const QString &object);

inline bool isMethodStep(const QString &step)
{
    return step.startsWith(u':');
}

// The member a method step calls on the object; empty when the object has no such step.
QString memberForStep(const QString &object, const QString &step);

// How the step tells whether it worked; a report key by what GetReportData returns.
Verdict verdictOf(const QString &object, const QString &step);

// Why a step cannot run on the object, or an empty string when it can.
QString stepProblem(const QString &object, const QString &step);

} // namespace varo::report
