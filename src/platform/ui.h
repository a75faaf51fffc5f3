// What the engine needs of the windowing system: message boxes, letting pending window messages
// run, and modal dialogs. A headless host or a test installs a message sink (boxes are recorded,
// never shown) and a modal driver (fills a dialog's controls and presses OK or Cancel).
// Public: a host without a screen installs both; a plug-in shows its dialogs through
// execModal so that such a host can answer them.
#pragma once

#include <QString>
#include <functional>

class QDialog;

namespace varo::ui
{

enum class MessageIcon { None, Information, Critical };

// An empty title means the box has no title of its own: it shows the application's name.
void showMessage(const QString &text, MessageIcon icon, const QString &title);

using MessageSink =
    std::function<void(const QString &text, MessageIcon icon, const QString &title)>;
// Installs a sink that receives every box instead of the screen; an empty one removes it.
// A host that records boxes and still shows them calls displayMessage from its sink.
void setMessageSink(MessageSink sink);

// Shows the box on screen (or, in a process without windows, on stderr), bypassing the sink.
void displayMessage(const QString &text, MessageIcon icon, const QString &title);

// Lets pending window messages run, so the host's windows repaint during long steps.
void letMessagesRun();

// Called once a modal dialog is on screen, inside its own event loop; it may set controls and
// close the dialog. Without a driver a person answers.
using ModalDriver = std::function<void(QDialog *dialog)>;
void setModalDriver(ModalDriver driver);

// Shows a dialog modally and returns when it is closed (QDialog::exec's result).
int execModal(QDialog *dialog);

// Status texts of the progress window, as it shows them. A headless host installs a sink to
// record them; an empty one removes it.
using ProgressSink = std::function<void(const QString &text)>;
void setProgressSink(ProgressSink sink);
void showProgress(const QString &text);

} // namespace varo::ui
