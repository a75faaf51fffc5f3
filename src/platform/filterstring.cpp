#include "filterstring.h"

namespace varo
{

namespace
{

// Private-use code points: no keyboard types them and no SQL text needs them.
constexpr char16_t kAmpersand = 0xE026;
constexpr char16_t kBar = 0xE07C;

} // namespace

QString escapeFilterText(QString text)
{
    return text.replace(u'&', QChar(kAmpersand)).replace(u'|', QChar(kBar));
}

QString unescapeFilterText(QString text)
{
    return text.replace(QChar(kAmpersand), u'&').replace(QChar(kBar), u'|');
}

} // namespace varo
