// Measures a FuncReport request once its filter is known (template expansion, the trial run,
// the open, row records with totals, properties and header) on a report of N rows of ten
// columns, against the database's own command line writing the same query as CSV: sqlite3 -csv
// on a SQLite file and, with --postgres, psql's \copy on the PostgreSQL server that
// scripts/with-postgres starts (VARO_TEST_PG_URL). Prints the times, the ratios, and the memory
// that rs and VectRs hold per row. With --varo-report it also runs the varo-report program built
// beside it on the same report (`run --format csv`, FuncReport and rptX, the condition dialog
// answered) and compares the peak resident memory of the whole process with what rs and VectRs
// hold, and its time with the command line's. With --xlsx it exports the first database's result
// to an XLSX file and prints cells per second of wall and of processor time, and the memory the
// export takes beyond the result.
//
//   bench_request [--rows N] [--file PATH] [--varo-report] [--postgres] [--xlsx]
//   (N defaults to 100000; PATH is made when missing, the PostgreSQL table on every run)

#include "engine/requestsupport.h"
#include "engine/resultshaping.h"
#include "engine/templateexpansion.h"
#include "export/exporter.h"
#include "platform/ado.h"
#include "shared/modglobal.h"
#include "sqlserverfunctions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// The processor time of this process so far, user and system.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The processor time of another process on this machine (a database server's), or of its
// finished children; 0 when it cannot be read.
double processSeconds(qint64 pid, bool children = false)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command's name: state is the first, utime the twelfth.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const int first = children ? 13 : 11;
    return (fields.value(first).toDouble() + fields.value(first + 1).toDouble()) /
           double(sysconf(_SC_CLK_TCK));
}

// The parent of a process: for a PostgreSQL backend, the server's main process, which is
// accounted the time of the backends that ended.
qint64 parentOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The report's catalogue row, template and header, on either database.
void addCatalogue(Connection &c)
{
    const QStringList ddl = {
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
    c.Execute(QStringLiteral("create table Lines (OrderNo varchar(20), OrderDate varchar(10), "
                             "ShipDate varchar(10), Customer varchar(60), Region varchar(20), "
                             "Item varchar(20), Qty integer, Price double precision, "
                             "Amount double precision, Memo varchar(100))"));
    addCatalogue(c);
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
                             "FProcedure varchar(100))"));
    // The engine adds a column of its own to T_RepFilter: name the ones given here.
    c.Execute(QStringLiteral("insert into T_RepFilter (FRepKey, FIndex, FCaption, FMarkNameFrom, "
                             "FFilterFrom, FTo, FCtrlType) select 'BENCH', 1, '日期从', "
                             "'DATEFROM', '''?''', '到', 'DTP' where not exists (select 1 from "
                             "T_RepFilter where FRepKey = 'BENCH')"));
    c.Execute(QStringLiteral("insert into ICReport select 1, 'BENCH' where not exists (select 1 "
                             "from ICReport where FInterID = 1)"));
}

// One run of a program: its time, and its peak resident memory as the kernel accounts it for
// the finished child. Its output goes to /dev/null; a run that ends with another status than
// the one expected stops the benchmark.
struct ProgramRun {
    double seconds = 0;
    qint64 peakBytes = 0;
    double cpuSeconds = 0;    // of the program
    double serverSeconds = 0; // of the database server's process for it, where there is one
};

ProgramRun runProgram(const QString &program, const QStringList &args, int expectedStatus = 0)
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
    QElapsedTimer timer;
    timer.start();
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
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return {timer.nsecsElapsed() / 1e9, qint64(usage.ru_maxrss) * 1024, // ru_maxrss in KB
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// The fastest of a few runs, so that a moment of other work on the machine counts less.
template <typename Run> auto fastest(int runs, Run run)
{
    auto best = run();
    for (int i = 1; i < runs; ++i) {
        auto next = run();
        if (next.seconds < best.seconds)
            best = next;
    }
    return best;
}

// A database as the benchmark uses it: the request's connection, what varo-report is given,
// and the database's own command line writing the query as CSV.
struct Database {
    QString name;
    QString url;
    QString cliName;
    QString cli; // the program; empty when it is not installed
    QStringList cliArgs;
};

// Runs the program on the report, each object in a process of its own, and once on a report that
// does not exist (status 3) for what the process costs by itself.
void compareProgram(const Database &db, qint64 heldBytes, qsizetype rows, double cliSeconds,
                    int runs)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/varo-report");
    QTemporaryDir dir;
    const QStringList run{QStringLiteral("run"),
                          QStringLiteral("--db"),
                          db.url,
                          QStringLiteral("--settings"),
                          dir.filePath(QStringLiteral("settings.ini")),
                          QStringLiteral("--format"),
                          QStringLiteral("csv")};
    const QStringList answer{QStringLiteral("--answer"), QStringLiteral("DtpBDate0=2000-01-01")};
    std::printf("%s: varo-report run --format csv, peak resident memory of the process:\n",
                qPrintable(db.name));
    const ProgramRun alone = runProgram(program, run + QStringList{QStringLiteral("NO_SUCH")}, 3);
    std::printf(
        "  nothing loaded            %.0f MB  (the benchmark holds %.0f MB as it starts them)\n",
        alone.peakBytes / 1e6, statusBytes("VmRSS:") / 1e6);
    for (const QString &object : {QStringLiteral("FuncReport"), QStringLiteral("rptX")}) {
        const ProgramRun r = fastest(runs, [&] {
            return runProgram(program,
                              run + answer + QStringList{QStringLiteral("--object"), object, kKey});
        });
        std::printf("  %-24s  %.0f MB  %.0f bytes/row  %.2f x rs + VectRs held  (target <= 1.3)",
                    qPrintable(object), r.peakBytes / 1e6, double(r.peakBytes) / double(rows),
                    double(r.peakBytes) / double(heldBytes));
        if (cliSeconds > 0)
            std::printf("  %.3f s, %.2f x %s", r.seconds, r.seconds / cliSeconds,
                        qPrintable(db.cliName));
        std::printf("\n");
    }
}

struct Figures {
    double seconds = 0;
    qint64 heldBytes = 0;
    qint64 peakBytes = 0;
    qsizetype rows = 0;
    Vector title, header, vectRs;
    double cpuSeconds = 0;    // of this process
    double serverSeconds = 0; // of the server's process for the connection, if any
};

Figures runRequest(Connection &conn, qint64 serverPid)
{
    gLocConn() = conn;
    gSqlConn() = conn;
    ReportState state;
    state.RptKey = kKey;
    malloc_trim(0);
    const qint64 before = statusBytes("VmRSS:");
    resetPeak();
    const double cpuBefore = cpuSeconds();
    const double serverBefore = processSeconds(serverPid);
    QElapsedTimer timer;
    timer.start();
    Dictionary values = Dictionary::create();
    values.set(QStringLiteral("strFilter"), QStringLiteral("DATEFROM|'2000-01-01'"));
    const QString sql = ExpandFilterSql(values, kKey);
    if (!ValidateSql(sql))
        qFatal("the report SQL does not run: %s", qPrintable(sql));
    const qint64 checked = timer.nsecsElapsed();
    state.VectRs = OpenRowVector(state.rs, sql, kKey);
    const qint64 built = timer.nsecsElapsed();
    if (!LoadProperties(state, kKey) || !LoadHeader(state))
        qFatal("properties or header failed");
    std::fprintf(stderr, "phases: expand+trial %.3f s, open+rows %.3f s, rest %.3f s\n",
                 checked / 1e9, (built - checked) / 1e9, (timer.nsecsElapsed() - built) / 1e9);
    Figures f;
    f.seconds = timer.nsecsElapsed() / 1e9;
    f.cpuSeconds = cpuSeconds() - cpuBefore;
    f.serverSeconds = processSeconds(serverPid) - serverBefore;
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
    const double cpuBefore = cpuSeconds();
    const QString problem = exporting::exportReports({table}, exporting::ExportFormat::Xlsx, path);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    if (!problem.isEmpty())
        qFatal("the export failed: %s", qPrintable(problem));
    const qint64 peak = statusBytes("VmHWM:");
    const double cells = double(table.rowCount()) * double(table.columns().size());
    std::printf("xlsx export               %.3f s  %.0f cells/s  (target >= 1000000)  %.0f MB\n",
                seconds, cells / seconds, QFileInfo(path).size() / 1e6);
    // On a machine shared with other work the processor time says what an idle one would take.
    std::printf("xlsx processor time       %.3f s  %.0f cells/s\n", cpu, cells / cpu);
    std::printf("xlsx peak over the result %.1f MB  (process peak %.0f MB)\n",
                (peak - before) / 1e6, peak / 1e6);
}

// The request and the command line on one database, with the ratio and the memory held. Their
// runs alternate, so that other work on the machine weighs on both alike; the fastest counts.
// The processor times say where the time goes: on a machine with a core for each, the request
// takes about the longer of its own and its server's.
Figures measure(const Database &db, int runs, bool requestOnly)
{
    Connection conn = Connection::open(db.url);
    addDialogDefinitions(conn);
    qint64 serverPid = 0;
    if (db.name == QLatin1String("PostgreSQL"))
        serverPid = conn.Execute(QStringLiteral("select pg_backend_pid()")).value(0).toLongLong();
    const qint64 postmaster = parentOf(serverPid);
    ProgramRun cli{-1, 0};
    Figures request;
    for (int i = 0; i < (requestOnly ? 1 : runs); ++i) {
        if (!requestOnly && !db.cli.isEmpty()) {
            const double serverBefore = processSeconds(postmaster, true);
            ProgramRun r = runProgram(db.cli, db.cliArgs);
            QThread::msleep(100); // the server's process for it ends after the program
            r.serverSeconds = processSeconds(postmaster, true) - serverBefore;
            if (cli.seconds < 0 || r.seconds < cli.seconds)
                cli = r;
        }
        const Figures r = runRequest(conn, serverPid);
        if (i == 0 || r.seconds < request.seconds)
            request = r;
    }
    const QByteArray name = db.name.toUtf8();
    const auto times = [serverPid](double cpu, double server) {
        return serverPid ? QStringLiteral("  (processor: %1 s here, %2 s server)")
                               .arg(cpu, 0, 'f', 3)
                               .arg(server, 0, 'f', 3)
                         : QStringLiteral("  (processor: %1 s)").arg(cpu, 0, 'f', 3);
    };
    std::printf("%s: rows                    %lld\n", name.constData(), qint64(request.rows));
    std::printf("%s: request                 %.3f s  %.0f rows/s%s\n", name.constData(),
                request.seconds, request.rows / request.seconds,
                qPrintable(times(request.cpuSeconds, request.serverSeconds)));
    if (cli.seconds > 0) {
        std::printf("%s: %-22s  %.3f s  %.0f rows/s%s\n", name.constData(), qPrintable(db.cliName),
                    cli.seconds, request.rows / cli.seconds,
                    qPrintable(times(cli.cpuSeconds, cli.serverSeconds)));
        std::printf("%s: request / %-12s  %.2f  (target <= 1.5)\n", name.constData(),
                    qPrintable(db.cliName), request.seconds / cli.seconds);
    }
    std::printf("%s: rs + VectRs held        %.0f bytes/row\n", name.constData(),
                double(request.heldBytes) / double(request.rows));
    std::printf("%s: peak during request     %.0f bytes/row\n", name.constData(),
                double(request.peakBytes) / double(request.rows));
    Figures f = request;
    f.seconds = cli.seconds; // what varo-report's time compares with
    return f;
}

Database sqliteDatabase(const QString &path)
{
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    return {QStringLiteral("SQLite"), QStringLiteral("sqlite://") + path,
            QStringLiteral("sqlite3 -csv"), sqlite3,
            QStringList{QStringLiteral("-csv"), path, kQuery}};
}

// The server's own database for the benchmark, made with its table of N rows when missing.
// The rows come from the server itself, which makes a million of them in seconds; the types are
// its own: dates, an integer, a float and a numeric.
Database postgresDatabase(const QString &serverUrl, int rows)
{
    const QString name = QStringLiteral("varo_bench_%1").arg(rows);
    QUrl url(serverUrl);
    url.setPath(u'/' + name);
    Connection server = Connection::open(serverUrl);
    if (server.Execute(QStringLiteral("select 1 from pg_database where datname = '%1'").arg(name))
            .atEOF()) {
        std::fprintf(stderr, "building %s with %d rows...\n", qPrintable(name), rows);
        server.Execute(QStringLiteral("create database %1").arg(name));
        Connection c = Connection::open(url.toString());
        for (const QString &statement : demo::postgresFunctionStatements())
            c.Execute(statement);
        c.Execute(QStringLiteral(
            "create table Lines (OrderNo varchar(20), OrderDate date, ShipDate date, Customer "
            "varchar(60), Region varchar(20), Item varchar(20), Qty integer, Price double "
            "precision, Amount numeric(14, 2), Memo varchar(100))"));
        addCatalogue(c);
        c.Execute(
            QStringLiteral(
                "insert into Lines select 'SO' || lpad(i::text, 8, '0'), date '2023-01-01' + i "
                "% 730, date '2023-01-04' + i % 730, '客户' || (i::bigint * 7919 % 500), "
                "(array['华东', '华北', '华南', '西部'])[1 + i * 13 % 4], 'A' || lpad((i::bigint "
                "* 31 % 300)::text, 3, '0'), 1 + i * 17 % 50, (100 + i::bigint * 37 % 90000) / "
                "100.0, (1 + i * 17 % 50) * (100 + i::bigint * 37 % 90000) / 100.0, case when i "
                "% 7 = 0 then '加急' else '' end from generate_series(0, %1) i")
                .arg(rows - 1));
        // Settle the new table before anything is timed: hint bits set and visibility known
        // (else the first reader writes the table again), and its pages written out (else the
        // server writes them while the SQLite figures are taken).
        c.Execute(QStringLiteral("vacuum (freeze, analyze) Lines"));
        c.Execute(QStringLiteral("checkpoint"));
    }
    const QString psql = QStandardPaths::findExecutable(QStringLiteral("psql"));
    return {QStringLiteral("PostgreSQL"), url.toString(), QStringLiteral("psql \\copy"), psql,
            QStringList{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"),
                        url.toString(), QStringLiteral("-c"),
                        QStringLiteral("\\copy (%1) to stdout csv").arg(kQuery)}};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures stay when a later run stops the benchmark
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("rows in the report"),
                      QStringLiteral("N"), QStringLiteral("100000")});
    parser.addOption({QStringLiteral("file"), QStringLiteral("SQLite file (made when missing)"),
                      QStringLiteral("PATH")});
    parser.addOption({QStringLiteral("runs"),
                      QStringLiteral("runs of each measure; the fastest counts"),
                      QStringLiteral("N"), QStringLiteral("3")});
    parser.addOption(
        {QStringLiteral("request-only"), QStringLiteral("skip the references (for profiling)")});
    parser.addOption({QStringLiteral("varo-report"),
                      QStringLiteral("also run the varo-report program on the report")});
    parser.addOption({QStringLiteral("xlsx"), QStringLiteral("also export the result to XLSX")});
    parser.addOption({QStringLiteral("postgres"),
                      QStringLiteral("also measure on the PostgreSQL server of VARO_TEST_PG_URL")});
    parser.addOption({QStringLiteral("postgres-only"),
                      QStringLiteral("measure on PostgreSQL alone (for profiling)")});
    parser.process(app);
    const int rows = parser.value(QStringLiteral("rows")).toInt();
    const int runs = qMax(1, parser.value(QStringLiteral("runs")).toInt());
    const bool requestOnly = parser.isSet(QStringLiteral("request-only"));
    const bool postgresOnly = parser.isSet(QStringLiteral("postgres-only"));
    QList<Database> databases;
    if (!postgresOnly) {
        QString path = parser.value(QStringLiteral("file"));
        if (path.isEmpty())
            path = QStringLiteral("/tmp/varo-bench-%1.db").arg(rows);
        if (!QFile::exists(path))
            build(path, rows);
        databases.append(sqliteDatabase(path));
    }
    if (postgresOnly || parser.isSet(QStringLiteral("postgres"))) {
        const QString url = qEnvironmentVariable("VARO_TEST_PG_URL");
        if (url.isEmpty())
            qFatal("no PostgreSQL server: run the benchmark through scripts/with-postgres");
        databases.append(postgresDatabase(url, rows));
    }
    for (const Database &db : databases) {
        const Figures f = measure(db, runs, requestOnly);
        if (parser.isSet(QStringLiteral("xlsx")) && &db == &databases.first())
            benchXlsx(f);
        if (parser.isSet(QStringLiteral("varo-report")))
            compareProgram(db, f.heldBytes, f.rows, f.seconds, runs);
    }
    return 0;
}
