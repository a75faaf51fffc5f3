// Automation values as the engine sees them: QVariant with a distinct Null (SQL NULL) next to
// Empty (a value never set), and the conversions the engine's procedures rely on.
// Public: plug-ins use these to read the arguments the engine passes; Null and Empty are as
// described here in every value a host reads.
#pragma once

#include "platform/error.h"
#include "platform/errornumbers.h"

#include <QString>
#include <QVariant>

namespace varo
{

// Null is a variant holding nullptr; Empty is the invalid QVariant. The two must stay apart:
// NullToValue maps Null to a default but lets Empty pass.
QVariant nullValue();
bool isNull(const QVariant &v);
inline bool isEmpty(const QVariant &v)
{
    return !v.isValid();
}

// A value as text, the way the engine writes values into SQL and row records: Empty is "",
// booleans "True"/"False", dates "yyyy-MM-dd" (with " HH:mm:ss" when there is a time), doubles
// in their shortest exact form. Null cannot be text and raises "Invalid use of Null".
QString toText(const QVariant &v);

// Blanks (spaces only, not tabs or line breaks) removed at both ends. Returns the same shared
// string when there is nothing to remove, so trimmed row values cost no copy.
QString trimBlanks(const QString &s);

// The number a text starts with: blanks, an optional sign, digits with an optional decimal
// point and an optional exponent; 0 when the text starts with no number ("12abc" is 12).
// No thousands separators: "1,234" is 1.
double leadingNumber(QStringView s);

// A value as a boolean, as automation converts it: numbers are true when not 0, texts "True"
// and "False" in any case or a number, Empty is false. Null and other texts raise.
bool toBool(const QVariant &v);

// Integer conversions used for definition columns: a number as is, text by its leading number,
// rounded half to even as automation integers are. Null raises "Invalid use of Null".
qint32 toInt32(const QVariant &v);
qint16 toInt16(const QVariant &v);

// An object reference out of a variant, as "Set x = value" takes it: Empty and Null are
// nothing, a value of another type is a type mismatch.
template <class T> T objectFrom(const QVariant &v)
{
    if (!v.isValid() || isNull(v))
        return T();
    if (v.metaType() != QMetaType::fromType<T>())
        throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    return v.value<T>();
}

} // namespace varo
