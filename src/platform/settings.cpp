#include "settings.h"

#include <QLoggingCategory>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace varo::settings
{

namespace
{
Q_LOGGING_CATEGORY(lcSettings, "varo.platform")

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

std::function<void(const SaveFailure &)> &failureHandler()
{
    static std::function<void(const SaveFailure &)> handler;
    return handler;
}

// QSettings tells only that the file could not be written; trying as it does, through a
// temporary file beside it that is then thrown away, tells why.
QString whyNotWritten(const QString &path, QSettings::Status status)
{
    if (status == QSettings::FormatError)
        return QStringLiteral("the file is not in INI format");
    QSaveFile probe(path);
    QString why;
    if (!probe.open(QIODevice::WriteOnly) || probe.write("\n", 1) != 1 || !probe.flush())
        why = probe.errorString();
    probe.cancelWriting();
    return why.isEmpty() ? QStringLiteral("it could not be written") : why;
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
    if (store.status() == QSettings::NoError)
        return;
    const SaveFailure failure{store.fileName(), whyNotWritten(store.fileName(), store.status())};
    if (failureHandler())
        failureHandler()(failure);
    else
        qCWarning(lcSettings, "cannot save a setting in %s: %s", qPrintable(failure.file),
                  qPrintable(failure.reason));
}

void setSaveFailureHandler(std::function<void(const SaveFailure &)> handler)
{
    failureHandler() = std::move(handler);
}

} // namespace varo::settings
