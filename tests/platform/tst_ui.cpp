// Message boxes, letting pending window messages run, and modal dialogs answered by a driver,
// on real widgets (offscreen under CTest).

#include "common/testsupport.h"
#include "platform/ui.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using varo::ui::MessageIcon;

namespace
{

// A small dialog shaped like the engine's: named controls, OK and Cancel.
class AnswerDialog : public QDialog
{
public:
    AnswerDialog()
    {
        auto *layout = new QVBoxLayout(this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("txtItemf1"));
        layout->addWidget(edit);
        auto *buttons = new QDialogButtonBox(this);
        auto *ok = buttons->addButton(QDialogButtonBox::Ok);
        ok->setObjectName(QStringLiteral("cmdOK"));
        auto *cancel = buttons->addButton(QDialogButtonBox::Cancel);
        cancel->setObjectName(QStringLiteral("cmdCancel"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
};

} // namespace

class TestUi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sinkRecordsMessages();
    void messageBoxOnScreen_data();
    void messageBoxOnScreen();
    void letMessagesRunDeliversPostedWork();
    void driverAnswersModalDialog_data();
    void driverAnswersModalDialog();
    void driverRemoved();
};

void TestUi::sinkRecordsMessages()
{
    varo::test::MessageRecorder recorder;
    varo::ui::showMessage(QStringLiteral("报表不存在！"), MessageIcon::Information,
                          QStringLiteral("沐岩提示"));
    varo::ui::showMessage(QStringLiteral("second"), MessageIcon::None, QString());
    QCOMPARE(recorder.texts(),
             (QStringList{QStringLiteral("报表不存在！"), QStringLiteral("second")}));
    QCOMPARE(recorder.messages().at(0).icon, MessageIcon::Information);
    QCOMPARE(recorder.messages().at(0).title, QStringLiteral("沐岩提示"));
    QCOMPARE(recorder.messages().at(1).icon, MessageIcon::None);
    QCOMPARE(recorder.messages().at(1).title, QString());
}

void TestUi::messageBoxOnScreen_data()
{
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::Icon>("boxIcon");
    QTest::addColumn<QString>("windowTitle");
    QTest::newRow("information") << MessageIcon::Information << QStringLiteral("沐岩提示")
                                 << QMessageBox::Information << QStringLiteral("沐岩提示");
    QTest::newRow("critical") << MessageIcon::Critical << QStringLiteral("沐岩提示")
                              << QMessageBox::Critical << QStringLiteral("沐岩提示");
    QTest::newRow("no title shows the application's name")
        << MessageIcon::None << QString() << QMessageBox::NoIcon << QStringLiteral("varo-ui-test");
}

void TestUi::messageBoxOnScreen()
{
    QFETCH(MessageIcon, icon);
    QFETCH(QString, title);
    QFETCH(QMessageBox::Icon, boxIcon);
    QFETCH(QString, windowTitle);

    const QString oldName = QApplication::applicationName();
    QApplication::setApplicationName(QStringLiteral("varo-ui-test"));
    varo::ui::setMessageSink({}); // the real box, as a host with a screen shows it

    QString seenText;
    QString seenTitle;
    QMessageBox::Icon seenIcon = QMessageBox::Question;
    QList<QAbstractButton *> seenButtons;
    bool closed = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || closed)
            return;
        seenText = box->text();
        seenTitle = box->windowTitle();
        seenIcon = box->icon();
        seenButtons = box->buttons();
        closed = true;
        QTest::keyClick(box, Qt::Key_Enter);
    });
    poll.start();
    varo::ui::showMessage(QStringLiteral("条件不能为空！"), icon, title);
    poll.stop();
    varo::test::installUnexpectedMessageGuard();
    QApplication::setApplicationName(oldName);

    QVERIFY(closed);
    QCOMPARE(seenText, QStringLiteral("条件不能为空！"));
    QCOMPARE(seenTitle, windowTitle);
    QCOMPARE(seenIcon, boxIcon);
    QCOMPARE(seenButtons.size(), 1); // OK only
}

void TestUi::letMessagesRunDeliversPostedWork()
{
    int runs = 0;
    QMetaObject::invokeMethod(
        this, [&runs] { ++runs; }, Qt::QueuedConnection);
    QCOMPARE(runs, 0);
    varo::ui::letMessagesRun();
    QCOMPARE(runs, 1);
}

void TestUi::driverAnswersModalDialog_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "cmdOK" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "cmdCancel" << int(QDialog::Rejected);
}

void TestUi::driverAnswersModalDialog()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    int driverCalls = 0;
    bool wasVisibleAndModal = false;
    varo::test::ScopedModalDriver driver([&](QDialog *dialog) {
        ++driverCalls;
        wasVisibleAndModal =
            dialog->isVisible() && dialog->isModal() && QApplication::activeModalWidget() == dialog;
        dialog->findChild<QLineEdit *>(QStringLiteral("txtItemf1"))
            ->setText(QStringLiteral("2024-01-31"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
    });

    AnswerDialog dialog;
    QCOMPARE(varo::ui::execModal(&dialog), result);
    QCOMPARE(driverCalls, 1);
    QVERIFY(wasVisibleAndModal);
    QVERIFY(!dialog.isVisible());
    // What the driver typed stays in the dialog for the caller to read after exec.
    QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("txtItemf1"))->text(),
             QStringLiteral("2024-01-31"));
}

void TestUi::driverRemoved()
{
    int driverCalls = 0;
    {
        varo::test::ScopedModalDriver driver([&](QDialog *dialog) {
            ++driverCalls;
            dialog->accept();
        });
        AnswerDialog dialog;
        QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Accepted));
    }
    // Without a driver exec waits until someone closes the dialog; a timer plays that person.
    AnswerDialog dialog;
    bool sawIt = false;
    QTimer::singleShot(50, &dialog, [&] {
        sawIt = dialog.isVisible();
        dialog.reject();
    });
    QCOMPARE(varo::ui::execModal(&dialog), int(QDialog::Rejected));
    QVERIFY(sawIt);
    QCOMPARE(driverCalls, 1);
}

VARO_TEST_MAIN(TestUi)
#include "tst_ui.moc"
