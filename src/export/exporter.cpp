#include "exporter.h"

#include "writers.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace varo::exporting
{

Q_LOGGING_CATEGORY(lcExport, "varo.export")

namespace
{

// Permissions for the new file: those of the file it replaces, or what a new file gets.
mode_t modeFor(const QByteArray &target)
{
    struct stat st {
    };
    if (::stat(target.constData(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes into a new file beside the target and puts it in the target's place only once the
// writer has finished without a problem, so that a failed export leaves the old file as it was
// and never half a new one.
QString replaceWhenDone(const QString &path, const std::function<QString(QTemporaryFile &)> &write)
{
    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("cannot write %1: it is a folder").arg(path);
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!file.open()) {
        const QString reason = QFileInfo(target.absolutePath()).isDir()
                                   ? file.errorString()
                                   : QStringLiteral("no folder %1").arg(target.absolutePath());
        return QStringLiteral("cannot write %1: %2").arg(path, reason);
    }
    QString problem = write(file);
    if (problem.isEmpty() && file.isOpen() && !file.flush())
        problem = file.errorString();
    file.close();
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (problem.isEmpty() && ::chmod(from.constData(), modeFor(to)) != 0)
        qCWarning(lcExport, "cannot set the permissions of %s", to.constData());
    if (problem.isEmpty() && ::rename(from.constData(), to.constData()) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    if (!problem.isEmpty())
        return QStringLiteral("cannot write %1: %2").arg(path, problem);
    file.setAutoRemove(false);
    return QString();
}

} // namespace

QString exportReports(const QList<ReportTable> &reports, ExportFormat format, const QString &path,
                      const ExportOptions &options)
{
    if (reports.isEmpty())
        return QStringLiteral("no report to write to %1").arg(path);
    return replaceWhenDone(path, [&](QTemporaryFile &file) {
        switch (format) {
        case ExportFormat::Xlsx:
            // libxlsxwriter writes the file by its name.
            file.close();
            return writeXlsx(reports, file.fileName());
        case ExportFormat::Csv:
            return writeCsv(reports, &file, options);
        case ExportFormat::Pdf: {
            QPdfWriter writer(&file);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
            writer.setResolution(300);
            writer.setTitle(reports.first().name());
            writer.setCreator(QStringLiteral("varo-report"));
            paintReports(reports, &writer);
            return file.error() == QFileDevice::NoError ? QString() : file.errorString();
        }
        }
        return QString();
    });
}

void printReport(const ReportTable &report, QPrinter *printer)
{
    paintReports({report}, printer);
}

int textCells(QStringView text)
{
    int cells = 0;
    for (const char32_t ch : text.toUcs4()) {
        // The East Asian wide and fullwidth blocks, roughly: Hangul Jamo to the CJK blocks,
        // Hangul syllables, compatibility ideographs, fullwidth forms, and the planes beyond.
        const bool wide = (ch >= 0x1100 && ch <= 0x115F) || (ch >= 0x2E80 && ch <= 0xA4CF) ||
                          (ch >= 0xAC00 && ch <= 0xD7A3) || (ch >= 0xF900 && ch <= 0xFAFF) ||
                          (ch >= 0xFE30 && ch <= 0xFE4F) || (ch >= 0xFF00 && ch <= 0xFF60) ||
                          (ch >= 0xFFE0 && ch <= 0xFFE6) || ch >= 0x20000;
        cells += wide ? 2 : 1;
    }
    return cells;
}

} // namespace varo::exporting
