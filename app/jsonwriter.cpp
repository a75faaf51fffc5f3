#include "jsonwriter.h"

#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/containers.h"
#include "platform/variant.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <cmath>

namespace varo::report
{

namespace
{

// A Dictionary may hold itself; past this depth the value is written as null instead of
// recursing until the stack runs out.
constexpr int maxDepth = 64;

QString number(double d)
{
    if (!std::isfinite(d))
        return QStringLiteral("null");
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

QString dateTimeText(const QDateTime &dt)
{
    if (!dt.isValid())
        return QStringLiteral("null");
    if (dt.time() == QTime(0, 0))
        return jsonString(dt.date().toString(QStringLiteral("yyyy-MM-dd")));
    return jsonString(dt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
}

QString value(const QVariant &v, int depth);

QString vector(const Vector &vec, int depth)
{
    if (vec.isNull())
        return QStringLiteral("null");
    QStringList items;
    for (const QVariant &item : vec.items())
        items.append(value(item, depth + 1));
    return jsonArray(items);
}

QString dictionary(const Dictionary &dict, int depth)
{
    if (dict.isNull())
        return QStringLiteral("null");
    JsonMembers members;
    const int n = dict.Count();
    members.reserve(n);
    for (int i = 0; i < n; ++i)
        members.append({dict.keyAt(i), value(dict.valueAt(i), depth + 1)});
    return jsonObject(members);
}

QString value(const QVariant &v, int depth)
{
    if (depth > maxDepth || !v.isValid() || varo::isNull(v))
        return QStringLiteral("null");
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QString::number(v.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return number(v.toDouble());
    case QMetaType::QString:
        return jsonString(v.toString());
    case QMetaType::QChar:
        return jsonString(QString(v.toChar()));
    case QMetaType::QByteArray:
        return jsonString(QString::fromUtf8(v.toByteArray()));
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        return d.isValid() ? jsonString(d.toString(QStringLiteral("yyyy-MM-dd")))
                           : QStringLiteral("null");
    }
    case QMetaType::QDateTime:
        return dateTimeText(v.toDateTime());
    case QMetaType::QTime: {
        const QTime t = v.toTime();
        return t.isValid() ? jsonString(t.toString(QStringLiteral("HH:mm:ss")))
                           : QStringLiteral("null");
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QStringList items;
        const QVariantList list = v.toList();
        for (const QVariant &item : list)
            items.append(value(item, depth + 1));
        return jsonArray(items);
    }
    case QMetaType::QVariantMap: {
        JsonMembers members;
        const QVariantMap map = v.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            members.append({it.key(), value(it.value(), depth + 1)});
        return jsonObject(members);
    }
    default:
        break;
    }
    const QMetaType type = v.metaType();
    if (type == QMetaType::fromType<Vector>())
        return vector(v.value<Vector>(), depth);
    if (type == QMetaType::fromType<Dictionary>())
        return dictionary(v.value<Dictionary>(), depth);
    // Handles that are no data: nothing is null, something is named by what it is.
    if (type == QMetaType::fromType<Connection>()) {
        const Connection c = v.value<Connection>();
        return c.isNull() ? QStringLiteral("null") : jsonString(c.url());
    }
    if (type == QMetaType::fromType<Recordset>())
        return v.value<Recordset>().isNull() ? QStringLiteral("null")
                                             : jsonString(QStringLiteral("Recordset"));
    if (type == QMetaType::fromType<Object>()) {
        const Object o = v.value<Object>();
        return o.isNull() ? QStringLiteral("null")
                          : jsonString(QString::fromLatin1(o.get()->metaObject()->className()));
    }
    if (v.canConvert<QString>())
        return jsonString(v.toString());
    return QStringLiteral("null");
}

} // namespace

QString jsonString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out.append(u'"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            out.append(QLatin1String("\\\""));
            break;
        case u'\\':
            out.append(QLatin1String("\\\\"));
            break;
        case u'\b':
            out.append(QLatin1String("\\b"));
            break;
        case u'\f':
            out.append(QLatin1String("\\f"));
            break;
        case u'\n':
            out.append(QLatin1String("\\n"));
            break;
        case u'\r':
            out.append(QLatin1String("\\r"));
            break;
        case u'\t':
            out.append(QLatin1String("\\t"));
            break;
        default:
            if (u < 0x20) {
                out.append(QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0')));
            } else {
                out.append(c);
            }
        }
    }
    out.append(u'"');
    return out;
}

QString jsonValue(const QVariant &v)
{
    return value(v, 0);
}

QString jsonObject(const JsonMembers &members)
{
    QString out(u'{');
    bool first = true;
    for (const auto &[name, json] : members) {
        if (!first)
            out.append(u',');
        first = false;
        out.append(jsonString(name));
        out.append(u':');
        out.append(json);
    }
    out.append(u'}');
    return out;
}

QString jsonArray(const QStringList &items)
{
    return u'[' + items.join(u',') + u']';
}

QString jsonStringArray(const QStringList &texts)
{
    QStringList items;
    items.reserve(texts.size());
    for (const QString &t : texts)
        items.append(jsonString(t));
    return jsonArray(items);
}

QString stepJsonLine(const StepResult &result)
{
    JsonMembers members;
    members.append({QStringLiteral("step"), jsonString(result.step)});
    members.append({QStringLiteral("returned"), jsonValue(result.returned)});
    for (const auto &[name, value] : result.properties)
        members.append({name, jsonValue(value)});
    QStringList messages;
    for (const RecordedMessage &m : result.messages)
        messages.append(jsonObject({{QStringLiteral("text"), jsonString(m.text)},
                                    {QStringLiteral("icon"), jsonString(iconName(m.icon))},
                                    {QStringLiteral("title"), jsonString(m.title)}}));
    members.append({QStringLiteral("messages"), jsonArray(messages)});
    // Members an object adds to its steps (rptX's progress texts) come after the messages.
    if (result.progress) {
        QStringList texts;
        for (const QString &text : *result.progress)
            texts.append(jsonString(text));
        members.append({QStringLiteral("progress"), jsonArray(texts)});
    }
    return jsonObject(members);
}

} // namespace varo::report
