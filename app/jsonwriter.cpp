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

void writeDateTime(TextOut &out, const QDateTime &dt)
{
    if (!dt.isValid())
        out.write(u"null");
    else if (dt.time() == QTime(0, 0))
        writeJsonString(out, dt.date().toString(QStringLiteral("yyyy-MM-dd")));
    else
        writeJsonString(out, dt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
}

void writeValue(TextOut &out, const QVariant &v, int depth);

void writeItems(TextOut &out, const QList<QVariant> &items, int depth)
{
    out.write(u"[");
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out.write(u",");
        writeValue(out, items.at(i), depth + 1);
    }
    out.write(u"]");
}

// A member's name, after the comma that separates it from the one before.
void writeName(TextOut &out, QStringView name, bool first)
{
    if (!first)
        out.write(u",");
    writeJsonString(out, name);
    out.write(u":");
}

void writeDictionary(TextOut &out, const Dictionary &dict, int depth)
{
    if (dict.isNull()) {
        out.write(u"null");
        return;
    }
    out.write(u"{");
    const int n = dict.Count();
    for (int i = 0; i < n; ++i) {
        writeName(out, dict.keyAt(i), i == 0);
        writeValue(out, dict.valueAt(i), depth + 1);
    }
    out.write(u"}");
}

// Handles that are no data: nothing is null, something is named by what it is.
void writeHandle(TextOut &out, const QVariant &v)
{
    const QMetaType type = v.metaType();
    if (type == QMetaType::fromType<Connection>()) {
        const Connection c = v.value<Connection>();
        c.isNull() ? out.write(u"null") : writeJsonString(out, maskedUrl(c.url()));
    } else if (type == QMetaType::fromType<Recordset>()) {
        v.value<Recordset>().isNull() ? out.write(u"null") : writeJsonString(out, u"Recordset");
    } else if (type == QMetaType::fromType<Object>()) {
        const Object o = v.value<Object>();
        o.isNull() ? out.write(u"null")
                   : writeJsonString(out, QString::fromLatin1(o.get()->metaObject()->className()));
    } else if (v.canConvert<QString>()) {
        writeJsonString(out, v.toString());
    } else {
        out.write(u"null");
    }
}

void writeValue(TextOut &out, const QVariant &v, int depth)
{
    if (depth > maxDepth || !v.isValid() || varo::isNull(v)) {
        out.write(u"null");
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        out.write(v.toBool() ? u"true" : u"false");
        return;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        out.write(QString::number(v.toLongLong()));
        return;
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        out.write(QString::number(v.toULongLong()));
        return;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        out.write(std::isfinite(d) ? QString::number(d, 'g', QLocale::FloatingPointShortest)
                                   : QStringLiteral("null"));
        return;
    }
    case QMetaType::QString:
        writeJsonString(out, v.toString());
        return;
    case QMetaType::QChar:
        writeJsonString(out, QString(v.toChar()));
        return;
    case QMetaType::QByteArray:
        writeJsonString(out, QString::fromUtf8(v.toByteArray()));
        return;
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        d.isValid() ? writeJsonString(out, d.toString(QStringLiteral("yyyy-MM-dd")))
                    : out.write(u"null");
        return;
    }
    case QMetaType::QDateTime:
        writeDateTime(out, v.toDateTime());
        return;
    case QMetaType::QTime: {
        const QTime t = v.toTime();
        t.isValid() ? writeJsonString(out, t.toString(QStringLiteral("HH:mm:ss")))
                    : out.write(u"null");
        return;
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        writeItems(out, v.toList(), depth);
        return;
    case QMetaType::QVariantMap: {
        const QVariantMap map = v.toMap();
        out.write(u"{");
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            writeName(out, it.key(), it == map.cbegin());
            writeValue(out, it.value(), depth + 1);
        }
        out.write(u"}");
        return;
    }
    default:
        break;
    }
    const QMetaType type = v.metaType();
    if (type == QMetaType::fromType<Vector>()) {
        const Vector vec = v.value<Vector>();
        vec.isNull() ? out.write(u"null") : writeItems(out, vec.items(), depth);
    } else if (type == QMetaType::fromType<Dictionary>()) {
        writeDictionary(out, v.value<Dictionary>(), depth);
    } else {
        writeHandle(out, v);
    }
}

// The escape of a character JSON does not take as it is, or nothing.
QString escape(char16_t u)
{
    switch (u) {
    case u'"':
        return QStringLiteral("\\\"");
    case u'\\':
        return QStringLiteral("\\\\");
    case u'\b':
        return QStringLiteral("\\b");
    case u'\f':
        return QStringLiteral("\\f");
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    case u'\t':
        return QStringLiteral("\\t");
    default:
        return u < 0x20 ? QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0')) : QString();
    }
}

} // namespace

void writeJsonString(TextOut &out, QStringView text)
{
    out.write(u"\"");
    // Runs of characters that need no escape go out as they are.
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u != u'"' && u != u'\\')
            continue;
        out.write(text.sliced(run, i - run));
        out.write(escape(u));
        run = i + 1;
    }
    out.write(text.sliced(run));
    out.write(u"\"");
}

QString jsonString(const QString &text)
{
    StringOut out;
    writeJsonString(out, text);
    return out.text();
}

void writeJsonValue(TextOut &out, const QVariant &value)
{
    writeValue(out, value, 0);
}

QString jsonValue(const QVariant &value)
{
    StringOut out;
    writeJsonValue(out, value);
    return out.text();
}

void writeMessagesJson(TextOut &out, const QList<RecordedMessage> &messages)
{
    out.write(u"[");
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const RecordedMessage &m = messages.at(i);
        out.write(i == 0 ? u"{" : u",{");
        writeName(out, u"text", true);
        writeJsonString(out, m.text);
        writeName(out, u"icon", false);
        writeJsonString(out, iconName(m.icon));
        writeName(out, u"title", false);
        writeJsonString(out, m.title);
        out.write(u"}");
    }
    out.write(u"]");
}

void writeStepJson(TextOut &out, const StepResult &result)
{
    out.write(u"{");
    writeName(out, u"step", true);
    writeJsonString(out, result.step);
    writeName(out, u"returned", false);
    writeJsonValue(out, result.returned);
    for (const auto &[name, value] : result.properties) {
        writeName(out, name, false);
        writeJsonValue(out, value);
    }
    writeName(out, u"messages", false);
    writeMessagesJson(out, result.messages);
    // Members an object adds to its steps (rptX's progress texts) come after the messages.
    if (result.progress) {
        writeName(out, u"progress", false);
        writeItems(out, QVariant(*result.progress).toList(), 0);
    }
    out.write(u"}");
}

} // namespace varo::report
