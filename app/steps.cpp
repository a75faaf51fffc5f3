#include "steps.h"

namespace varo::report
{

QList<MethodStep> methodSteps(const QString &object)
{
    if (object.compare(QLatin1String("rptX"), Qt::CaseInsensitive) == 0)
        return {
            {QStringLiteral(":refresh"), QStringLiteral("Refresh"), Verdict::ResultOk},
            {QStringLiteral(":reload"), QStringLiteral("GetReportData"), Verdict::ResultOk},
            {QStringLiteral(":filter"), QStringLiteral("ShowFilter")},
        };
    return {};
}

QString memberForStep(const QString &object, const QString &step)
{
    for (const MethodStep &m : methodSteps(object)) {
        if (m.step == step)
            return m.member;
    }
    return QString();
}

Verdict verdictOf(const QString &object, const QString &step)
{
    for (const MethodStep &m : methodSteps(object)) {
        if (m.step == step)
            return m.verdict;
    }
    return Verdict::Returned;
}

QString stepProblem(const QString &object, const QString &step)
{
    if (step.isEmpty())
        return QStringLiteral("an empty step");
    if (!isMethodStep(step) || !memberForStep(object, step).isEmpty())
        return QString();
    const QList<MethodStep> known = methodSteps(QStringLiteral("rptX"));
    for (const MethodStep &m : known) {
        if (m.step == step)
            return QStringLiteral("step %1 needs --object rptX").arg(step);
    }
    QStringList names;
    for (const MethodStep &m : known)
        names.append(m.step);
    return QStringLiteral("unknown step %1 (method steps: %2)").arg(step, names.join(u", "));
}

} // namespace varo::report
