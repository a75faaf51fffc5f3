// A dialog that unloads on every way out a person has besides its own buttons: Escape and the
// close box both run its Form_Unload before the window goes.
#pragma once

#include <QCloseEvent>
#include <QDialog>

namespace varo::dialogs
{

class UnloadingDialog : public QDialog
{
public:
    using QDialog::QDialog;

    void reject() override
    {
        Form_Unload();
        QDialog::reject();
    }

protected:
    virtual void Form_Unload() = 0;

    void closeEvent(QCloseEvent *event) override
    {
        Form_Unload();
        QDialog::closeEvent(event);
    }
};

} // namespace varo::dialogs
