#include "itemlookdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace varo::demo
{

namespace
{

constexpr int NameRole = Qt::UserRole + 1;

// Draws "code  name" while the item's own text stays the code.
class CodeNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = index.data(Qt::DisplayRole).toString() + QStringLiteral("  ") +
                       index.data(NameRole).toString();
    }
};

} // namespace

ItemLookDialog::ItemLookDialog(const QString &title, const QList<QPair<QString, QString>> &entries,
                               QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);

    auto *findLabel = new QLabel(QStringLiteral("查找(&F):"), this);
    findLabel->setObjectName(QStringLiteral("lblFind"));
    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("txtFind"));
    m_find->setPlaceholderText(QStringLiteral("代码或名称"));
    findLabel->setBuddy(m_find);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstItems"));
    m_list->setItemDelegate(new CodeNameDelegate(m_list));
    for (const auto &[code, name] : entries) {
        auto *item = new QListWidgetItem(code, m_list);
        item->setData(NameRole, name);
        item->setToolTip(name);
    }

    auto *ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_find, &QLineEdit::textChanged, this, &ItemLookDialog::applyFind);

    auto *findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(m_find);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(360, 420);
}

void ItemLookDialog::applyFind(const QString &text)
{
    const QString wanted = text.trimmed();
    QListWidgetItem *firstShown = nullptr;
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        const bool shown = wanted.isEmpty() || item->text().contains(wanted, Qt::CaseInsensitive) ||
                           item->data(NameRole).toString().contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !firstShown)
            firstShown = item;
    }
    QListWidgetItem *current = m_list->currentItem();
    if (!current || current->isHidden())
        m_list->setCurrentItem(firstShown);
}

QString ItemLookDialog::chosenCode() const
{
    const QListWidgetItem *current = m_list->currentItem();
    if (current && !current->isHidden())
        return current->text();
    const QListWidgetItem *only = nullptr;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem *item = m_list->item(i);
        if (item->isHidden())
            continue;
        if (only)
            return QString();
        only = item;
    }
    return only ? only->text() : QString();
}

} // namespace varo::demo
