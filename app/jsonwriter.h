// JSON text for what varo-report prints: engine values (Vectors, Dictionaries with their keys in
// insertion order and as spelled, Empty and Null) and objects whose members keep the order in
// which they are given. Written by hand because QJsonObject sorts its keys, and written as it
// is produced, so that a step of a million rows is never held as one text.
#pragma once

#include "stepresult.h"
#include "textout.h"

#include <QString>
#include <QVariant>

namespace varo::report
{

// A string literal with JSON escaping; non-ASCII text (Chinese included) is kept as is.
void writeJsonString(TextOut &out, QStringView text);
QString jsonString(const QString &text);

// Any value the engine hands out. Empty, Null and null handles are null; doubles are written in
// their shortest round-trip form (NaN and infinities as null); a date-time at midnight is a date
// as the engine's own text conversion has it. Values of no JSON kind give their text or null.
void writeJsonValue(TextOut &out, const QVariant &value);
QString jsonValue(const QVariant &value);

// Message boxes as an array of {"text", "icon", "title"}.
void writeMessagesJson(TextOut &out, const QList<RecordedMessage> &messages);

// The line of one step: "step", "returned", the properties, then "messages" (each box as
// {"text", "icon", "title"}). No line break at the end.
void writeStepJson(TextOut &out, const StepResult &result);

} // namespace varo::report
