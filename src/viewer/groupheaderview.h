// The grid's column header on two levels: a run of adjacent columns sharing a group caption has
// one cell spanning them above their own captions, and a column outside any group has its
// caption over both levels. Without groups it is an ordinary one-level header.
#pragma once

#include "export/reporttable.h"

#include <QHeaderView>

namespace varo::viewer
{

class GroupHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit GroupHeaderView(QWidget *parent = nullptr);

    void setGroups(const QList<exporting::HeaderGroup> &groups);
    // The group a column belongs to, or nullptr.
    const exporting::HeaderGroup *groupOf(int column) const;
    // Where a column's group cell is, in the header's viewport; empty for a column outside.
    QRect groupRect(int column) const;
    // Where a column's own caption is: the lower level in a group, both levels outside.
    QRect captionRect(int column) const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int levelHeight() const;

    QList<exporting::HeaderGroup> m_groups;
};

} // namespace varo::viewer
