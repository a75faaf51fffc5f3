// The progress display as its owner drives it: Show puts up the modal window, the owner works
// inside it on Active and ends with Unload, and Show returns with no window left.
#include "common/testsupport.h"
#include "dialogs/progress/bar.h"
#include "dialogs/progress/frmprogbar.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>

using namespace varo;
using namespace Qt::Literals::StringLiterals;

namespace
{

// What the window shows: "text|minimum|maximum|value|bar shown or hidden".
QString state(const QWidget *window)
{
    const auto *bar = window->findChild<QProgressBar *>(u"ProgressBar1"_s);
    const auto number = [](int n) { return QString::number(n); };
    return QStringList{window->findChild<QLabel *>(u"lblMsg"_s)->text(), number(bar->minimum()),
                       number(bar->maximum()), number(bar->value()),
                       bar->isHidden() ? u"hidden"_s : u"shown"_s}
        .join(u'|');
}

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // While the owner works the person cannot end the window; the commands show in it and the texts
    // go to the host; it goes with a full bar, and from Unload on the commands reach it no more.
    void showing_data()
    {
        QTest::addColumn<QString>("attempt");
        for (const char *attempt : {"close", "Escape"})
            QTest::newRow(attempt) << QString::fromLatin1(attempt);
    }
    void showing()
    {
        QFETCH(QString, attempt);
        QList<QDialog *> driven;
        test::ScopedModalDriver driver([&](QDialog *dialog) { driven << dialog; });
        QStringList sunk;
        ui::setProgressSink([&](const QString &text) { sunk << text; });
        dialogs::Bar bar;
        const auto commands = [&bar] {
            bar.SetMsg(u"正在连接服务器"_s);
            bar.SetBarMaxValue(250);
            bar.SetBarMinValue(10);
            bar.SetBarValue(40);
            bar.HideProgBar();
        };
        QStringList events;
        QPointer<dialogs::frmProgBar> window;
        const auto work = [&] {
            window = bar.m_frm();
            QCOMPARE(QApplication::activeModalWidget(), window.data()); // inside the modal loop
            QVERIFY(!window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            QObject::connect(window, &QDialog::finished,
                             [&] { events << u"goes "_s + state(window); });
            events << state(window);
            if (attempt == u"close")
                QVERIFY(!window->close());
            else
                QTest::keyClick(window, Qt::Key_Escape);
            commands();
            events << state(window);
            bar.ShowProgBar();
            bar.SetBarValueWithMax();
            events << state(window);
            bar.HideProgBar();
            bar.SetBarValue(20);
            bar.Unload();
            commands();
            bar.ShowProgBar();
            bar.SetBarValueWithMax();
            events << u"unloaded "_s + state(window);
            QVERIFY(!bar.m_frm() && !bar.m_clsPass());
        };
        QObject::connect(&bar, &dialogs::Bar::Active, [&] {
            work();
            if (bar.m_frm()) // a failed check left the window up
                bar.Unload();
        });
        bar.Show();
        QCOMPARE(events, QStringList({"|0|100|0|shown", "正在连接服务器|10|250|40|hidden",
                                      "正在连接服务器|10|250|250|shown",
                                      "goes 正在连接服务器|10|250|250|hidden",
                                      "unloaded 正在连接服务器|10|250|250|hidden"}));
        QVERIFY(window.isNull() && !bar.m_frm());
        ui::setProgressSink({});
        QCOMPARE(driven, QList<QDialog *>()); // the window asks nothing of the host's driver
        QCOMPARE(sunk, QStringList(2, u"正在连接服务器"_s));
        for (const QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }
};

VARO_TEST_MAIN(TestProgress)
#include "tst_progress.moc"
