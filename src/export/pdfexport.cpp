// Reports on pages, for PDF and for printers alike: the title lines on a report's first page,
// both header levels on every page, the totals row after the last row, the page number at the
// foot of each page. Columns are as wide as their captions and a sample of their values need;
// when they do not fit across a portrait page the page turns to landscape, and when they do not
// fit that either, everything is drawn smaller.
#include "writers.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

namespace varo::exporting
{

namespace
{

constexpr int kSampleRows = 200;
constexpr qreal kPointSize = 9;

struct Layout {
    QFont font;
    QFont bold;
    QList<qreal> widths; // per column, padding included, in device units before scaling
    qreal total = 0;
    qreal rowHeight = 0;
    qreal padding = 0;
    qreal scale = 1;
    bool landscape = false;
};

QString oneLine(QString text)
{
    text.replace(u'\r', u' ').replace(u'\n', u' ').replace(u'\t', u' ');
    return text;
}

qreal paintWidth(const QPagedPaintDevice *device, QPageLayout::Orientation orientation)
{
    QPageLayout page = device->pageLayout();
    page.setOrientation(orientation);
    return page.paintRectPixels(device->logicalDpiX()).width();
}

Layout layoutFor(const ReportTable &report, QPagedPaintDevice *device)
{
    Layout l;
    l.font.setPointSizeF(kPointSize);
    l.bold = l.font;
    l.bold.setBold(true);
    const QFontMetricsF plain(l.font, device);
    const QFontMetricsF bold(l.bold, device);
    l.rowHeight = std::ceil(bold.height() * 1.5);
    l.padding = std::ceil(bold.averageCharWidth());
    const QList<Column> &columns = report.columns();
    l.widths.fill(0, columns.size());
    auto widen = [&](const QStringList &cells, const QFontMetricsF &metrics) {
        for (int c = 0; c < cells.size() && c < l.widths.size(); ++c)
            l.widths[c] = std::max(l.widths[c], metrics.horizontalAdvance(oneLine(cells.at(c))));
    };
    QStringList captions;
    for (const Column &c : columns)
        captions.append(c.caption);
    widen(captions, bold);
    for (qsizetype r = 0; r < std::min<qsizetype>(report.rowCount(), kSampleRows); ++r)
        widen(report.rowCells(r), plain);
    widen(report.totalsCells(), bold);
    for (qreal &w : l.widths)
        w = std::ceil(w + 2 * l.padding);
    for (const HeaderGroup &g : report.groups()) {
        qreal sum = 0;
        for (int c = g.first; c < g.first + g.count; ++c)
            sum += l.widths.at(c);
        const qreal missing = bold.horizontalAdvance(g.caption) + 2 * l.padding - sum;
        for (int c = g.first; missing > 0 && c < g.first + g.count; ++c)
            l.widths[c] += std::ceil(missing / g.count);
    }
    for (qreal w : l.widths)
        l.total += w;
    const qreal portrait = paintWidth(device, QPageLayout::Portrait);
    l.landscape = l.total > portrait;
    const qreal available = l.landscape ? paintWidth(device, QPageLayout::Landscape) : portrait;
    l.scale = l.total > available ? available / l.total : 1.0;
    return l;
}

class ReportPainter
{
public:
    ReportPainter(QPainter &painter, const ReportTable &report, const Layout &layout,
                  QPagedPaintDevice *device)
        : m_p(painter), m_report(report), m_l(layout), m_device(device)
    {
    }

    void paint()
    {
        const QRectF page = m_device->pageLayout().paintRectPixels(m_device->logicalDpiX());
        const qreal height = page.height() / m_l.scale;
        m_width = std::max(m_l.total, page.width() / m_l.scale);
        const int headerRows = m_report.columns().isEmpty() ? 0 : m_report.hasGroups() ? 2 : 1;
        const qreal headerHeight = headerRows * m_l.rowHeight;
        const qreal footer = m_l.rowHeight;
        const qreal titles = m_report.titleLines().size() * m_l.rowHeight;
        const qsizetype items = m_report.rowCount() + (m_report.hasTotals() ? 1 : 0);
        // Rows that fit: on the first page below the titles, on the others below the header.
        const qsizetype first = std::max<qsizetype>(
            1, qsizetype((height - footer - headerHeight - titles) / m_l.rowHeight));
        const qsizetype other =
            std::max<qsizetype>(1, qsizetype((height - footer - headerHeight) / m_l.rowHeight));
        const qsizetype pages = items <= first ? 1 : 1 + (items - first + other - 1) / other;

        qsizetype item = 0;
        for (qsizetype page = 1; page <= pages; ++page) {
            if (page > 1)
                m_device->newPage();
            m_p.save();
            m_p.scale(m_l.scale, m_l.scale);
            qreal y = 0;
            if (page == 1) {
                m_p.setFont(m_l.bold);
                for (const QString &line : m_report.titleLines()) {
                    m_p.drawText(QRectF(0, y, m_width, m_l.rowHeight),
                                 Qt::AlignLeft | Qt::AlignVCenter, oneLine(line));
                    y += m_l.rowHeight;
                }
            }
            if (headerRows > 0)
                y = paintHeader(y);
            for (qsizetype n = page == 1 ? first : other; n > 0 && item < items; --n, ++item) {
                const bool totals = item == m_report.rowCount();
                paintRow(y, totals ? m_report.totalsCells() : m_report.rowCells(item), totals);
                y += m_l.rowHeight;
            }
            m_p.setFont(m_l.font);
            m_p.drawText(QRectF(0, height - footer, m_width, footer), Qt::AlignCenter,
                         QStringLiteral("%1 / %2").arg(page).arg(pages));
            m_p.restore();
        }
    }

private:
    qreal paintHeader(qreal top)
    {
        const QList<Column> &columns = m_report.columns();
        const bool twoLevels = m_report.hasGroups();
        const qreal h = m_l.rowHeight;
        m_p.setFont(m_l.bold);
        qreal x = 0;
        for (int c = 0; c < columns.size(); ++c) {
            const qreal w = m_l.widths.at(c);
            const bool grouped = !columns.at(c).group.isEmpty();
            const QRectF cell = twoLevels && !grouped ? QRectF(x, top, w, 2 * h)
                                                      : QRectF(x, twoLevels ? top + h : top, w, h);
            box(cell, columns.at(c).caption);
            x += w;
        }
        for (const HeaderGroup &g : m_report.groups())
            box(QRectF(left(g.first), top, left(g.first + g.count) - left(g.first), h), g.caption);
        return top + (twoLevels ? 2 : 1) * h;
    }

    void paintRow(qreal y, const QStringList &cells, bool totals)
    {
        const QList<Column> &columns = m_report.columns();
        m_p.setFont(totals ? m_l.bold : m_l.font);
        const QFontMetricsF metrics(m_p.font(), m_device);
        if (totals)
            m_p.drawLine(QLineF(0, y, m_l.total, y));
        qreal x = 0;
        for (int c = 0; c < columns.size(); ++c) {
            const qreal w = m_l.widths.at(c);
            const QRectF inner(x + m_l.padding, y, w - 2 * m_l.padding, m_l.rowHeight);
            const Qt::Alignment align =
                (columns.at(c).numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
            m_p.drawText(
                inner, align,
                metrics.elidedText(oneLine(cells.value(c)), Qt::ElideRight, inner.width()));
            x += w;
        }
    }

    void box(const QRectF &rect, const QString &caption)
    {
        m_p.drawRect(rect);
        m_p.drawText(rect, Qt::AlignCenter, oneLine(caption));
    }

    qreal left(int column) const
    {
        qreal x = 0;
        for (int c = 0; c < column; ++c)
            x += m_l.widths.at(c);
        return x;
    }

    QPainter &m_p;
    const ReportTable &m_report;
    const Layout &m_l;
    QPagedPaintDevice *m_device;
    qreal m_width = 0;
};

} // namespace

void paintReports(const QList<ReportTable> &reports, QPagedPaintDevice *device)
{
    QPainter painter;
    for (qsizetype i = 0; i < reports.size(); ++i) {
        const Layout layout = layoutFor(reports.at(i), device);
        device->setPageOrientation(layout.landscape ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait);
        if (i == 0)
            painter.begin(device);
        else
            device->newPage();
        ReportPainter(painter, reports.at(i), layout, device).paint();
    }
}

} // namespace varo::exporting
