#include "helloreport.h"

#include <platform/ado.h>
#include <platform/containers.h>
#include <platform/error.h>
#include <platform/errornumbers.h>

QVariant HelloReport::GetRptVect(QVariant &conditionValues, QVariant &sqlConn, QVariant &header)
{
    Q_UNUSED(conditionValues);
    Q_UNUSED(header);
    if (!sqlConn.canConvert<varo::Connection>())
        throw varo::Error(varo::ErrorNumber::TypeMismatch,
                          QStringLiteral("Example.HelloReport: no connection was handed over"));
    varo::Connection conn = sqlConn.value<varo::Connection>();

    // Errors raised here travel back to the engine, which shows them to the user.
    varo::Recordset rs =
        conn.Execute(QStringLiteral("select FRepKey, FRepName from T_RepList order by FRepKey"));
    varo::Vector rows = varo::Vector::create();
    for (; !rs.atEOF(); rs.MoveNext()) {
        varo::Dictionary record = varo::Dictionary::create();
        record.set(QStringLiteral("FRepKey"), rs.value(0).toString().trimmed());
        record.set(QStringLiteral("FRepName"), rs.value(1).toString().trimmed());
        rows.Add(QVariant::fromValue(record));
    }
    return QVariant::fromValue(rows);
}

QObject *HelloReportPlugin::create(const QString &progId)
{
    if (progId.compare(QStringLiteral("Example.HelloReport"), Qt::CaseInsensitive) == 0)
        return new HelloReport;
    return nullptr;
}
