#include "reporttable.h"

#include "platform/variant.h"

#include <charconv>
#include <cmath>

namespace varo::exporting
{

namespace
{

const QString kTotals = QStringLiteral("合计：");

Dictionary asDictionary(const QVariant &v)
{
    return v.metaType() == QMetaType::fromType<Dictionary>() ? v.value<Dictionary>() : Dictionary();
}

// A value as a cell's text; a value without text (a container, a handle) is left empty.
QString text(const QVariant &v)
{
    if (!v.isValid() || isNull(v))
        return QString();
    try {
        return toText(v);
    } catch (const std::exception &) {
        return QString();
    }
}

QString field(const Dictionary &record, const char *name)
{
    return record.isNull() ? QString() : text(record.value(QString::fromLatin1(name)));
}

// The engine appends the totals record last, with "合计：" under the result's first field; its
// other fields are the summed columns, so that one is not necessarily first.
bool isTotals(const Dictionary &record)
{
    if (record.isNull())
        return false;
    for (int i = 0; i < record.Count(); ++i) {
        const QVariant v = record.valueAt(i);
        if (v.typeId() == QMetaType::QString && v.toString() == kTotals)
            return true;
    }
    return false;
}

} // namespace

ReportTable::ReportTable(const QString &name, const Vector &title, const Vector &header,
                         const Vector &rows)
    : m_name(name), m_rows(rows)
{
    if (!title.isNull()) {
        for (const QVariant &line : title.items()) {
            const Dictionary d = asDictionary(line);
            m_titles.append(d.isNull() ? text(line) : field(d, "FCaption"));
        }
    }
    m_rowCount = rows.isNull() ? 0 : rows.Count();
    const Dictionary last =
        m_rowCount > 0 ? asDictionary(rows.Item(int(m_rowCount - 1))) : Dictionary();
    m_hasTotals = isTotals(last);
    if (m_hasTotals)
        --m_rowCount;
    if (header.isNull())
        return;
    for (const QVariant &item : header.items()) {
        const Dictionary entry = asDictionary(item);
        if (entry.isNull() || field(entry, "FVisible").trimmed() == u'0')
            continue;
        Column c;
        c.name = field(entry, "FColName");
        c.caption = field(entry, "FColCaption");
        c.group = field(entry, "FHeadSecond");
        const bool summed =
            m_hasTotals && last.Exists(c.name) && text(last.value(c.name)) != kTotals;
        c.numeric =
            field(entry, "FColType").trimmed().compare(u"N", Qt::CaseInsensitive) == 0 || summed;
        m_columns.append(c);
    }
}

QList<HeaderGroup> ReportTable::groups() const
{
    QList<HeaderGroup> runs;
    for (int i = 0; i < m_columns.size(); ++i) {
        const QString &g = m_columns.at(i).group;
        if (g.isEmpty())
            continue;
        if (!runs.isEmpty() && runs.last().caption == g &&
            runs.last().first + runs.last().count == i)
            ++runs.last().count;
        else
            runs.append({g, i, 1});
    }
    return runs;
}

bool ReportTable::hasGroups() const
{
    for (const Column &c : m_columns) {
        if (!c.group.isEmpty())
            return true;
    }
    return false;
}

Dictionary ReportTable::record(qsizetype row) const
{
    if (row >= m_rowCount)
        return m_hasTotals ? asDictionary(m_rows.items().constLast()) : Dictionary();
    return asDictionary(m_rows.items().at(m_order ? (*m_order)[size_t(row)] : row));
}

const std::vector<int> &ReportTable::positionsIn(const Dictionary &record, Layout &layout) const
{
    std::shared_ptr<const DictionaryKeys> keys = record.keyTable();
    if (keys == layout.keys)
        return layout.positions;
    layout.positions.resize(size_t(m_columns.size()));
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        layout.positions[size_t(c)] = keys->indexOf(m_columns.at(c).name);
    layout.keys = std::move(keys);
    return layout.positions;
}

QString ReportTable::recordCell(qsizetype row, int column) const
{
    const Dictionary r = record(row);
    if (r.isNull())
        return QString();
    const int at = positionsIn(r, m_layout)[size_t(column)];
    return at < 0 ? QString() : text(r.valueAt(at));
}

QStringList ReportTable::recordCells(qsizetype row) const
{
    const Dictionary r = record(row);
    QStringList cells;
    cells.reserve(m_columns.size());
    if (r.isNull()) {
        cells.resize(m_columns.size());
        return cells;
    }
    for (const int at : positionsIn(r, m_layout))
        cells.append(at < 0 ? QString() : text(r.valueAt(at)));
    return cells;
}

QString ReportTable::cell(qsizetype row, int column) const
{
    return recordCell(row, column);
}

QStringList ReportTable::rowCells(qsizetype row) const
{
    return recordCells(row);
}

QString ReportTable::totalsCell(int column) const
{
    return m_hasTotals ? recordCell(m_rowCount, column) : QString();
}

QStringList ReportTable::totalsCells() const
{
    return m_hasTotals ? recordCells(m_rowCount) : QStringList();
}

ReportTable ReportTable::reordered(std::vector<qint32> rows) const
{
    ReportTable table = *this;
    std::vector<qint32> order = std::move(rows);
    if (m_order) {
        for (qint32 &row : order)
            row = (*m_order)[size_t(row)];
    }
    table.m_rowCount = qsizetype(order.size());
    table.m_order = std::make_shared<const std::vector<qint32>>(std::move(order));
    return table;
}

RowReader::RowReader(const ReportTable &table)
    : m_table(table), m_cells(size_t(table.columns().size())),
      m_converted(size_t(table.columns().size()))
{
}

QStringView RowReader::fieldText(int position, int column)
{
    if (position < 0)
        return QStringView();
    if (const std::optional<QStringView> kept = m_record.textAt(position))
        return *kept;
    m_inPlace = false;
    QString &converted = m_converted[size_t(column)];
    converted = text(m_record.valueAt(position));
    return converted;
}

const std::vector<QStringView> &RowReader::read(qsizetype row)
{
    m_record = m_table.record(row);
    m_inPlace = true;
    if (m_record.isNull()) {
        std::fill(m_cells.begin(), m_cells.end(), QStringView());
        return m_cells;
    }
    const std::vector<int> &positions = m_table.positionsIn(m_record, m_layout);
    for (size_t c = 0; c < positions.size(); ++c)
        m_cells[c] = fieldText(positions[c], int(c));
    return m_cells;
}

QStringView RowReader::cell(qsizetype row, int column)
{
    m_record = m_table.record(row);
    m_inPlace = true;
    if (m_record.isNull())
        return QStringView();
    return fieldText(m_table.positionsIn(m_record, m_layout)[size_t(column)], column);
}

std::optional<double> numberIn(QStringView text)
{
    // Digits, at most one point, an optional sign and exponent: at most 40 characters.
    char buffer[48];
    const qsizetype n = text.size();
    if (n == 0 || n > 40)
        return std::nullopt;
    int digits = 0; // before the exponent: a double keeps no more than 15 exactly
    bool exponent = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ch = text.at(i).unicode();
        const bool digit = ch >= u'0' && ch <= u'9';
        exponent = exponent || ch == u'e' || ch == u'E';
        digits += digit && !exponent ? 1 : 0;
        if (!digit && ch != u'.' && ch != u'-' && ch != u'+' && ch != u'e' && ch != u'E')
            return std::nullopt;
        buffer[i] = char(ch);
    }
    if (digits > 15)
        return std::nullopt;
    const char *begin = buffer + (buffer[0] == '-' ? 1 : 0);
    const char *end = buffer + n;
    if (begin < end && *begin == '+')
        return std::nullopt;
    // "007" is a code, "0.5" and "0" are numbers.
    if (end - begin > 1 && begin[0] == '0' && begin[1] >= '0' && begin[1] <= '9')
        return std::nullopt;
    double value = 0;
    const auto [last, error] = std::from_chars(buffer, end, value);
    if (error != std::errc() || last != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace varo::exporting
