// Components by ProgID and calls by member name: the built-in registry, real plug-in libraries
// (broken ones among them), by-reference arguments, and the errors a late-bound call raises.

#include "common/testsupport.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/variant.h"

#include <QPointer>
#include <stdexcept>

using namespace varo;

// A built-in class with one member of each kind the engine calls.
class Sample : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Value MEMBER value)
    Q_PROPERTY(varo::Dictionary Outcome READ outcome)
    Q_PROPERTY(varo::Vector Items READ items)

public:
    explicit Sample(const QString &name = "sample") { setObjectName(name); }
    int value = 0;
    Dictionary outcome() const { return test::dictionary({{"OK", true}}); }
    Vector items() const { return test::vector({"a", "b"}); }
    Q_INVOKABLE QVariant Echo(const QVariant &v) const { return v; }
    Q_INVOKABLE int Add(int a, int b) const { return a + b; }
    Q_INVOKABLE int Add(int a, int b, int c) const { return a + b + c; }
    Q_INVOKABLE void Swap(QVariant &a, QVariant &b) const { a.swap(b); }
    Q_INVOKABLE void Twice(int &n) const { n *= 2; }
    Q_INVOKABLE void Touch(const QVariant &v) const { const_cast<QVariant &>(v) = 0; }
    Q_INVOKABLE QString Keys(const varo::Dictionary &d) const { return d.keys().join(','); }
    Q_INVOKABLE void Raise(int number, const QString &text) const { throw Error(number, text); }
    Q_INVOKABLE void RaiseStd() const { throw std::runtime_error("out of range here"); }
};

const QString samples = "VaroTest.Sample", plugins = VARO_TEST_PLUGIN_DIR;

// "error <number>: <description>" for what a statement raises, or "no error".
template <typename F> QString raised(F &&statement)
{
    const auto error = test::errorOf(statement);
    return error ? test::describe(*error) : QString("no error");
}

class TestAutomation : public QObject
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
        QCOMPARE(error, QStringLiteral("no error"));
        QCOMPARE(paths.mid(0, 2), QStringList({"/nonexistent/folder", plugins}));
        // ProgIDs ignore letter case in every direction; a later registration replaces.
        registerClass(samples, [] { return new Sample; });
        registerClass("varotest.SAMPLE", [] { return new Sample("replacement"); });
        QCOMPARE(createObject(samples).get("objectName"), QVariant("replacement"));
        unregisterClass(samples.toUpper());
        registerClass("VaroTest.NullFactory", [] { return nullptr; });
        for (const QString &progId : {samples, QString(), QStringLiteral("VaroTest.NullFactory")})
            QCOMPARE(raised([&] { createObject(progId); }), cannotCreate);
        VARO_VERIFY_ERROR(Object().set("Value", 1), ErrorNumber::ObjectNotSet);
    }

    // "Name=" sets a property and reads it back. result: the value, or "error <number>[:
    // <description>]" for what is raised; after: the arguments after the call, when
    // by-reference ones are written back.
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
        row("eCHO", {nullValue()}, nullValue()); // names in any case
        row("add", {2, 3, 4}, 9);                // overloads by count
        row("OBJECTNAME", {}, "sample");
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
        row("Twice", {"21"}, {}, {42}); // converted in, written back as the parameter's type
        row("Touch", {"kept"}, {});     // by value: the member's change stays with the member
        // A property called with an argument passes it to the default member of what it holds.
        row("outcome", {"ok"}, true);
        row("Items", {1}, "b");
        row("Add", {"abc", 1}, "error 13");
        row("Keys", {"a"}, "error 13");
        row("GetRptVect", {1, 2}, "error 438: Object doesn't support this property or method");
        row("destroyed", {}, "error 438");   // a signal is no member
        row("deleteLater", {}, "error 438"); // nor is a slot of QObject's own
        row("Add", {1}, "error 450");
        row("Outcome", {"OK", 1}, "error 450");
        row("Value", {1}, "error 450"); // a number has no default member
        // Errors raised inside a member, in a plug-in's code too, reach the caller as raised;
        // containers cross into a plug-in and back as the same objects.
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
            QVERIFY(!o.get("objectName").toString().isEmpty()); // still usable after an error
        }
        QVERIFY(!alive); // a failed call keeps no reference
    }

    void pluginLibraries()
    {
        // The folder also holds a file named like a library that is none, and a foreign
        // plug-in that lists "VaroTest.Echo" and sorts first: both are passed by, and so are
        // plug-ins whose ProgIDs are no list or that implement no factory.
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
        // Added folders come before VARO_PLUGIN_PATH's, which come before the program's own.
        const QStringList paths = pluginPaths();
        const QString env = qEnvironmentVariable("VARO_PLUGIN_PATH").section(':', 0, 0);
        QVERIFY(env.isEmpty() || paths.indexOf(plugins) < paths.indexOf(env));
        QVERIFY(paths.last().startsWith(QCoreApplication::applicationDirPath()));
    }
};

VARO_TEST_MAIN(TestAutomation)
#include "tst_automation.moc"
