// XLSX through libxlsxwriter in its constant-memory mode: each row goes to disk as soon as the
// next one starts, so a sheet of any length costs the memory of one row. Rows are therefore
// written strictly in order, merges included.
#include "writers.h"

#include <QFileInfo>
#include <QSet>
#include <QStringEncoder>
#include <xlsxwriter.h>

namespace varo::exporting
{

namespace
{

constexpr qsizetype kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr qsizetype kMaxText = 32767;
constexpr int kSampleRows = 200;

struct Formats {
    lxw_format *title = nullptr;
    lxw_format *header = nullptr;
    lxw_format *totals = nullptr;
};

// Writes one sheet row by row and remembers the first thing libxlsxwriter refused.
class SheetWriter
{
public:
    SheetWriter(lxw_worksheet *sheet, const Formats &formats) : m_sheet(sheet), m_formats(formats)
    {
    }

    void write(const ReportTable &report)
    {
        const QList<Column> &columns = report.columns();
        lxw_row_t row = 0;
        for (const QString &line : report.titleLines())
            text(row++, 0, line, m_formats.title);
        const lxw_row_t headerRow = row;
        if (!columns.isEmpty())
            row = writeHeader(report, headerRow);
        RowReader reader(report);
        for (qsizetype r = 0; r < report.rowCount(); ++r)
            cells(row++, columns, reader.read(r), nullptr);
        if (report.hasTotals())
            cells(row, columns, reader.read(report.rowCount()), m_formats.totals);
        if (!columns.isEmpty())
            worksheet_freeze_panes(m_sheet, headerRow + (report.hasGroups() ? 2 : 1), 0);
        setWidths(report);
    }

    lxw_error error() const { return m_error; }

private:
    // The group captions above, each merged across its columns; a column without a group has
    // its caption merged down across both rows. The lower row's merges are added once the
    // upper row is complete, as the upper row is gone from memory by then.
    lxw_row_t writeHeader(const ReportTable &report, lxw_row_t top)
    {
        const QList<Column> &columns = report.columns();
        if (!report.hasGroups()) {
            for (int c = 0; c < columns.size(); ++c)
                text(top, c, columns.at(c).caption, m_formats.header);
            return top + 1;
        }
        const QList<HeaderGroup> groups = report.groups();
        for (int c = 0; c < columns.size(); ++c) {
            if (columns.at(c).group.isEmpty())
                text(top, c, columns.at(c).caption, m_formats.header);
        }
        for (const HeaderGroup &g : groups) {
            if (g.count > 1)
                check(worksheet_merge_range(m_sheet, top, g.first, top, g.first + g.count - 1,
                                            utf8(g.caption), m_formats.header));
            else
                text(top, g.first, g.caption, m_formats.header);
        }
        for (int c = 0; c < columns.size(); ++c) {
            if (!columns.at(c).group.isEmpty()) {
                text(top + 1, c, columns.at(c).caption, m_formats.header);
            } else {
                // Writes the upper cell again while it is still in memory (the first of
                // these merges), records the merge and formats the lower cell.
                worksheet_merge_range(m_sheet, top, c, top + 1, c, utf8(columns.at(c).caption),
                                      m_formats.header);
            }
        }
        return top + 2;
    }

    // The rows pass no format, so that their cells carry no style index; the totals pass theirs.
    void cells(lxw_row_t row, const QList<Column> &columns, const std::vector<QStringView> &values,
               lxw_format *format)
    {
        for (int c = 0; c < columns.size(); ++c) {
            const QStringView value = values[size_t(c)];
            if (value.isEmpty()) {
                if (format)
                    check(worksheet_write_blank(m_sheet, row, c, format));
                continue;
            }
            const std::optional<double> number =
                columns.at(c).numeric ? numberIn(value) : std::nullopt;
            if (number)
                check(worksheet_write_number(m_sheet, row, c, *number, format));
            else
                text(row, c, value, format);
        }
    }

    void text(lxw_row_t row, lxw_col_t column, QStringView value, lxw_format *format)
    {
        check(worksheet_write_string(m_sheet, row, column, utf8(value), format));
    }

    // The text in UTF-8, ended by a zero, in a buffer reused for every cell. Texts longer than a
    // cell holds are cut at its limit rather than refused.
    const char *utf8(QStringView value)
    {
        value = value.left(kMaxText);
        const qsizetype space = m_encoder.requiredSpace(value.size()) + 1;
        if (m_buffer.size() < space)
            m_buffer.resize(space);
        char *end = m_encoder.appendToBuffer(m_buffer.data(), value);
        *end = '\0';
        return m_buffer.constData();
    }

    // Widths fitted to the captions, a sample of the first rows and the totals.
    void setWidths(const ReportTable &report)
    {
        const QList<Column> &columns = report.columns();
        QList<int> widths(columns.size(), 0);
        auto widen = [&widths](const std::vector<QStringView> &cells) {
            for (size_t c = 0; c < cells.size() && c < size_t(widths.size()); ++c)
                widths[c] = std::max(widths[c], textCells(cells[c]));
        };
        std::vector<QStringView> captions;
        for (const Column &c : columns)
            captions.push_back(c.caption);
        widen(captions);
        RowReader reader(report);
        for (qsizetype r = 0; r < std::min<qsizetype>(report.rowCount(), kSampleRows); ++r)
            widen(reader.read(r));
        if (report.hasTotals())
            widen(reader.read(report.rowCount()));
        // A group caption wider than its columns widens them alike.
        for (const HeaderGroup &g : report.groups()) {
            int sum = 0;
            for (int c = g.first; c < g.first + g.count; ++c)
                sum += widths[c] + 2;
            const int missing = textCells(g.caption) + 2 - sum;
            for (int c = g.first; missing > 0 && c < g.first + g.count; ++c)
                widths[c] += (missing + g.count - 1) / g.count;
        }
        for (int c = 0; c < widths.size(); ++c)
            worksheet_set_column(m_sheet, c, c, std::clamp(widths[c] + 2, 6, 60), nullptr);
    }

    void check(lxw_error error)
    {
        if (m_error == LXW_NO_ERROR)
            m_error = error;
    }

    lxw_worksheet *m_sheet;
    Formats m_formats;
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QByteArray m_buffer;
    lxw_error m_error = LXW_NO_ERROR;
};

Formats addFormats(lxw_workbook *book)
{
    Formats f;
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    f.header = workbook_add_format(book);
    format_set_bold(f.header);
    format_set_align(f.header, LXW_ALIGN_CENTER);
    format_set_align(f.header, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(f.header, LXW_BORDER_THIN);
    format_set_bg_color(f.header, 0xDDE4EE);
    f.totals = workbook_add_format(book);
    format_set_bold(f.totals);
    format_set_top(f.totals, LXW_BORDER_THIN);
    return f;
}

// Whether the reports fit in sheets at all; "" if they do.
QString sizeProblem(const QList<ReportTable> &reports)
{
    for (const ReportTable &r : reports) {
        const qsizetype rows = r.titleLines().size() + (r.hasGroups() ? 2 : 1) + r.rowCount() +
                               (r.hasTotals() ? 1 : 0);
        if (rows > kMaxRows)
            return QStringLiteral("the report %1 has %2 rows; a sheet holds at most %3")
                .arg(r.name())
                .arg(rows)
                .arg(kMaxRows);
        if (r.columns().size() > kMaxColumns)
            return QStringLiteral("the report %1 has %2 columns; a sheet holds at most %3")
                .arg(r.name())
                .arg(r.columns().size())
                .arg(kMaxColumns);
    }
    return QString();
}

QString describe(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

QStringList sheetNames(const QList<ReportTable> &reports)
{
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    QStringList names;
    QSet<QString> taken{QStringLiteral("history")}; // a name Excel keeps for itself
    for (const ReportTable &r : reports) {
        QString base;
        for (const QChar ch : r.name())
            base += forbidden.contains(ch) || ch.category() == QChar::Other_Control ? u'_' : ch;
        while (base.startsWith(u'\''))
            base.remove(0, 1);
        base = base.trimmed();
        if (base.isEmpty())
            base = QStringLiteral("Sheet");
        QString name;
        for (int n = 1; name.isEmpty() || taken.contains(name.toCaseFolded()); ++n) {
            const QString suffix = n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
            qsizetype keep = std::min<qsizetype>(base.size(), 31 - suffix.size());
            if (keep > 0 && base.at(keep - 1).isHighSurrogate())
                --keep;
            name = base.left(keep);
            while (name.endsWith(u'\''))
                name.chop(1);
            name += suffix;
        }
        taken.insert(name.toCaseFolded());
        names.append(name);
    }
    return names;
}

QString writeXlsx(const QList<ReportTable> &reports, const QString &path)
{
    if (const QString problem = sizeProblem(reports); !problem.isEmpty())
        return problem;
    qsizetype cells = 0;
    for (const ReportTable &r : reports)
        cells += r.rowCount() * r.columns().size();
    // Temporary files beside the result: /tmp may be memory.
    QByteArray tmpdir = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    options.use_zip64 = cells > 20'000'000 ? LXW_TRUE : LXW_FALSE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!book)
        return QStringLiteral("cannot start the workbook");
    const Formats formats = addFormats(book);
    const QStringList names = sheetNames(reports);
    lxw_error error = LXW_NO_ERROR;
    QString problem;
    for (qsizetype i = 0; i < reports.size() && problem.isEmpty(); ++i) {
        lxw_worksheet *sheet = workbook_add_worksheet(book, names.at(i).toUtf8().constData());
        if (!sheet) {
            problem = QStringLiteral("cannot add the sheet %1").arg(names.at(i));
            break;
        }
        SheetWriter writer(sheet, formats);
        writer.write(reports.at(i));
        error = writer.error();
        if (error != LXW_NO_ERROR)
            problem = QStringLiteral("sheet %1: %2").arg(names.at(i), describe(error));
    }
    // Closing also frees the workbook, whatever happened before.
    error = workbook_close(book);
    if (problem.isEmpty() && error != LXW_NO_ERROR)
        problem = describe(error);
    return problem;
}

} // namespace varo::exporting
