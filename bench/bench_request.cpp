// Measures a FuncReport request once its filter is known (template expansion, the trial run,
// the open, row records with totals, properties and header) on a SQLite report of N rows of ten
// columns, against two references on the same query: a raw forward-only QSqlQuery fetch and the
// sqlite3 command line writing CSV. Prints rows per second, the ratios, and the memory that rs
// and VectRs hold per row. With --varo-report it also runs the varo-report program built beside
// it on the same report (`run --format json`, FuncReport and rptX, the condition dialog answered)
// and compares the peak resident memory of the whole process with what rs and VectRs hold.
// With --xlsx it exports the result to an XLSX file and prints cells per second and the memory
// the export takes beyond the result it reads.
//
//   bench_request [--rows N] [--file PATH] [--varo-report] [--xlsx]
//   (N defaults to 100000; PATH is made when missing)

#include "engine/requestsupport.h"
#include "engine/resultshaping.h"
#include "engine/templateexpansion.h"
#include "export/exporter.h"
#include "platform/ado.h"
#include "shared/modglobal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace varo;

namespace
{

const QString kKey = QStringLiteral("BENCH");
const QString kQuery = QStringLiteral(
    "select OrderNo, OrderDate, ShipDate, Customer, Region, Item, Qty, Price, Amount, Memo "
    "from Lines where OrderDate >= '2000-01-01'");

// Resident and peak resident memory of this process, in bytes.
qint64 statusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void build(const QString &path, int rows)
{
    std::fprintf(stderr, "building %s with %d rows...\n", qPrintable(path), rows);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
    }
    Connection c = Connection::open(QStringLiteral("sqlite://") + path);
    const QStringList ddl = {
        QStringLiteral("create table Lines (OrderNo varchar(20), OrderDate varchar(10), "
                       "ShipDate varchar(10), Customer varchar(60), Region varchar(20), "
                       "Item varchar(20), Qty integer, Price double precision, "
                       "Amount double precision, Memo varchar(100))"),
        QStringLiteral("create table T_RepList (FRepKey varchar(100), id integer, FRepName "
                       "varchar(200), FRepDesc varchar(200), FRepCategory varchar(100), "
                       "FRepFormWid integer, FRepFormHei integer, FRepType integer, FRepSub "
                       "varchar(10), FDefaultFilter integer, FFilterPlugName varchar(200), "
                       "FRepPluginSvr varchar(200), FMulti integer, FTxparm varchar(10), "
                       "FIndex integer)"),
        QStringLiteral(
            "create table T_RepSql (FRepKey varchar(100), FRepSql text, FIndex integer)"),
        QStringLiteral("create table T_RepHeadCaption (FRepKey varchar(100), FIndex integer, "
                       "FRepColName varchar(100), FRepColCaption varchar(200), FRepColSecond "
                       "varchar(200), FRepColType varchar(50), FRepColVisible integer, "
                       "FRepSerial varchar(10), FSumCol varchar(10))"),
        QStringLiteral("insert into T_RepList values ('BENCH', 1, '销售明细', '', '销售', 800, "
                       "600, 1, '1', 0, '', '', 0, '0', 1)"),
        QStringLiteral("insert into T_RepSql values ('BENCH', 'select OrderNo, OrderDate, "
                       "ShipDate, Customer, Region, Item, Qty, Price, Amount, Memo from Lines "
                       "where OrderDate >= {DATEFROM}', 1)"),
    };
    for (const QString &s : ddl)
        c.Execute(s);
    const char *columns[] = {"OrderNo", "OrderDate", "ShipDate", "Customer", "Region",
                             "Item",    "Qty",       "Price",    "Amount",   "Memo"};
    for (int i = 0; i < 10; ++i) {
        const bool sum = i == 6 || i == 8;
        c.Execute(QStringLiteral("insert into T_RepHeadCaption values ('BENCH', %1, '%2', '%2', "
                                 "'', 'string', 1, '', '%3')")
                      .arg(i)
                      .arg(QLatin1String(columns[i]))
                      .arg(sum ? 1 : 0));
    }
    c.Execute(QStringLiteral("begin"));
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xffffff; };
    const QString regions[] = {QStringLiteral("华东"), QStringLiteral("华北"),
                               QStringLiteral("华南"), QStringLiteral("西部")};
    for (int r = 0; r < rows; ++r) {
        const QDate date = QDate(2023, 1, 1).addDays(r % 730);
        const int qty = 1 + int(next() % 50);
        const double price = double(100 + next() % 90000) / 100.0;
        c.Execute(QStringLiteral("insert into Lines values ('SO%1', '%2', '%3', '客户%4', '%5', "
                                 "'A%6', %7, %8, %9, '%10')")
                      .arg(r, 8, 10, QLatin1Char('0'))
                      .arg(date.toString(Qt::ISODate), date.addDays(3).toString(Qt::ISODate))
                      .arg(next() % 500)
                      .arg(regions[next() % 4])
                      .arg(next() % 300, 3, 10, QLatin1Char('0'))
                      .arg(qty)
                      .arg(price, 0, 'f', 2)
                      .arg(qty * price, 0, 'f', 2)
                      .arg(next() % 7 == 0 ? QStringLiteral("加急") : QString()));
    }
    c.Execute(QStringLiteral("commit"));
}

// The condition dialog's date row and the host's report number, which the engine reads when
// the report is requested through a report object. Added to files made by earlier versions too.
void addDialogDefinitions(Connection &c)
{
    c.Execute(QStringLiteral(
        "create table if not exists T_RepFilter (FRepKey varchar(50), FIndex integer, FCaption "
        "varchar(100), FMarkNameFrom varchar(50), FMarkNameTo varchar(50), FFilterFrom "
        "varchar(500), FFilterTo varchar(500), FTo varchar(100), FCtrlType varchar(10), FCtrlSel "
        "varchar(50))"));
    c.Execute(QStringLiteral("create table if not exists ICReport (FInterID integer primary key, "
                             "FProcedure text)"));
    // The engine adds a column of its own to T_RepFilter: name the ones given here.
    c.Execute(QStringLiteral("insert into T_RepFilter (FRepKey, FIndex, FCaption, FMarkNameFrom, "
                             "FFilterFrom, FTo, FCtrlType) select 'BENCH', 1, '日期从', "
                             "'DATEFROM', '''?''', '到', 'DTP' where not exists (select 1 from "
                             "T_RepFilter where FRepKey = 'BENCH')"));
    c.Execute(QStringLiteral("insert or ignore into ICReport values (1, 'BENCH')"));
}

// The peak resident memory of one run of the program, in bytes, as the kernel accounts it for
// the finished child. Its output goes to /dev/null; a run that ends with another status than
// the one expected stops the benchmark.
qint64 programPeak(const QString &program, const QStringList &args, int expectedStatus = 0)
{
    QList<QByteArray> bytes{program.toLocal8Bit()};
    for (const QString &a : args)
        bytes.append(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    // The child starts in this process's memory and keeps its peak across exec: bring that peak
    // down to what this process holds now, far below what the child itself needs.
    malloc_trim(0);
    resetPeak();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        qFatal("cannot start %s", qPrintable(program));
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != expectedStatus)
        qFatal("%s %s did not end with status %d", qPrintable(program), qPrintable(args.join(u' ')),
               expectedStatus);
    return qint64(usage.ru_maxrss) * 1024; // ru_maxrss is in kilobytes
}

// Runs the program on the report, each object in a process of its own, and once on a report that
// does not exist (status 3) for what the process costs by itself.
void compareProgram(const QString &path, qint64 heldBytes, qsizetype rows)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/varo-report");
    QTemporaryDir dir;
    const QStringList run{QStringLiteral("run"),
                          QStringLiteral("--db"),
                          QStringLiteral("sqlite://") + path,
                          QStringLiteral("--settings"),
                          dir.filePath(QStringLiteral("settings.ini")),
                          QStringLiteral("--format"),
                          QStringLiteral("json")};
    const QStringList answer{QStringLiteral("--answer"), QStringLiteral("DtpBDate0=2000-01-01")};
    std::printf("varo-report run --format json, peak resident memory of the process:\n");
    const qint64 alone = programPeak(program, run + QStringList{QStringLiteral("NO_SUCH")}, 3);
    std::printf(
        "  nothing loaded            %.0f MB  (the benchmark holds %.0f MB as it starts them)\n",
        alone / 1e6, statusBytes("VmRSS:") / 1e6);
    for (const QString &object : {QStringLiteral("FuncReport"), QStringLiteral("rptX")}) {
        const qint64 peak = programPeak(
            program, run + answer + QStringList{QStringLiteral("--object"), object, kKey});
        std::printf("  %-24s  %.0f MB  %.0f bytes/row  %.2f x rs + VectRs held  (target <= 1.3)\n",
                    qPrintable(object), peak / 1e6, double(peak) / double(rows),
                    double(peak) / double(heldBytes));
    }
}

struct Figures {
    double seconds = 0;
    qint64 heldBytes = 0;
    qint64 peakBytes = 0;
    qsizetype rows = 0;
    Vector title, header, vectRs;
};

Figures runRequest(Connection &conn)
{
    gLocConn() = conn;
    gSqlConn() = conn;
    ReportState state;
    state.RptKey = kKey;
    malloc_trim(0);
    const qint64 before = statusBytes("VmRSS:");
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    Dictionary values = Dictionary::create();
    values.set(QStringLiteral("strFilter"), QStringLiteral("DATEFROM|'2000-01-01'"));
    const QString sql = ExpandFilterSql(values, kKey);
    if (!ValidateSql(sql))
        qFatal("the report SQL does not run: %s", qPrintable(sql));
    const qint64 checked = timer.nsecsElapsed();
    state.rs = OpenSqlRecordset(sql);
    const qint64 opened = timer.nsecsElapsed();
    state.VectRs = BuildRowVector(state.rs, kKey);
    const qint64 built = timer.nsecsElapsed();
    if (!LoadProperties(state, kKey) || !LoadHeader(state))
        qFatal("properties or header failed");
    std::fprintf(stderr, "phases: expand+trial %.3f s, open %.3f s, rows %.3f s, rest %.3f s\n",
                 checked / 1e9, (opened - checked) / 1e9, (built - opened) / 1e9,
                 (timer.nsecsElapsed() - built) / 1e9);
    Figures f;
    f.seconds = timer.nsecsElapsed() / 1e9;
    malloc_trim(0);
    f.heldBytes = statusBytes("VmRSS:") - before;
    f.peakBytes = statusBytes("VmHWM:") - before;
    f.rows = state.VectRs.Count() - 1; // the totals record
    f.title = state.Title;
    f.header = state.Header;
    f.vectRs = state.VectRs;
    return f;
}

void benchXlsx(const Figures &request)
{
    const exporting::ReportTable table(QStringLiteral("销售明细"), request.title, request.header,
                                       request.vectRs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    malloc_trim(0);
    const qint64 before = statusBytes("VmRSS:");
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const QString problem = exporting::exportReports({table}, exporting::ExportFormat::Xlsx, path);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!problem.isEmpty())
        qFatal("the export failed: %s", qPrintable(problem));
    const qint64 peak = statusBytes("VmHWM:");
    const double cells = double(table.rowCount()) * double(table.columns().size());
    std::printf("xlsx export               %.3f s  %.0f cells/s  (target >= 1000000)  %.0f MB\n",
                seconds, cells / seconds, QFileInfo(path).size() / 1e6);
    std::printf("xlsx peak over the result %.1f MB  (process peak %.0f MB)\n",
                (peak - before) / 1e6, peak / 1e6);
}

double runQSqlQuery(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    qsizetype cells = 0;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(kQuery);
        while (q.next()) {
            for (int c = 0; c < 10; ++c)
                cells += q.value(c).isValid();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (cells == 0)
        qFatal("the raw fetch read nothing");
    return seconds;
}

double runSqliteCli(const QString &path)
{
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty())
        return -1;
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    p.start(sqlite3, {QStringLiteral("-csv"), path, kQuery});
    p.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("rows in the report"),
                      QStringLiteral("N"), QStringLiteral("100000")});
    parser.addOption({QStringLiteral("file"), QStringLiteral("SQLite file (made when missing)"),
                      QStringLiteral("PATH")});
    parser.addOption(
        {QStringLiteral("request-only"), QStringLiteral("skip the references (for profiling)")});
    parser.addOption({QStringLiteral("varo-report"),
                      QStringLiteral("also run the varo-report program on the report")});
    parser.addOption({QStringLiteral("xlsx"), QStringLiteral("also export the result to XLSX")});
    parser.process(app);
    const int rows = parser.value(QStringLiteral("rows")).toInt();
    QString path = parser.value(QStringLiteral("file"));
    if (path.isEmpty())
        path = QStringLiteral("/tmp/varo-bench-%1.db").arg(rows);
    if (!QFile::exists(path))
        build(path, rows);

    Connection conn = Connection::open(QStringLiteral("sqlite://") + path);
    addDialogDefinitions(conn);
    const bool requestOnly = parser.isSet(QStringLiteral("request-only"));
    const double cli = requestOnly ? -1 : runSqliteCli(path);
    const double raw = requestOnly ? 1 : runQSqlQuery(path);
    const Figures request = runRequest(conn);

    std::printf("rows                      %lld\n", qint64(request.rows));
    std::printf("request                   %.3f s  %.0f rows/s\n", request.seconds,
                request.rows / request.seconds);
    std::printf("raw QSqlQuery fetch       %.3f s  %.0f rows/s\n", raw, request.rows / raw);
    if (cli > 0)
        std::printf("sqlite3 -csv              %.3f s  %.0f rows/s\n", cli, request.rows / cli);
    std::printf("request / QSqlQuery       %.2f\n", request.seconds / raw);
    if (cli > 0)
        std::printf("request / sqlite3 -csv    %.2f  (target <= 1.5)\n", request.seconds / cli);
    std::printf("rs + VectRs held          %.0f bytes/row  (target <= 1024)\n",
                double(request.heldBytes) / double(request.rows));
    std::printf("peak during the request   %.0f bytes/row\n",
                double(request.peakBytes) / double(request.rows));
    if (parser.isSet(QStringLiteral("xlsx")))
        benchXlsx(request);
    if (parser.isSet(QStringLiteral("varo-report")))
        compareProgram(path, request.heldBytes, request.rows);
    return 0;
}
