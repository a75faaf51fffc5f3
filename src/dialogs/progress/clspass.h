// clsPass, the relay between Bar and the progress window: each of its methods raises exactly
// one signal, which the window (frmProgBar) handles, so that Bar never reaches into the window.
//
// Signal names: a signal cannot share its method's name, so every command the relay passes on
// becomes the signal "<command>Requested" in Qt style (SetMsg -> setMsgRequested). The one
// event that is not a command, Active (raised by SetActive), keeps its own name.
#pragma once

#include <QObject>
#include <QString>

namespace varo::dialogs
{

class clsPass : public QObject
{
    Q_OBJECT

public:
    explicit clsPass(QObject *parent = nullptr);

    void SetBarMaxValue(qint32 Value);
    void SetBarMinValue(qint32 Value);
    void SetBarValue(qint32 Value);
    void SetBarValueWithMax();
    void SetMsg(const QString &Msg);
    void SetActive();
    void Unload();
    void ShowProgBar();
    void HideProgBar();

Q_SIGNALS:
    void setBarMaxValueRequested(qint32 Value);
    void setBarMinValueRequested(qint32 Value);
    void setBarValueRequested(qint32 Value);
    void setMsgRequested(const QString &Msg);
    void setBarValueWithMaxRequested();
    void unloadRequested();
    void Active();
    void hideProgBarRequested();
    void showProgBarRequested();
};

} // namespace varo::dialogs
