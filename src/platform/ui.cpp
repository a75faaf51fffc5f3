#include "ui.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <cstdio>

namespace varo::ui
{

namespace
{
MessageSink &sink()
{
    static MessageSink s;
    return s;
}
ModalDriver &driver()
{
    static ModalDriver d;
    return d;
}
} // namespace

void showMessage(const QString &text, MessageIcon icon, const QString &title)
{
    if (sink()) {
        sink()(text, icon, title);
        return;
    }
    displayMessage(text, icon, title);
}

void displayMessage(const QString &text, MessageIcon icon, const QString &title)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // No windows in this process: the message must still reach a person.
        std::fprintf(stderr, "%s\n", qPrintable(title.isEmpty() ? text : title + u": " + text));
        return;
    }
    QMessageBox box;
    box.setText(text);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void setMessageSink(MessageSink s)
{
    sink() = std::move(s);
}

void letMessagesRun()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void setModalDriver(ModalDriver d)
{
    driver() = std::move(d);
}

int execModal(QDialog *dialog)
{
    if (driver()) {
        QPointer<QDialog> guard(dialog);
        ModalDriver d = driver();
        QTimer::singleShot(0, dialog, [guard, d] {
            if (guard && guard->isVisible())
                d(guard);
        });
    }
    return dialog->exec();
}

namespace
{
ProgressSink &progressSink()
{
    static ProgressSink sink;
    return sink;
}
} // namespace

void setProgressSink(ProgressSink sink)
{
    progressSink() = std::move(sink);
}

void showProgress(const QString &text)
{
    if (progressSink())
        progressSink()(text);
}

} // namespace varo::ui
