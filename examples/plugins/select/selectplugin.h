// The factory of the demo item lookup library.
#pragma once

#include "platform/automation.h"

#include <QObject>

namespace varo::demo
{

class SelectPlugin : public QObject, public varo::ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VaroComponentFactory_iid FILE "selectplugin.json")
    Q_INTERFACES(varo::ComponentFactory)

public:
    QObject *create(const QString &progId) override;
};

} // namespace varo::demo
