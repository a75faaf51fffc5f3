#include "catalogueview.h"

#include "platform/ado.h"
#include "platform/variant.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace varo::viewer
{

namespace
{

constexpr int kKeyRole = Qt::UserRole;

QString text(Recordset &rs, int field)
{
    const QVariant v = rs.Fields(field).Value();
    return v.isValid() && !isNull(v) ? toText(v).trimmed() : QString();
}

} // namespace

QList<CatalogueEntry> readCatalogue(Connection &definitions)
{
    QList<CatalogueEntry> entries;
    Recordset rs = Recordset::create();
    rs.Open(QStringLiteral("select FRepKey,FRepName,FRepDesc,FRepCategory from T_RepList "
                           "order by FIndex,FRepKey"),
            definitions);
    while (!rs.atEOF()) {
        entries.append({text(rs, 0), text(rs, 1), text(rs, 2), text(rs, 3)});
        rs.MoveNext();
    }
    return entries;
}

CatalogueView::CatalogueView(QWidget *parent)
    : QWidget(parent), m_filter(new QLineEdit(this)), m_tree(new QTreeWidget(this))
{
    m_filter->setObjectName(QStringLiteral("catalogueFilter"));
    m_filter->setPlaceholderText(tr("Filter reports"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    connect(m_filter, &QLineEdit::textChanged, this, &CatalogueView::setFilter);
    connect(m_filter, &QLineEdit::returnPressed, this, [this] {
        QTreeWidgetItem *current = m_tree->currentItem();
        choose(current && !current->isHidden() ? current : firstShown());
    });

    m_tree->setObjectName(QStringLiteral("catalogueTree"));
    m_tree->setHeaderLabels({tr("Report"), tr("Key")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    m_tree->setRootIsDecorated(true);
    connect(m_tree, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { choose(item); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_filter);
    layout->addWidget(m_tree);
}

void CatalogueView::setEntries(const QList<CatalogueEntry> &entries)
{
    m_tree->clear();
    QList<QTreeWidgetItem *> categories;
    for (const CatalogueEntry &e : entries) {
        auto found = std::find_if(categories.begin(), categories.end(),
                                  [&](auto *item) { return item->text(0) == e.category; });
        QTreeWidgetItem *category = found != categories.end() ? *found : nullptr;
        if (!category) {
            category = new QTreeWidgetItem(
                m_tree, {e.category.isEmpty() ? tr("(no category)") : e.category});
            category->setFlags(Qt::ItemIsEnabled);
            categories.append(category);
        }
        auto *item = new QTreeWidgetItem(category, {e.name.isEmpty() ? e.key : e.name, e.key});
        item->setData(0, kKeyRole, e.key);
        if (!e.description.isEmpty()) {
            item->setToolTip(0, e.description);
            item->setToolTip(1, e.description);
        }
    }
    m_tree->expandAll();
    setFilter(m_filter->text());
}

void CatalogueView::setFilter(const QString &text)
{
    const QString wanted = text.trimmed();
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *category = m_tree->topLevelItem(i);
        bool any = false;
        for (int j = 0; j < category->childCount(); ++j) {
            QTreeWidgetItem *item = category->child(j);
            const bool shown = wanted.isEmpty() ||
                               item->text(0).contains(wanted, Qt::CaseInsensitive) ||
                               item->text(1).contains(wanted, Qt::CaseInsensitive) ||
                               item->toolTip(0).contains(wanted, Qt::CaseInsensitive);
            item->setHidden(!shown);
            any = any || shown;
        }
        category->setHidden(!any);
    }
}

QStringList CatalogueView::shownKeys() const
{
    QStringList keys;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *category = m_tree->topLevelItem(i);
        for (int j = 0; j < category->childCount(); ++j) {
            if (!category->isHidden() && !category->child(j)->isHidden())
                keys.append(category->child(j)->data(0, kKeyRole).toString());
        }
    }
    return keys;
}

QTreeWidgetItem *CatalogueView::firstShown() const
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *category = m_tree->topLevelItem(i);
        for (int j = 0; j < category->childCount(); ++j) {
            if (!category->isHidden() && !category->child(j)->isHidden())
                return category->child(j);
        }
    }
    return nullptr;
}

void CatalogueView::choose(QTreeWidgetItem *item)
{
    if (item && item->parent())
        Q_EMIT reportChosen(item->data(0, kKeyRole).toString());
}

// Down in the filter box goes on to the list, as in a search field.
bool CatalogueView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
        m_tree->setFocus();
        if (QTreeWidgetItem *item = firstShown())
            m_tree->setCurrentItem(item);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace varo::viewer
