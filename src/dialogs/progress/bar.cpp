#include "bar.h"

#include "dialogs/progress/clspass.h"
#include "dialogs/progress/frmprogbar.h"
#include "platform/ui.h"

#include <QApplication>
#include <memory>

namespace varo::dialogs
{

Bar::Bar(QObject *parent) : QObject(parent) {}

void Bar::Show()
{
    // The relay and the window belong to this showing and die when it ends. Unload only lets go
    // of them: it runs inside the window's modal loop, which must not lose its window.
    const QPointer<Bar> self(this);
    auto pass = std::make_unique<clsPass>();
    connect(pass.get(), &clsPass::Active, this, &Bar::m_clsPass_Active);
    m_pass = pass.get();

    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // No windows in this process: the owner works at once, and the showing ends with it.
        pass->SetActive();
        if (self && m_pass == pass.get())
            m_pass = nullptr;
        return;
    }

    auto frm = std::make_unique<frmProgBar>();
    frm->setClsPass(pass.get());
    m_window = frm.get();
    // Not through the modal-dialog driver: the window asks nothing, and a driver pressing its
    // way out would end the showing before the owner's work.
    frm->exec();
    // Normally Unload has let go of both already; a window ended another way ends its showing
    // all the same.
    if (self && m_window == frm.get()) {
        m_window = nullptr;
        m_pass = nullptr;
    }
}

void Bar::SetBarMaxValue(qint32 Value)
{
    if (m_pass)
        m_pass->SetBarMaxValue(Value);
}

void Bar::SetBarMinValue(qint32 Value)
{
    if (m_pass)
        m_pass->SetBarMinValue(Value);
}

void Bar::SetBarValue(qint32 Value)
{
    if (m_pass)
        m_pass->SetBarValue(Value);
}

void Bar::SetMsg(const QString &Msg)
{
    ui::showProgress(Msg);
    if (m_pass)
        m_pass->SetMsg(Msg);
}

void Bar::Unload()
{
    if (m_pass)
        m_pass->Unload();
    m_window = nullptr;
    m_pass = nullptr;
    ui::letMessagesRun();
}

void Bar::SetBarValueWithMax()
{
    if (m_pass)
        m_pass->SetBarValueWithMax();
}

void Bar::ShowProgBar()
{
    if (m_pass)
        m_pass->ShowProgBar();
}

void Bar::HideProgBar()
{
    if (m_pass)
        m_pass->HideProgBar();
}

clsPass *Bar::m_clsPass() const
{
    return m_pass;
}

frmProgBar *Bar::m_frm() const
{
    return m_window;
}

void Bar::m_clsPass_Active()
{
    Q_EMIT Active();
}

} // namespace varo::dialogs
