#include "pluginsupport.h"

#include "common/demoerrors.h"
#include "platform/filterstring.h"
#include "platform/variant.h"

#include <memory>

namespace varo::demo
{

Error invalidArgument(const QString &member, const QString &what)
{
    return Error(ErrorNumber::InvalidArgument, member + QStringLiteral(": ") + what);
}

Connection connectionArgument(const QVariant &arg, const QString &member)
{
    if (arg.metaType() != QMetaType::fromType<Connection>())
        throw invalidArgument(member, QStringLiteral("the business connection is missing (got %1)")
                                          .arg(arg.isValid() ? QString::fromLatin1(arg.typeName())
                                                             : QStringLiteral("nothing")));
    Connection conn = arg.value<Connection>();
    if (conn.isNull())
        throw invalidArgument(member, QStringLiteral("the business connection is not set"));
    return conn;
}

Dictionary dictionaryArgument(const QVariant &arg, const QString &member)
{
    if (arg.metaType() != QMetaType::fromType<Dictionary>())
        throw invalidArgument(member, QStringLiteral("the condition is not a Dictionary (got %1)")
                                          .arg(arg.isValid() ? QString::fromLatin1(arg.typeName())
                                                             : QStringLiteral("nothing")));
    Dictionary dict = arg.value<Dictionary>();
    if (dict.isNull())
        throw invalidArgument(member, QStringLiteral("the condition is not set"));
    return dict;
}

Recordset openQuery(Connection &conn, const QString &sql)
{
    Recordset rs = Recordset::create();
    rs.Open(sql, conn);
    return rs;
}

Vector rowRecords(Recordset &rs)
{
    Vector rows = Vector::create();
    if (rs.atEOF())
        return rows;
    rows.reserve(rs.RecordCount());
    const auto keys = std::make_shared<const DictionaryKeys>(rs.fieldNames());
    const int fields = rs.FieldCount();
    for (; !rs.atEOF(); rs.MoveNext()) {
        Dictionary row = Dictionary::withKeys(keys);
        for (int i = 0; i < fields; ++i)
            row.setAt(i, trimBlanks(plainText(rs.Fields(i).Value())));
        rows.Add(QVariant::fromValue(row));
    }
    rs.MoveFirst();
    return rows;
}

QString sqlText(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

QStringList filterConditions(const QString &strFilter)
{
    QStringList conditions;
    for (const QString &item : strFilter.split(u'&')) {
        const QString pair = trimBlanks(item);
        if (pair.isEmpty())
            continue;
        const QStringList parts = pair.split(u'|');
        if (parts.size() < 2)
            continue;
        const QString condition = unescapeFilterText(parts.at(1)).trimmed();
        if (!condition.isEmpty())
            conditions.append(condition);
    }
    return conditions;
}

QString plainText(const QVariant &value)
{
    if (!value.isValid() || varo::isNull(value))
        return QString();
    return toText(value);
}

} // namespace varo::demo
