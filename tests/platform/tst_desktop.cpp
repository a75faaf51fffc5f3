// What the engine asks of the user's desktop: the settings store in which dialogs remember what
// was entered, message boxes, progress texts, letting window messages run, and modal dialogs
// answered by a driver, on real widgets (offscreen under CTest).

#include "common/testsupport.h"
#include "platform/settings.h"

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

using namespace varo;

class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void settingsRoundTrip()
    {
        const QString own = settings::file(); // VARO_TEST_MAIN's temporary file
        settings::setFile({});
        QVERIFY(settings::file().endsWith("/varo-report/settings.ini"));
        settings::setFile(own);
        const QString app = "PelReportCenter";
        // Texts the INI format treats specially come back as saved.
        const QString value = "  沐岩, \"a\" 'b' x=1;y=2 C:\\new @Variant(x) 100%\nline 2  ";
        settings::save(app, "frmSQLFilter", "FValue", "old");
        settings::save(app, "frmSQLFilter", "FValue", value);
        QCOMPARE(settings::get(app, "frmSQLFilter", "FValue", "default"), value);
        settings::save(app, "frmSQLFilter", "FEmpty", "");
        QCOMPARE(settings::get(app, "frmSQLFilter", "FEmpty", "default"), QString());
        QCOMPARE(settings::get(app, "frmSQLFilter", "FMissing", "0"), QStringLiteral("0"));
        QCOMPARE(settings::get("OtherApp", "frmSQLFilter", "FValue"), QString());
        // Any text is one section or key: names that differ only in how they would be cut
        // into levels keep values of their own.
        const QStringList names = {"rep/1|k", "rep|1/k", "rep\\1|k", "rep|1\\k",
                                   "a\\b|k",  "a/b|k",   "a%2Fb|k",  "a%5Cb|k"};
        for (const QString &name : names)
            settings::save(app, name.section('|', 0, 0), name.section('|', 1), name);
        for (const QString &name : names)
            QCOMPARE(settings::get(app, name.section('|', 0, 0), name.section('|', 1)), name);
        {
            test::TemporarySettingsFile other;
            QCOMPARE(settings::get(app, "frmSQLFilter", "FValue", "x"), QStringLiteral("x"));
        }
        QCOMPARE(settings::get(app, "frmSQLFilter", "FValue"), value);
    }

    void messages()
    {
        test::MessageRecorder recorder;
        ui::showMessage("报表不存在！", ui::MessageIcon::Information, "沐岩提示");
        QCOMPARE(recorder.texts(), QStringList{"报表不存在！"});
        QCOMPARE(recorder.messages().at(0).icon, ui::MessageIcon::Information);
        QCOMPARE(recorder.messages().at(0).title, QStringLiteral("沐岩提示"));
        QStringList progress;
        ui::setProgressSink([&](const QString &text) { progress << text; });
        ui::showProgress("正在查询");
        ui::setProgressSink({});
        ui::showProgress("unseen");
        QCOMPARE(progress, QStringList{"正在查询"});
        int runs = 0;
        QMetaObject::invokeMethod(
            this, [&runs] { ++runs; }, Qt::QueuedConnection);
        ui::letMessagesRun();
        QCOMPARE(runs, 1);
    }

    void messageBoxOnScreen_data()
    {
        QTest::addColumn<ui::MessageIcon>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QMessageBox::Icon>("boxIcon");
        QTest::addColumn<QString>("windowTitle");
        QTest::newRow("information") << ui::MessageIcon::Information << QString("沐岩提示")
                                     << QMessageBox::Information << QString("沐岩提示");
        QTest::newRow("critical") << ui::MessageIcon::Critical << QString("沐岩提示")
                                  << QMessageBox::Critical << QString("沐岩提示");
        QTest::newRow("no title: the application's name")
            << ui::MessageIcon::None << QString() << QMessageBox::NoIcon << QString("tst_desktop");
    }
    void messageBoxOnScreen()
    {
        QFETCH(ui::MessageIcon, icon);
        QFETCH(QString, title);
        QFETCH(QMessageBox::Icon, boxIcon);
        QFETCH(QString, windowTitle);
        ui::setMessageSink({}); // the real box, as a host with a screen shows it
        QStringList seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << box->text() << box->windowTitle() << QString::number(box->icon())
                     << QString::number(box->buttons().size());
                box->accept();
            }
        });
        poll.start(10);
        ui::showMessage("条件不能为空！", icon, title);
        test::installUnexpectedMessageGuard();
        QCOMPARE(seen, QStringList({"条件不能为空！", windowTitle, QString::number(boxIcon), "1"}));
    }

    void modalDialog()
    {
        QDialog dialog;
        auto *edit = new QLineEdit(&dialog);
        for (const int result : {QDialog::Accepted, QDialog::Rejected}) {
            int calls = 0; // counts only calls on the dialog shown, modal and on top
            test::ScopedModalDriver driver([&](QDialog *shown) {
                calls += shown == &dialog && QApplication::activeModalWidget() == shown ? 1 : 100;
                edit->setText("2024-01-31");
                shown->done(result);
            });
            edit->clear();
            QCOMPARE(ui::execModal(&dialog), result);
            QCOMPARE(calls, 1);
            QCOMPARE(edit->text(), QStringLiteral("2024-01-31")); // for the caller to read
        }
        // Without a driver exec waits until someone closes the dialog; a timer plays that person.
        QTimer::singleShot(50, &dialog, [&] { dialog.done(7); });
        QCOMPARE(ui::execModal(&dialog), 7);
    }
};

VARO_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
