// The command line of varo-report: what each option sets, every usage error, the answer syntax
// with its "kind:" prefix, database arguments as URLs, and when a run is headless.

#include "common/testsupport.h"
#include "options.h"
#include "stringlists.h"

#include <QDir>
#include <QTest>

using varo::test::strings;

using varo::report::Command;
using varo::report::CommandLine;
using varo::report::OutputFormat;

class TestOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usageErrors_data();
    void usageErrors();
    void runOptions();
    void defaults();
    void commands_data();
    void commands();
    void answer_data();
    void answer();
    void databaseUrl_data();
    void databaseUrl();
    void headless_data();
    void headless();
};

void TestOptions::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    const QString db = QStringLiteral("--db=sqlite::memory:");
    QTest::newRow("no command") << strings() << "no command given";
    QTest::newRow("unknown command") << strings("runn") << "unknown command runn";
    QTest::newRow("unknown option")
        << strings("run", db, "--colour", "K") << "unknown option --colour";
    QTest::newRow("single-dash option") << strings("run", db, "-x", "K") << "unknown option -x";
    QTest::newRow("missing --db") << strings("run", "K") << "--db URL is missing";
    QTest::newRow("--db without value")
        << strings("run", "K", "--db") << "option --db needs a value";
    QTest::newRow("no step") << strings("run", db) << "no STEP given";
    QTest::newRow("bad format") << strings("run", db, "--format", "xml", "K")
                                << "unknown --format xml (json, table or csv)";
    QTest::newRow("bad object") << strings("run", db, "--object", "rptY", "K")
                                << "unknown --object rptY (FuncReport or rptX)";
    QTest::newRow("bad rep-type") << strings("run", db, "--rep-type", "2x", "K")
                                  << "--rep-type 2x is not a whole number";
    QTest::newRow("answer without =") << strings("run", db, "--answer", "txtA", "K")
                                      << "malformed --answer txtA (expected NAME=VALUE)";
    QTest::newRow("answer without name") << strings("run", db, "--answer", "=1", "K")
                                         << "malformed --answer =1 (expected NAME=VALUE)";
    QTest::newRow("answer of unknown kind")
        << strings("run", db, "--answer", "cell:A1=1", "K")
        << "malformed --answer cell:A1=1 (unknown kind \"cell:\"; known: keyword:, title:)";
    QTest::newRow("answer of a kind without target")
        << strings("run", db, "--answer", "keyword:=1", "K")
        << "malformed --answer keyword:=1 (the name is empty or has blanks)";
    QTest::newRow("flag with a value")
        << strings("run", db, "--cancel=yes", "K") << "option --cancel takes no value";
    QTest::newRow("method step on FuncReport")
        << strings("run", db, ":refresh") << "step :refresh needs --object rptX";
    QTest::newRow("unknown method step")
        << strings("run", db, "--object", "rptX", ":redo")
        << "unknown step :redo (method steps: :refresh, :reload, :filter)";
    QTest::newRow("empty step") << strings("run", db, "") << "an empty step";
    QTest::newRow("list with a run option")
        << strings("list", db, "--format", "json") << "unknown option --format for list";
    QTest::newRow("list with a step") << strings("list", db, "K") << "unexpected argument K";
    QTest::newRow("list without --db") << strings("list") << "--db URL is missing";
    QTest::newRow("demo-db without path") << strings("demo-db") << "demo-db takes one PATH";
    QTest::newRow("demo-db with two paths")
        << strings("demo-db", "a", "b") << "demo-db takes one PATH";
}

void TestOptions::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QCOMPARE(varo::report::parseCommandLine(args).error, error);
}

void TestOptions::runOptions()
{
    const CommandLine cl = varo::report::parseCommandLine(strings(
        "run", "--db", "sqlite:///d.db", "--data-db=postgresql://u@h:5432/b", "--object", "RPTX",
        "--rep-type", "-3", "--settings", "s.ini", "--plugins", "p1", "--plugins=p2", "--answer",
        "txtItemf0=a=b", "--answer=Dtp1=", "--answer", "keyword:#客户#=C001", "--cancel",
        "--format", "csv", "--headless", "K1", ":reload", "--", "--K2"));
    QVERIFY2(cl.error.isEmpty(), qPrintable(cl.error));
    QCOMPARE(cl.command, Command::Run);
    const auto &o = cl.run;
    QCOMPARE(o.dbUrl, QStringLiteral("sqlite:///d.db"));
    QCOMPARE(o.dataDbUrl, QStringLiteral("postgresql://u@h:5432/b"));
    QCOMPARE(o.object, QStringLiteral("rptX"));
    QCOMPARE(o.repType, -3);
    QCOMPARE(o.settingsFile, QStringLiteral("s.ini"));
    QCOMPARE(o.pluginDirs, strings("p1", "p2"));
    QCOMPARE(o.answers.size(), 3);
    QCOMPARE(o.answers.at(0).target, QStringLiteral("txtItemf0"));
    QCOMPARE(o.answers.at(0).value, QStringLiteral("a=b"));
    QCOMPARE(o.answers.at(1).target, QStringLiteral("Dtp1"));
    QCOMPARE(o.answers.at(1).value, QString());
    QCOMPARE(o.answers.at(2).kind, QStringLiteral("keyword"));
    QCOMPARE(o.answers.at(2).target, QStringLiteral("#客户#"));
    QCOMPARE(o.answers.at(2).value, QStringLiteral("C001"));
    QVERIFY(o.cancel);
    QVERIFY(o.headless);
    QCOMPARE(o.format, std::optional<OutputFormat>(OutputFormat::Csv));
    QCOMPARE(o.steps, strings("K1", ":reload", "--K2"));
}

void TestOptions::defaults()
{
    const CommandLine cl =
        varo::report::parseCommandLine(strings("run", "--db", "sqlite::memory:", "K"));
    QVERIFY2(cl.error.isEmpty(), qPrintable(cl.error));
    QCOMPARE(cl.run.object, QStringLiteral("FuncReport"));
    QCOMPARE(cl.run.repType, -1);
    QVERIFY(cl.run.dataDbUrl.isEmpty());
    QVERIFY(!cl.run.format.has_value());
    QVERIFY(!cl.run.cancel);
    QVERIFY(!cl.run.headless);
    QVERIFY(cl.run.answers.isEmpty());
}

void TestOptions::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Command>("command");
    QTest::newRow("--help") << strings("--help") << Command::Help;
    QTest::newRow("help inside run") << strings("run", "--help") << Command::Help;
    QTest::newRow("list") << strings("list", "--db", "sqlite::memory:") << Command::List;
    QTest::newRow("demo-db") << strings("demo-db", "x.db") << Command::DemoDb;
}

void TestOptions::commands()
{
    QFETCH(QStringList, args);
    QFETCH(Command, command);
    const CommandLine cl = varo::report::parseCommandLine(args);
    QVERIFY2(cl.error.isEmpty(), qPrintable(cl.error));
    QCOMPARE(cl.command, command);
}

void TestOptions::answer_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("value");
    QTest::newRow("control") << "txtItemf0=C001"
                             << ""
                             << "txtItemf0"
                             << "C001";
    QTest::newRow("empty value") << "DtpFrom="
                                 << ""
                                 << "DtpFrom"
                                 << "";
    QTest::newRow("value with = and blanks") << "txtA=a = b"
                                             << ""
                                             << "txtA"
                                             << "a = b";
    QTest::newRow("Chinese value") << QStringLiteral("cmbRegion=华东") << ""
                                   << "cmbRegion" << QStringLiteral("华东");
    QTest::newRow("keyword") << "keyword:#FDate#=2024-01-01"
                             << "keyword"
                             << "#FDate#"
                             << "2024-01-01";
    QTest::newRow("title") << "title:#FDate#=1"
                           << "title"
                           << "#FDate#"
                           << "1";
}

void TestOptions::answer()
{
    QFETCH(QString, text);
    QFETCH(QString, kind);
    QFETCH(QString, target);
    QFETCH(QString, value);
    QString error;
    const auto a = varo::report::parseAnswer(text, &error);
    QVERIFY2(a.has_value(), qPrintable(error));
    QCOMPARE(a->kind, kind);
    QCOMPARE(a->target, target);
    QCOMPARE(a->value, value);
    QCOMPARE(a->text, text);
}

void TestOptions::databaseUrl_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("url");
    QTest::newRow("sqlite URL") << "sqlite:///a/b.db"
                                << "sqlite:///a/b.db";
    QTest::newRow("memory") << "sqlite::memory:"
                            << "sqlite::memory:";
    QTest::newRow("postgresql") << "postgresql://u:p@h:5432/d"
                                << "postgresql://u:p@h:5432/d";
    QTest::newRow("odbc") << "odbc:DSN=x;UID=y"
                          << "odbc:DSN=x;UID=y";
    QTest::newRow("other URL kept for the error") << "mysql://h/d"
                                                  << "mysql://h/d";
    QTest::newRow("absolute path") << "/tmp/x.db"
                                   << "sqlite:///tmp/x.db";
    QTest::newRow("relative path")
        << "data/x.db"
        << QStringLiteral("sqlite://") + QDir::currentPath() + QStringLiteral("/data/x.db");
}

void TestOptions::databaseUrl()
{
    QFETCH(QString, argument);
    QFETCH(QString, url);
    QCOMPARE(varo::report::databaseUrl(argument), url);
}

void TestOptions::headless_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("display");
    QTest::addColumn<bool>("headless");
    QTest::newRow("display, nothing asked") << strings() << true << false;
    QTest::newRow("no display") << strings() << false << true;
    QTest::newRow("--headless") << strings("--headless") << true << true;
    QTest::newRow("an answer") << strings("--answer", "a=1") << true << true;
    QTest::newRow("--cancel") << strings("--cancel") << true << true;
}

void TestOptions::headless()
{
    QFETCH(QStringList, options);
    QFETCH(bool, display);
    QFETCH(bool, headless);
    const CommandLine cl = varo::report::parseCommandLine(
        strings("run", "--db", "sqlite::memory:") + options + strings("K"));
    QVERIFY2(cl.error.isEmpty(), qPrintable(cl.error));
    QCOMPARE(varo::report::runsHeadless(cl.run, display), headless);
}

VARO_TEST_MAIN(TestOptions)
#include "tst_app_options.moc"
