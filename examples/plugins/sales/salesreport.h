// "VaroDemo.SalesReport", the demo's report plug-in. After the filter plug-in it returns the
// sales summary by customer or by item (GetReportData, rs, ReturnSerial, ReturnFilterTitle);
// after the condition dialog it returns sales by region and salesperson and describes the two
// columns it adds (GetRptVect with the header argument, or without it).
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"

#include <QObject>
#include <QVariant>

namespace varo::demo
{

class SalesReport : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant rs READ recordset)
    Q_PROPERTY(QString ReturnSerial READ returnSerial)
    Q_PROPERTY(QVariant ReturnFilterTitle READ returnFilterTitle)

public:
    SalesReport();

    // condition: the Dictionary that "VaroDemo.SalesFilter" returned; sqlConn: the business
    // connection. Returns a Vector of row records, one per customer or item.
    Q_INVOKABLE QVariant GetReportData(const QVariant &condition, QVariant &sqlConn);

    // conditionValues: the condition dialog's values ("strFilter", "REGION"); header: the
    // engine's Vector of extra header items, to which the two computed columns are added once.
    Q_INVOKABLE QVariant GetRptVect(QVariant &conditionValues, QVariant &sqlConn, QVariant &header);
    Q_INVOKABLE QVariant GetRptVect(QVariant &conditionValues, QVariant &sqlConn);

    QVariant recordset() const;
    QString returnSerial() const { return m_serial; }
    QVariant returnFilterTitle() const { return QVariant::fromValue(m_title); }

private:
    Vector regionSales(const QVariant &conditionValues, const QVariant &sqlConn,
                       const QString &member);

    Recordset m_rs;
    QString m_serial;
    Vector m_title;
};

} // namespace varo::demo
