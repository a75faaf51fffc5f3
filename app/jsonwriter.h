// JSON text for what varo-report prints: engine values (Vectors, Dictionaries with their keys in
// insertion order and as spelled, Empty and Null) and objects whose members keep the order in
// which they are given. Written by hand because QJsonObject sorts its keys.
#pragma once

#include "stepresult.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace varo::report
{

// A string literal with JSON escaping; non-ASCII text (Chinese included) is kept as is.
QString jsonString(const QString &text);

// Any value the engine hands out. Empty, Null and null handles are null; doubles are written in
// their shortest round-trip form (NaN and infinities as null); a date-time at midnight is a date
// as the engine's own text conversion has it. Values of no JSON kind give their text or null.
QString jsonValue(const QVariant &value);

// An object from members already written as JSON, in the order given.
using JsonMembers = QList<QPair<QString, QString>>;
QString jsonObject(const JsonMembers &members);

// An array from items already written as JSON.
QString jsonArray(const QStringList &items);

// An array of strings.
QString jsonStringArray(const QStringList &texts);

// The line of one step: "step", "returned", the properties, then "messages" (each box as
// {"text", "icon", "title"}). No line break at the end.
QString stepJsonLine(const StepResult &result);

} // namespace varo::report
