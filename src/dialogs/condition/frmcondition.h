// FrmCondition, the condition dialog: built from a report's filter rows (date ranges, text
// ranges with item lookup, choices), it remembers what the user entered per report and hands
// the engine the condition values, the filter string and the filter title lines.
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"

#include "dialogs/unloadingdialog.h"

#include <QList>
#include <QString>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace varo::dialogs
{

class DatePicker;

class FrmCondition : public UnloadingDialog
{
    Q_OBJECT
    // "OK" after OK, "CANCEL" after Cancel, empty when the user closed the window.
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)

public:
    explicit FrmCondition(QWidget *parent = nullptr);
    ~FrmCondition() override;

    // Reads the report's catalogue and filter rows, builds the condition controls and restores
    // the remembered values; false when the dialog cannot be shown (a message said why, except
    // for database errors and remembered dates that do not read back).
    bool InitData(const QString &sKey, const QString &sVal = QString());

    // A new Dictionary of the current values: each condition under its mark name, then
    // "FGroupStr", "strFilter", "REP_KEY_Ex", "RPT_SUB", "Name", "FRepPluginSvr", "FRepSub".
    Dictionary ReturnVal() const;
    // The title lines built on OK; nothing before that and after the dialog unloaded.
    Vector ReturnFilterTitle() const { return m_filterTitle; }

    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    // The condition controls in the order every walk over them takes: the design's controls,
    // then grown elements in the order they were created.
    QList<QWidget *> conditionControls() const { return m_controlOrder; }

public Q_SLOTS:
    void cmdOK_Click();
    void cmdCacel_Click();
    void cmdItemf_Click(int Index);
    void cmdItemt_Click(int Index);
    // KeyCode is the key's code as the dialogs number keys (F7 is 118); Shift: 1 Shift,
    // 2 Ctrl, 4 Alt.
    void txtItemf_KeyDown(int Index, int KeyCode, int Shift);
    void txtItemt_KeyDown(int Index, int KeyCode, int Shift);
    void tlbProject_ButtonClick(QAction *Button);
    void Form_KeyDown(int KeyCode, int Shift);
    void Form_Unload() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows why a typed value cannot enter the SQL and focuses its box; true when it did.
    bool refuseUnsafeValue();

    // The ten control arrays that grow with the filter rows, and the fixed choice elements.
    struct Rows {
        QList<QLabel *> lblDateFrom;
        QList<DatePicker *> DtpBDate;
        QList<QLabel *> lblDateTo;
        QList<DatePicker *> DtpEDate;
        QList<QLabel *> lblcap;
        QList<QLineEdit *> txtItemf;
        QList<QToolButton *> cmdItemf;
        QList<QLabel *> lblcapt;
        QList<QLineEdit *> txtItemt;
        QList<QToolButton *> cmdItemt;
        QList<QLabel *> lblcmb;
        QList<QComboBox *> cmb;
    };

    void buildDesign();
    void buildSchemePanel();
    template <class Control>
    void addElement(QList<Control *> &group, QWidget *frame, const QString &name,
                    const QRect &twips);
    template <class Control> void growGroup(QList<Control *> &group, const char *name);
    int growDateRow();
    int growTextRow();

    void BuildConditionControls(Recordset &rs);
    void UnloadConditionControls();
    Dictionary ComposeFilter() const;
    void BuildFilterTitle();
    void RememberValues(const QString &sKey, int mode);
    void lookUp(QLineEdit *box);

    QString m_tag;
    QString m_repKey;
    QString m_repName;
    QString m_repType;
    QString m_pluginServer;
    QString m_subFlag;
    QString m_subValue; // no operation assigns it; handed on as "RPT_SUB"
    Vector m_filterTitle;

    QTabWidget *m_mstFilter = nullptr;
    QGroupBox *m_fradate = nullptr;
    QGroupBox *m_fraItem = nullptr;
    QGroupBox *m_fracmb = nullptr;
    Rows m_rows;
    QList<QWidget *> m_controlOrder;
};

} // namespace varo::dialogs
