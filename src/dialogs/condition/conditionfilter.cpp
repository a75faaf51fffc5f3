#include "conditionfilter.h"

#include "platform/error.h"
#include "platform/errornumbers.h"
#include "platform/filterstring.h"
#include "platform/variant.h"
#include "shared/modglobal.h"
#include "shared/sqlvalues.h"

#include <QStringList>

namespace varo::dialogs
{

namespace
{

QString fieldText(Recordset &rs, const char *name)
{
    return toText(NullToValue(rs.Fields(QString::fromLatin1(name)).Value()));
}

} // namespace

bool isKnownControlType(const QString &ctrlType)
{
    return ctrlType == ControlType::Date || ctrlType == ControlType::Text ||
           ctrlType == ControlType::Choice;
}

FilterRow FilterRow::read(Recordset &rs)
{
    FilterRow r;
    r.repKey = fieldText(rs, "FRepKey");
    r.caption = fieldText(rs, "FCaption");
    r.markFrom = fieldText(rs, "FMarkNameFrom");
    r.filterFrom = fieldText(rs, "FFilterFrom");
    r.to = fieldText(rs, "FTo");
    r.markTo = fieldText(rs, "FMarkNameTo");
    r.filterTo = fieldText(rs, "FFilterTo");
    r.ctrlType = fieldText(rs, "FCtrlType").toUpper();
    r.ctrlSel = fieldText(rs, "FCtrlSel");
    r.groupStr = fieldText(rs, "FGroupStr");
    return r;
}

QString FilterRow::fromTag() const
{
    return QStringList{filterFrom, ctrlSel, markFrom, caption, groupStr}.join(u'/');
}

QString FilterRow::toTag() const
{
    return QStringList{filterTo, ctrlSel, markTo, to, groupStr}.join(u'/');
}

QString tagPart(const QString &tag, qint16 index)
{
    return GetPart(tag, QStringLiteral("/"), index);
}

QString fillCondition(const QString &conditionTemplate, const QString &value)
{
    const QVector<bool> quoted = quotedPositions(conditionTemplate);
    const QString between = quotedValue(value);
    QString condition;
    condition.reserve(conditionTemplate.size() + value.size());
    for (qsizetype i = 0; i < conditionTemplate.size(); ++i) {
        const QChar c = conditionTemplate.at(i);
        if (c == u'?')
            condition += quoted.at(i) ? between : value;
        else
            condition += c;
    }
    return condition;
}

QString textValueRefusal(const QString &conditionTemplate, const QString &caption,
                         const QString &value)
{
    const QVector<bool> quoted = quotedPositions(conditionTemplate);
    for (qsizetype i = 0; i < conditionTemplate.size(); ++i) {
        if (conditionTemplate.at(i) == u'?' && !quoted.at(i) &&
            !isLiteral(value, LiteralKind::Number))
            return refusalMessage(caption, value, LiteralKind::Number);
    }
    return QString();
}

Dictionary composeConditionValues(const QList<ConditionEntry> &entries,
                                  const ConditionReport &report)
{
    Dictionary values = Dictionary::create();
    QString filter;
    QString groups;
    for (const ConditionEntry &entry : entries) {
        if (entry.kind == ConditionEntry::Kind::Choice) {
            values.set(entry.tag, entry.value);
            continue;
        }
        const QString mark = tagPart(entry.tag, 2);
        values.set(mark, entry.value);
        QString condition = QStringLiteral("1=1");
        if (!entry.filterValue.isEmpty())
            condition = escapeFilterText(fillCondition(tagPart(entry.tag, 0), entry.filterValue));
        else if (const QString group = tagPart(entry.tag, 4);
                 entry.kind == ConditionEntry::Kind::Text && !group.isEmpty())
            groups += mark + u'|' + group + u';';
        filter += mark + u'|' + condition + u'&';
    }
    filter.chop(filter.isEmpty() ? 0 : 1);

    values.set(QStringLiteral("FGroupStr"), groups);
    values.set(QStringLiteral("strFilter"), filter);
    values.set(QStringLiteral("REP_KEY_Ex"), QString());
    values.set(QStringLiteral("RPT_SUB"), report.subValue);
    values.set(QStringLiteral("Name"), report.name);
    values.set(QStringLiteral("FRepPluginSvr"), report.pluginServer);
    values.set(QStringLiteral("FRepSub"), report.subFlag);
    return values;
}

QString filterDate(const QDate &date, bool from)
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) +
           (from ? QStringLiteral(" 00:00:00") : QStringLiteral(" 23:59:59"));
}

QString textRangeTitle(const QString &caption, const QString &from, const QString &to)
{
    const bool hasFrom = !trimBlanks(from).isEmpty();
    const bool hasTo = !trimBlanks(to).isEmpty();
    if (!hasFrom && !hasTo)
        return caption + QStringLiteral("全部");
    return caption + QStringLiteral("从") + (hasFrom ? from : QStringLiteral("--")) +
           QStringLiteral("到") + (hasTo ? to : QStringLiteral("--"));
}

QDate rememberedDate(const QString &text)
{
    for (const char *format : {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d"}) {
        const QDate d = QDate::fromString(text, QString::fromLatin1(format));
        if (d.isValid())
            return d;
    }
    // Restoring runs under InitData's trap, which turns this into a silent refusal.
    throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}

} // namespace varo::dialogs
