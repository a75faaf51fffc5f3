// The one error type of the engine: a number and a description, raised by the platform layer,
// by the engine and by components, and caught by the nearest procedure that traps errors.
// Public: a host catches varo::Error around calls by name; a plug-in raises it to report a
// failure that the engine shows to the user.
#pragma once

#include <QString>
#include <exception>

class QDebug;

namespace varo
{

class Error : public std::exception
{
public:
    Error(int number, QString description);
    ~Error() override; // out of line: one type identity for the engine and every plug-in

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// Turns anything caught in a trap into the engine's error, so that every trap reports a number
// and a description the same way.
Error toError(const std::exception &e);

// Prints as Error(91, "Object variable or With block variable not set"), in logs and, through
// toString, in QtTest's failure messages.
QDebug operator<<(QDebug debug, const Error &error);
char *toString(const Error &error);

} // namespace varo
