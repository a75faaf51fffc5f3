#include "salesfilterdialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varo::demo
{

namespace
{

QDateEdit *dateEdit(const QString &name, QDate date, QWidget *parent)
{
    auto *edit = new QDateEdit(date, parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace

SalesFilterDialog::SalesFilterDialog(const QStringList &regions, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("销售汇总表 - 过滤条件"));

    // The demo's data covers 2023-2024, so the whole of it is the default range.
    m_from = dateEdit(QStringLiteral("dtpFrom"), QDate(2023, 1, 1), this);
    m_to = dateEdit(QStringLiteral("dtpTo"), QDate(2024, 12, 31), this);

    m_region = new QComboBox(this);
    m_region->setObjectName(QStringLiteral("cmbRegion"));
    m_region->addItem(QStringLiteral("全部"));
    m_region->addItems(regions);

    m_group = new QComboBox(this);
    m_group->setObjectName(QStringLiteral("cmbGroup"));
    m_group->addItem(QStringLiteral("按客户"), QStringLiteral("CUST"));
    m_group->addItem(QStringLiteral("按商品"), QStringLiteral("ITEM"));

    auto *form = new QFormLayout;
    auto addRow = [&](const QString &label, const QString &name, QWidget *field) {
        auto *l = new QLabel(label, this);
        l->setObjectName(name);
        l->setBuddy(field);
        form->addRow(l, field);
    };
    addRow(QStringLiteral("开始日期(&B):"), QStringLiteral("lblFrom"), m_from);
    addRow(QStringLiteral("结束日期(&E):"), QStringLiteral("lblTo"), m_to);
    addRow(QStringLiteral("区域(&R):"), QStringLiteral("lblRegion"), m_region);
    addRow(QStringLiteral("汇总方式(&G):"), QStringLiteral("lblGroup"), m_group);

    auto *ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

SalesSummaryFilter SalesFilterDialog::filter() const
{
    SalesSummaryFilter f;
    f.dateFrom = m_from->date();
    f.dateTo = m_to->date();
    f.region = isEveryRegion(m_region->currentText()) ? QString() : m_region->currentText();
    // By the item's data, so that a driver choosing the caption text or the index agrees.
    f.byItem = m_group->currentData().toString() == QLatin1String("ITEM");
    return f;
}

} // namespace varo::demo
