#include "messagerecorder.h"

#include <utility>

namespace varo::report
{

QString iconName(ui::MessageIcon icon)
{
    switch (icon) {
    case ui::MessageIcon::Information:
        return QStringLiteral("information");
    case ui::MessageIcon::Critical:
        return QStringLiteral("critical");
    case ui::MessageIcon::None:
        break;
    }
    return QStringLiteral("none");
}

MessageRecorder::MessageRecorder(bool alsoDisplay)
{
    ui::setMessageSink(
        [this, alsoDisplay](const QString &text, ui::MessageIcon icon, const QString &title) {
            m_messages.append({text, icon, title});
            if (alsoDisplay)
                ui::displayMessage(text, icon, title);
        });
    ui::setProgressSink([this](const QString &text) { m_progress.append(text); });
}

MessageRecorder::~MessageRecorder()
{
    ui::setMessageSink({});
    ui::setProgressSink({});
}

QList<RecordedMessage> MessageRecorder::take()
{
    return std::exchange(m_messages, {});
}

QStringList MessageRecorder::takeProgress()
{
    return std::exchange(m_progress, {});
}

} // namespace varo::report
