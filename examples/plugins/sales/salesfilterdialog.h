// The window of "VaroDemo.SalesFilter": date range, region and grouping of the sales summary.
// Controls carry object names (dtpFrom, dtpTo, cmbRegion, cmbGroup, cmdOK, cmdCancel) so that a
// headless host can fill them and press a button.
#pragma once

#include "salesqueries.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QDateEdit;

namespace varo::demo
{

class SalesFilterDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SalesFilterDialog(const QStringList &regions, QWidget *parent = nullptr);

    SalesSummaryFilter filter() const;

private:
    QDateEdit *m_from;
    QDateEdit *m_to;
    QComboBox *m_region;
    QComboBox *m_group;
};

} // namespace varo::demo
