#include "common/testsupport.h"

#include "common/testdatabase.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>

namespace varo::test
{

Dictionary dictionary(std::initializer_list<std::pair<const char *, QVariant>> entries)
{
    Dictionary d = Dictionary::create();
    for (const auto &[name, value] : entries)
        d.set(QString::fromUtf8(name), value);
    return d;
}

Vector vector(std::initializer_list<QVariant> items)
{
    Vector v = Vector::create();
    for (const QVariant &item : items)
        v.Add(item);
    return v;
}

QString describe(const Error &error)
{
    return QStringLiteral("error %1: %2").arg(error.number()).arg(error.description());
}

TemporarySettingsFile::TemporarySettingsFile()
    : m_path(m_dir.filePath(QStringLiteral("settings.ini"))), m_previous(settings::file())
{
    settings::setFile(m_path);
}

TemporarySettingsFile::~TemporarySettingsFile()
{
    settings::setFile(m_previous);
}

MessageRecorder::MessageRecorder() : m_messages(std::make_shared<QList<RecordedMessage>>())
{
    // The sink holds the list itself: a copy of the sink may outlive this object.
    ui::setMessageSink(
        [messages = m_messages](const QString &text, ui::MessageIcon icon, const QString &title) {
            messages->append({text, icon, title});
        });
}

MessageRecorder::~MessageRecorder()
{
    installUnexpectedMessageGuard();
}

QStringList MessageRecorder::texts() const
{
    QStringList result;
    for (const RecordedMessage &m : *m_messages)
        result.append(m.text);
    return result;
}

ScopedModalDriver::ScopedModalDriver(ui::ModalDriver driver)
{
    ui::setModalDriver(std::move(driver));
}

ScopedModalDriver::~ScopedModalDriver()
{
    ui::setModalDriver({});
}

void installUnexpectedMessageGuard()
{
    ui::setMessageSink([](const QString &text, ui::MessageIcon, const QString &title) {
        const QString what =
            QStringLiteral("unexpected message box \"%1\" (title \"%2\")").arg(text, title);
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    });
}

void prepareProcess()
{
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Lives as long as the process; QTemporaryDir creates it private (0700), as Qt expects.
        static QTemporaryDir runtimeDir(QDir::tempPath() + QStringLiteral("/varo-test-runtime"));
        if (runtimeDir.isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
}

namespace
{
QtMessageHandler &previousHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

void filterMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg &&
        message == QLatin1String("This plugin does not support propagateSizeHints()") &&
        QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    if (previousHandler())
        previousHandler()(type, context, message);
}
} // namespace

OffscreenNoiseFilter::OffscreenNoiseFilter()
{
    previousHandler() = qInstallMessageHandler(filterMessage);
}

OffscreenNoiseFilter::~OffscreenNoiseFilter()
{
    qInstallMessageHandler(previousHandler());
    previousHandler() = nullptr;
}

Environment::Environment()
{
    QStandardPaths::setTestModeEnabled(true);
    m_settings.emplace();
    installUnexpectedMessageGuard();
}

Environment::~Environment()
{
    const auto error = errorOf(dropIdleDatabases);
    if (error)
        qWarning("cannot drop the test databases: %s", qPrintable(describe(*error)));
}

} // namespace varo::test
