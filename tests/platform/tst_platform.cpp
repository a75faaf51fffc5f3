// The platform layer as hosts and plug-ins meet it: values, settings, message boxes and dialogs
// on real widgets, databases (SQLite and PostgreSQL), components built in or from plug-ins.

#include "common/testdatabase.h"
#include "platform/automation.h"
#include "platform/cursors.h"
#include "platform/settings.h"
#include "platform/variant.h"

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <stdexcept>

using namespace varo;

class Sample : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Value MEMBER value)
    Q_PROPERTY(varo::Dictionary Outcome READ outcome)

public:
    explicit Sample(const QString &name = "sample") { setObjectName(name); }
    int value = 0;
    Dictionary outcome() const { return test::dictionary({{"OK", true}}); }
    Q_INVOKABLE int Add(int a, int b) const { return a + b; }
    Q_INVOKABLE int Add(int a, int b, int c) const { return a + b + c; }
    Q_INVOKABLE void Swap(QVariant &a, QVariant &b) const { a.swap(b); }
    Q_INVOKABLE void Twice(int &n) const { n *= 2; }
    Q_INVOKABLE void Touch(const QVariant &v) const { const_cast<QVariant &>(v) = 0; }
    Q_INVOKABLE QVariant Keys(const varo::Dictionary &d) const { return d.keys().join(','); }
    Q_INVOKABLE void Raise(int number, const QString &text) const { throw Error(number, text); }
    Q_INVOKABLE void RaiseStd() const { throw std::runtime_error("out of range here"); }
};

const QString samples = "VaroTest.Sample", plugins = VARO_TEST_PLUGIN_DIR;

template <typename F> QString raised(F &&statement) // "error N: description" or "no error"
{
    const auto error = test::errorOf(statement);
    return error ? test::describe(*error) : QString("no error");
}

const QStringList items{"create table T_Item (FCode text, FName text, FQty integer, FNote text)",
                        "insert into T_Item values ('A01', 'bolt', 10, null)",
                        "insert into T_Item values ('A02', '', 20, 'x')",
                        "insert into T_Item values ('B01', 'nut ', 30, '  padded  ')"};

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // First: before any addPluginPath, only VARO_PLUGIN_PATH can lead to the test plug-ins.
    void registry()
    {
        const QString cannotCreate = "error 429: ActiveX component can't create object";
        QCOMPARE(raised([] { createObject("VaroTest.Echo"); }), cannotCreate);
        const QByteArray old = qgetenv("VARO_PLUGIN_PATH");
        qputenv("VARO_PLUGIN_PATH", "/nonexistent/folder:" + plugins.toLocal8Bit());
        const QStringList paths = pluginPaths();
        const QString error = raised([] { createObject("VaroTest.Echo"); });
        qputenv("VARO_PLUGIN_PATH", old);
        QVERIFY(error == "no error" &&
                paths.mid(0, 2) == QStringList({"/nonexistent/folder", plugins}));
        registerClass(samples, [] { return new Sample; }); // replaced; ProgIDs in any case
        registerClass("varotest.SAMPLE", [] { return new Sample("replacement"); });
        QCOMPARE(createObject(samples).get("objectName"), QVariant("replacement"));
        unregisterClass(samples.toUpper());
        registerClass("VaroTest.NullFactory", [] { return nullptr; });
        for (const QString &progId : {samples, QString(), QStringLiteral("VaroTest.NullFactory")})
            QCOMPARE(raised([&] { createObject(progId); }), cannotCreate);
    }

    void containers()
    {
        Dictionary d = Dictionary::create();
        QVariant::fromValue(d).value<Dictionary>().set("x", 1); // the object, not a snapshot
        QVERIFY(d.value("X") == 1 && !(d == Dictionary::create()));
        Vector v = Vector::create(), w = Vector::create();
        v.Add(QVariant());                                   // Empty is an item like any other
        QVariant::fromValue(v).value<Vector>().AddVector(v); // onto itself: doubles only once
        w.AddVector(v);
        w.Add("a");
        QCOMPARE(w.items(), QVariantList({QVariant(), QVariant(), "a"}));
        QVERIFY(w.Item(2) == "a" && !(v == w) && v.Count() == 2);
        VARO_VERIFY_ERROR(w.Item(3), ErrorNumber::SubscriptOutOfRange);
        VARO_VERIFY_ERROR(w.Item(-1), ErrorNumber::SubscriptOutOfRange);
        // A handle that is nothing raises error 91 whatever is asked of it.
        Connection none;
        QVariantList args;
        const QString nothing =
            raised([&] { v.AddVector(Vector()); }) + raised([] { Vector().Add(1); }) +
            raised([] { Vector().Count(); }) + raised([] { Vector().Item(0); }) +
            raised([] { Vector().items(); }) + raised([] { Dictionary().set("a", 1); }) +
            raised([] { Dictionary().value("a"); }) + raised([] { Dictionary().Exists("a"); }) +
            raised([] { Dictionary().keys(); }) + raised([] { Dictionary().keyAt(0); }) +
            raised([] { Recordset().atEOF(); }) + raised([] { Recordset().Close(); }) +
            raised([&] { Recordset::create().Open("select 1", none); }) +
            raised([] { Connection().errors(); }) + raised([] { Object().call("Add"); }) +
            raised([] { Object().set("Value", 1); }) +
            raised([&] { invokeMember(nullptr, "Add", args); });
        QCOMPARE(nothing,
                 QString("error 91: Object variable or With block variable not set").repeated(17));
        // Names: any case (folded), first spelling, insertion order; new ones stay in their record.
        auto keys = std::make_shared<const DictionaryKeys>(QStringList{"FKeyWord", "ΣΟΦΟΣ"});
        Dictionary first = Dictionary::withKeys(keys), second = Dictionary::withKeys(keys);
        QVERIFY(isEmpty(first.value("fkeyword")));
        first.set("FZ", nullValue());
        first.set("FKeyword", "changed");
        second.set("σοφος", "bolt");
        QCOMPARE(first.keys(), QStringList({"FKeyWord", "ΣΟΦΟΣ", "FZ"}));
        QVERIFY(isNull(first.value("fz")) && !first.Exists("FX") && isEmpty(first.value("FX")));
        QVERIFY(first.valueAt(0) == "changed" && second.value("ΣΟΦΟΣ") == "bolt");
        QVERIFY(second.keys() == QStringList({"FKeyWord", "ΣΟΦΟΣ"}) && keys->count() == 2);

        // Rows across the growth of chunks and text blocks, one text longer than any block.
        auto text = [](int r) { return QString(r == 99 ? 1 << 21 : r % 9, QChar(97 + r % 26)); };
        QList<Dictionary> records;
        {
            auto table =
                RecordTable::create(std::make_shared<DictionaryKeys>(QStringList{"N", "T"}));
            for (int r = 0; r < 70000; ++r) {
                QCOMPARE(table->addRow(), qsizetype(r));
                const QByteArray number = QByteArray::number(r);
                table->setCell(r, 0, table->storeLatin1(number.constData(), number.size()));
                table->setCell(r, 1, table->store(text(r)));
                records.append(table->record(r));
            }
        }
        for (int r : {0, 63, 64, 99, 100, 40000, 69999}) // a record keeps its table alive
            QCOMPARE(records.at(r).value("n").toString() + records.at(r).value("t").toString(),
                     QString::number(r) + text(r));
        // Texts stay in the table; another value or a new name gives the record its own.
        Dictionary last = records.last();
        last.set("n", "text");
        last.setAt(1, "in table");
        QCOMPARE(last.value("T"), QVariant("in table"));
        last.set("C", true);
        last.setAt(1, 42);
        QCOMPARE(last.keys(), QStringList({"N", "T", "C"}));
        QVERIFY(last.value("N") == "text" && last.valueAt(1) == 42);
        QCOMPARE(records.first().keys(), QStringList({"N", "T"}));

        // How containers and errors print in logs and in test failures.
        w.Add(QVariant::fromValue(test::dictionary({{"F", "甲"}, {"Q", 3.5}, {"N", nullValue()}})));
        const QString printed = test::printed(w) + test::printed(Error(91, "x"));
        QCOMPARE(printed,
                 R"(Vector[Empty, Empty, "a", Dictionary{F: "甲", Q: QVariant(double, 3.5), )"
                 R"(N: Null}]Error(91, "x"))");
        auto qtest = [](char *text) {
            return QString::fromUtf8(std::unique_ptr<char[]>(text).get());
        };
        QCOMPARE(qtest(toString(w)) + qtest(toString(Error(91, "x"))), printed);
        QCOMPARE(qtest(toString(Dictionary())) + qtest(toString(Vector())), "NothingNothing");
    }

    void conversions()
    {
        // "function(type text) = result", the value converted by QVariant from the text; "error
        // N": the error raised; number: the number a text starts with; trim: blanks at the ends.
        const QStringList cases =
            QString("text(Empty) = ; text(bool true) = True; text(bool false) = False; "
                    "text(int -42) = -42; text(short 7) = 7; text(double 3) = 3; "
                    "text(qlonglong 9007199254740993) = 9007199254740993; "
                    "text(double 0.3333333333333333) = 0.3333333333333333; "
                    "text(QDate 2024-01-05) = 2024-01-05; "
                    "text(QDateTime 2024-01-05T00:00:00) = 2024-01-05; "
                    "text(QDateTime 2024-12-31T13:04:05) = 2024-12-31 13:04:05; "
                    "text(Null) = error 94; text(varo::Dictionary) = error 13; int(Empty) = 0; "
                    "int(QString 12abc) = 12; int(bool true) = -1; int(double 2.5) = 2; "
                    "int(double -3.5) = -4; int(Null) = error 94; "
                    "int(varo::Dictionary) = error 13; int(qlonglong 2147483648) = error 6; "
                    "int16(double 32767.4) = 32767; int16(QString -32768) = -32768; "
                    "int16(double 32767.5) = error 6; bool(Empty) = 0; bool(QString  tRUE ) = 1; "
                    "bool(QString false) = 0; bool(QString 0.5) = 1; bool(bool true) = 1; "
                    "bool(double 0) = 0; bool(Null) = error 94; bool(QString yes) = error 13; "
                    "bool(varo::Dictionary) = error 13; number(QString  -1.5E3x) = -1500; "
                    "number(QString +.5) = 0.5; number(QString 1e+) = 1; "
                    "number(QString 1.2.3) = 1.2; number(QString - 3) = 0; "
                    "number(QString 1,234) = 1; trim(QString   a b  ) = a b; "
                    "trim(QString    ) = ; trim(QString  \tx\n\u3000 ) = \tx\n\u3000")
                .split("; ");
        QStringList results;
        for (const QString &item : cases) {
            const QString f = item.section('(', 0, 0),
                          value = item.section('(', 1).section(") = ", 0, 0);
            QVariant v(value.section(' ', 1)); // Empty: no type; Null: nullptr
            v.convert(QMetaType::fromName(value == "Null" ? "std::nullptr_t"
                                                          : value.section(' ', 0, 0).toLatin1()));
            QString got;
            const auto error = test::errorOf([&] {
                got = f == "text"     ? toText(v)
                      : f == "int"    ? QString::number(toInt32(v))
                      : f == "int16"  ? QString::number(toInt16(v))
                      : f == "bool"   ? QString::number(toBool(v))
                      : f == "number" ? QString::number(leadingNumber(v.toString()))
                                      : trimBlanks(v.toString());
            });
            results << f + '(' + value +
                           ") = " + (error ? QString("error %1").arg(error->number()) : got);
        }
        QCOMPARE(results, cases);
        const QString text = "a b"; // not copied when nothing is trimmed: a result has millions
        QCOMPARE(trimBlanks(text).constData(), text.constData());
    }

    void desktop()
    {
        // "section|key|value": texts INI files treat apart, the empty one, names never cut up.
        const QString tricky = "  沐岩, \"a\" 'b' x=1;y=2 C:\\new @Variant(x) 100%\nline 2  ";
        const QStringList saved = {"s|FValue|" + tricky, "s|FEmpty|", "a/b|k|1",   "a|b/k|2",
                                   "a\\b|k|3",           "a|b\\k|4",  "a%2Fb|k|5", "a%5Cb|k|6"};
        for (const QString &item : saved)
            settings::save("App", item.section('|', 0, 0), item.section('|', 1, 1),
                           item.section('|', 2));
        for (const QString &item : saved)
            QCOMPARE(settings::get("App", item.section('|', 0, 0), item.section('|', 1, 1), "x"),
                     item.section('|', 2));
        QVERIFY(settings::get("App", "s", "FMissing", "0") == "0" &&
                settings::get("Other", "s", "FValue").isNull() &&
                settings::file().startsWith(QDir::tempPath())); // never the user's own file
        test::MessageRecorder recorder; // a sink receives the boxes instead of the screen
        ui::showMessage("报表不存在！", ui::MessageIcon::Critical, "沐岩提示");
        QVERIFY(recorder.texts() == QStringList{"报表不存在！"} &&
                recorder.messages().at(0).icon == ui::MessageIcon::Critical &&
                recorder.messages().at(0).title == "沐岩提示");
        ui::setMessageSink({}); // the real box: no title of its own shows the application's name
        QString seen;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            seen = box->text() + '|' + box->windowTitle() + '|' + QString::number(box->icon());
            box->accept();
        });
        ui::showMessage("条件不能为空！", ui::MessageIcon::Critical, {});
        test::installUnexpectedMessageGuard();
        QCOMPARE(seen, QStringLiteral("条件不能为空！|tst_platform|3")); // 3: critical
        QDialog dialog;
        for (const int result : {QDialog::Accepted, QDialog::Rejected}) {
            int calls = 0; // on the dialog, on screen and modal
            test::ScopedModalDriver driver([&](QDialog *shown) {
                calls += shown == &dialog && QApplication::activeModalWidget() == shown;
                shown->done(result);
            });
            QCOMPARE(ui::execModal(&dialog), result);
            QCOMPARE(calls, 1);
        }
    }

    // Rows from Execute (forward-only), and Open with the default or the dynamic cursor.
    void rows_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("recordCount"); // -1: unknown without reading every row
        for (const QString &kind : test::databaseKinds()) {
            test::databaseRow(kind, "Execute") << "execute" << -1;
            test::databaseRow(kind, "Open: snapshot") << "snapshot" << 3;
            test::databaseRow(kind, "Open: dynamic") << "dynamic" << -1;
        }
    }
    void rows()
    {
        QFETCH(QString, database);
        QFETCH(QString, mode);
        QFETCH(int, recordCount);
        VARO_TEST_DATABASE(db, database);
        db.execute(items);
        Connection &c = db.connection();
        const auto open = [&](const QString &sql) {
            Recordset rs = mode == "execute" ? c.Execute(sql) : Recordset::create();
            if (mode != "execute")
                rs.Open(sql, c, mode == "dynamic" ? CursorType::Dynamic : CursorType::Default,
                        mode == "dynamic" ? LockType::Pessimistic : LockType::Default, -1);
            return rs;
        };
        Recordset rs;
        VARO_VERIFY_NO_ERROR(rs = open("select FCode, FName, FQty, FNote from T_Item order by 1"));
        QCOMPARE(rs.RecordCount(), qsizetype(recordCount));
        QCOMPARE(rs.fieldNames(), QStringList({"FCode", "FName", "FQty", "FNote"}));
        VARO_VERIFY_ERROR(rs.Fields("FMissing"), ErrorNumber::ItemNotFound);
        VARO_VERIFY_ERROR(rs.Fields(4), ErrorNumber::ItemNotFound);
        const Field name = rs.Fields("fname"); // follows the current row
        const auto read = [&] {
            QStringList rows;
            for (; !rs.atEOF(); rs.MoveNext()) {
                // A lookup per row, as the engine runs them, loses no rows.
                const QString lookup = "select count(*) from T_Item where FQty = %1";
                const QVariant note = rs.Fields(3).Value();
                rows << rs.Fields(0).Value().toString() + '|' + name.Value().toString() + '|' +
                            (isNull(note) ? "Null" : note.toString()) + '|' +
                            c.Execute(lookup.arg(rs.value(2).toInt())).value(0).toString();
            }
            return rows;
        };
        // Null is not the empty text; blanks are the caller's to trim.
        const QStringList all{"A01|bolt|Null|1", "A02||x|1", "B01|nut |  padded  |1"};
        QCOMPARE(read(), all);
        VARO_VERIFY_ERROR(rs.MoveNext(), ErrorNumber::NoCurrentRecord);
        VARO_VERIFY_ERROR(name.Value(), ErrorNumber::NoCurrentRecord);
        if (mode == "execute") {
            VARO_VERIFY_ERROR(rs.MoveFirst(), ErrorNumber::ForwardOnly);
        } else {
            // A snapshot keeps its rows; a dynamic cursor reading rows live runs again.
            c.Execute("insert into T_Item values ('A00', 'new', 1, 'n')");
            VARO_VERIFY_NO_ERROR(rs.MoveFirst());
            QCOMPARE(read(), mode == "dynamic" ? QStringList{"A00|new|n|1"} + all : all);
        }
        VARO_VERIFY_NO_ERROR(rs = open("select FCode, FName from T_Item where 1 = 0")); // no rows
        QVERIFY(rs.atEOF() && rs.atBOF() && rs.RecordCount() == qMin(recordCount, 0));
        QCOMPARE(rs.Fields(1).Name(), QStringLiteral("FName"));
    }

    // Where the server would run it, a second statement is found in the text itself.
    void secondStatement_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("second");
        QTest::newRow("one") << "select 1" << false;
        QTest::newRow("trailing ; and comments") << "select 1; -- x\n /* y; z */ ;" << false;
        QTest::newRow("; in a literal and a name")
            << "select 'a;''b', \"c;\", [d;] from t" << false;
        QTest::newRow("a second") << "select 1; create table x (i int)" << true;
        QTest::newRow("after a literal") << "select ';'';'; drop table t" << true;
        QTest::newRow("after a comment") << "select 1 /* ; */; delete from t" << true;
    }
    void secondStatement()
    {
        QFETCH(QString, sql);
        QFETCH(bool, second);
        QCOMPARE(holdsSecondStatement(sql), second);
    }

    void statements_data() { test::addDatabaseRows(); }
    void statements()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        db.execute(items);
        Connection &c = db.connection();
        Connection other = Connection::open(db.url());
        Recordset rs = Recordset::create();
        // The last one fails at its third row (no server can fail it early): Execute's rows
        // raise when it is read, never end quietly; SQLite hands over the rows before it.
        const bool sqlite = database == "sqlite";
        const QString third = sqlite ? "abs(-9223372036854775778 - FQty)" : "1 / (FQty - 30)";
        QStringList read;
        // A missing file must not turn into a new, empty database; every failure names the URL.
        for (const QString url :
             {"sqlite:///nonexistent/report.db", "sqlite://report.db", "mysql://user@host/db",
              "postgresql://", "postgresql://nobody@127.0.0.1:1/report"})
            QVERIFY2(
                raised([&] { Connection::open(url); }).contains(": cannot open connection " + url),
                qPrintable(url));
        // A second statement is refused before anything runs: T_Pwned is never created.
        for (const QString &sql :
             QStringList{"select * from T_Missing", "alter table T_Item add FName int",
                         "select 1; create table T_Pwned (x int)", "select * from T_Pwned",
                         "select * from T_Item where FName = 'O'B'",
                         "select FCode, case when FQty = 30 then " + third +
                             " else FQty end from T_Item"}) {
            // Listed on the connection the statement ran on, and on no other.
            VARO_VERIFY_ERROR(rs.Open(sql, other), ErrorNumber::ProviderError);
            QVERIFY2(!rs.isOpen(), qPrintable(sql)); // no rows of a statement that failed partway
            QVERIFY(other.errors().Count() == 1 && c.errors().Count() == 0);
            // A lookup after the first row makes PostgreSQL set the rest aside, the failure too.
            const auto error = test::errorOf([&] {
                for (rs = c.Execute(sql); !rs.atEOF(); rs.MoveNext())
                    read << rs.Fields(0).Value().toString() +
                                test::firstValue(c, "select ''").toString();
            });
            QVERIFY(error && error->number() == ErrorNumber::ProviderError);
            QVERIFY(c.errors().Count() == 1 && !error->description().isEmpty() &&
                    c.errors().Item(0).Description == error->description());
            // The same message whichever way the rows came (PostgreSQL: COPY, or one by one).
            QCOMPARE(other.errors().Item(0).Description, error->description());
            c.errors().Clear();
            QCOMPARE(test::firstValue(c, "select count(*) from T_Item").toInt(), 3); // goes on
        }
        QCOMPARE(read, (QStringList{"A01", "A02"}));
        rs.Open("update T_Item set FQty = 0 where 1 = 0", c); // no rows: closed
        QVERIFY(!rs.isNull() && !rs.isOpen());
        VARO_VERIFY_ERROR(rs.Fields("FCode"), ErrorNumber::OperationOnClosed);
        VARO_VERIFY_ERROR(c.Execute("delete from T_Item where 1 = 0").atEOF(),
                          ErrorNumber::OperationOnClosed);

        // "expression = result" on row B01 (FName 'nut ', FNote '  padded  '). charindex: from
        // 1, 0 for "not found", letters in any case; len ignores trailing blanks only.
        const QStringList cases =
            QString("charindex('bc', 'abcbc') = 2; charindex('B', 'abc') = 2; "
                    "charindex('x', 'abc') = 0; charindex('', 'abc') = 0; "
                    "charindex('a', 'abca', 4) = 4; charindex('a', 'abca', 5) = 0; "
                    "charindex('a', 'abca', -3) = 1; charindex('中', '文中文中', 3) = 4; "
                    "charindex(null, 'abc') = null; charindex('a', 'abc', null) = null; "
                    "charindex('T ', FName) = 3; len('abc   ') = 3; len('  abc') = 5; "
                    "len('   ') = 0; len('中文') = 2; len(null) = null; len(FNote) = 8; "
                    "len('a:b?;c') = 6")
                .split("; ");
        // "names: statement": as written, though PostgreSQL folds unquoted names.
        const QStringList names = {
            "FCode,FQty: select FCode, FQty from T_Item where fcode = 'A01' and FQTY > 0",
            "FCode: select fcode as FCode from T_Item",
            "FCaption,FCode: select FName as FCaption, FCode from T_Item order by FCAPTION, fcode",
            "Item Name: select FName as \"Item Name\" from T_Item",
            "FCode: select FCode from T_Item; -- one statement, then a comment"};
        QStringList results;
        for (const QString &item : cases) {
            const QString expression = item.section(" = ", 0, 0);
            QVariant v;
            VARO_VERIFY_NO_ERROR(v = test::firstValue(c, "select " + expression +
                                                             " from T_Item where FCode = 'B01'"));
            results << expression + " = " + (isNull(v) ? "null" : QString::number(v.toInt()));
        }
        for (const QString &item : names) {
            VARO_VERIFY_NO_ERROR(rs = c.Execute(item.section(": ", 1)));
            results << rs.fieldNames().join(',') + ": " + item.section(": ", 1);
        }
        QCOMPARE(results, cases + names);
    }

    // PostgreSQL's types as values, alike whether the rows come one at a time (Execute),
    // through COPY (a recordset read whole) or set aside while a lookup runs.
    void postgresValues_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected"); // type and text
        const auto row = [](const char *expression, const QString &expected) {
            QTest::newRow(expression) << QString(expression) << expected;
        };
        row("-12::int2", "int -12");
        row("9007199254740993::int8", "qlonglong 9007199254740993");
        row("12.50::numeric(6, 2)", "double 12.5");
        row("0.1::float8", "double 0.1");
        row("'-Infinity'::float8", "double -inf");
        row("'NaN'::numeric", "double nan");
        row("date '2024-02-29'", "QDate 2024-02-29");
        row("timestamp '2024-01-05 13:04:05'", "QDateTime 2024-01-05T13:04:05.000");
        row("true", "bool true");
        row("'\\x61095c'::bytea", "QByteArray a\t\\");
        row("E'a\\tb\\nc\\\\d\\r'", "QString a\tb\nc\\d\r");
        row("'\\N'", "QString \\N");
        row("''", "QString ");
        row("null::int4", "Null");
        row("'中文'", "QString 中文");
    }
    void postgresValues()
    {
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        VARO_TEST_DATABASE(db, "postgresql");
        Connection &c = db.connection();
        const QString sql = "select " + expression + " as v from (values (1), (2)) as t(n)";
        QStringList values;
        for (const QString way : {"execute", "open", "aside"}) {
            Recordset rs = way == "execute" ? c.Execute(sql) : Recordset::create();
            if (way != "execute")
                rs.Open(sql, c, CursorType::Dynamic);
            for (; !rs.atEOF(); rs.MoveNext()) {
                const QVariant v = rs.value(0);
                values << (isNull(v) ? QString("Null")
                                     : QString(v.typeName()) + ' ' + v.toString());
                if (way == "aside")
                    test::firstValue(c, "select 1");
            }
        }
        QCOMPARE(values, QStringList(6, expected));
    }

    // On PostgreSQL a recordset's query goes through COPY, cut at the ';' that ends it; what
    // COPY cannot carry runs as it is. A statement left unread stops.
    void postgresStatements()
    {
        VARO_TEST_DATABASE(db, "postgresql");
        Connection &c = db.connection();
        static QStringList fallbacks;
        QLoggingCategory::setFilterRules("varo.platform.debug=true");
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &m) { fallbacks << m; });
        QStringList results;
        // "value: statement"; '!' for one that COPY cannot carry.
        const QStringList cases{
            "a;b: select 'a;b' as v -- ; \n ; -- ;", "x;y: select $t$x;y$t$ as v;",
            "it's;: select E'it\\'s;' /* ; /* ; */ */ as \"v;\";",
            "w;: with t(v) as (values ('w;')) select v from t",
            "p: (select 'p' as v) union all (select 'q') order by 1", "1: select 1 for update",
            // Read as standard strings, the text is cut inside the string.
            "a';!: select 'a\\';' as v"};
        c.Execute("set standard_conforming_strings = off");
        c.Execute("set escape_string_warning = off");
        for (const QString &item : cases) {
            fallbacks.clear();
            Recordset rs = Recordset::create();
            VARO_VERIFY_NO_ERROR(rs.Open(item.section(": ", 1), c));
            results << rs.value(0).toString() + (fallbacks.isEmpty() ? ": " : "!: ") +
                           item.section(": ", 1);
        }
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(results, cases);
        for (const bool execute : {true, false}) {
            const QString endless =
                "with recursive t(n) as (select 1 union all select n + 1 from t) select n from t";
            Recordset rs = Recordset::create();
            if (execute)
                rs = c.Execute(endless);
            else
                rs.Open(endless, c, CursorType::Dynamic);
            QCOMPARE(rs.value(0).toInt(), 1);
            rs = Recordset();
            QCOMPARE(test::firstValue(c, "select 40 + 2").toInt(), 42);
        }
    }

    // A statement that never ends stops at the limit, failing as provider errors do; the
    // connection goes on.
    void statementTimeout_data() { test::addDatabaseRows(); }
    void statementTimeout()
    {
        QFETCH(QString, database);
        VARO_TEST_DATABASE(db, database);
        Connection c =
            Connection::open(db.url(), {.connectTimeoutSeconds = 15, .statementTimeoutSeconds = 1});
        const auto error = test::errorOf([&] {
            c.Execute("with recursive t(n) as (select 1 union all select n + 1 from t) "
                      "select count(*) from t");
        });
        QVERIFY(error && error->number() == ErrorNumber::ProviderError);
        QCOMPARE(c.errors().Item(0).Description, error->description());
        QVERIFY2(error->description().contains(
                     database == "sqlite" ? "ran longer than its limit of 1 s"
                                          : "canceling statement due to statement timeout"),
                 qPrintable(error->description()));
        QCOMPARE(test::firstValue(c, "select 40 + 2").toInt(), 42);
    }

    // A server that accepts the connection and never answers: opening gives up at the limit.
    void connectTimeout()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QString url = QString("postgresql://u@127.0.0.1:%1/db").arg(silent.serverPort());
        QElapsedTimer clock;
        clock.start();
        const QString error = raised([&] { Connection::open(url, {.connectTimeoutSeconds = 1}); });
        QVERIFY2(error.contains(": cannot open connection " + url + ": ") &&
                     error.contains("timeout expired"),
                 qPrintable(error));
        QVERIFY(clock.elapsed() < 10000); // the limit, not the system's own minutes of waiting
    }

    // "Name=" sets a property and reads it back. result: the value, or "error N[: text]"
    // raised; after: the arguments after the call, when written back.
    void call_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QVariant>("result");
        QTest::addColumn<QVariantList>("after");
        const auto row = [](const char *member, const QVariantList &args, const QVariant &result,
                            const QVariantList &after = {}, const QString &progId = samples) {
            QTest::addRow("%s %s", member, qPrintable(result.toString()))
                << progId << QString(member) << args << result << (after.isEmpty() ? args : after);
        };
        row("add", {2, 3, 4}, 9);  // names in any case, overloads by count
        row("value=", {"12"}, 12); // converted to the property's type
        row("Value=", {"twelve"}, "error 13");
        row("Missing=", {1}, "error 438");
        row("Add", {"2", 3.0}, 5); // arguments converted to the parameter types
        row("Add", {QVariant(), 4}, 4);
        row("Keys", {QVariant::fromValue(test::dictionary({{"FB", 1}, {"FA", 2}}))}, "FB,FA");
        // The lookup component may hand back other connections than the ones it was given.
        const QVariant loc = QVariant::fromValue(Connection::open("sqlite::memory:"));
        const QVariant sql = QVariant::fromValue(Connection::open("sqlite::memory:"));
        row("swap", {loc, sql}, {}, {sql, loc});
        row("Twice", {"21"}, {}, {42});  // converted in, written back as the parameter's type
        row("touch", {nullValue()}, {}); // by value: the member's change stays with the member
        // A property called with an argument passes it to the default member of what it holds.
        row("outcome", {"ok"}, true);
        row("Keys", {"a"}, "error 13");
        row("GetRptVect", {1, 2}, "error 438: Object doesn't support this property or method");
        row("destroyed", {}, "error 438");   // a signal is no member
        row("deleteLater", {}, "error 438"); // nor is a slot of QObject's own
        row("Add", {1}, "error 450");
        row("Value", {1}, "error 450"); // a number has no default member
        // Errors raised inside a member, in a plug-in too, reach the caller as raised.
        row("Raise", {3021, "没有当前记录"}, "error 3021: 没有当前记录");
        row("RaiseStd", {}, "error 1002: out of range here");
        row("Fail", {"插件出错"}, "error 5: 插件出错", {}, "VaroTest.Echo");
        const QVariant v = QVariant::fromValue(Vector::create());
        row("SwapRefs", {v, 2}, {}, {2, v}, "VaroTest.Echo");
    }
    void call()
    {
        QFETCH(QString, progId);
        QFETCH(QString, member);
        QFETCH(QVariantList, args);
        QFETCH(QVariant, result);
        QFETCH(QVariantList, after);
        registerClass(samples, [] { return new Sample; });
        addPluginPath(plugins);
        QPointer<QObject> alive;
        {
            // A copy is the same component, and the last one to go releases it.
            const Object o = createObject(progId), copy = o;
            alive = o.get();
            QVERIFY(copy == o && !(o == createObject(progId)));
            QVariant got;
            const QString error = raised([&] {
                if (member.endsWith('='))
                    o.set(member.chopped(1), args.value(0));
                got = member.endsWith('=') ? copy.get(member.chopped(1)) : o.call(member, args);
            });
            if (error != "no error")
                got = result.toString().contains(':') ? error : error.section(':', 0, 0);
            QCOMPARE(got, result);
            QCOMPARE(args, after);
        }
        QVERIFY(!alive); // a failed call keeps no reference
    }

    void pluginLibraries()
    {
        // Broken and foreign plug-ins, and a file named like a library, are passed by.
        addPluginPath(plugins);
        QStringList names;
        for (const QString progId :
             {"VaroTest.Echo", "varotest.ECHO", "VaroTest.Second", "VaroTest.ForeignOnly",
              "VaroTest.NotAList", "VaroTest.NoFactory", "VaroTest.Refuses", "VaroTest.Nowhere"}) {
            QString name;
            const QString error =
                raised([&] { name = createObject(progId).get("objectName").toString(); });
            names << (name.isEmpty() ? error.section(':', 0, 0) : name);
        }
        QCOMPARE(names,
                 QStringList({"VaroTest.Echo", "varotest.ECHO", "VaroTest.Second", "error 429",
                              "error 429", "error 429", "error 429", "error 429"}));
        // A built-in class wins over a plug-in of the same ProgID.
        registerClass("VaroTest.Second", [] { return new Sample("built in"); });
        QCOMPARE(createObject("VaroTest.Second").get("objectName"), QVariant("built in"));
        // Added folders come before VARO_PLUGIN_PATH's, which come before the engine's own,
        // found beside the platform library wherever the build or the install put it.
        const QStringList paths = pluginPaths();
        const QString env = qEnvironmentVariable("VARO_PLUGIN_PATH").section(':', 0, 0);
        QVERIFY(env.isEmpty() || paths.indexOf(plugins) < paths.indexOf(env));
        QCOMPARE(paths.last(), QDir(VARO_ENGINE_LIB_DIR).canonicalPath() + "/varo/plugins");
    }
};

VARO_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
