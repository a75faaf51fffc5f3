// CSV as RFC 4180 has it: fields separated by commas, quoted when they hold a comma, a quote
// or a line break, quotes doubled, lines ending in CRLF; UTF-8 throughout.
#include "writers.h"

#include <QIODevice>

namespace varo::exporting
{

namespace
{

constexpr qsizetype kChunk = 1 << 16;

class CsvOut
{
public:
    explicit CsvOut(QIODevice *device) : m_device(device) {}

    void line(const QStringList &fields)
    {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                m_text += u',';
            field(fields.at(i));
        }
        m_text += QLatin1String("\r\n");
        if (m_text.size() >= kChunk)
            flush();
    }

    bool flush()
    {
        const QByteArray bytes = m_text.toUtf8();
        m_text.clear();
        m_ok = m_ok && m_device->write(bytes) == bytes.size();
        return m_ok;
    }

private:
    void field(const QString &text)
    {
        const bool quoted = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') ||
                            text.contains(u'\r');
        if (!quoted) {
            m_text += text;
            return;
        }
        m_text += u'"';
        for (const QChar ch : text) {
            if (ch == u'"')
                m_text += u'"';
            m_text += ch;
        }
        m_text += u'"';
    }

    QIODevice *m_device;
    QString m_text;
    bool m_ok = true;
};

} // namespace

QString writeCsv(const QList<ReportTable> &reports, QIODevice *device, const ExportOptions &options)
{
    if (options.csvBom && device->write("\xEF\xBB\xBF") != 3)
        return device->errorString();
    CsvOut out(device);
    for (qsizetype i = 0; i < reports.size(); ++i) {
        const ReportTable &report = reports.at(i);
        // One report after another, an empty line apart.
        if (i > 0)
            out.line({});
        if (options.csvTitles) {
            for (const QString &title : report.titleLines())
                out.line({title});
        }
        QStringList captions;
        for (const Column &c : report.columns())
            captions.append(c.caption);
        out.line(captions);
        for (qsizetype r = 0; r < report.rowCount(); ++r)
            out.line(report.rowCells(r));
        if (report.hasTotals())
            out.line(report.totalsCells());
    }
    return out.flush() ? QString() : device->errorString();
}

} // namespace varo::exporting
