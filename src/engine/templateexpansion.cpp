#include "templateexpansion.h"

#include "platform/error.h"
#include "platform/errornumbers.h"
#include "platform/filterstring.h"
#include "platform/variant.h"
#include "shared/markerfinder.h"
#include "shared/modglobal.h"
#include "shared/sqlvalues.h"

#include <QHash>
#include <algorithm>
#include <map>
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

Error limitError(const QString &message)
{
    return Error(ErrorNumber::UnsafeSql, message);
}

// Text being built from a template, never longer than the SQL that may run.
class Output
{
public:
    void append(QStringView text)
    {
        if (m_text.size() + text.size() > SqlLimit::ExpandedSql)
            throw limitError(sqlTooLong());
        m_text += text;
    }
    QString take() { return std::move(m_text); }

private:
    QString m_text;
};

// Positions of one kind of brace that are still part of the template, with the nearest one
// before or after a position found in near-constant time (disjoint sets over the braces).
class Braces
{
public:
    Braces(QStringView text, QChar brace, bool searchBackwards) : m_backwards(searchBackwards)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == brace)
                m_positions.append(i);
        }
        m_link.resize(m_positions.size());
        for (qsizetype i = 0; i < m_link.size(); ++i)
            m_link[i] = i;
    }

    // The last live brace at or before `at` (backwards), or the first at or after it; -1 if none.
    qsizetype nearest(qsizetype at) const
    {
        const auto it = m_backwards ? std::upper_bound(m_positions.begin(), m_positions.end(), at)
                                    : std::lower_bound(m_positions.begin(), m_positions.end(), at);
        const qsizetype index =
            find(m_backwards ? (it - m_positions.begin()) - 1 : it - m_positions.begin());
        return index >= 0 && index < m_positions.size() ? m_positions.at(index) : -1;
    }

    // Takes the braces in [from, to) out of the template.
    void remove(qsizetype from, qsizetype to)
    {
        auto first = std::lower_bound(m_positions.begin(), m_positions.end(), from);
        for (qsizetype i = first - m_positions.begin();
             i < m_positions.size() && m_positions.at(i) < to; ++i)
            m_link[i] = m_backwards ? i - 1 : i + 1;
    }

private:
    qsizetype find(qsizetype i) const
    {
        qsizetype root = i;
        while (root >= 0 && root < m_link.size() && m_link.at(root) != root)
            root = m_link.at(root);
        // Path compression keeps later searches short.
        while (i >= 0 && i < m_link.size() && m_link.at(i) != i) {
            const qsizetype next = m_link.at(i);
            m_link[i] = root;
            i = next;
        }
        return root;
    }

    bool m_backwards;
    QList<qsizetype> m_positions;
    mutable QList<qsizetype> m_link;
};

// What takes the place of a stretch of the template.
struct Replacement {
    qsizetype end; // exclusive
    int keyword;   // -1: an optional stretch turned into " 1=1 "
};

// The keyword substitution as one walk over the template: every marker occurrence is found
// once, replacements are recorded by position, and the text is written once at the end.
// Values are never searched for markers or braces, and a value goes between quotes with its
// apostrophes doubled or, outside quotes, only as a literal of its keyword's kind.
class KeywordExpansion
{
public:
    struct Keyword {
        QString marker;
        QString value;
        LiteralKind kind;
    };

    KeywordExpansion(const QString &sqlTemplate, QList<Keyword> keywords)
        : m_template(sqlTemplate), m_keywords(std::move(keywords)),
          m_opens(sqlTemplate, u'{', true), m_closes(sqlTemplate, u'}', false)
    {
    }

    QString run()
    {
        QStringList markers;
        for (const Keyword &k : std::as_const(m_keywords))
            markers.append(k.marker);
        const QList<QList<qsizetype>> found = MarkerFinder(markers).occurrences(m_template);
        for (int k = 0; k < m_keywords.size(); ++k) {
            const Keyword &keyword = m_keywords.at(k);
            const qsizetype length = keyword.marker.size();
            qsizetype lastEnd = 0;
            for (const qsizetype at : found.at(k)) {
                if (at < lastEnd || !isFree(at, at + length))
                    continue;
                if (!trimBlanks(keyword.value).isEmpty()) {
                    replace(at, at + length, k);
                    lastEnd = at + length;
                    continue;
                }
                const qsizetype open = m_opens.nearest(at);
                const qsizetype close = m_closes.nearest(at);
                if (open < 0 || close < 0)
                    throw Error(ErrorNumber::SubscriptOutOfRange,
                                QStringLiteral("a keyword without value stands outside \"{\" "
                                               "and \"}\""));
                replace(open, close + 1, -1);
            }
        }
        return write();
    }

private:
    bool isFree(qsizetype from, qsizetype to) const
    {
        auto it = m_replaced.upper_bound(from);
        if (it != m_replaced.begin() && std::prev(it)->second.end > from)
            return false;
        return it == m_replaced.end() || it->first >= to;
    }

    // Records a replacement of [from, to); an optional stretch swallows those inside it.
    void replace(qsizetype from, qsizetype to, int keyword)
    {
        m_replaced.erase(m_replaced.lower_bound(from), m_replaced.lower_bound(to));
        m_replaced.emplace(from, Replacement{to, keyword});
        m_opens.remove(from, to);
        m_closes.remove(from, to);
    }

    QString write() const
    {
        Output out;
        bool quoted = false;
        qsizetype at = 0;
        auto copyTemplate = [&](qsizetype to) {
            qsizetype run = at;
            for (; at < to; ++at) {
                const QChar c = m_template.at(at);
                if (c == u'\'')
                    quoted = !quoted;
                if (c == u'{' || c == u'}') {
                    out.append(QStringView(m_template).mid(run, at - run));
                    run = at + 1;
                }
            }
            out.append(QStringView(m_template).mid(run, at - run));
        };
        for (const auto &[from, r] : m_replaced) {
            copyTemplate(from);
            if (r.keyword < 0) {
                out.append(kAlwaysTrue);
            } else {
                const Keyword &k = m_keywords.at(r.keyword);
                if (quoted)
                    out.append(quotedValue(k.value));
                else if (isLiteral(k.value, k.kind))
                    out.append(k.value);
                else
                    throw limitError(refusalMessage(k.marker, k.value, k.kind));
            }
            at = r.end;
        }
        copyTemplate(m_template.size());
        return out.take();
    }

    const QString &m_template;
    QList<Keyword> m_keywords;
    Braces m_opens;
    Braces m_closes;
    std::map<qsizetype, Replacement> m_replaced; // by start; disjoint
};

// Shows a refusal or a limit, which is the user's to mend; other failures stay silent, as
// the expansion's callers report an empty SQL text.
QString failed(const std::exception &e)
{
    const Error error = toError(e);
    if (error.number() == ErrorNumber::UnsafeSql)
        ShowMessage(error.description());
    return QString();
}

} // namespace

QString expandPlaceholders(const QString &sqlTemplate, const QString &strFilter)
{
    if (sqlTemplate.size() > SqlLimit::Template)
        throw limitError(templateTooLong());
    // Each item upper-cases the text before it writes its value, so every value but the last
    // item's ends in upper case, and the first item of a name fills all of its placeholders.
    struct Item {
        QString name;
        QString value;
    };
    QList<Item> items;
    const QString bar = QStringLiteral("|");
    for (const QString &part : strFilter.split(u'&')) {
        if (part.isEmpty())
            continue;
        const QString item = trimBlanks(part);
        const QString value = unescapeFilterText(GetPart(item, bar, 1));
        if (value.size() > SqlLimit::Value)
            throw limitError(valueTooLong());
        items.append({GetPart(item, bar, 0).toUpper(), value});
    }
    if (items.isEmpty())
        return sqlTemplate;
    QHash<QString, QString> values;
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        values.insert(items.at(i).name,
                      i == items.size() - 1 ? items.at(i).value : items.at(i).value.toUpper());

    const QString sql = sqlTemplate.toUpper();
    Output out;
    qsizetype copied = 0;
    qsizetype close = -1; // the first "}" after the current "{", found once per "}"
    for (qsizetype open = sql.indexOf(u'{'); open >= 0; open = sql.indexOf(u'{', open + 1)) {
        if (close <= open)
            close = sql.indexOf(u'}', open + 1);
        if (close < 0)
            break;
        const auto value = values.constFind(sql.mid(open + 1, close - open - 1));
        if (value == values.constEnd())
            continue;
        out.append(QStringView(sql).mid(copied, open - copied));
        out.append(*value);
        copied = close + 1;
        open = close;
    }
    out.append(QStringView(sql).mid(copied));
    return out.take();
}

QString ExpandFilterSql(const Dictionary &conditionValues, const QString &sKey)
{
    try {
        std::optional<QString> sql = readTemplate(sKey);
        if (!sql)
            return QString();
        return expandPlaceholders(*sql, toText(conditionValues.value(QStringLiteral("strFilter"))));
    } catch (const std::exception &e) {
        return failed(e);
    }
}

QString expandKeywords(const QString &sqlTemplate, const Vector &keywords, const Vector &offered)
{
    if (sqlTemplate.size() > SqlLimit::Template)
        throw limitError(templateTooLong());
    QHash<QString, QVariant> types;
    for (const QVariant &item : offered.isNull() ? QVariantList() : offered.items()) {
        const Dictionary record = item.value<Dictionary>();
        if (!record.isNull())
            types.insert(trimBlanks(toText(NullToValue(record.value(QStringLiteral("FKeyword"))))),
                         record.value(QStringLiteral("FValueType")));
    }
    QList<KeywordExpansion::Keyword> list;
    for (const QVariant &item : keywords.items()) {
        const Dictionary keyword = item.value<Dictionary>();
        if (keyword.isNull())
            throw Error(ErrorNumber::ObjectNotSet,
                        QStringLiteral("Object variable or With block variable not set"));
        const QString value = toText(keyword.value(QStringLiteral("FValue")));
        if (value.size() > SqlLimit::Value)
            throw limitError(valueTooLong());
        const QString marker = toText(keyword.value(QStringLiteral("FKeyword")));
        list.append({marker, value, keywordLiteralKind(types.value(marker))});
    }
    return KeywordExpansion(sqlTemplate, std::move(list)).run();
}

QString ExpandKeywordSql(const Vector &keywords, const QString &sKey, MissingKeywords missing,
                         const Vector &offered)
{
    try {
        std::optional<QString> sql = readTemplate(sKey);
        if (!sql)
            return QString();
        if (keywords.isNull() && missing == MissingKeywords::RemoveBraces)
            return expandKeywords(*sql, Vector::create());
        return expandKeywords(*sql, keywords, offered);
    } catch (const std::exception &e) {
        return failed(e);
    }
}

} // namespace varo
