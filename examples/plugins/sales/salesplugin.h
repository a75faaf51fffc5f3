// The factory of the demo sales plug-in library: the filter plug-in and the two report plug-ins.
#pragma once

#include "platform/automation.h"

#include <QObject>

namespace varo::demo
{

class SalesPlugin : public QObject, public varo::ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VaroComponentFactory_iid FILE "salesplugin.json")
    Q_INTERFACES(varo::ComponentFactory)

public:
    QObject *create(const QString &progId) override;
};

} // namespace varo::demo
