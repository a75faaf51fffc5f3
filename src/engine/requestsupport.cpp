#include "requestsupport.h"

#include "platform/automation.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

namespace varo
{

bool PluginExists(const QString &progId)
{
    try {
        return !createObject(progId).isNull();
    } catch (const std::exception &) {
        return false;
    }
}

bool SqlGiven(const QString &sql)
{
    if (!trimBlanks(sql).isEmpty())
        return true;
    ShowMessage(QStringLiteral("SQL语句为空!"));
    return false;
}

bool ValidateSql(const QString &sql)
{
    if (!SqlGiven(sql))
        return false;
    Connection &connection = gSqlConn();
    try {
        connection.errors().Clear();
        // The trial run only has to execute: the rows it hands back are never fetched. It opens
        // them as the report does, so that the server sends them the same way (and stops).
        Recordset::create().Open(sql, connection, CursorType::Dynamic);
    } catch (const std::exception &) {
        // The provider's errors are on the connection; they are reported below.
    }
    if (connection.isNull()) {
        // No connection at all: let the open that follows raise it, so the request reports
        // a numbered error rather than stopping without a word.
        return true;
    }
    const Errors &errors = connection.errors();
    if (errors.Count() == 0)
        return true;
    QString text;
    for (int i = 0; i < errors.Count(); ++i)
        text += errors.Item(i).Description + QStringLiteral("\r\n");
    ShowMessage(text);
    return false;
}

Vector GetPluginRows(Object &plugin, Dictionary &conditionValues, Vector &pluginHeader)
{
    const QString member = QStringLiteral("GetRptVect");
    if (pluginHeader.isNull())
        pluginHeader = Vector::create();
    try {
        QVariantList args{QVariant::fromValue(conditionValues), QVariant::fromValue(gSqlConn()),
                          QVariant::fromValue(pluginHeader)};
        const QVariant rows = plugin.call(member, args);
        conditionValues = objectFrom<Dictionary>(args.at(0));
        gSqlConn() = objectFrom<Connection>(args.at(1));
        pluginHeader = objectFrom<Vector>(args.at(2));
        return objectFrom<Vector>(rows);
    } catch (const std::exception &) {
        // A plug-in written before header columns existed knows only two arguments.
    }
    QVariantList args{QVariant::fromValue(conditionValues), QVariant::fromValue(gSqlConn())};
    const QVariant rows = plugin.call(member, args);
    conditionValues = objectFrom<Dictionary>(args.at(0));
    gSqlConn() = objectFrom<Connection>(args.at(1));
    return objectFrom<Vector>(rows);
}

} // namespace varo
