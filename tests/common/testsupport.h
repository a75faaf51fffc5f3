// What every test of the project shares: a main() that keeps tests away from the user's own
// files and from real message boxes, checks on raised errors, and recorders and drivers for the
// message boxes and modal dialogs that the code under test shows.
#pragma once

#include "platform/containers.h"
#include "platform/error.h"
#include "platform/ui.h"

#include <QApplication>
#include <QDebug>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <exception>
#include <memory>
#include <optional>

namespace varo::test
{

// "error <number>: <description>", the way failures print an error.
QString describe(const Error &error);

// A value as it prints (see the QDebug operators of the containers), to compare records by
// their contents.
template <typename T> QString printed(const T &value)
{
    QString text;
    QDebug(&text).nospace() << value;
    return text;
}

// Containers from literals: dictionary({{"FCaption", "x"}, {"FIndex", 1}}), vector({a, b}).
Dictionary dictionary(std::initializer_list<std::pair<const char *, QVariant>> entries);
Vector vector(std::initializer_list<QVariant> items);

// The error a piece of code raises, or nothing when it returns normally. Other exceptions are
// turned into the engine's error, as a trap would see them.
template <typename F> std::optional<Error> errorOf(F &&code)
{
    try {
        code();
    } catch (const Error &e) {
        return e;
    } catch (const std::exception &e) {
        return toError(e);
    }
    return std::nullopt;
}

// Points the settings store at a file in a fresh temporary folder for the object's lifetime,
// then back at the file used before.
class TemporarySettingsFile
{
public:
    TemporarySettingsFile();
    ~TemporarySettingsFile();
    TemporarySettingsFile(const TemporarySettingsFile &) = delete;
    TemporarySettingsFile &operator=(const TemporarySettingsFile &) = delete;

    QString path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_previous;
};

struct RecordedMessage {
    QString text;
    ui::MessageIcon icon;
    QString title;
};

// Receives every message box shown while it lives, instead of the screen.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    const QList<RecordedMessage> &messages() const { return *m_messages; }
    QStringList texts() const;
    void clear() { m_messages->clear(); }

private:
    std::shared_ptr<QList<RecordedMessage>> m_messages;
};

// Answers every modal dialog shown while it lives.
class ScopedModalDriver
{
public:
    explicit ScopedModalDriver(ui::ModalDriver driver);
    ~ScopedModalDriver();
    ScopedModalDriver(const ScopedModalDriver &) = delete;
    ScopedModalDriver &operator=(const ScopedModalDriver &) = delete;
};

// Outside a MessageRecorder, a message box would wait for a person who never comes: the guard
// fails the running test with the box's text instead.
void installUnexpectedMessageGuard();

// Prepares the process before its QApplication exists: a private runtime folder when the
// session has none (CI, root shells), so that Qt has nothing to warn about.
void prepareProcess();

// Set up once per test program by VARO_TEST_MAIN: QStandardPaths' test mode, a temporary
// settings file, and the message guard.
class Environment
{
public:
    Environment();
    ~Environment();

private:
    std::optional<TemporarySettingsFile> m_settings;
};

// While it lives, drops the one warning that Qt's offscreen platform gives for every dialog
// with a size constraint ("does not support propagateSizeHints()"); every other message goes
// on to the handler installed before (QtTest's, which prints and counts it).
class OffscreenNoiseFilter
{
public:
    OffscreenNoiseFilter();
    ~OffscreenNoiseFilter();
    OffscreenNoiseFilter(const OffscreenNoiseFilter &) = delete;
    OffscreenNoiseFilter &operator=(const OffscreenNoiseFilter &) = delete;
};

} // namespace varo::test

// Like QTEST_MAIN with a QApplication (offscreen under CTest), inside a test Environment.
#define VARO_TEST_MAIN(TestObject)                                                                 \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        varo::test::prepareProcess();                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        varo::test::Environment environment;                                                       \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        QTest::qInit(&tc, argc, argv);                                                             \
        int result = 0;                                                                            \
        {                                                                                          \
            varo::test::OffscreenNoiseFilter filter;                                               \
            result = QTest::qRun();                                                                \
        }                                                                                          \
        QTest::qCleanup();                                                                         \
        return result;                                                                             \
    }

// Fails unless the statement raises the engine's error with the given number.
#define VARO_VERIFY_ERROR(statement, expectedNumber)                                               \
    do {                                                                                           \
        const auto raised_ = varo::test::errorOf([&] { statement; });                              \
        QVERIFY2(raised_.has_value(), "no error raised by: " #statement);                          \
        QCOMPARE(raised_->number(), int(expectedNumber));                                          \
    } while (false)

// Fails with the error's number and description when the statement raises one.
#define VARO_VERIFY_NO_ERROR(statement)                                                            \
    do {                                                                                           \
        if (const auto raised_ = varo::test::errorOf([&] { statement; }))                          \
            QFAIL(qPrintable(QStringLiteral(#statement ": ") + varo::test::describe(*raised_)));   \
    } while (false)
