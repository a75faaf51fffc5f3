#include "sqlvalues.h"

#include "platform/variant.h"
#include "shared/markerfinder.h"

#include <QRegularExpression>
#include <algorithm>

namespace varo
{

QVector<bool> quotedPositions(QStringView sql)
{
    // A doubled quote inside a literal toggles twice, so plain toggling keeps the state right.
    QVector<bool> quoted(sql.size());
    bool inside = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql.at(i) == u'\'')
            inside = !inside;
        quoted[i] = inside;
    }
    return quoted;
}

QString quotedValue(const QString &value)
{
    QString doubled = value;
    return doubled.replace(u'\'', QStringLiteral("''"));
}

bool isLiteral(const QString &value, LiteralKind kind)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?$)"));
    static const QRegularExpression date(
        QStringLiteral(R"(^\d{4}[-/.]\d{1,2}[-/.]\d{1,2}( \d{1,2}:\d{2}(:\d{2})?)?$)"));
    static const QRegularExpression columns(
        QStringLiteral(R"(^([\p{L}_][\p{L}\p{N}_.]*|\d+)(\s+(ASC|DESC))?)"
                       R"((\s*,\s*([\p{L}_][\p{L}\p{N}_.]*|\d+)(\s+(ASC|DESC))?)*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = trimBlanks(value);
    switch (kind) {
    case LiteralKind::Number:
        return number.match(text).hasMatch();
    case LiteralKind::Date:
        return date.match(text).hasMatch();
    case LiteralKind::ColumnList:
        return columns.match(text).hasMatch();
    case LiteralKind::NumberOrColumnList:
        return number.match(text).hasMatch() || columns.match(text).hasMatch();
    }
    return false;
}

QList<bool> markersOutsideQuotes(const QString &sqlTemplate, const QStringList &markers)
{
    const QVector<bool> quoted = quotedPositions(sqlTemplate);
    QList<bool> outside;
    for (const QList<qsizetype> &starts : MarkerFinder(markers).occurrences(sqlTemplate))
        outside.append(std::any_of(starts.begin(), starts.end(),
                                   [&](qsizetype at) { return !quoted.at(at); }));
    return outside;
}

LiteralKind keywordLiteralKind(const QVariant &valueType)
{
    if (!valueType.isValid() || isNull(valueType))
        return LiteralKind::NumberOrColumnList;
    const QString text = toText(valueType);
    if (trimBlanks(text).isEmpty())
        return LiteralKind::NumberOrColumnList;
    switch (qint64(leadingNumber(text))) {
    case 0:
        return LiteralKind::Date;
    case 1:
    case 3:
        return LiteralKind::Number;
    case 2:
        return LiteralKind::ColumnList;
    default:
        return LiteralKind::NumberOrColumnList;
    }
}

QString refusalMessage(const QString &caption, const QString &value, LiteralKind kind)
{
    const QString shown = value.size() > 60 ? value.left(60) + QStringLiteral("…") : value;
    const QString head =
        QStringLiteral("[") + caption + QStringLiteral("]的值[") + shown + QStringLiteral("]");
    switch (kind) {
    case LiteralKind::Number:
        return head + QStringLiteral("不是数字，请重新输入!");
    case LiteralKind::Date:
        return head + QStringLiteral("不是日期，请重新输入!");
    case LiteralKind::ColumnList:
        return head + QStringLiteral("只能是以逗号分隔的列名(可加ASC或DESC)，请重新输入!");
    case LiteralKind::NumberOrColumnList:
        return head + QStringLiteral("只能是数字或以逗号分隔的列名(可加ASC或DESC)，请重新输入!");
    }
    return head;
}

QString templateTooLong()
{
    return QStringLiteral("报表SQL模板超过%1个字符，无法执行!").arg(SqlLimit::Template);
}

QString valueTooLong()
{
    return QStringLiteral("过滤条件的值超过%1个字符，请缩短后重新输入!").arg(SqlLimit::Value);
}

QString sqlTooLong()
{
    return QStringLiteral("生成的SQL语句超过%1个字符，请缩小过滤条件!").arg(SqlLimit::ExpandedSql);
}

} // namespace varo
