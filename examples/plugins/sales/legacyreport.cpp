#include "legacyreport.h"

#include "common/pluginsupport.h"
#include "salesqueries.h"

namespace varo::demo
{

QVariant LegacyReport::GetRptVect(QVariant &conditionValues, QVariant &sqlConn)
{
    const QString member = QStringLiteral("VaroDemo.LegacyReport.GetRptVect");
    const Dictionary values = dictionaryArgument(conditionValues, member);
    Connection conn = connectionArgument(sqlConn, member);
    Recordset rs = openQuery(conn, salesmanSalesSql(filterConditions(
                                       plainText(values.value(QStringLiteral("strFilter"))))));
    return QVariant::fromValue(rowRecords(rs));
}

} // namespace varo::demo
