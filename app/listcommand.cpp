#include "commands.h"

#include "console.h"
#include "tablewriter.h"
#include "textwidth.h"

#include "platform/ado.h"
#include "platform/error.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

namespace varo::report
{

namespace
{

// The route GetReportData takes for a catalogue row, tested in the engine's order.
QString routeOf(qint16 defaultFilter, const QString &routeCode)
{
    if (defaultFilter == 1)
        return QStringLiteral("filter plug-in");
    if (routeCode == QLatin1String("2"))
        return QStringLiteral("keyword");
    if (routeCode == QLatin1String("1"))
        return QStringLiteral("condition template");
    return QStringLiteral("report plug-in");
}

} // namespace

int listCommand(const QString &dbUrl, const ConnectionLimits &limits)
{
    QList<QStringList> rows{
        {QStringLiteral("FRepKey"), QStringLiteral("FRepName"), QStringLiteral("route")}};
    try {
        Connection connection = Connection::open(dbUrl, limits);
        Recordset rs = Recordset::create();
        rs.Open(QStringLiteral("select FRepKey,FRepName,FDefaultFilter,FRepSub from T_RepList "
                               "order by FIndex,FRepKey"),
                connection);
        while (!rs.atEOF()) {
            const QString key = toText(NullToValue(rs.Fields(0).Value()));
            const QString name = toText(NullToValue(rs.Fields(1).Value()));
            const qint16 defaultFilter = toInt16(NullToValue(rs.Fields(2).Value(), 0));
            const QString routeCode =
                toText(NullToValue(rs.Fields(3).Value(), QStringLiteral("0")));
            rows.append({visibleText(key), visibleText(name), routeOf(defaultFilter, routeCode)});
            rs.MoveNext();
        }
    } catch (const std::exception &e) {
        const Error error = toError(e);
        const QString shown = maskedUrl(dbUrl);
        complain(error.description().contains(shown) ? error.description()
                                                     : QStringLiteral("%1: error %2: %3")
                                                           .arg(shown)
                                                           .arg(error.number())
                                                           .arg(error.description()));
        return ExitStatus::HostFailure;
    }
    writeOut(alignedLines(rows).join(u'\n') + u'\n');
    return ExitStatus::Ok;
}

} // namespace varo::report
