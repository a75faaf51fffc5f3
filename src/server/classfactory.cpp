#include "classfactory.h"

#include "engine/funcreport.h"
#include "engine_x/rptx.h"
#include "platform/automation.h"
#include "shared/modglobal.h"

namespace varo::server
{

void registerClasses()
{
    registerClass(QStringLiteral("VaroReportEngine.FuncReport"), [] { return new FuncReport; });
    registerClass(QStringLiteral("VaroReportEngine.rptX"), [] { return new rptX; });
}

void releaseConnections()
{
    gLocConn() = Connection();
    gSqlConn() = Connection();
}

} // namespace varo::server
