#include "console.h"

#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace varo::report
{

namespace
{
void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

void writeOut(const QString &text)
{
    write(stdout, text);
}

void writeError(const QString &text)
{
    write(stderr, text);
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
    writeError(QStringLiteral("varo-report: ") + singleLine(text) + u'\n');
}

bool stdoutIsTerminal()
{
    return isatty(STDOUT_FILENO) != 0;
}

} // namespace varo::report
