#include "qtenvironment.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varo::report
{

namespace
{

// Without XDG_RUNTIME_DIR (a root shell, a cron job, a container) Qt warns on start-up and then
// uses /tmp/runtime-<user>. Naming that same folder ourselves, once it is ours and private,
// keeps the warning off the output and changes nothing else.
void provideRuntimeDir()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const passwd *user = getpwuid(geteuid());
    if (!user || !user->pw_name)
        return;
    const QByteArray dir =
        QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray(user->pw_name);
    mkdir(dir.constData(), 0700); // fails harmlessly when it exists
    struct stat info;
    if (lstat(dir.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & 0777) != 0700)
        return; // not fit for Qt: let Qt say so
    qputenv("XDG_RUNTIME_DIR", dir);
}

QtMessageHandler &previousHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

// The offscreen platform cannot pass a window's size limits on and warns about it every time a
// dialog with a layout is shown; that is no news for a window nobody sees. Every other
// message goes on to Qt's own handler.
void quietOffscreenHandler(QtMsgType type, const QMessageLogContext &context,
                           const QString &message)
{
    if (type == QtWarningMsg &&
        message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    previousHandler()(type, context, message);
}

} // namespace

void prepareQtEnvironment(bool headless)
{
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen"))
        previousHandler() = qInstallMessageHandler(quietOffscreenHandler);
    provideRuntimeDir();
}

} // namespace varo::report
