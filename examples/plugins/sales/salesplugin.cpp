#include "salesplugin.h"

#include "legacyreport.h"
#include "salesfilter.h"
#include "salesreport.h"

namespace varo::demo
{

QObject *SalesPlugin::create(const QString &progId)
{
    // ProgIDs match without regard to case, as the registry looks them up.
    auto is = [&](QLatin1String id) { return progId.compare(id, Qt::CaseInsensitive) == 0; };
    if (is(QLatin1String("VaroDemo.SalesFilter")))
        return new SalesFilter;
    if (is(QLatin1String("VaroDemo.SalesReport")))
        return new SalesReport;
    if (is(QLatin1String("VaroDemo.LegacyReport")))
        return new LegacyReport;
    return nullptr;
}

} // namespace varo::demo
