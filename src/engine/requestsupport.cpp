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

bool ValidateSql(const QString &sql)
{
    if (trimBlanks(sql).isEmpty()) {
        ShowMessage(QStringLiteral("SQL语句为空!"));
        return false;
    }
    Connection &connection = gSqlConn();
    try {
        connection.errors().Clear();
        // The trial run only has to execute: the rows it hands back are never fetched.
        connection.Execute(sql);
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

} // namespace varo
