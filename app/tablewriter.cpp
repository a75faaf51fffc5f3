#include "tablewriter.h"

#include "jsonwriter.h"
#include "textwidth.h"

#include "platform/containers.h"
#include "platform/variant.h"

#include <QLocale>
#include <algorithm>

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

QStringList rowCells(const QList<Column> &columns, const QVariant &row)
{
    const Dictionary d = asDictionary(row);
    QStringList cells;
    for (const Column &c : columns)
        cells.append(d.isNull() ? QString() : cellText(d.value(c.name)));
    return cells;
}

// Cells of a row as the table shows them.
QStringList visibleCells(const QList<Column> &columns, const QVariant &row)
{
    QStringList cells = rowCells(columns, row);
    for (QString &cell : cells)
        cell = visibleText(cell);
    return cells;
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
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QLatin1String("\"\""));
    return u'"' + quoted + u'"';
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
    for (const QVariant &row : rows)
        widen(widths, visibleCells(columns, row));

    auto line = [&out, &widths](const QStringList &cells) {
        out.write(alignedLine(cells, widths));
        out.write(u"\n");
    };
    const bool totals = endsWithTotals(rows);
    const qsizetype bodyRows = totals ? rows.size() - 1 : rows.size();
    for (const QStringList &captions : std::as_const(captionLines))
        line(captions);
    for (qsizetype r = 0; r < bodyRows; ++r)
        line(visibleCells(columns, rows.at(r)));
    if (totals) {
        QStringList rule;
        for (int w : widths)
            rule.append(QString(w, u'-'));
        line(rule);
        line(visibleCells(columns, rows.last()));
    }
}

void writeReportCsv(TextOut &out, const StepResult &result)
{
    const QList<QVariant> rows = vectorItems(result.property(QStringLiteral("VectRs")));
    const QList<Column> columns = columnsOf(result, rows);
    if (columns.isEmpty())
        return;
    auto line = [&out](const QStringList &cells) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out.write(u",");
            out.write(csvField(cells.at(i)));
        }
        out.write(u"\r\n");
    };
    QStringList captions;
    for (const Column &c : columns)
        captions.append(c.caption);
    line(captions);
    for (const QVariant &row : rows)
        line(rowCells(columns, row));
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
