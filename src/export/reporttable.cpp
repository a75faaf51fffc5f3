#include "reporttable.h"

#include "platform/variant.h"

namespace varo::exporting
{

namespace
{

const QString kTotals = QStringLiteral("合计：");

QString field(const Dictionary &record, const char *name)
{
    const QVariant v = record.value(QString::fromLatin1(name));
    return !v.isValid() || isNull(v) ? QString() : toText(v);
}

// The engine appends the totals record last, with "合计：" under the first field.
bool isTotals(const Dictionary &record)
{
    return !record.isNull() && record.Count() > 0 && record.valueAt(0).toString() == kTotals;
}

} // namespace

ReportTable::ReportTable(const QString &name, const Vector &title, const Vector &header,
                         const Vector &rows)
    : m_name(name), m_rows(rows)
{
    if (!title.isNull()) {
        for (const QVariant &line : title.items())
            m_titles.append(field(line.value<Dictionary>(), "FCaption"));
    }
    m_rowCount = rows.isNull() ? 0 : rows.Count();
    m_hasTotals = m_rowCount > 0 && isTotals(rows.Item(int(m_rowCount - 1)).value<Dictionary>());
    if (m_hasTotals)
        --m_rowCount;
    const Dictionary totals =
        m_hasTotals ? rows.Item(int(m_rowCount)).value<Dictionary>() : Dictionary();
    if (header.isNull())
        return;
    for (const QVariant &item : header.items()) {
        const Dictionary entry = item.value<Dictionary>();
        if (entry.isNull() || field(entry, "FVisible").trimmed() == u'0')
            continue;
        Column c;
        c.name = field(entry, "FColName");
        c.caption = field(entry, "FColCaption");
        c.group = field(entry, "FHeadSecond");
        const bool summed =
            !totals.isNull() && totals.Exists(c.name) && totals.value(c.name).toString() != kTotals;
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

QString ReportTable::recordCell(const Dictionary &record, int column) const
{
    const QVariant v = record.value(m_columns.at(column).name);
    return !v.isValid() || isNull(v) ? QString() : toText(v);
}

QString ReportTable::cell(qsizetype row, int column) const
{
    return recordCell(m_rows.Item(int(row)).value<Dictionary>(), column);
}

QString ReportTable::totalsCell(int column) const
{
    return m_hasTotals ? recordCell(m_rows.Item(int(m_rowCount)).value<Dictionary>(), column)
                       : QString();
}

} // namespace varo::exporting
