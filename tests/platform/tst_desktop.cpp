// What the engine asks of the user's desktop, on real widgets (offscreen under CTest): the store
// in which dialogs remember what was entered, message boxes, progress texts, and modal dialogs.

#include "common/testsupport.h"
#include "platform/settings.h"

#include <QDialog>
#include <QMessageBox>
#include <QTimer>

using namespace varo;

class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void settingsStore()
    {
        const QString own = settings::file(); // VARO_TEST_MAIN's temporary file
        settings::setFile({});
        QVERIFY(settings::file().endsWith("/varo-report/settings.ini"));
        settings::setFile(own);
        // Texts the INI format treats specially come back as saved, an empty one too.
        const QString special = "  沐岩, \"a\" 'b' x=1;y=2 C:\\new @Variant(x) 100%\nline 2  ";
        settings::save("App", "s", "FValue", special);
        settings::save("App", "s", "FEmpty", "");
        QCOMPARE(settings::get("App", "s", "FValue", "x"), special);
        QCOMPARE(settings::get("App", "s", "FEmpty", "x"), QString());
        // Any text is one section or key: names that differ only in how they would be cut
        // into levels keep values of their own.
        const QStringList names = {"a/b|k", "a|b/k", "a\\b|k", "a|b\\k", "a%2Fb|k", "a%5Cb|k"};
        for (const QString &name : names)
            settings::save("App", name.section('|', 0, 0), name.section('|', 1), name);
        for (const QString &name : names)
            QCOMPARE(settings::get("App", name.section('|', 0, 0), name.section('|', 1)), name);
        QCOMPARE(settings::get("App", "s", "FMissing", "0"), QStringLiteral("0"));
        QCOMPARE(settings::get("Other", "s", "FValue"), QString());
        test::TemporarySettingsFile other;
        QCOMPARE(settings::get("App", "s", "FValue", "elsewhere"), QStringLiteral("elsewhere"));
    }

    void messages()
    {
        test::MessageRecorder recorder;
        ui::showMessage("报表不存在！", ui::MessageIcon::Information, "沐岩提示");
        QCOMPARE(recorder.texts(), QStringList{"报表不存在！"});
        QVERIFY(recorder.messages().at(0).icon == ui::MessageIcon::Information &&
                recorder.messages().at(0).title == "沐岩提示");
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

        // The real box, as a host with a screen shows it: text|title|icon (3 critical,
        // 1 information, 0 none)|buttons (OK only); without a title, the application's name.
        ui::setMessageSink({});
        QStringList seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << box->text() + '|' + box->windowTitle() + '|' +
                            QString::number(box->icon()) + '|' +
                            QString::number(box->buttons().size());
                box->accept();
            }
        });
        poll.start(10);
        ui::showMessage("条件不能为空！", ui::MessageIcon::Critical, "沐岩提示");
        ui::showMessage("a", ui::MessageIcon::Information, "b");
        ui::showMessage("c", ui::MessageIcon::None, {});
        test::installUnexpectedMessageGuard();
        QCOMPARE(seen,
                 QStringList({"条件不能为空！|沐岩提示|3|1", "a|b|1|1", "c|tst_desktop|0|1"}));
    }

    void modalDialog()
    {
        QDialog dialog;
        for (const int result : {QDialog::Accepted, QDialog::Rejected}) {
            QStringList calls; // what the driver saw: the dialog, on screen, modal
            test::ScopedModalDriver driver([&](QDialog *shown) {
                calls << QString::number(shown == &dialog && shown->isVisible() &&
                                         QApplication::activeModalWidget() == shown);
                shown->setWindowTitle("2024-01-31");
                shown->done(result);
            });
            QCOMPARE(ui::execModal(&dialog), result);
            QCOMPARE(calls, QStringList{"1"});
            QCOMPARE(dialog.windowTitle(), QStringLiteral("2024-01-31")); // for the caller
        }
        // Without a driver exec waits until someone closes the dialog; a timer plays that person.
        QTimer::singleShot(50, &dialog, [&] { dialog.done(7); });
        QCOMPARE(ui::execModal(&dialog), 7);
    }
};

VARO_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
