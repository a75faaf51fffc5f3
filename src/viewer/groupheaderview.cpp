#include "groupheaderview.h"

#include <QPainter>
#include <QStyleOptionHeader>

namespace varo::viewer
{

GroupHeaderView::GroupHeaderView(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(true);
    setDefaultAlignment(Qt::AlignCenter);
    // A group cell's caption is centred over all its columns: it moves when any of them does.
    connect(this, &QHeaderView::sectionResized, viewport(), qOverload<>(&QWidget::update));
}

void GroupHeaderView::setGroups(const QList<exporting::HeaderGroup> &groups)
{
    m_groups = groups;
    updateGeometry();
    viewport()->update();
}

const exporting::HeaderGroup *GroupHeaderView::groupOf(int column) const
{
    for (const exporting::HeaderGroup &g : m_groups) {
        if (column >= g.first && column < g.first + g.count)
            return &g;
    }
    return nullptr;
}

int GroupHeaderView::levelHeight() const
{
    return QHeaderView::sizeHint().height();
}

QSize GroupHeaderView::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (!m_groups.isEmpty())
        size.setHeight(2 * size.height());
    return size;
}

QRect GroupHeaderView::groupRect(int column) const
{
    const exporting::HeaderGroup *g = groupOf(column);
    if (!g)
        return QRect();
    const int left = sectionViewportPosition(g->first);
    const int last = g->first + g->count - 1;
    const int right = sectionViewportPosition(last) + sectionSize(last);
    return QRect(left, 0, right - left, height() - levelHeight());
}

QRect GroupHeaderView::captionRect(int column) const
{
    const QRect section(sectionViewportPosition(column), 0, sectionSize(column), height());
    return groupOf(column) ? section.adjusted(0, height() - levelHeight(), 0, 0) : section;
}

void GroupHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const exporting::HeaderGroup *g = groupOf(logicalIndex);
    if (!g) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const int upper = height() - levelHeight();
    QHeaderView::paintSection(painter, rect.adjusted(0, upper, 0, 0), logicalIndex);

    // Each column of the group paints its own share of the group cell.
    QStyleOptionHeader option;
    option.initFrom(this);
    option.state |= QStyle::State_Raised | QStyle::State_Horizontal;
    option.orientation = Qt::Horizontal;
    option.rect = groupRect(logicalIndex);
    option.rect.moveTop(rect.top());
    option.section = g->first;
    option.position = QStyleOptionHeader::Middle;
    option.text = g->caption;
    option.textAlignment = Qt::AlignCenter;
    painter->save();
    painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), upper), Qt::IntersectClip);
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
}

} // namespace varo::viewer
