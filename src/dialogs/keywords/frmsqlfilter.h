// frmSQLFilter, the keyword dialog: a grid with one row per keyword of a report's SQL template,
// in which the user enters each keyword's value and ticks the keywords whose values become
// title lines. Values are remembered per report and keyword; keywords with a source field are
// filled from the item lookup (F7 or the drop-down button beside the value).
#pragma once

#include "platform/containers.h"

#include "dialogs/unloadingdialog.h"

#include <QString>

class QFrame;
class QTableWidget;
class QTabWidget;
class QToolButton;

namespace varo::dialogs
{

class frmSQLFilter : public UnloadingDialog
{
    Q_OBJECT
    // Before confirmation the keyword records given; after it the value records
    // ("FValue", "FKeyword"); nothing once the dialog was cancelled or closed.
    Q_PROPERTY(varo::Vector Keywords READ Keywords WRITE setKeywords)
    Q_PROPERTY(varo::Vector Titles READ Titles)
    Q_PROPERTY(qint32 RptID READ RptID WRITE setRptID)
    Q_PROPERTY(QString RptKey READ RptKey WRITE setRptKey)
    // "OK" true once the user confirmed; created when the dialog loads.
    Q_PROPERTY(varo::Dictionary m_Result READ m_Result)

public:
    explicit frmSQLFilter(QWidget *parent = nullptr);
    ~frmSQLFilter() override;

    Vector Keywords() const { return m_keywords; }
    void setKeywords(const Vector &Keys) { m_keywords = Keys; }
    Vector Titles() const { return m_titles; }
    qint32 RptID() const { return m_rptId; }
    void setRptID(qint32 ID) { m_rptId = ID; }
    QString RptKey() const { return m_rptKey; }
    void setRptKey(const QString &strKey) { m_rptKey = strKey; }
    Dictionary m_Result() const { return m_result; }

    // Runs the item lookup for a source field and returns the chosen text ("" on failure,
    // which has been shown).
    Q_INVOKABLE QString GetItemData(const QString &strKey);

public Q_SLOTS:
    void cmdOK_Click();
    void cmdCacel_Click();
    // F7 in the grid, or a click on the drop-down button: the lookup for the active value cell.
    void lookUpActiveCell();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Unload() override;
    void FillKeywordGrid();
    int CheckTitleCount() const;
    // Shows why a value cannot stand outside the quotes of the report's SQL, and selects its
    // cell; true when it did.
    bool refuseUnsafeValue();
    void placeDropButton(int row);

    Vector m_keywords;
    Vector m_titles;
    qint32 m_rptId = 0;
    QString m_rptKey;
    Dictionary m_result;
    bool m_loaded = false;

    QTabWidget *m_mstFilter = nullptr;
    QFrame *m_picture1 = nullptr;
    QTableWidget *m_grid = nullptr;
    QFrame *m_picShow = nullptr;
    QToolButton *m_drop = nullptr;
};

} // namespace varo::dialogs
