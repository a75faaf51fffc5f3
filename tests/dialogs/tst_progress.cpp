// The progress display driven the way its owner drives it: the chain from Show through Active to
// Unload (unseen by a host's modal driver, texts to its progress sink), the commands as the
// window shows them, a window that the person cannot close while the owner works, showings one
// after another, and commands without a window. The path without a QApplication cannot be taken
// inside a QtTest program.
#include "common/testsupport.h"
#include "dialogs/progress/bar.h"
#include "dialogs/progress/clspass.h"
#include "dialogs/progress/frmprogbar.h"
#include "platform/ui.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace varo;
using varo::dialogs::Bar;
using varo::dialogs::clsPass;
using varo::dialogs::frmProgBar;

namespace
{

QLabel *lblMsg(const QWidget *window)
{
    return window->findChild<QLabel *>(QStringLiteral("lblMsg"));
}

QProgressBar *progressBar1(const QWidget *window)
{
    return window->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
}

// Shows the bar with `work` as the owner's Active handler and returns how often Active came.
// A showing that never reaches the work, or work that returns without unloading (a failed check
// inside it), fails the test instead of holding up the run.
int showWorking(Bar &bar, const std::function<void()> &work)
{
    int actives = 0;
    const auto connection = QObject::connect(&bar, &Bar::Active, [&] {
        ++actives;
        work();
        if (bar.m_frm()) {
            QTest::qFail("the work ended with the window still up", __FILE__, __LINE__);
            bar.Unload();
        }
    });
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [&] {
        if (actives == 0 && bar.m_frm()) {
            QTest::qFail("the window was never activated", __FILE__, __LINE__);
            bar.Unload();
        }
    });
    rescue.start(60000);
    bar.Show();
    QObject::disconnect(connection);
    return actives;
}

// Runs a command written as "name" or "name:argument" on the bar.
void run(Bar &bar, const QString &step)
{
    const QString name = step.section(u':', 0, 0);
    const QString argument = step.section(u':', 1);
    if (name == u"SetBarMaxValue")
        bar.SetBarMaxValue(argument.toInt());
    else if (name == u"SetBarMinValue")
        bar.SetBarMinValue(argument.toInt());
    else if (name == u"SetBarValue")
        bar.SetBarValue(argument.toInt());
    else if (name == u"SetMsg")
        bar.SetMsg(argument);
    else if (name == u"SetBarValueWithMax")
        bar.SetBarValueWithMax();
    else if (name == u"ShowProgBar")
        bar.ShowProgBar();
    else if (name == u"HideProgBar")
        bar.HideProgBar();
    else
        QFAIL(qPrintable(u"unknown step " + step));
}

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The owner sets its texts and unloads inside Active; the bar may have been set up before.
    void chain_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<int>("full");
        QTest::newRow("design range") << QStringList{} << 100;
        QTest::newRow("bar partly advanced") << QStringList{"SetBarValue:30"} << 100;
        QTest::newRow("maximum raised") << QStringList{"SetBarMaxValue:250"} << 250;
        QTest::newRow("maximum lowered, value beyond it")
            << QStringList{"SetBarValue:80", "SetBarMaxValue:50"} << 50;
    }
    void chain()
    {
        QFETCH(QStringList, setup);
        QFETCH(int, full);
        QList<QDialog *> driven;
        test::ScopedModalDriver driver([&](QDialog *dialog) { driven << dialog; });
        QStringList sunk;
        ui::setProgressSink([&](const QString &text) { sunk << text; });
        Bar bar;
        QStringList events;
        QPointer<frmProgBar> window;
        QPointer<clsPass> pass;
        const int actives = showWorking(bar, [&] {
            window = bar.m_frm();
            pass = bar.m_clsPass();
            QVERIFY(window && pass);
            QCOMPARE(window->m_clsPass(), pass.data());
            QVERIFY(window->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), window.data());
            QObject::connect(window, &QDialog::finished, [&, w = window.data()] {
                events << QStringLiteral("window goes at %1 of %2")
                              .arg(progressBar1(w)->value())
                              .arg(progressBar1(w)->maximum());
            });
            events << QStringLiteral("Active");
            for (const QString &step : setup)
                run(bar, step);
            for (const QString &text :
                 {QStringLiteral("正在连接服务器"), QStringLiteral("正在从服务器读取数据...")}) {
                bar.SetMsg(text);
                events << u"label " + lblMsg(window)->text();
            }
            bar.Unload();
            events << QStringLiteral("Unload returned");
            QVERIFY(!bar.m_frm() && !bar.m_clsPass());
            QVERIFY(!window->isVisible());
        });
        events << QStringLiteral("Show returned");
        ui::setProgressSink({});
        QCOMPARE(actives, 1);
        // The window asks nothing of the host's modal driver; its texts go to the host's sink.
        QCOMPARE(driven, QList<QDialog *>());
        QCOMPARE(sunk, (QStringList{"正在连接服务器", "正在从服务器读取数据..."}));
        QCOMPARE(events,
                 (QStringList{"Active", "label 正在连接服务器", "label 正在从服务器读取数据...",
                              QStringLiteral("window goes at %1 of %1").arg(full),
                              "Unload returned", "Show returned"}));
        // The showing's window and relay are gone with it.
        QVERIFY(window.isNull());
        QVERIFY(pass.isNull());
        QVERIFY(!bar.m_frm() && !bar.m_clsPass());
    }

    // What the window shows after the owner's commands, while it is up.
    void commands_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("barShown");
        QTest::addColumn<QString>("text");
        QTest::newRow("SetBarValueWithMax after SetBarMaxValue(250)")
            << QStringList{"SetBarMaxValue:250", "SetBarValueWithMax"} << 0 << 250 << 250 << true
            << "";
        QTest::newRow("SetBarMinValue and SetBarValue")
            << QStringList{"SetBarMinValue:10", "SetBarValue:40"} << 10 << 100 << 40 << true << "";
        QTest::newRow("SetBarValue then SetBarValueWithMax")
            << QStringList{"SetBarValue:40", "SetBarValueWithMax"} << 0 << 100 << 100 << true << "";
        QTest::newRow("HideProgBar hides only the bar")
            << QStringList{"SetMsg:正在连接服务器", "HideProgBar"} << 0 << 100 << 0 << false
            << "正在连接服务器";
        QTest::newRow("ShowProgBar after HideProgBar")
            << QStringList{"HideProgBar", "ShowProgBar"} << 0 << 100 << 0 << true << "";
    }
    void commands()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(bool, barShown);
        QFETCH(QString, text);
        Bar bar;
        showWorking(bar, [&] {
            frmProgBar *window = bar.m_frm();
            QVERIFY(window);
            for (const QString &step : steps)
                run(bar, step);
            const QProgressBar *progress = progressBar1(window);
            QCOMPARE(progress->minimum(), minimum);
            QCOMPARE(progress->maximum(), maximum);
            QCOMPARE(progress->value(), value);
            QCOMPARE(progress->isVisible(), barShown);
            QCOMPARE(lblMsg(window)->text(), text);
            QVERIFY(lblMsg(window)->isVisible());
            QVERIFY(window->findChild<QWidget *>(QStringLiteral("Animation1"))->isVisible());
            QVERIFY(window->isVisible());
            bar.Unload();
        });
    }

    // While the owner works, the window stays up whatever the person does, and the owner is
    // started once only.
    void whileWorking_data()
    {
        QTest::addColumn<QString>("attempt");
        QTest::newRow("close") << "close";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("reject") << "reject";
        QTest::newRow("activated again") << "activate";
    }
    void whileWorking()
    {
        QFETCH(QString, attempt);
        Bar bar;
        int finished = 0;
        const int actives = showWorking(bar, [&] {
            frmProgBar *window = bar.m_frm();
            QVERIFY(window);
            QVERIFY(!window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            QObject::connect(window, &QDialog::finished, [&] { ++finished; });
            if (attempt == u"close") {
                QVERIFY(!window->close());
            } else if (attempt == u"escape") {
                QTest::keyClick(window, Qt::Key_Escape);
            } else if (attempt == u"reject") {
                window->reject();
            } else {
                QEvent activate(QEvent::WindowActivate);
                QApplication::sendEvent(window, &activate);
            }
            QApplication::processEvents();
            QVERIFY(window->isVisible());
            QCOMPARE(bar.m_frm(), window);
            QCOMPARE(finished, 0);
            bar.Unload();
        });
        QCOMPARE(actives, 1);
        QCOMPARE(finished, 1);
    }

    // Each showing builds its own window and relay; nothing of the one before carries over.
    void showTwice()
    {
        Bar bar;
        QPointer<frmProgBar> first;
        QPointer<clsPass> firstPass;
        const auto firstWork = [&] {
            first = bar.m_frm();
            firstPass = bar.m_clsPass();
            for (const char *step :
                 {"SetMsg:正在连接服务器", "SetBarMaxValue:250", "SetBarValue:120", "HideProgBar"})
                run(bar, QString::fromUtf8(step));
            bar.Unload();
        };
        QString seen;
        const auto secondWork = [&] {
            // The window of the showing before is already gone.
            QVERIFY(first.isNull() && firstPass.isNull());
            const frmProgBar *window = bar.m_frm();
            QVERIFY(window && bar.m_clsPass());
            seen = QStringLiteral("%1|%2/%3|%4")
                       .arg(lblMsg(window)->text())
                       .arg(progressBar1(window)->value())
                       .arg(progressBar1(window)->maximum())
                       .arg(progressBar1(window)->isHidden() ? "hidden" : "shown");
            bar.Unload();
        };
        QCOMPARE(showWorking(bar, firstWork), 1);
        QVERIFY(!bar.m_frm() && !bar.m_clsPass());
        QCOMPARE(showWorking(bar, secondWork), 1);
        QCOMPARE(seen, QStringLiteral("|0/100|shown"));
    }

    // Unload without a window only lets pending messages run.
    void unloadWithoutWindow()
    {
        Bar bar;
        bool ran = false;
        QMetaObject::invokeMethod(
            &bar, [&] { ran = true; }, Qt::QueuedConnection);
        bar.Unload();
        QVERIFY(ran);
        QVERIFY(!bar.m_frm() && !bar.m_clsPass());
        bar.Unload();
        QVERIFY(!bar.m_frm() && !bar.m_clsPass());
    }

    // The other commands need a window that is up: before the first showing and after an
    // Unload they reach nothing, not even the window of the showing that is ending.
    void commandsWithoutWindow_data()
    {
        QTest::addColumn<QString>("step");
        for (const char *step :
             {"SetBarMaxValue:250", "SetBarMinValue:10", "SetBarValue:40", "SetMsg:正在连接服务器",
              "SetBarValueWithMax", "ShowProgBar", "HideProgBar"})
            QTest::newRow(step) << QString::fromUtf8(step);
    }
    void commandsWithoutWindow()
    {
        QFETCH(QString, step);
        Bar bar;
        run(bar, step);
        QVERIFY(!bar.m_frm() && !bar.m_clsPass());

        QString after;
        showWorking(bar, [&] {
            QPointer<frmProgBar> window = bar.m_frm();
            QVERIFY(window);
            run(bar, "HideProgBar");
            bar.Unload();
            // The ending window still exists until Show returns, and must not change.
            progressBar1(window)->setValue(5);
            run(bar, step);
            QVERIFY(window);
            after = QStringLiteral("%1|%2..%3:%4|%5")
                        .arg(lblMsg(window)->text())
                        .arg(progressBar1(window)->minimum())
                        .arg(progressBar1(window)->maximum())
                        .arg(progressBar1(window)->value())
                        .arg(progressBar1(window)->isHidden() ? "hidden" : "shown");
        });
        QCOMPARE(after, QStringLiteral("|0..100:5|hidden"));
        run(bar, step);
        QVERIFY(!bar.m_frm() && !bar.m_clsPass());
    }
};

VARO_TEST_MAIN(TestProgress)
#include "tst_progress.moc"
