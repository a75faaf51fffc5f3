// String lists written inline in the app's tests: the project forbids the implicit conversion
// from char arrays, so a list of literals goes through this helper.
#pragma once

#include <QString>
#include <QStringList>

namespace varo::test
{

inline QString toQString(const char *text)
{
    return QString::fromUtf8(text);
}

inline QString toQString(const QString &text)
{
    return text;
}

template <typename... T> QStringList strings(const T &...items)
{
    return QStringList{toQString(items)...};
}

} // namespace varo::test
