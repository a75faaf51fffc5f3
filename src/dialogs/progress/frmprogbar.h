// frmProgBar, the progress window: a status text and a progress bar in a small modal window
// inside whose activation its owner does its work. It takes its commands from a clsPass and
// closes only when that relay tells it to unload.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;

namespace varo::dialogs
{

class clsPass;

class frmProgBar : public QDialog
{
    Q_OBJECT

public:
    explicit frmProgBar(QWidget *parent = nullptr);

    clsPass *m_clsPass() const;
    // The relay whose signals the window handles from now on (a previous one is let go).
    void setClsPass(clsPass *pass);

    // Escape and the close request of the platform both end here: the window stays up until it
    // is unloaded.
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void scheduleActivation();
    void Form_Activate();

    void m_clsPass_SetMsg(const QString &Msg);
    void m_clsPass_SetBarMaxValue(qint32 Value);
    void m_clsPass_SetBarMinValue(qint32 Value);
    void m_clsPass_SetBarValue(qint32 Value);
    void m_clsPass_SetBarValueWithMax();
    void m_clsPass_ShowProgBar();
    void m_clsPass_HideProgBar();
    void m_clsPass_Unload();

    QPointer<clsPass> m_pass;
    QLabel *m_lblMsg = nullptr;
    QProgressBar *m_progressBar1 = nullptr;
    bool m_activationScheduled = false;
    bool m_unloading = false;
};

} // namespace varo::dialogs
