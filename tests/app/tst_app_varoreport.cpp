// The built varo-report program, run as a person or a script runs it, on real SQLite files:
// exit statuses, the one-line errors, the JSON and table output of real requests, and the
// answers given to the dialogs of a run.

#include "common/testsupport.h"
#include "platform/ado.h"
#include "stringlists.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using varo::test::strings;

namespace
{

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// The whole output, or a part of it when `out` starts with "…".
void verifyOutcome(const Outcome &o, int status, const QString &out, const QString &err)
{
    QCOMPARE(o.err, err);
    QCOMPARE(o.status, status);
    if (out.startsWith(u'…'))
        QVERIFY2(o.out.contains(out.mid(1)), qPrintable(o.out));
    else
        QCOMPARE(o.out, out);
}

} // namespace

class TestVaroReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void help();
    void usageErrors_data();
    void usageErrors();
    void unopenableDatabase_data();
    void unopenableDatabase();
    void rptXSteps();
    void demoDatabase();
    void missingReport_data();
    void missingReport();
    void unknownControl();
    void filterPluginReport_data();
    void filterPluginReport();
    void filterPluginCancelled();
    void answerThatDoesNotFit_data();
    void answerThatDoesNotFit();
    void conditionReport_data();
    void conditionReport();
    void screenshot();
    void keywordReport_data();
    void keywordReport();

private:
    Outcome run(const QStringList &args);
    QString db() const { return QStringLiteral("sqlite://") + m_demoPath; }
    QStringList southMarchAnswers() const;
    QStringList detailAnswers() const;
    QStringList settings() const { return {QStringLiteral("--settings"), m_settingsPath}; }

    QString m_program;
    QTemporaryDir m_dir;
    QString m_demoPath;
    QString m_emptyPath;
    QString m_sortPath; // the demo with a sort rule keyword in CUSTOMER_SALES's template
    QString m_settingsPath;
};

Outcome TestVaroReport::run(const QStringList &args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display: the program must go headless by itself.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir.path());
    process.start(m_program, args);
    Outcome o;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        o.err = QStringLiteral("varo-report did not finish: ") + args.join(u' ');
        return o;
    }
    o.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    o.out = QString::fromUtf8(process.readAllStandardOutput());
    o.err = QString::fromUtf8(process.readAllStandardError());
    return o;
}

void TestVaroReport::initTestCase()
{
    // The program is built next to this test.
    m_program = QCoreApplication::applicationDirPath() + QStringLiteral("/varo-report");
    QVERIFY2(QFileInfo(m_program).isExecutable(), qPrintable(m_program));
    QVERIFY(m_dir.isValid());
    m_demoPath = m_dir.filePath(QStringLiteral("demo.db"));
    m_emptyPath = m_dir.filePath(QStringLiteral("empty.db"));
    m_settingsPath = m_dir.filePath(QStringLiteral("settings.ini"));
    QFile empty(m_emptyPath);
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    // A relative path, as a person types it.
    const Outcome o = run({QStringLiteral("demo-db"), QStringLiteral("demo.db")});
    QVERIFY2(o.status == 0, qPrintable(o.err));
    QCOMPARE(o.err, QString());
    QVERIFY2(o.out.startsWith(
                 QStringLiteral("created the demo database %1 with these reports:\n").arg(db())),
             qPrintable(o.out));
    m_sortPath = m_dir.filePath(QStringLiteral("sort.db"));
    QVERIFY(QFile::copy(m_demoPath, m_sortPath));
    varo::Connection::open(QStringLiteral("sqlite://") + m_sortPath)
        .Execute(QStringLiteral("update T_RepSql set FRepSql = FRepSql || ', #FSortRule#' "
                                "where FRepKey = 'CUSTOMER_SALES'"));
}

void TestVaroReport::help()
{
    const Outcome o = run({QStringLiteral("--help")});
    QCOMPARE(o.status, 0);
    QVERIFY(o.out.startsWith(QLatin1String("Usage:\n  varo-report run [options] STEP...\n")));
    QCOMPARE(o.err, QString());
}

void TestVaroReport::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << strings() << "no command given";
    QTest::newRow("unknown option")
        << strings("run", "--db", "x.db", "--fast", "K") << "unknown option --fast";
    QTest::newRow("missing --db") << strings("run", "K") << "--db URL is missing";
    QTest::newRow("no step") << strings("run", "--db", "x.db") << "no STEP given";
    QTest::newRow("bad format") << strings("run", "--db", "x.db", "--format", "yaml", "K")
                                << "unknown --format yaml (json, table or csv)";
    QTest::newRow("malformed answer") << strings("run", "--db", "x.db", "--answer", "txtA", "K")
                                      << "malformed --answer txtA (expected NAME=VALUE)";
}

void TestVaroReport::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Outcome o = run(args);
    QCOMPARE(o.status, 2);
    QCOMPARE(o.out, QString());
    QCOMPARE(o.err, QStringLiteral("varo-report: %1\nTry 'varo-report --help'.\n").arg(message));
}

void TestVaroReport::unopenableDatabase_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("url");
    QTest::newRow("missing SQLite file")
        << strings("run", "--db", "sqlite:///no/such/dir/x.db", "K")
        << "sqlite:///no/such/dir/x.db";
    QTest::newRow("relative SQLite path")
        << strings("run", "--db", "nothere.db", "K")
        << QStringLiteral("sqlite://") + m_dir.filePath(QStringLiteral("nothere.db"));
    QTest::newRow("unknown kind of URL")
        << strings("run", "--db", "mysql://h/d", "K") << "mysql://h/d";
    QTest::newRow("PostgreSQL server not there")
        << strings("run", "--db", "postgresql://nobody@127.0.0.1:1/none", "K")
        << "postgresql://nobody@127.0.0.1:1/none";
    QTest::newRow("business connection")
        << strings("run", "--db", m_emptyPath, "--data-db", "sqlite:///no/data.db", "K")
        << "sqlite:///no/data.db";
    QTest::newRow("list") << strings("list", "--db", "sqlite:///no/such.db")
                          << "sqlite:///no/such.db";
}

void TestVaroReport::unopenableDatabase()
{
    QFETCH(QStringList, args);
    QFETCH(QString, url);
    const Outcome o = run(args.first() == QLatin1String("run") ? args + settings() : args);
    QCOMPARE(o.status, 1);
    QCOMPARE(o.out, QString());
    // One clear line that names the URL.
    QVERIFY2(o.err.startsWith(QStringLiteral("varo-report: cannot open connection %1: ").arg(url)),
             qPrintable(o.err));
    QCOMPARE(o.err.count(u'\n'), 1);
    QVERIFY(o.err.endsWith(u'\n'));
}

// rptX's steps, each a JSON line that ends with the progress window's texts.
void TestVaroReport::rptXSteps()
{
    const Outcome o =
        run(strings("run", "--db", db(), "--object", "rptX", "--format", "json") + settings() +
            detailAnswers() + strings("SALES_DETAIL", ":refresh", ":reload", ":filter"));
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    const QStringList lines = o.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    const QString loaded =
        QStringLiteral(R"j(,"progress":["正在连接服务器","正在从服务器读取数据..."]})j");
    const QStringList starts{
        R"j({"step":"SALES_DETAIL","returned":true,"RptKey":"SALES_DETAIL","RptID":1001,)j",
        R"j({"step":":refresh","returned":null,)j", R"j({"step":":reload","returned":false,)j",
        R"j({"step":":filter","returned":true,)j"};
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(lines.at(i).startsWith(starts.at(i)), qPrintable(lines.at(i)));
        // The filter step loads nothing: no progress window.
        QVERIFY2(lines.at(i).endsWith(i == 3 ? QStringLiteral(R"j(,"progress":[]})j") : loaded),
                 qPrintable(lines.at(i)));
        QVERIFY(lines.at(i).contains(QStringLiteral(R"j("RptType":1)j")));
    }
}

void TestVaroReport::demoDatabase()
{
    const Outcome o = run({QStringLiteral("list"), QStringLiteral("--db"), m_demoPath});
    QCOMPARE(o.status, 0);
    QCOMPARE(o.err, QString());
    const QStringList lines = o.out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 6, qPrintable(o.out));
    QVERIFY(lines.first().startsWith(QLatin1String("FRepKey ")));
    QVERIFY(lines.first().endsWith(QLatin1String(" route")));
    // Every route appears, each report on a line of its own with its route last.
    auto routeOf = [&](const QString &key) {
        for (const QString &line : lines) {
            if (line.startsWith(key + u' '))
                return line.section(QStringLiteral("  "), -1).trimmed();
        }
        return QString();
    };
    QCOMPARE(routeOf(QStringLiteral("SALES_SUMMARY")), QStringLiteral("filter plug-in"));
    QCOMPARE(routeOf(QStringLiteral("SALES_BY_REGION")), QStringLiteral("report plug-in"));
    QCOMPARE(routeOf(QStringLiteral("SALES_DETAIL")), QStringLiteral("condition template"));
    QCOMPARE(routeOf(QStringLiteral("CUSTOMER_SALES")), QStringLiteral("keyword"));
    QCOMPARE(routeOf(QStringLiteral("SALESMAN_SALES")), QStringLiteral("report plug-in"));

    // The demo never overwrites a database.
    const Outcome again = run({QStringLiteral("demo-db"), m_demoPath});
    QCOMPARE(again.status, 1);
    QVERIFY2(again.err.contains(m_demoPath), qPrintable(again.err));
}

void TestVaroReport::missingReport_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("out");
    QTest::newRow("json")
        << "json"
        << QStringLiteral("{\"step\":\"NO_SUCH\",\"returned\":false,\"RptKey\":\"NO_SUCH\","
                          "\"RptID\":0,\"Result\":{},\"Title\":null,\"Header\":null,"
                          "\"Property\":null,\"VectRs\":null,\"messages\":[{\"text\":"
                          "\"报表不存在!\",\"icon\":\"information\",\"title\":\"沐岩提示\"}]}\n");
    QTest::newRow("table") << "table"
                           << QStringLiteral("step NO_SUCH: returned false\n"
                                             "message (information) 沐岩提示: 报表不存在!\n");
    QTest::newRow("csv") << "csv" << QString();
}

void TestVaroReport::missingReport()
{
    QFETCH(QString, format);
    QFETCH(QString, out);
    const Outcome o = run(strings("run", "--db", db(), "--format", format, "NO_SUCH") + settings());
    QVERIFY2(o.status == 0, qPrintable(o.err));
    QCOMPARE(o.out, out);
    if (format == QLatin1String("csv"))
        QCOMPARE(o.err, QStringLiteral("varo-report: NO_SUCH: message (information) 沐岩提示: "
                                       "报表不存在!\nvaro-report: step NO_SUCH: returned false\n"));
    else
        QCOMPARE(o.err, QString());
}

void TestVaroReport::unknownControl()
{
    // No dialog opens for a missing report, so no dialog has the control: a typo must not pass.
    const Outcome o =
        run(strings("run", "--db", db(), "--answer", "txtNothing=1", "NO_SUCH") + settings());
    QCOMPARE(o.status, 2);
    QVERIFY(o.out.startsWith(QLatin1String("{\"step\":\"NO_SUCH\",\"returned\":false,")));
    QCOMPARE(o.err, QStringLiteral("varo-report: no control named txtNothing in the dialog\n"));
}

QStringList TestVaroReport::southMarchAnswers() const
{
    return strings("--answer", "dtpFrom=2024-03-01", "--answer", "dtpTo=2024-03-10", "--answer",
                   "cmbRegion=华南", "--answer", "cmbGroup=按商品");
}

void TestVaroReport::filterPluginReport_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QString>("out");
    // The filter plug-in's dialog is answered, the report plug-in sums the orders of the
    // southern region in early March 2024 by item.
    const QString json = QString::fromUtf8(
        R"j({"step":"SALES_SUMMARY","returned":true,"RptKey":"SALES_SUMMARY",)j"
        R"j("RptID":1,"Result":{"OK":true,"Error":""},"Title":[)j"
        R"j({"FCaption":"日期：2024-03-01 至 2024-03-10","FIndex":0},)j"
        R"j({"FCaption":"区域：华南","FIndex":1},)j"
        R"j({"FCaption":"汇总方式：按商品","FIndex":2}],"Header":[)j"
        R"j({"FColCaption":"商品代码","FHeadSecond":"商品","FColType":"C","FColName":"FItemNumber","FVisible":1},)j"
        R"j({"FColCaption":"商品名称","FHeadSecond":"商品","FColType":"C","FColName":"FItemName","FVisible":1},)j"
        R"j({"FColCaption":"类别","FHeadSecond":"商品","FColType":"C","FColName":"FCategory","FVisible":1},)j"
        R"j({"FColCaption":"单位","FHeadSecond":"商品","FColType":"C","FColName":"FUnit","FVisible":1},)j"
        R"j({"FColCaption":"数量","FHeadSecond":"销售","FColType":"N","FColName":"FQty","FVisible":1},)j"
        R"j({"FColCaption":"金额","FHeadSecond":"销售","FColType":"N","FColName":"FAmount","FVisible":1}],)j"
        R"j("Property":{"FRepKey":"SALES_SUMMARY","FRepName":"销售汇总表",)j"
        R"j("FRepDesc":"按客户或按商品汇总销售数量与金额，由过滤插件选择日期、区域和汇总方式",)j"
        R"j("FRepCategory":"销售","FRepFormWid":"900","FRepFormHei":"600","FRepType":"1",)j"
        R"j("Name":"销售汇总表","RptProperty":4,"DetailRptID":1075,"bLongNumber":true,)j"
        R"j("MegerCol":0,"MegerType":0},"VectRs":[)j"
        R"j({"FItemNumber":"A01","FItemName":"中性笔(黑)","FCategory":"文具","FUnit":"盒","FItemID":"1","FQty":"37","FAmount":"888"},)j"
        R"j({"FItemNumber":"A03","FItemName":"自动铅笔","FCategory":"文具","FUnit":"盒","FItemID":"3","FQty":"35","FAmount":"1260"},)j"
        R"j({"FItemNumber":"A05","FItemName":"订书机","FCategory":"文具","FUnit":"个","FItemID":"5","FQty":"88","FAmount":"1584"},)j"
        R"j({"FItemNumber":"A06","FItemName":"订书钉","FCategory":"文具","FUnit":"盒","FItemID":"6","FQty":"20","FAmount":"100"},)j"
        R"j({"FItemNumber":"A20","FItemName":"投影仪","FCategory":"办公设备","FUnit":"台","FItemID":"20","FQty":"4","FAmount":"11920"}],)j"
        R"j("messages":[]})j"
        "\n");
    QTest::newRow("json") << "json" << QStringList() << json;
    // The business data on a connection of its own to the same file gives the same report.
    QTest::newRow("json, --data-db") << "json" << strings("--data-db", db()) << json;
    QTest::newRow("table") << "table" << QStringList()
                           << QString::fromUtf8(
                                  "step SALES_SUMMARY: returned true\n"
                                  "日期：2024-03-01 至 2024-03-10\n"
                                  "区域：华南\n"
                                  "汇总方式：按商品\n"
                                  "商品代码  商品名称    类别      单位  数量  金额\n"
                                  "商品      商品        商品      商品  销售  销售\n"
                                  "A01       中性笔(黑)  文具      盒    37    888\n"
                                  "A03       自动铅笔    文具      盒    35    1260\n"
                                  "A05       订书机      文具      个    88    1584\n"
                                  "A06       订书钉      文具      盒    20    100\n"
                                  "A20       投影仪      办公设备  台    4     11920\n");
    QTest::newRow("csv") << "csv" << QStringList()
                         << QString::fromUtf8("商品代码,商品名称,类别,单位,数量,金额\r\n"
                                              "A01,中性笔(黑),文具,盒,37,888\r\n"
                                              "A03,自动铅笔,文具,盒,35,1260\r\n"
                                              "A05,订书机,文具,个,88,1584\r\n"
                                              "A06,订书钉,文具,盒,20,100\r\n"
                                              "A20,投影仪,办公设备,台,4,11920\r\n");
}

void TestVaroReport::filterPluginReport()
{
    QFETCH(QString, format);
    QFETCH(QStringList, extra);
    QFETCH(QString, out);
    const Outcome o = run(strings("run", "--db", db(), "--format", format) + extra + settings() +
                          southMarchAnswers() + strings("SALES_SUMMARY"));
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    QCOMPARE(o.out, out);
}

void TestVaroReport::filterPluginCancelled()
{
    // Two steps on one object: the first request is cancelled, the second finds no report.
    const Outcome o =
        run(strings("run", "--db", db(), "--cancel", "SALES_SUMMARY", "NO_SUCH") + settings());
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    QCOMPARE(o.out,
             QString::fromUtf8(
                 R"j({"step":"SALES_SUMMARY","returned":false,"RptKey":"SALES_SUMMARY",)j"
                 R"j("RptID":1,"Result":{},"Title":null,"Header":null,"Property":null,)j"
                 R"j("VectRs":null,"messages":[]})j"
                 "\n"
                 R"j({"step":"NO_SUCH","returned":false,"RptKey":"NO_SUCH","RptID":1,)j"
                 R"j("Result":{},"Title":null,"Header":null,"Property":null,"VectRs":null,)j"
                 R"j("messages":[{"text":"报表不存在!","icon":"information","title":"沐岩提示"}]})j"
                 "\n"));
}

void TestVaroReport::answerThatDoesNotFit_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("err");
    QTest::newRow("no such item") << QStringLiteral("cmbRegion=火星")
                                  << QStringLiteral("varo-report: cannot answer cmbRegion with "
                                                    "\"火星\": no item \"火星\"\n");
    QTest::newRow("a plain date cannot be empty")
        << "dtpTo="
        << "varo-report: cannot answer dtpTo with \"\": this date control cannot be empty\n";
    QTest::newRow("misspelt control") << "cmbregion=华南"
                                      << "varo-report: no control named cmbregion in the dialog\n";
}

void TestVaroReport::answerThatDoesNotFit()
{
    QFETCH(QString, answer);
    QFETCH(QString, err);
    const Outcome o =
        run(strings("run", "--db", db(), "--answer", answer, "SALES_SUMMARY") + settings());
    QCOMPARE(o.status, 2);
    QCOMPARE(o.err, err);
    // The step ran (and was cancelled or confirmed); its line is there.
    QVERIFY2(o.out.startsWith(QLatin1String("{\"step\":\"SALES_SUMMARY\",")), qPrintable(o.out));
    QCOMPARE(o.out.count(u'\n'), 1);
}

void TestVaroReport::keywordReport_data()
{
    QTest::addColumn<bool>("sortRule"); // run on the demo whose template has #FSortRule#
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // the whole output, or a part of it that starts with "…"
    QTest::addColumn<QString>("err");
    const QStringList dates = strings("--answer", "keyword:#DATEFROM#=2024-05-20", "--answer",
                                      "keyword:#DATETO#=2024/05/21");
    const QString table =
        QString::fromUtf8("客户代码  客户名称              区域  订单数  数量  金额\n"
                          "客户      客户                  客户  销售    销售  销售\n"
                          "C034      杭州宏远贸易有限公司  华东  1       35    3506\n"
                          "C040      北京华盛贸易有限公司  华北  1       12    1230\n"
                          "--------  --------------------  ----  ------  ----  ----\n"
                          "合计：                                2       47    4736\n");
    QTest::newRow("answered")
        << false
        << strings("--format", "table", "--answer", "title:#DATEFROM#=1") + dates +
               strings("--answer", "keyword:#REGION#=华东", "--answer", "title:#REGION#=1")
        << 0
        << QString::fromUtf8("step CUSTOMER_SALES: returned true\n"
                             "开始日期: 2024/05/20\n"
                             "区域: 华东\n"
                             "客户代码  客户名称              区域  订单数  数量  金额\n"
                             "客户      客户                  客户  销售    销售  销售\n"
                             "C034      杭州宏远贸易有限公司  华东  1       35    3506\n"
                             "--------  --------------------  ----  ------  ----  ----\n"
                             "合计：                                1       35    3506\n")
        << "";
    QTest::newRow("unknown keyword")
        << false << strings("--answer", "keyword:#NOPE#=1") << 2
        << "…\"returned\":false,\"RptKey\":\"CUSTOMER_SALES\",\"RptID\":4,\"Result\":{\"OK\":false}"
           ","
        << "varo-report: cannot answer keyword:#NOPE#=1: the keyword grid has no keyword #NOPE#\n";
    QTest::newRow("title flag other than 1 or 0")
        << false << strings("--answer", "title:#DATETO#=yes") << 2 << "…\"returned\":false,"
        << "varo-report: cannot answer title:#DATETO#=yes: a title flag takes 1 or 0\n";
    // The dialog refuses an empty sort rule; the refusal is recorded, then Cancel ends it.
    QTest::newRow("sort rule missing")
        << true << dates << 0
        << QString::fromUtf8(
               R"j({"step":"CUSTOMER_SALES","returned":false,"RptKey":"CUSTOMER_SALES",)j"
               R"j("RptID":4,"Result":{"OK":false},"Title":null,"Header":null,)j"
               R"j("Property":null,"VectRs":null,)j"
               R"j("messages":[{"text":"请输入排序规则。","icon":"none","title":""}]})j"
               "\n")
        << "";
    QTest::newRow("sort rule given")
        << true
        << strings("--format", "table", "--answer", "keyword:#FSortRule#=c.FName desc") + dates << 0
        << QStringLiteral("step CUSTOMER_SALES: returned true\n") + table << "";
}

void TestVaroReport::keywordReport()
{
    QFETCH(bool, sortRule);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    // Each case starts with nothing remembered.
    const QString remembered = m_dir.filePath(QStringLiteral("keywords.ini"));
    QFile::remove(remembered);
    const QString database = QStringLiteral("sqlite://") + (sortRule ? m_sortPath : m_demoPath);
    const Outcome o = run(strings("run", "--db", database, "--settings", remembered) + args +
                          strings("CUSTOMER_SALES"));
    verifyOutcome(o, status, out, err);
}

QStringList TestVaroReport::detailAnswers() const
{
    return strings("--answer", "DtpBDate0=2024-05-20", "--answer", "DtpEDate0=2024-05-21",
                   "--answer", "txtItemf0=A01", "--answer", "txtItemt0=A30", "--answer",
                   "txtItemf1=C001", "--answer", "txtItemt1=C040", "--answer", "cmb0=单号");
}

void TestVaroReport::conditionReport_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // the whole output, or a part of it that starts with "…"
    QTest::addColumn<QString>("err");

    QTest::newRow("answered")
        << strings("--format", "table") + detailAnswers() << 0
        << QString::fromUtf8(
               "step SALES_DETAIL: returned true\n"
               "日期从2024-05-20\n"
               "到2024-05-21\n"
               "商品代码从A01到A30\n"
               "客户代码从C001到C040\n"
               "单号         日期        客户名称              区域  业务员  商品代码  商品名称  "
               "单位  数量  单价  金额\n"
               "订单         订单        客户                  客户          商品      商品      "
               "商品  销售  销售  销售\n"
               "SO2024-0145  2024-05-20  北京华盛贸易有限公司  华北  黄强    A21       无线鼠标  "
               "个    10    59    590\n"
               "SO2024-0145  2024-05-20  北京华盛贸易有限公司  华北  黄强    A18       装订机    "
               "台    2     320   640\n"
               "SO2024-0146  2024-05-20  杭州宏远贸易有限公司  华东  王芳    A18       装订机    "
               "台    3     320   960\n"
               "SO2024-0146  2024-05-20  杭州宏远贸易有限公司  华东  王芳    A12       笔记本    "
               "本    21    6     126\n"
               "SO2024-0146  2024-05-20  杭州宏远贸易有限公司  华东  王芳    A25       硒鼓      "
               "个    11    220   2420\n"
               "-----------  ----------  --------------------  ----  ------  --------  --------  "
               "----  ----  ----  ----\n"
               "合计：                                                                          "
               "       47          4736\n")
        << "";
    // An empty answer leaves the "to" date open: its title line has no date.
    QTest::newRow("open date")
        << strings("--answer", "DtpBDate0=2024-06-29", "--answer", "DtpEDate0=") << 0
        << QString::fromUtf8("…\"Title\":[{\"Findex\":0,\"FCaption\":\"日期从2024-06-29\"},"
                             "{\"Findex\":1,\"FCaption\":\"到\"},")
        << "";
    QTest::newRow("cancelled")
        << strings("--cancel") << 0
        << QString::fromUtf8(R"j({"step":"SALES_DETAIL","returned":false,"RptKey":"SALES_DETAIL",)j"
                             R"j("RptID":3,"Result":{},"Title":null,"Header":null,)j"
                             R"j("Property":null,"VectRs":null,"messages":[]})j"
                             "\n")
        << "";
    QTest::newRow("a row the dialog does not have")
        << strings("--answer", "txtItemf2=X") << 2 << "…\"returned\":true,"
        << "varo-report: no control named txtItemf2 in the dialog\n";
}

void TestVaroReport::conditionReport()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Outcome o =
        run(strings("run", "--db", db()) + settings() + args + strings("SALES_DETAIL"));
    verifyOutcome(o, status, out, err);
}

void TestVaroReport::screenshot()
{
    const QString picture = m_dir.filePath(QStringLiteral("dialog.png"));
    const Outcome o = run(strings("run", "--db", db(), "--screenshot", picture) + settings() +
                          detailAnswers() + strings("SALES_DETAIL"));
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    const QImage image(picture);
    // The dialog's client area: 6480 by 5940 twips.
    QCOMPARE(image.size(), QSize(432, 396));
}

VARO_TEST_MAIN(TestVaroReport)
#include "tst_app_varoreport.moc"
