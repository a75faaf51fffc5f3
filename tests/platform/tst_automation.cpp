// Components by ProgID and calls by member name: the built-in registry, plug-in libraries found
// in plug-in folders (real ones, built next to this test, broken ones among them), by-reference
// arguments, argument conversion, and the errors a late-bound call raises.

#include "common/testsupport.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/variant.h"

#include <QPointer>
#include <stdexcept>

using namespace varo;

namespace
{

// A built-in class with one member of each kind the engine calls.
class Sample : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name MEMBER name)
    Q_PROPERTY(int Value MEMBER value)
    Q_PROPERTY(varo::Dictionary Outcome READ outcome)
    Q_PROPERTY(varo::Vector Items READ items)

public:
    explicit Sample(const QString &name = "sample") : name(name) {}
    QString name;
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
    return error ? QString("error %1: %2").arg(error->number()).arg(error->description())
                 : QString("no error");
}

} // namespace

class TestAutomation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        registerClass(samples, [] { return new Sample; });
    }

    // First: before any addPluginPath, only VARO_PLUGIN_PATH can lead to the test plug-ins.
    void pluginFoundThroughEnvironment()
    {
        const QString cannotCreate = "error 429: ActiveX component can't create object";
        QCOMPARE(raised([] { createObject("VaroTest.Echo"); }), cannotCreate);
        const QByteArray old = qgetenv("VARO_PLUGIN_PATH");
        qputenv("VARO_PLUGIN_PATH", "/nonexistent/folder:" + plugins.toLocal8Bit());
        const QStringList paths = pluginPaths();
        Object o;
        const QString error = raised([&] { o = createObject("VaroTest.Echo"); });
        qputenv("VARO_PLUGIN_PATH", old);
        QCOMPARE(error, QStringLiteral("no error"));
        QCOMPARE(paths.mid(0, 2), QStringList({"/nonexistent/folder", plugins}));

        // ProgIDs ignore letter case in every direction: register, create and unregister.
        QVERIFY(qobject_cast<Sample *>(createObject(samples.toUpper()).get()));
        registerClass("varotest.sample", [] { return new Sample("replacement"); });
        QCOMPARE(createObject(samples).get("Name"), QVariant("replacement"));
        unregisterClass(samples.toUpper());
        registerClass("VaroTest.NullFactory", [] { return nullptr; });
        for (const QString &progId : {samples, QString(), QStringLiteral("VaroTest.NullFactory")})
            QCOMPARE(raised([&] { createObject(progId); }), cannotCreate);
        unregisterClass("VaroTest.NullFactory");
    }

    void objectIsAReference()
    {
        QPointer<QObject> component;
        {
            const Object first = createObject(samples);
            component = first.get();
            {
                const Object second = first;
                second.set("Value", "12"); // converted to the property's type
                QCOMPARE(first.get("value"), QVariant(12));
                QVERIFY(second == first && !(first == createObject(samples)));
            }
            QVERIFY(component); // one reference left
            VARO_VERIFY_ERROR(first.set("Value", "twelve"), ErrorNumber::TypeMismatch);
            VARO_VERIFY_ERROR(first.set("Missing", 1), ErrorNumber::NoSuchMember);
        }
        QVERIFY(!component); // released with the last reference
        QVariantList none;
        VARO_VERIFY_ERROR(Object().call("Echo"), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(Object().set("Value", 1), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(invokeMember(nullptr, "Echo", none), ErrorNumber::ObjectNotSet);
    }

    // result: the value, or "error <number>[: <description>]" for what the call raises;
    // after: the arguments after the call, when by-reference ones are written back.
    void call_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QVariant>("result");
        QTest::addColumn<QVariantList>("after");
        const auto row = [](const char *member, const QVariantList &args, const QVariant &result,
                            const QVariantList &after = {}) {
            QTest::addRow("%s %s", member, qPrintable(result.toString()))
                << QString(member) << args << result << (after.isEmpty() ? args : after);
        };
        row("Echo", {nullValue()}, nullValue());
        row("eCHO", {1}, 1);      // names in any case
        row("add", {2, 3, 4}, 9); // overloads by count
        row("NAME", {}, "sample");
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
        row("Items", {2}, "error 9");
        // Errors raised inside a member reach the caller as they were raised.
        row("Raise", {3021, "没有当前记录"}, "error 3021: 没有当前记录");
        row("RaiseStd", {}, "error 1002: out of range here");
    }
    void call()
    {
        QFETCH(QString, member);
        QFETCH(QVariantList, args);
        QFETCH(QVariant, result);
        QFETCH(QVariantList, after);
        QPointer<QObject> alive;
        {
            const Object o = createObject(samples);
            alive = o.get();
            QVariant got;
            const QString error = raised([&] { got = o.call(member, args); });
            if (error != "no error")
                got = result.toString().contains(':') ? error : error.section(':', 0, 0);
            QCOMPARE(got, result);
            QCOMPARE(args, after);
            QCOMPARE(o.get("Value"), QVariant(0)); // still usable after an error
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
                raised([&] { name = createObject(progId).get("Name").toString(); });
            names << (name.isEmpty() ? error.section(':', 0, 0) : name);
        }
        QCOMPARE(names,
                 QStringList({"VaroTest.Echo", "varotest.ECHO", "VaroTest.Second", "error 429",
                              "error 429", "error 429", "error 429", "error 429"}));
        // Containers cross into the library and back as the same objects.
        const Object o = createObject("VaroTest.Echo");
        const Vector v = Vector::create();
        QVariantList refs{QVariant::fromValue(v), "two"};
        VARO_VERIFY_NO_ERROR(o.call("SwapRefs", refs));
        QVERIFY(refs.at(0) == "two" && refs.at(1).value<Vector>() == v);
        // An error raised in the plug-in's code is the same type the engine catches.
        QVariantList text{"插件出错"};
        QCOMPARE(raised([&] { o.call("Fail", text); }), QStringLiteral("error 5: 插件出错"));

        // A built-in class wins over a plug-in of the same ProgID.
        registerClass("VaroTest.Second", [] { return new Sample("built in"); });
        QCOMPARE(createObject("VaroTest.Second").get("Name"), QVariant("built in"));
        unregisterClass("VaroTest.Second");
        // Added folders come before VARO_PLUGIN_PATH's, which come before the program's own.
        const QStringList paths = pluginPaths();
        const QString env = qEnvironmentVariable("VARO_PLUGIN_PATH").section(':', 0, 0);
        QVERIFY(env.isEmpty() || paths.indexOf(plugins) < paths.indexOf(env));
        QVERIFY(paths.last().startsWith(QCoreApplication::applicationDirPath()));
    }
};

VARO_TEST_MAIN(TestAutomation)
#include "tst_automation.moc"
