#include "clspass.h"

namespace varo::dialogs
{

clsPass::clsPass(QObject *parent) : QObject(parent) {}

void clsPass::SetBarMaxValue(qint32 Value)
{
    Q_EMIT setBarMaxValueRequested(Value);
}

void clsPass::SetBarMinValue(qint32 Value)
{
    Q_EMIT setBarMinValueRequested(Value);
}

void clsPass::SetBarValue(qint32 Value)
{
    Q_EMIT setBarValueRequested(Value);
}

void clsPass::SetBarValueWithMax()
{
    Q_EMIT setBarValueWithMaxRequested();
}

void clsPass::SetMsg(const QString &Msg)
{
    Q_EMIT setMsgRequested(Msg);
}

void clsPass::SetActive()
{
    Q_EMIT Active();
}

void clsPass::Unload()
{
    Q_EMIT unloadRequested();
}

void clsPass::ShowProgBar()
{
    Q_EMIT showProgBarRequested();
}

void clsPass::HideProgBar()
{
    Q_EMIT hideProgBarRequested();
}

} // namespace varo::dialogs
