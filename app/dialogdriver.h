// Answers the engine's modal dialogs when nobody is there to: sets the controls that the
// `--answer` options name, through each widget's own setters so the dialog sees the change as
// if typed, then presses OK (or Cancel). A dialog that refuses OK is cancelled, so a run never
// waits for a person.
#pragma once

#include "options.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class QDialog;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace varo::report
{

class DialogDriver
{
public:
    // screenshot: where to save a picture of the first dialog once answered; empty for none.
    DialogDriver(QList<Answer> answers, bool cancel, QString screenshot = QString());
    ~DialogDriver(); // removes itself when installed
    DialogDriver(const DialogDriver &) = delete;
    DialogDriver &operator=(const DialogDriver &) = delete;

    // Becomes the modal driver of the platform layer.
    void install();

    // Answers one dialog that is on screen.
    void drive(QDialog *dialog);

    // Answers that named a control no dialog had, and answers whose value a control could not
    // take; both are the user's mistakes and end the run with status 2.
    QStringList unusedControls() const;
    // "keyword:" and "title:" answers that no keyword grid was there to take, as given.
    QStringList unusedKeywordAnswers() const;
    QStringList failures() const { return m_failures; }
    int dialogCount() const { return m_dialogs; }

private:
    // Applies the "keyword:" and "title:" answers to a keyword grid; false when one failed.
    bool answerGrid(QTableWidget *grid);

    QList<Answer> m_answers;
    bool m_cancel;
    QString m_screenshot;
    bool m_installed = false;
    QSet<qsizetype> m_used; // indices into m_answers
    QStringList m_failures;
    int m_dialogs = 0;
};

// Sets a widget from answer text; returns why it could not, or an empty string. Exposed for the
// driver's tests.
QString setControlValue(QWidget *control, const QString &value);

// Sets a keyword grid's value cell from answer text, by the type of value the cell holds: a
// date (yyyy-MM-dd), a number, or text. Returns why it could not, or an empty string.
QString setCellValue(QTableWidgetItem *cell, const QString &value);

// Buttons as the engine's dialogs name them ("cmdCacel" is the name the dialogs really carry).
void pressOk(QDialog *dialog);
void pressCancel(QDialog *dialog);

} // namespace varo::report
