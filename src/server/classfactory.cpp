#include "classfactory.h"

#include "engine/funcreport.h"
#include "platform/automation.h"

namespace varo::server
{

void registerClasses()
{
    registerClass(QStringLiteral("VaroReportEngine.FuncReport"), [] { return new FuncReport; });
}

} // namespace varo::server
