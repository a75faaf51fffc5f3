// Records every message box the engine raises while a step runs, and every status text of its
// progress window, so that the output can list them; when a person is watching, each box is
// still shown after it is recorded.
#pragma once

#include "platform/ui.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace varo::report
{

struct RecordedMessage {
    QString text;
    ui::MessageIcon icon = ui::MessageIcon::None;
    QString title;
};

// "information", "critical" or "none".
QString iconName(ui::MessageIcon icon);

// Installs itself as the message and progress sink for its lifetime.
class MessageRecorder
{
public:
    explicit MessageRecorder(bool alsoDisplay);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    // The boxes recorded since the last call, which starts a new list.
    QList<RecordedMessage> take();
    // The progress texts set since the last call, in order.
    QStringList takeProgress();

private:
    QList<RecordedMessage> m_messages;
    QStringList m_progress;
};

} // namespace varo::report
