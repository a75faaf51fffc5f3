#include "tablewriter.h"

#include "jsonwriter.h"
#include "textwidth.h"

#include "platform/containers.h"
#include "platform/variant.h"

#include <QLocale>
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace varo::report
{

namespace
{

const QString totalsCaption = QStringLiteral("合计：");

struct Column {
    QString caption;
    QString second;
    QString name;
};

Dictionary asDictionary(const QVariant &v)
{
    return v.metaType() == QMetaType::fromType<Dictionary>() ? v.value<Dictionary>() : Dictionary();
}

QList<QVariant> vectorItems(const QVariant &v)
{
    if (v.metaType() != QMetaType::fromType<Vector>())
        return {};
    const Vector vec = v.value<Vector>();
    return vec.isNull() ? QList<QVariant>() : vec.items();
}

QString entry(const Dictionary &d, const QString &name)
{
    return d.isNull() ? QString() : cellText(d.value(name));
}

// The Header's columns; a result without Header shows the fields of its first row.
QList<Column> columnsOf(const StepResult &result, const QList<QVariant> &rows)
{
    QList<Column> columns;
    for (const QVariant &item : vectorItems(result.property(QStringLiteral("Header")))) {
        const Dictionary d = asDictionary(item);
        if (!d.isNull())
            columns.append({entry(d, QStringLiteral("FColCaption")),
                            entry(d, QStringLiteral("FHeadSecond")),
                            entry(d, QStringLiteral("FColName"))});
    }
    if (columns.isEmpty() && !rows.isEmpty()) {
        const Dictionary first = asDictionary(rows.first());
        if (!first.isNull()) {
            for (const QString &key : first.keys())
                columns.append({key, QString(), key});
        }
    }
    return columns;
}

// Reads the columns' cells of row records. The records of one result share their key table,
// so each column's field is found once per table, and texts are read where the records keep
// them; a million-row result is written without a lookup by name per cell.
class CellReader
{
public:
    explicit CellReader(const QList<Column> &columns)
        : m_columns(columns), m_positions(size_t(columns.size()), -1),
          m_cells(size_t(columns.size())), m_converted(size_t(columns.size()))
    {
    }

    // The cells of a row, valid until the next read.
    const std::vector<QStringView> &read(const QVariant &row)
    {
        m_record = asDictionary(row);
        if (m_record.isNull()) {
            std::fill(m_cells.begin(), m_cells.end(), QStringView());
            return m_cells;
        }
        if (const auto keys = m_record.keyTable(); keys != m_keys) {
            m_keys = keys;
            for (qsizetype c = 0; c < m_columns.size(); ++c)
                m_positions[size_t(c)] = keys->indexOf(m_columns.at(c).name);
        }
        for (size_t c = 0; c < m_cells.size(); ++c) {
            const int at = m_positions[c];
            if (at < 0) {
                m_cells[c] = QStringView();
            } else if (const std::optional<QStringView> kept = m_record.textAt(at)) {
                m_cells[c] = *kept;
            } else {
                m_converted[c] = cellText(m_record.valueAt(at));
                m_cells[c] = m_converted[c];
            }
        }
        return m_cells;
    }

private:
    const QList<Column> &m_columns;
    std::shared_ptr<const DictionaryKeys> m_keys;
    std::vector<int> m_positions;
    Dictionary m_record; // keeps the texts the views show
    std::vector<QStringView> m_cells;
    std::vector<QString> m_converted; // per column, the text of a value that is no text
};

// Cells of a row as the table shows them.
QStringList visibleCells(CellReader &reader, const QVariant &row)
{
    QStringList cells;
    for (const QStringView cell : reader.read(row))
        cells.append(visibleText(cell.toString()));
    return cells;
}

void writeCsvField(TextOut &out, QStringView text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r')) {
        out.write(text);
        return;
    }
    out.write(u"\"");
    qsizetype from = 0;
    for (qsizetype quote; (quote = text.indexOf(u'"', from)) >= 0; from = quote + 1) {
        out.write(text.mid(from, quote + 1 - from)); // up to the quote, then the quote again
        out.write(u"\"");
    }
    out.write(text.mid(from));
    out.write(u"\"");
}

void widen(QList<int> &widths, const QStringList &row)
{
    if (widths.size() < row.size())
        widths.resize(row.size(), 0);
    for (qsizetype i = 0; i < row.size(); ++i)
        widths[i] = std::max(widths[i], displayWidth(row.at(i)));
}

QList<int> columnWidths(const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows)
        widen(widths, row);
    return widths;
}

QString alignedLine(const QStringList &row, const QList<int> &widths)
{
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (i > 0)
            line += QLatin1String("  ");
        line += padToWidth(row.at(i), widths.at(i));
    }
    while (line.endsWith(u' '))
        line.chop(1);
    return line;
}

} // namespace

QStringList alignedLines(const QList<QStringList> &rows)
{
    const QList<int> widths = columnWidths(rows);
    QStringList lines;
    for (const QStringList &row : rows)
        lines.append(alignedLine(row, widths));
    return lines;
}

QString cellText(const QVariant &value)
{
    if (!value.isValid() || varo::isNull(value))
        return QString();
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<Vector>() || type == QMetaType::fromType<Dictionary>()) {
        const QString json = jsonValue(value);
        return json == QLatin1String("null") ? QString() : json;
    }
    if (type.id() == QMetaType::Double || type.id() == QMetaType::Float) {
        const double d = value.toDouble();
        return std::isfinite(d) ? varo::toText(value) : QString();
    }
    try {
        return varo::toText(value);
    } catch (const std::exception &) {
        // A handle or another value without text: show what JSON shows of it.
        const QString json = jsonValue(value);
        return json == QLatin1String("null") ? QString() : json;
    }
}

QString csvField(const QString &text)
{
    StringOut out;
    writeCsvField(out, text);
    return out.text();
}

bool endsWithTotals(const QList<QVariant> &rows)
{
    if (rows.size() < 2)
        return false;
    const Dictionary first = asDictionary(rows.first());
    const Dictionary last = asDictionary(rows.last());
    if (first.isNull() || last.isNull() || first.Count() == 0)
        return false;
    const QVariant caption = last.value(first.keyAt(0));
    return caption.typeId() == QMetaType::QString && caption.toString() == totalsCaption;
}

void writeReportTable(TextOut &out, const StepResult &result)
{
    for (const QVariant &item : vectorItems(result.property(QStringLiteral("Title")))) {
        const Dictionary d = asDictionary(item);
        out.write(visibleText(d.isNull() ? cellText(item) : entry(d, QStringLiteral("FCaption"))));
        out.write(u"\n");
    }
    const QList<QVariant> rows = vectorItems(result.property(QStringLiteral("VectRs")));
    const QList<Column> columns = columnsOf(result, rows);
    if (columns.isEmpty())
        return;

    QList<QStringList> captionLines{{}, {}};
    bool anySecond = false;
    for (const Column &c : columns) {
        captionLines[0].append(visibleText(c.caption));
        captionLines[1].append(visibleText(c.second));
        anySecond = anySecond || !c.second.isEmpty();
    }
    if (!anySecond)
        captionLines.removeLast();
    QList<int> widths = columnWidths(captionLines);
    CellReader reader(columns);
    for (const QVariant &row : rows)
        widen(widths, visibleCells(reader, row));

    auto line = [&out, &widths](const QStringList &cells) {
        out.write(alignedLine(cells, widths));
        out.write(u"\n");
    };
    const bool totals = endsWithTotals(rows);
    const qsizetype bodyRows = totals ? rows.size() - 1 : rows.size();
    for (const QStringList &captions : std::as_const(captionLines))
        line(captions);
    for (qsizetype r = 0; r < bodyRows; ++r)
        line(visibleCells(reader, rows.at(r)));
    if (totals) {
        QStringList rule;
        for (int w : widths)
            rule.append(QString(w, u'-'));
        line(rule);
        line(visibleCells(reader, rows.last()));
    }
}

void writeReportCsv(TextOut &out, const StepResult &result)
{
    const QList<QVariant> rows = vectorItems(result.property(QStringLiteral("VectRs")));
    const QList<Column> columns = columnsOf(result, rows);
    if (columns.isEmpty())
        return;
    auto line = [&out](const auto &cells) {
        bool first = true;
        for (const QStringView cell : cells) {
            if (!std::exchange(first, false))
                out.write(u",");
            writeCsvField(out, cell);
        }
        out.write(u"\r\n");
    };
    QStringList captions;
    for (const Column &c : columns)
        captions.append(c.caption);
    line(captions);
    CellReader reader(columns);
    for (const QVariant &row : rows)
        line(reader.read(row));
}

QString reportTable(const StepResult &result)
{
    StringOut out;
    writeReportTable(out, result);
    return out.text();
}

QString reportCsv(const StepResult &result)
{
    StringOut out;
    writeReportCsv(out, result);
    return out.text();
}

} // namespace varo::report
