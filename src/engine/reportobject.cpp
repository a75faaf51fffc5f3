#include "reportobject.h"

#include "shared/modglobal.h"

namespace varo
{

Connection ReportObject::LocDBConn() const
{
    return gLocConn();
}

} // namespace varo
