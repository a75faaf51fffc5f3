#include "selectplugin.h"

#include "itemlook.h"

namespace varo::demo
{

QObject *SelectPlugin::create(const QString &progId)
{
    if (progId.compare(QLatin1String("VaroSelect.clsItemLook"), Qt::CaseInsensitive) == 0)
        return new ItemLook;
    return nullptr;
}

} // namespace varo::demo
