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

// The plug-ins the route creates, filter plug-in first; those a row names but its route does
// not use are left out, so that what is shown is what runs.
QString pluginsOf(qint16 defaultFilter, const QString &routeCode, const QString &filterPlugin,
                  const QString &reportPlugin)
{
    QStringList names;
    if (defaultFilter == 1)
        names << filterPlugin << reportPlugin;
    else if (routeCode != QLatin1String("1") && routeCode != QLatin1String("2"))
        names << reportPlugin;
    names.removeAll(QString());
    return names.join(QStringLiteral(", "));
}

} // namespace

int listCommand(const QString &dbUrl, const ConnectionLimits &limits)
{
    QList<QStringList> rows{{QStringLiteral("FRepKey"), QStringLiteral("FRepName"),
                             QStringLiteral("route"), QStringLiteral("plug-ins")}};
    try {
        Connection connection = Connection::open(dbUrl, limits);
        Recordset rs = Recordset::create();
        rs.Open(QStringLiteral("select FRepKey,FRepName,FDefaultFilter,FRepSub,FFilterPlugName,"
                               "FRepPluginSvr from T_RepList order by FIndex,FRepKey"),
                connection);
        while (!rs.atEOF()) {
            const QString key = toText(NullToValue(rs.Fields(0).Value()));
            const QString name = toText(NullToValue(rs.Fields(1).Value()));
            const qint16 defaultFilter = toInt16(NullToValue(rs.Fields(2).Value(), 0));
            const QString routeCode =
                toText(NullToValue(rs.Fields(3).Value(), QStringLiteral("0")));
            const QString plugins = pluginsOf(
                defaultFilter, routeCode, trimBlanks(toText(NullToValue(rs.Fields(4).Value()))),
                trimBlanks(toText(NullToValue(rs.Fields(5).Value()))));
            rows.append({visibleText(key), visibleText(name), routeOf(defaultFilter, routeCode),
                         visibleText(plugins)});
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
