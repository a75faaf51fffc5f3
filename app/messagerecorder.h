// Records every message box the engine raises while a step runs, so that the output can list
// them; when a person is watching, each box is still shown after it is recorded.
#pragma once

#include "platform/ui.h"

#include <QList>
#include <QString>

namespace varo::report
{

struct RecordedMessage {
    QString text;
    ui::MessageIcon icon = ui::MessageIcon::None;
    QString title;
};

// "information", "critical" or "none".
QString iconName(ui::MessageIcon icon);

// Installs itself as the message sink for its lifetime.
class MessageRecorder
{
public:
    explicit MessageRecorder(bool alsoDisplay);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    // The boxes recorded since the last call, which starts a new list.
    QList<RecordedMessage> take();

private:
    QList<RecordedMessage> m_messages;
};

} // namespace varo::report
