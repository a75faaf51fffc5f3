// A report plug-in. A report whose catalogue row (T_RepList) has FRepSub 0 and FRepPluginSvr
// "Example.HelloReport" is produced here: the engine shows the report's condition dialog, then
// creates this component by its ProgID and calls GetRptVect by name.
#pragma once

#include <platform/automation.h>

#include <QObject>
#include <QVariant>

class HelloReport : public QObject
{
    Q_OBJECT

public:
    // conditionValues: the condition dialog's values, a varo::Dictionary whose "strFilter"
    // holds the filter string; sqlConn: the business connection (varo::Connection); header:
    // a varo::Vector to which extra header columns may be appended. All three are by
    // reference: what is left in them is what the engine reads back. Returns the rows, a
    // varo::Vector of varo::Dictionary records, field name -> text.
    Q_INVOKABLE QVariant GetRptVect(QVariant &conditionValues, QVariant &sqlConn, QVariant &header);
};

// The library's factory: creates the components of the ProgIDs listed in helloreport.json.
class HelloReportPlugin : public QObject, public varo::ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VaroComponentFactory_iid FILE "helloreport.json")
    Q_INTERFACES(varo::ComponentFactory)

public:
    QObject *create(const QString &progId) override;
};
