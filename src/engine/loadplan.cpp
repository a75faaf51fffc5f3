#include "loadplan.h"

#include "engine/requestsupport.h"
#include "platform/variant.h"

namespace varo
{

bool PlanSqlLoad(LoadPlan &plan, const QString &sql, const QVariant &values)
{
    if (!SqlGiven(sql))
        return false;
    plan = LoadPlan{true, sql, QString(), values};
    return true;
}

void PlanPluginLoad(LoadPlan &plan, const QString &progId, const QVariant &values)
{
    plan = LoadPlan{true, QString(), progId, values};
}

Dictionary KeywordValues(const Vector &keywords)
{
    Dictionary values = Dictionary::create();
    for (int i = 0; !keywords.isNull() && i < keywords.Count(); ++i) {
        const Dictionary record = objectFrom<Dictionary>(keywords.Item(i));
        values.set(toText(record.value(QStringLiteral("FKeyword"))),
                   record.value(QStringLiteral("FValue")));
    }
    return values;
}

} // namespace varo
