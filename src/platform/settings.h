// The per-user settings store in which dialogs remember what each user entered, by application,
// section and key. Any text is a valid section or key: a report key with "/" or "\" stays one
// section. The store is an INI file, per user unless the host points it elsewhere.
// Public: a host points the store at a file of its choice with setFile before the first
// request; plug-ins may remember their own values under their own application name.
#pragma once

#include <QString>

namespace varo::settings
{

// The file every setting is read from and written to; an empty path restores the per-user one.
void setFile(const QString &path);
QString file();

QString get(const QString &application, const QString &section, const QString &key,
            const QString &defaultValue = QString());
void save(const QString &application, const QString &section, const QString &key,
          const QString &value);

} // namespace varo::settings
