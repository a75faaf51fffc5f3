// The debug texts of the containers and the error (declared beside each type).
#include "containers.h"
#include "error.h"
#include "variant.h"

#include <QDebug>

namespace varo
{

namespace
{

void printValue(QDebug &debug, const QVariant &value)
{
    if (isEmpty(value))
        debug << "Empty";
    else if (isNull(value))
        debug << "Null";
    else if (value.metaType() == QMetaType::fromType<Vector>())
        debug << value.value<Vector>();
    else if (value.metaType() == QMetaType::fromType<Dictionary>())
        debug << value.value<Dictionary>();
    else if (value.metaType() == QMetaType::fromType<QString>())
        debug << value.toString();
    else
        debug << value;
}

template <typename T> char *toText(const T &value)
{
    QString text;
    QDebug(&text).nospace() << value;
    return qstrdup(text.toUtf8().constData());
}

} // namespace

QDebug operator<<(QDebug debug, const Vector &vector)
{
    const QDebugStateSaver saver(debug);
    debug.nospace().quote();
    if (vector.isNull())
        return debug << "Nothing";
    debug << "Vector[";
    for (int i = 0; i < vector.Count(); ++i) {
        if (i)
            debug << ", ";
        printValue(debug, vector.Item(i));
    }
    return debug << ']';
}

QDebug operator<<(QDebug debug, const Dictionary &dictionary)
{
    const QDebugStateSaver saver(debug);
    debug.nospace().quote();
    if (dictionary.isNull())
        return debug << "Nothing";
    debug << "Dictionary{";
    for (int i = 0; i < dictionary.Count(); ++i) {
        if (i)
            debug << ", ";
        debug.noquote() << dictionary.keyAt(i) << ": ";
        debug.quote();
        printValue(debug, dictionary.valueAt(i));
    }
    return debug << '}';
}

QDebug operator<<(QDebug debug, const Error &error)
{
    const QDebugStateSaver saver(debug);
    return debug.nospace().quote()
           << "Error(" << error.number() << ", " << error.description() << ')';
}

char *toString(const Vector &vector)
{
    return toText(vector);
}

char *toString(const Dictionary &dictionary)
{
    return toText(dictionary);
}

char *toString(const Error &error)
{
    return toText(error);
}

} // namespace varo
