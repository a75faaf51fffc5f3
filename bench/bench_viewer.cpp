// Measures the viewer on a large result: the report of bench_request (ten columns, totals) is
// requested through FuncReport as the viewer requests it, then the result tab is built and shown.
// Prints the time from the rows being ready to the grid's first paint, the memory the tab adds
// per row on top of what the report object holds (beyond what any tab costs), the time and memory
// of sorting by a number and by a text column, and the slowest repaint while jumping through the
// rows.
//
//   bench_viewer [--file PATH]   (PATH: bench_request's database, /tmp/varo-bench-1000000.db
//                                 by default; run bench_request --rows 1000000 to make it)

#include "dialogdriver.h"
#include "server/classfactory.h"
#include "viewer/reportsession.h"
#include "viewer/resultmodel.h"
#include "viewer/resultview.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>
#include <malloc.h>

using namespace varo;

namespace
{

// The bytes malloc has handed out and not got back: what the viewer's own structures take. The
// report's rows live in blocks of their own outside malloc, and mapped font files are not counted.
qint64 heapBytes()
{
    // What the request left to be deleted later goes first.
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

struct Shown {
    std::unique_ptr<viewer::ResultView> view;
    double seconds = 0; // from construction to the grid's first paint
};

Shown showResult(std::unique_ptr<viewer::ReportSession> session)
{
    Shown shown;
    QElapsedTimer timer;
    timer.start();
    shown.view = std::make_unique<viewer::ResultView>(std::move(session));
    PaintCounter counter;
    shown.view->grid()->viewport()->installEventFilter(&counter);
    shown.view->resize(1200, 800);
    shown.view->show();
    while (counter.paints == 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    shown.seconds = timer.nsecsElapsed() / 1e9;
    shown.view->grid()->viewport()->removeEventFilter(&counter);
    return shown;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("file"), QStringLiteral("bench_request's SQLite file"),
                      QStringLiteral("PATH"), QStringLiteral("/tmp/varo-bench-1000000.db")});
    parser.process(app);
    const QString path = parser.value(QStringLiteral("file"));
    if (!QFile::exists(path))
        qFatal("%s is missing: run bench_request --rows 1000000 first", qPrintable(path));

    server::registerClasses();
    Connection conn = Connection::open(QStringLiteral("sqlite://") + path);
    const viewer::ViewerSettings settings{conn, conn, QStringLiteral("FuncReport"), -1};
    // The condition dialog's first date picks the rows: all of them, or those of the last month.
    auto request = [&settings](const char *from) {
        report::DialogDriver driver(
            {{QString(), QStringLiteral("DtpBDate0"), QString::fromLatin1(from), QString()}},
            false);
        driver.install();
        auto session = std::make_unique<viewer::ReportSession>(settings, QStringLiteral("BENCH"));
        if (!session->request())
            qFatal("the request failed");
        return session;
    };
    // A first tab warms up what every tab shares (fonts, style, the engine); a second small one
    // measures what a tab costs whatever its rows (the window's backing store, widgets).
    showResult(request("2024-12-01")).view.reset();
    std::unique_ptr<viewer::ReportSession> session = request("2024-12-01");
    qint64 before = heapBytes();
    Shown small = showResult(std::move(session));
    const qint64 smallAdded = heapBytes() - before;
    const double smallRows = small.view->model()->rowCount();
    small.view.reset();

    QElapsedTimer timer;
    timer.start();
    session = request("2000-01-01");
    const double requested = timer.nsecsElapsed() / 1e9;
    before = heapBytes();
    Shown shown = showResult(std::move(session));
    const qint64 added = heapBytes() - before;
    viewer::ResultModel *model = shown.view->model();
    const double rows = model->rowCount();
    const auto perRow = [&](qint64 bytes) { return (bytes - smallAdded) / (rows - smallRows); };

    std::printf("rows                        %.0f\n", rows);
    std::printf("request (rows ready)        %.3f s\n", requested);
    std::printf("rows ready -> first paint   %.3f s  (target <= 1)\n", shown.seconds);
    std::printf("added by the tab            %.1f MB, %.1f MB of them for any tab (%.0f rows)\n",
                added / 1e6, smallAdded / 1e6, smallRows);
    std::printf("added per row               %.1f bytes  (target <= 16)\n", perRow(added));

    const int columns = model->columnCount();
    for (const auto &[column, kind] : {std::pair{columns - 2, "number"}, std::pair{3, "text"}}) {
        timer.restart();
        shown.view->grid()->sortByColumn(column, Qt::DescendingOrder);
        const double sorted = timer.nsecsElapsed() / 1e9;
        std::printf("sort by a %-6s column      %.3f s, then %.1f bytes/row added\n", kind, sorted,
                    perRow(heapBytes() - before));
    }

    // Jumps through the rows as a dragged scroll bar does, painting each position at once.
    QScrollBar *bar = shown.view->grid()->verticalScrollBar();
    double slowest = 0;
    double total = 0;
    const int jumps = 200;
    for (int i = 0; i <= jumps; ++i) {
        timer.restart();
        bar->setValue(int(qint64(bar->maximum()) * i / jumps));
        shown.view->grid()->viewport()->repaint();
        const double s = timer.nsecsElapsed() / 1e9;
        slowest = std::max(slowest, s);
        total += s;
    }
    std::printf("scrolling, per repaint      %.1f ms on average, %.1f ms at most\n",
                total / (jumps + 1) * 1e3, slowest * 1e3);
    return 0;
}
