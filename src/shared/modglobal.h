// State and procedures shared by every report object and dialog on a thread: the host's two
// connections and the report type, database shortcuts over them, value helpers, the item
// lookup, the one schema repair, and the engine's standard message box.
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"

#include <QString>
#include <QVariant>

namespace varo
{

// The per-thread shared variables; the last GetReportData on a thread sets them for all.
Connection &gLocConn();
Connection &gSqlConn();
qint32 &gRepType();

// Adds a missing column (as nullable 200-character text) to a table; errors are shown, not
// raised.
void EnsureColumn(Connection &connection, const QString &table, const QString &column);

// The shared connections handed to the item lookup, which may replace them: the condition dialog
// hands both, the keyword dialog the business connection alone.
enum class LookupConnections { DefinitionAndBusiness, BusinessOnly };

// The ProgID of the item lookup component, "VaroSelect.clsItemLook".
QString itemLookupProgId();

// Runs the item lookup component on a lookup key and returns the chosen item's text; the
// connections it hands back replace the shared ones. Errors are shown; the result is then "".
QString LookupItem(const QString &key,
                   LookupConnections connections = LookupConnections::DefinitionAndBusiness);

// Null becomes the default ("" when none is given); every other value, Empty included, passes.
QVariant NullToValue(const QVariant &value, const QVariant &defaultValue = QString());

// Part `index` (from 0) of the text split at every delimiter; "" beyond the last part and for
// an empty text.
QString GetPart(const QString &text, const QString &delimiter, qint16 index);

// The current row as a Dictionary of trimmed texts (Null as ""), or nothing at the end.
Dictionary RecordToDictionary(Recordset &rs);

// Open a recordset on the definition connection (forward-only, read-only) or on the business
// connection (dynamic, pessimistic); errors go to the caller.
Recordset OpenLocalRecordset(const QString &sql);
Recordset OpenSqlRecordset(const QString &sql);

// The report's row of the catalogue (T_RepList), from the definition connection; the recordset
// is at its end when the report does not exist.
Recordset OpenCatalogueRow(const QString &sKey);

// Field 0 of the first row as text; "" for no row. Errors are shown in a box without icon or
// title of its own, and give "".
QString GetScalarString(const QString &sql, Connection &connection);

// "'" + text + "'", inner quotes left single.
QString QuoteSql(const QString &text);

// The engine's standard box: information icon, OK, title "沐岩提示".
void ShowMessage(const QString &message);

// "错误编号:" + number + ",错误描述:" + description, the text of every unexpected error.
QString errorMessage(int number, const QString &description);

} // namespace varo
