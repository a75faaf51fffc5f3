// "VaroDemo.SalesFilter", the demo's filter plug-in: ShowCondition shows SalesFilterDialog; Sure
// tells whether the user confirmed; ReturnCondition is the chosen filter as a Dictionary
// ("DateFrom", "DateTo", "Region", "GroupBy") for "VaroDemo.SalesReport".
#pragma once

#include "platform/containers.h"

#include <QObject>
#include <QVariant>

namespace varo::demo
{

class SalesFilter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Sure READ sure)
    Q_PROPERTY(QVariant ReturnCondition READ returnCondition)

public:
    // locConn is not used and both connections are left as they were; sqlConn must hold the
    // business connection, from which the regions are read.
    Q_INVOKABLE void ShowCondition(QVariant &locConn, QVariant &sqlConn);

    bool sure() const { return m_sure; }
    QVariant returnCondition() const;

private:
    bool m_sure = false;
    Dictionary m_condition;
};

} // namespace varo::demo
