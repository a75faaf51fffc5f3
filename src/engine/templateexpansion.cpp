#include "templateexpansion.h"

#include "platform/error.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <optional>

namespace varo
{

namespace
{

// The report's template text, or nothing when it has no T_RepSql row. A Null template raises.
std::optional<QString> readTemplate(const QString &sKey)
{
    Recordset rs = OpenLocalRecordset(
        QStringLiteral("Select FRepKey,FRepSql From T_RepSql Where FRepKey=") + QuoteSql(sKey));
    if (rs.atEOF())
        return std::nullopt;
    return toText(rs.Fields(QStringLiteral("FRepSql")).Value());
}

const QString kAlwaysTrue = QStringLiteral(" 1=1 ");

// The working text of the keyword substitution, and the stretches of it that are " 1=1 " put
// there by the substitution itself.
//
// A marker is never looked for inside those inserted stretches. Searching them again, as a
// plain search from the start of the text would, never ends for a marker that occurs in
// " 1=1 " (a bare digit, "=", a blank); skipping them gives the same result for every other
// template. An empty marker occurs nowhere, since replacing it would change nothing. Each
// removal of an empty keyword's stretch takes at least one "{" and one "}" out of the text,
// and a marker without a "{" before it or a "}" after it fails the expansion, so the
// substitution always ends.
class KeywordText
{
public:
    explicit KeywordText(QString text) : m_text(std::move(text)) {}

    const QString &text() const { return m_text; }

    // The first occurrence of the marker outside inserted stretches, or -1.
    qsizetype find(const QString &marker) const { return findFrom(marker, 0, true); }

    // Replaces a marker by a value everywhere outside inserted stretches.
    void replaceMarker(const QString &marker, const QString &value)
    {
        replaceAll(marker, value, false);
    }

    // Replaces every copy of an optional "{...}" stretch by " 1=1 ". A stretch may hold
    // stretches inserted before (nested braces); they go with it.
    void replaceStretch(const QString &stretch) { replaceAll(stretch, kAlwaysTrue, true); }

    void removeBraces()
    {
        // Inserted stretches hold no braces, but removing braces before them shifts them.
        QString out;
        out.reserve(m_text.size());
        QList<Range> ranges;
        qsizetype next = 0;
        for (qsizetype i = 0; i < m_text.size(); ++i) {
            if (next < m_inserted.size() && m_inserted.at(next).start == i)
                ranges.append({out.size(), m_inserted.at(next++).length});
            const QChar c = m_text.at(i);
            if (c != u'{' && c != u'}')
                out += c;
        }
        m_text = std::move(out);
        m_inserted = std::move(ranges);
    }

private:
    struct Range {
        qsizetype start;
        qsizetype length;
    };

    void replaceAll(const QString &from, const QString &to, bool stretch)
    {
        QString out;
        QList<Range> ranges;
        qsizetype copied = 0;
        qsizetype at = findFrom(from, 0, !stretch);
        auto keepRangesBefore = [&](qsizetype end, qsizetype shift) {
            for (const Range &r : std::as_const(m_inserted)) {
                if (r.start >= copied && r.start + r.length <= end)
                    ranges.append({r.start + shift, r.length});
            }
        };
        while (at >= 0) {
            keepRangesBefore(at, out.size() - copied);
            out += QStringView(m_text).mid(copied, at - copied);
            if (stretch)
                ranges.append({out.size(), to.size()});
            out += to;
            copied = at + from.size();
            at = findFrom(from, copied, !stretch);
        }
        keepRangesBefore(m_text.size(), out.size() - copied);
        out += QStringView(m_text).mid(copied);
        m_text = std::move(out);
        m_inserted = std::move(ranges);
    }

    bool overlapsInserted(qsizetype at, qsizetype length) const
    {
        for (const Range &r : m_inserted) {
            if (at < r.start + r.length && r.start < at + length)
                return true;
        }
        return false;
    }

    qsizetype findFrom(const QString &text, qsizetype from, bool avoidInserted) const
    {
        if (text.isEmpty())
            return -1;
        for (qsizetype at = m_text.indexOf(text, from); at >= 0;
             at = m_text.indexOf(text, at + 1)) {
            if (!avoidInserted || !overlapsInserted(at, text.size()))
                return at;
        }
        return -1;
    }

    QString m_text;
    QList<Range> m_inserted; // ascending, disjoint
};

Error noOptionalStretch()
{
    return Error(ErrorNumber::SubscriptOutOfRange,
                 QStringLiteral("a keyword without value stands outside \"{\" and \"}\""));
}

} // namespace

QString ExpandFilterSql(const Dictionary &conditionValues, const QString &sKey)
{
    try {
        std::optional<QString> sql = readTemplate(sKey);
        if (!sql)
            return QString();
        const QString filter = toText(conditionValues.value(QStringLiteral("strFilter")));
        const QString bar = QStringLiteral("|");
        for (const QString &part : filter.split(u'&')) {
            if (part.isEmpty())
                continue;
            *sql = sql->toUpper();
            const QString item = trimBlanks(part);
            const QString name = GetPart(item, bar, 0).toUpper();
            const QString value = GetPart(item, bar, 1);
            sql->replace(u'{' + name + u'}', value);
        }
        return *sql;
    } catch (const std::exception &) {
        return QString();
    }
}

QString expandKeywords(const QString &sqlTemplate, const Vector &keywords)
{
    KeywordText work(sqlTemplate);
    for (const QVariant &item : keywords.items()) {
        const Dictionary keyword = item.value<Dictionary>();
        if (keyword.isNull())
            throw Error(ErrorNumber::ObjectNotSet,
                        QStringLiteral("Object variable or With block variable not set"));
        const QString marker = toText(keyword.value(QStringLiteral("FKeyword")));
        const QString value = toText(keyword.value(QStringLiteral("FValue")));
        if (!trimBlanks(value).isEmpty()) {
            work.replaceMarker(marker, value);
            continue;
        }
        for (qsizetype at = work.find(marker); at >= 0; at = work.find(marker)) {
            const qsizetype open = work.text().lastIndexOf(u'{', at);
            const qsizetype close = work.text().indexOf(u'}', at);
            if (open < 0 || close < 0)
                throw noOptionalStretch();
            work.replaceStretch(work.text().mid(open, close - open + 1));
        }
    }
    work.removeBraces();
    return work.text();
}

QString ExpandKeywordSql(const Vector &keywords, const QString &sKey, MissingKeywords missing)
{
    try {
        std::optional<QString> sql = readTemplate(sKey);
        if (!sql)
            return QString();
        if (keywords.isNull() && missing == MissingKeywords::RemoveBraces)
            return expandKeywords(*sql, Vector::create());
        return expandKeywords(*sql, keywords);
    } catch (const std::exception &) {
        return QString();
    }
}

} // namespace varo
