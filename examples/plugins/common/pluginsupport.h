// What every demo plug-in needs at its boundary: checking the arguments the engine passes (a
// connection inside a variant, a condition Dictionary), turning rows into row records the way
// the engine shapes them, and reading the condition dialog's filter string.
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"
#include "platform/error.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace varo::demo
{

// An error for input a member cannot work with, naming the member.
Error invalidArgument(const QString &member, const QString &what);

// The open connection inside an argument; raises when the argument holds none.
Connection connectionArgument(const QVariant &arg, const QString &member);

// The Dictionary inside an argument; raises when the argument holds none.
Dictionary dictionaryArgument(const QVariant &arg, const QString &member);

// Runs a query on the connection and keeps every row.
Recordset openQuery(Connection &conn, const QString &sql);

// One row record per row: field name -> value as text, blanks trimmed, Null as "". Leaves the
// recordset at its first row again, so a host that reads it finds the rows.
Vector rowRecords(Recordset &rs);

// A text as an SQL string literal, inner quotes doubled.
QString sqlText(const QString &text);

// The conditions of a filter string (mark "|" condition, joined by "&"): every non-empty
// condition in order. A condition the dialog wrote for an empty field is "1=1".
QStringList filterConditions(const QString &strFilter);

// The text of a variant for display or SQL; Empty and Null give "".
QString plainText(const QVariant &value);

} // namespace varo::demo
