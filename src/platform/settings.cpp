#include "settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace varo::settings
{

namespace
{
QString &customFile()
{
    static QString path;
    return path;
}

// QSettings reads "/" and "\" as group separators; escape them (and the escape character)
// so that a name is always one level.
QString escaped(const QString &name)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'%')
            out += QLatin1String("%25");
        else if (c == u'/')
            out += QLatin1String("%2F");
        else if (c == u'\\')
            out += QLatin1String("%5C");
        else
            out += c;
    }
    return out;
}

QString path(const QString &application, const QString &section, const QString &key)
{
    return escaped(application) + u'/' + escaped(section) + u'/' + escaped(key);
}
} // namespace

void setFile(const QString &p)
{
    customFile() = p;
}

QString file()
{
    if (!customFile().isEmpty())
        return customFile();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/varo-report/settings.ini");
}

QString get(const QString &application, const QString &section, const QString &key,
            const QString &defaultValue)
{
    QSettings store(file(), QSettings::IniFormat);
    return store.value(path(application, section, key), defaultValue).toString();
}

void save(const QString &application, const QString &section, const QString &key,
          const QString &value)
{
    QSettings store(file(), QSettings::IniFormat);
    store.setValue(path(application, section, key), value);
    store.sync();
}

} // namespace varo::settings
