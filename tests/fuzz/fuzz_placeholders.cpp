// The placeholder expansion on any input: a template, a NUL, then a filter string. For every
// input it ends, its SQL stays within the limit, and the last item's value, when its
// placeholder stands once in the template, appears verbatim.
#include "engine/templateexpansion.h"
#include "platform/error.h"
#include "platform/filterstring.h"
#include "shared/sqlvalues.h"

#include <cstdint>
#include <cstdlib>

using namespace varo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString sqlTemplate = input.section(QChar(0), 0, 0);
    const QString filter = input.section(QChar(0), 1);
    QString sql;
    try {
        sql = expandPlaceholders(sqlTemplate, filter);
    } catch (const Error &) {
        return 0;
    }
    if (sql.size() > SqlLimit::ExpandedSql)
        std::abort();
    // A single item "name|value" whose placeholder stands once: its value is in the SQL.
    const QStringList item = filter.trimmed().split(u'|');
    if (!filter.contains(u'&') && item.size() == 2 && !item.at(0).contains(u'{') &&
        !item.at(0).contains(u'}') && filter == filter.trimmed() &&
        sqlTemplate.toUpper().count(u'{' + item.at(0).toUpper() + u'}') == 1 &&
        !sql.contains(unescapeFilterText(item.at(1))))
        std::abort();
    return 0;
}
