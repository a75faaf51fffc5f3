// Bar, the progress display as its owner sees it: Show puts up the modal progress window and
// raises Active once the window is up; the owner does its work inside that signal, reports
// through the other commands and ends with Unload, after which Show returns.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace varo::dialogs
{

class clsPass;
class frmProgBar;

class Bar : public QObject
{
    Q_OBJECT

public:
    explicit Bar(QObject *parent = nullptr);

    // Returns once the window has been unloaded. In a process without a user interface there
    // is no window: Active is raised at once and Show returns when its handlers have.
    void Show();
    void SetBarMaxValue(qint32 Value);
    void SetBarMinValue(qint32 Value);
    void SetBarValue(qint32 Value);
    void SetMsg(const QString &Msg);
    // Fills the bar and closes the window; without one, only lets pending messages run.
    void Unload();
    void SetBarValueWithMax();
    void ShowProgBar();
    void HideProgBar();

    // The relay and the window of the current showing; nothing outside one, and from Unload on.
    clsPass *m_clsPass() const;
    frmProgBar *m_frm() const;

Q_SIGNALS:
    void Active();

private:
    void m_clsPass_Active();

    QPointer<clsPass> m_pass;
    QPointer<frmProgBar> m_window;
};

} // namespace varo::dialogs
