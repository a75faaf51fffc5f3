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

QString oneLine(QString text)
{
    text.replace(u'\r', u' ').replace(u'\n', u' ').replace(u'\t', u' ');
    return text;
}

QList<int> columnWidths(const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows) {
        if (widths.size() < row.size())
            widths.resize(row.size(), 0);
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], displayWidth(row.at(i)));
    }
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

QString reportTable(const StepResult &result)
{
    QString out;
    for (const QVariant &item : vectorItems(result.property(QStringLiteral("Title")))) {
        const Dictionary d = asDictionary(item);
        out += oneLine(d.isNull() ? cellText(item) : entry(d, QStringLiteral("FCaption")));
        out += u'\n';
    }
    const QList<QVariant> rows = vectorItems(result.property(QStringLiteral("VectRs")));
    const QList<Column> columns = columnsOf(result, rows);
    if (columns.isEmpty())
        return out;

    QList<QStringList> grid;
    QStringList captions, seconds;
    bool anySecond = false;
    for (const Column &c : columns) {
        captions.append(oneLine(c.caption));
        seconds.append(oneLine(c.second));
        anySecond = anySecond || !c.second.isEmpty();
    }
    grid.append(captions);
    if (anySecond)
        grid.append(seconds);
    const bool totals = endsWithTotals(rows);
    const qsizetype bodyRows = totals ? rows.size() - 1 : rows.size();
    for (qsizetype r = 0; r < bodyRows; ++r) {
        QStringList cells = rowCells(columns, rows.at(r));
        for (QString &cell : cells)
            cell = oneLine(cell);
        grid.append(cells);
    }
    QStringList totalCells;
    if (totals) {
        totalCells = rowCells(columns, rows.last());
        for (QString &cell : totalCells)
            cell = oneLine(cell);
        grid.append(totalCells);
    }
    const QList<int> widths = columnWidths(grid);
    if (totals)
        grid.removeLast();
    for (const QStringList &row : std::as_const(grid))
        out += alignedLine(row, widths) + u'\n';
    if (totals) {
        QStringList rule;
        for (int w : widths)
            rule.append(QString(w, u'-'));
        out += alignedLine(rule, widths) + u'\n';
        out += alignedLine(totalCells, widths) + u'\n';
    }
    return out;
}

QString reportCsv(const StepResult &result)
{
    const QList<QVariant> rows = vectorItems(result.property(QStringLiteral("VectRs")));
    const QList<Column> columns = columnsOf(result, rows);
    if (columns.isEmpty())
        return QString();
    auto line = [](const QStringList &cells) -> QString {
        QStringList fields;
        for (const QString &cell : cells)
            fields.append(csvField(cell));
        return fields.join(u',') + QLatin1String("\r\n");
    };
    QStringList captions;
    for (const Column &c : columns)
        captions.append(c.caption);
    QString out = line(captions);
    for (const QVariant &row : rows)
        out += line(rowCells(columns, row));
    return out;
}

} // namespace varo::report
