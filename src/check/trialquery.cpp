#include "trialquery.h"

#include "platform/error.h"

namespace varo::check
{

QString wrappedTrialSql(const QString &sql)
{
    QString inner = sql.trimmed();
    while (inner.endsWith(u';'))
        inner = inner.chopped(1).trimmed();
    // On lines of their own, so that a comment at the end of the template ends there.
    return QStringLiteral("select * from (\n") + inner + QStringLiteral("\n) varo_trial where 1=0");
}

TrialResult runTrialQuery(Connection &data, const QString &sql)
{
    TrialResult result;
    data.errors().Clear();
    try {
        Recordset rs = Recordset::create();
        rs.Open(wrappedTrialSql(sql), data);
        result.columns = rs.fieldNames();
        result.ran = true;
        return result;
    } catch (const std::exception &e) {
        // Listed as the engine's trial run lists them: each provider error on a line.
        QStringList lines;
        for (int i = 0; i < data.errors().Count(); ++i)
            lines.append(data.errors().Item(i).Description.trimmed());
        if (lines.isEmpty())
            lines.append(toError(e).description());
        result.errors = lines.join(u'\n');
    }
    return result;
}

} // namespace varo::check
