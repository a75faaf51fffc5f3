#include "variant.h"

#include "error.h"
#include "errornumbers.h"

#include <QDate>
#include <QDateTime>
#include <charconv>
#include <cmath>
#include <limits>

namespace varo
{

QVariant nullValue()
{
    return QVariant::fromValue(nullptr);
}

bool isNull(const QVariant &v)
{
    return v.metaType() == QMetaType::fromType<std::nullptr_t>();
}

static Error nullError()
{
    return Error(ErrorNumber::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

QString toText(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Nullptr:
        throw nullError();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(Qt::ISODate);
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        // The shortest text that reads back as the same number.
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v.toDouble()).ptr;
        return QString::fromLatin1(buffer, end - buffer);
    }
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    case QMetaType::Int:
        return QString::number(v.toInt());
    default:
        if (v.canConvert<QString>())
            return v.toString();
        throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    }
}

QString trimBlanks(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin) == u' ')
        ++begin;
    while (end > begin && s.at(end - 1) == u' ')
        --end;
    if (begin == 0 && end == s.size())
        return s;
    return s.mid(begin, end - begin);
}

double leadingNumber(QStringView s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto digitAt = [&](qsizetype k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };
    while (i < n && s[i] == u' ')
        ++i;
    const qsizetype start = i;
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (digitAt(i)) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == u'.') {
        ++i;
        while (digitAt(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == u'+' || s[j] == u'-'))
            ++j;
        if (digitAt(j)) {
            while (digitAt(j))
                ++j;
            end = j;
        }
    }
    bool ok = false;
    const double value = s.mid(start, end - start).toString().toDouble(&ok);
    return ok ? value : 0.0;
}

bool toBool(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return false;
    case QMetaType::Nullptr:
        throw nullError();
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok)
            throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
        return number != 0;
    }
    default:
        bool ok = false;
        const double number = v.toDouble(&ok);
        if (!ok)
            throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
        return number != 0;
    }
}

static qint64 toInteger(const QVariant &v, qint64 lowest, qint64 highest)
{
    if (isNull(v))
        throw nullError();
    double number = 0;
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::QString:
        number = leadingNumber(v.toString());
        break;
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    default:
        bool ok = false;
        number = v.toDouble(&ok);
        if (!ok)
            throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    }
    const double rounded = std::nearbyint(number);
    if (rounded < double(lowest) || rounded > double(highest))
        throw Error(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return qint64(rounded);
}

qint32 toInt32(const QVariant &v)
{
    return qint32(
        toInteger(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

qint16 toInt16(const QVariant &v)
{
    return qint16(
        toInteger(v, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

} // namespace varo
