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
    m_positions.fill(-1, m_columns.size());
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

QString ReportTable::recordCell(const Dictionary &record, int column) const
{
    return record.isNull() ? QString() : text(record.value(m_columns.at(column).name));
}

QStringList ReportTable::recordCells(const QVariant &item) const
{
    const Dictionary record = asDictionary(item);
    QStringList cells;
    cells.reserve(m_columns.size());
    if (record.isNull()) {
        cells.resize(m_columns.size());
        return cells;
    }
    const int count = record.Count();
    for (int c = 0; c < m_columns.size(); ++c) {
        const QString &name = m_columns.at(c).name;
        int &at = m_positions[c];
        if (at < 0 || at >= count || record.keyAt(at).compare(name, Qt::CaseInsensitive) != 0) {
            at = -1;
            for (int i = 0; i < count && at < 0; ++i) {
                if (record.keyAt(i).compare(name, Qt::CaseInsensitive) == 0)
                    at = i;
            }
        }
        cells.append(at < 0 ? QString() : text(record.valueAt(at)));
    }
    return cells;
}

QString ReportTable::cell(qsizetype row, int column) const
{
    return recordCell(asDictionary(m_rows.Item(int(row))), column);
}

QStringList ReportTable::rowCells(qsizetype row) const
{
    return recordCells(m_rows.Item(int(row)));
}

QString ReportTable::totalsCell(int column) const
{
    return m_hasTotals ? recordCell(asDictionary(m_rows.Item(int(m_rowCount))), column) : QString();
}

QStringList ReportTable::totalsCells() const
{
    return m_hasTotals ? recordCells(m_rows.Item(int(m_rowCount))) : QStringList();
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
