#include "frmprogbar.h"

#include "dialogs/dialogfont.h"
#include "dialogs/progress/clspass.h"
#include "dialogs/twips.h"
#include "platform/ui.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>

namespace varo::dialogs
{

namespace
{
// Layout in twips.
constexpr int kClientWidth = 6390;
constexpr int kClientHeight = 870;
constexpr QRect kMsg{180, 120, 6000, 330};
constexpr QRect kBar{195, 480, 6000, 255};
constexpr QRect kAnimation{1620, 90, 3150, 600};
} // namespace

frmProgBar::frmProgBar(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    // A title bar without text and without a close box: the window goes when its owner unloads
    // it, never at the person's request.
    setObjectName(QStringLiteral("frmProgBar"));
    setFont(dialogFont());
    setTwipsClientSize(this, kClientWidth, kClientHeight);

    // The animation has no clip and is never played; it stays beneath the other two controls so
    // that it hides neither, and lets the mouse through.
    auto *animation = new QWidget(this);
    animation->setObjectName(QStringLiteral("Animation1"));
    animation->setAttribute(Qt::WA_TransparentForMouseEvents);
    setTwipsGeometry(animation, kAnimation);

    m_lblMsg = new QLabel(this);
    m_lblMsg->setObjectName(QStringLiteral("lblMsg"));
    setTwipsGeometry(m_lblMsg, kMsg);

    m_progressBar1 = new QProgressBar(this);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setRange(0, 100);
    m_progressBar1->setValue(0);
    m_progressBar1->setTextVisible(false);
    setTwipsGeometry(m_progressBar1, kBar);
}

clsPass *frmProgBar::m_clsPass() const
{
    return m_pass;
}

void frmProgBar::setClsPass(clsPass *pass)
{
    if (m_pass)
        disconnect(m_pass, nullptr, this, nullptr);
    m_pass = pass;
    if (!pass)
        return;
    connect(pass, &clsPass::setMsgRequested, this, &frmProgBar::m_clsPass_SetMsg);
    connect(pass, &clsPass::setBarMaxValueRequested, this, &frmProgBar::m_clsPass_SetBarMaxValue);
    connect(pass, &clsPass::setBarMinValueRequested, this, &frmProgBar::m_clsPass_SetBarMinValue);
    connect(pass, &clsPass::setBarValueRequested, this, &frmProgBar::m_clsPass_SetBarValue);
    connect(pass, &clsPass::setBarValueWithMaxRequested, this,
            &frmProgBar::m_clsPass_SetBarValueWithMax);
    connect(pass, &clsPass::showProgBarRequested, this, &frmProgBar::m_clsPass_ShowProgBar);
    connect(pass, &clsPass::hideProgBarRequested, this, &frmProgBar::m_clsPass_HideProgBar);
    connect(pass, &clsPass::unloadRequested, this, &frmProgBar::m_clsPass_Unload);
}

// The owner works inside the window's activation, once per window. The work starts at the first
// activation or right after the first show, whichever comes first; both only queue the start, so
// that the work runs from the modal loop itself and not from inside the window system's show or
// activation handling. The show is needed: a window manager may hold back activation from a new
// window and the owner must never wait on it, and offscreen or on a bare X server the activation
// arrives only once the owner's first command lets messages run.
bool frmProgBar::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        scheduleActivation();
    return QDialog::event(event);
}

void frmProgBar::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    scheduleActivation();
}

void frmProgBar::scheduleActivation()
{
    if (m_activationScheduled)
        return;
    m_activationScheduled = true;
    QMetaObject::invokeMethod(this, &frmProgBar::Form_Activate, Qt::QueuedConnection);
}

void frmProgBar::Form_Activate()
{
    if (m_pass && !m_unloading)
        m_pass->SetActive();
}

void frmProgBar::reject()
{
    if (m_unloading)
        QDialog::reject();
}

void frmProgBar::m_clsPass_SetMsg(const QString &Msg)
{
    m_lblMsg->setText(Msg);
    ui::letMessagesRun();
}

void frmProgBar::m_clsPass_SetBarMaxValue(qint32 Value)
{
    m_progressBar1->setMaximum(Value);
    ui::letMessagesRun();
}

void frmProgBar::m_clsPass_SetBarMinValue(qint32 Value)
{
    m_progressBar1->setMinimum(Value);
    ui::letMessagesRun();
}

void frmProgBar::m_clsPass_SetBarValue(qint32 Value)
{
    m_progressBar1->setValue(Value);
    ui::letMessagesRun();
}

void frmProgBar::m_clsPass_SetBarValueWithMax()
{
    m_progressBar1->setValue(m_progressBar1->maximum());
    ui::letMessagesRun();
}

void frmProgBar::m_clsPass_ShowProgBar()
{
    m_progressBar1->show();
    ui::letMessagesRun();
}

void frmProgBar::m_clsPass_HideProgBar()
{
    m_progressBar1->hide();
    ui::letMessagesRun();
}

void frmProgBar::m_clsPass_Unload()
{
    // The full bar is painted before the window goes.
    m_progressBar1->setValue(m_progressBar1->maximum());
    ui::letMessagesRun();
    m_unloading = true;
    // Ends the modal loop once the owner's work, which called for the unload, has returned.
    done(QDialog::Accepted);
}

} // namespace varo::dialogs
