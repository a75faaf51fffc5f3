#include "console.h"

#include "textwidth.h"

#include <QByteArray>
#include <QStringEncoder>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace varo::report
{

namespace
{

class StdoutText final : public TextOut
{
public:
    void write(QStringView text) override
    {
        if (!m_error.isEmpty())
            return;
        const qsizetype room = m_encoder.requiredSpace(text.size());
        if (m_used + room > capacity)
            flush();
        if (room > capacity) {
            const QByteArray bytes = text.toUtf8();
            send(bytes.constData(), bytes.size());
            return;
        }
        m_used = m_encoder.appendToBuffer(m_buffer.data() + m_used, text) - m_buffer.constData();
    }

    bool flush()
    {
        send(m_buffer.constData(), m_used);
        m_used = 0;
        return m_error.isEmpty();
    }

    QString error() const { return m_error; }

private:
    static constexpr qsizetype capacity = 64 * 1024;

    void send(const char *data, qsizetype size)
    {
        while (size > 0 && m_error.isEmpty()) {
            const ssize_t n = ::write(STDOUT_FILENO, data, size_t(size));
            if (n < 0) {
                if (errno != EINTR)
                    m_error = qt_error_string(errno);
                continue;
            }
            data += n;
            size -= n;
        }
    }

    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QByteArray m_buffer{capacity, Qt::Uninitialized};
    qsizetype m_used = 0;
    QString m_error;
};

StdoutText &stdoutText()
{
    static StdoutText out;
    return out;
}

} // namespace

TextOut &standardOutput()
{
    return stdoutText();
}

void writeOut(const QString &text)
{
    stdoutText().write(text);
}

bool flushOut()
{
    return stdoutText().flush();
}

QString outputError()
{
    return stdoutText().error();
}

void writeError(const QString &text)
{
    flushOut();
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QString singleLine(const QString &text)
{
    QStringList parts;
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            parts.append(trimmed);
    }
    return parts.join(u' ');
}

void complain(const QString &text)
{
    writeError(QStringLiteral("varo-report: ") + visibleText(singleLine(text)) + u'\n');
}

bool stdoutIsTerminal()
{
    return isatty(STDOUT_FILENO) != 0;
}

} // namespace varo::report
