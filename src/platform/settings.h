// The per-user settings store in which dialogs remember what each user entered, by application,
// section and key. Any text is a valid section or key: a report key with "/" or "\" stays one
// section. The store is an INI file, per user unless the host points it elsewhere.
// Public: a host points the store at a file of its choice with setFile before the first
// request, and may install a handler to hear of values that could not be saved; plug-ins may
// remember their own values under their own application name.
#pragma once

#include <QString>
#include <functional>

namespace varo::settings
{

// The file every setting is read from and written to; an empty path restores the per-user one.
void setFile(const QString &path);
QString file();

QString get(const QString &application, const QString &section, const QString &key,
            const QString &defaultValue = QString());
void save(const QString &application, const QString &section, const QString &key,
          const QString &value);

// A save that could not be written: the file and why (a read-only file or folder, a full disk).
// The file keeps what it held before, since it is only ever replaced whole.
struct SaveFailure {
    QString file;
    QString reason;
};

// Called for every save that fails. save itself raises nothing, so that the dialogs that
// remember values behave alike either way; without a handler a failure goes to the logging
// category varo.platform. An empty handler removes the one installed.
void setSaveFailureHandler(std::function<void(const SaveFailure &)> handler);

} // namespace varo::settings
