// The keyword expansion on any input: a template, then markers and values, separated by NUL.
// For every input it ends, its SQL stays within the limit, no brace of the template is left,
// and a marker that stands once, outside any stretch, is replaced by its value verbatim.
#include "engine/templateexpansion.h"
#include "platform/containers.h"
#include "platform/error.h"
#include "shared/sqlvalues.h"

#include <cstdint>
#include <cstdlib>

using namespace varo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(QChar(0));
    const QString sqlTemplate = parts.first();
    Vector keywords = Vector::create();
    for (qsizetype i = 1; i + 1 < parts.size(); i += 2) {
        Dictionary k = Dictionary::create();
        k.set(QStringLiteral("FKeyword"), parts.at(i));
        k.set(QStringLiteral("FValue"), parts.at(i + 1));
        keywords.Add(QVariant::fromValue(k));
    }
    QString sql;
    try {
        sql = expandKeywords(sqlTemplate, keywords);
    } catch (const Error &) {
        return 0;
    }
    bool valuesHaveBraces = false;
    for (qsizetype i = 2; i < parts.size(); i += 2)
        valuesHaveBraces =
            valuesHaveBraces || parts.at(i).contains(u'{') || parts.at(i).contains(u'}');
    if (sql.size() > SqlLimit::ExpandedSql ||
        (!valuesHaveBraces && (sql.contains(u'{') || sql.contains(u'}'))))
        std::abort();
    // One keyword, standing once in a template without braces or quotes: exactly its value.
    if (parts.size() == 3 && !parts.at(1).isEmpty() && !parts.at(2).trimmed().isEmpty() &&
        sqlTemplate.count(parts.at(1)) == 1 && !sqlTemplate.contains(u'{') &&
        !sqlTemplate.contains(u'}') && !sqlTemplate.contains(u'\'')) {
        QString expected = sqlTemplate;
        if (sql != expected.replace(parts.at(1), parts.at(2)))
            std::abort();
    }
    return 0;
}
