// Components by ProgID and calls by member name: the built-in registry, plug-in libraries found
// in plug-in folders (real ones, built next to this test, broken ones among them), by-reference
// arguments, argument conversion, and the errors a late-bound call raises.

#include "common/testsupport.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/errornumbers.h"
#include "platform/variant.h"

#include <QDir>
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
    Q_INVOKABLE QString Concat(const QString &a, const QString &b) const { return a + b; }
    Q_INVOKABLE void Swap(QVariant &a, QVariant &b) const { a.swap(b); }
    Q_INVOKABLE void Twice(int &n) const { n *= 2; }
    Q_INVOKABLE void Touch(const QVariant &v) const { const_cast<QVariant &>(v) = 0; }
    Q_INVOKABLE QString Keys(const varo::Dictionary &d) const { return d.keys().join(','); }
    Q_INVOKABLE void Raise(int number, const QString &text) const { throw Error(number, text); }
    Q_INVOKABLE void RaiseStd() const { throw std::runtime_error("out of range here"); }
    Q_INVOKABLE int ReadValue() const { return value; }
};

const QString samples = "VaroTest.Sample", plugins = VARO_TEST_PLUGIN_DIR;
const QString cannotCreate = "ActiveX component can't create object";

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
        VARO_VERIFY_ERROR(createObject("VaroTest.Echo"), ErrorNumber::CannotCreateObject);
        const QByteArray old = qgetenv("VARO_PLUGIN_PATH");
        qputenv("VARO_PLUGIN_PATH", "/nonexistent/folder:" + plugins.toLocal8Bit());
        const QStringList paths = pluginPaths();
        Object o;
        const auto error = test::errorOf([&] { o = createObject("VaroTest.Echo"); });
        qputenv("VARO_PLUGIN_PATH", old);
        QCOMPARE(paths.mid(0, 2), QStringList({"/nonexistent/folder", plugins}));
        QVERIFY2(!error, error ? qPrintable(test::describe(*error)) : "");
        QCOMPARE(o.get("Name"), QVariant("VaroTest.Echo"));
    }

    void registry()
    {
        // ProgIDs ignore letter case in every direction: register, create and unregister.
        QVERIFY(qobject_cast<Sample *>(createObject(samples.toUpper()).get()));
        registerClass("varotest.sample", [] { return new Sample("replacement"); });
        QCOMPARE(createObject(samples).get("Name"), QVariant("replacement"));
        unregisterClass(samples.toUpper());
        registerClass("VaroTest.NullFactory", [] { return nullptr; });
        for (const QString &progId : {samples, QString(), QStringLiteral("VaroTest.NullFactory")}) {
            const auto error = test::errorOf([&] { createObject(progId); });
            QVERIFY2(error, qPrintable(progId));
            QCOMPARE(error->number(), ErrorNumber::CannotCreateObject);
            QCOMPARE(error->description(), cannotCreate);
        }
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
                QCOMPARE(first.call("readvalue"), QVariant(12));
                QVERIFY(second == first && !(first == createObject(samples)));
            }
            QVERIFY(component); // one reference left
            VARO_VERIFY_ERROR(first.set("Value", "twelve"), ErrorNumber::TypeMismatch);
            VARO_VERIFY_ERROR(first.set("Missing", 1), ErrorNumber::NoSuchMember);
        }
        QVERIFY(!component); // released with the last reference
        const Object nothing;
        QVariantList none;
        VARO_VERIFY_ERROR(nothing.call("Echo"), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(nothing.set("Value", 1), ErrorNumber::ObjectNotSet);
        VARO_VERIFY_ERROR(invokeMember(nullptr, "Echo", none), ErrorNumber::ObjectNotSet);
    }

    // A result "error N" stands for the error number raised.
    void call_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QVariant>("result");
        const auto row = [](const char *name, const char *member, const QVariantList &args,
                            const QVariant &result) {
            QTest::newRow(name) << QString(member) << args << result;
        };
        const auto raises = [](int number) -> QString {
            return "error " + QString::number(number);
        };
        const QString mismatch = raises(ErrorNumber::TypeMismatch);
        const QString noMember = raises(ErrorNumber::NoSuchMember);
        const QString count = raises(ErrorNumber::WrongArgumentCount);
        row("Echo Null", "Echo", {nullValue()}, nullValue());
        row("member name in another case", "eCHO", {1}, 1);
        row("overload by count", "add", {2, 3, 4}, 9);
        row("property", "NAME", {}, "sample");
        row("text and double to int", "Add", {"2", 3.0}, 5);
        row("Empty to int is 0", "Add", {QVariant(), 4}, 4);
        row("numbers to text", "Concat", {12, 3.5}, "123.5");
        // A property called with an argument passes it to the default member of what it holds.
        row("Dictionary by name", "outcome", {"ok"}, true);
        row("Vector by index", "Items", {1}, "b");
        row("letters to int", "Add", {"abc", 1}, mismatch);
        row("text to Dictionary", "Keys", {"a"}, mismatch);
        row("no such member", "GetRptVect", {1, 2}, noMember);
        row("signal is no member", "destroyed", {}, noMember);
        row("QObject's slot is no member", "deleteLater", {}, noMember);
        row("too few", "Add", {1}, count);
        row("default member, two arguments", "Outcome", {"OK", 1}, count);
        row("a number has no default member", "Value", {1}, count);
        row("default member out of range", "Items", {2}, raises(ErrorNumber::SubscriptOutOfRange));
        // Errors raised inside a member reach the caller as they were raised.
        row("engine error", "Raise", {3021, "没有当前记录"}, "error 3021: 没有当前记录");
        row("standard exception", "RaiseStd", {}, "error 1002: out of range here");
    }
    void call()
    {
        QFETCH(QString, member);
        QFETCH(QVariantList, args);
        QFETCH(QVariant, result);
        QPointer<QObject> alive;
        {
            const Object o = createObject(samples);
            alive = o.get();
            QVariant got;
            if (const auto error = test::errorOf([&] { got = o.call(member, args); })) {
                const QString raised =
                    QString("error %1: %2").arg(error->number()).arg(error->description());
                got = result.toString().contains(':') ? raised : raised.section(':', 0, 0);
            }
            QCOMPARE(got, result);
            QCOMPARE(o.call("ReadValue"), QVariant(0)); // still usable after an error
        }
        QVERIFY(!alive); // a failed call keeps no reference
    }

    void byReferenceWrittenBack()
    {
        const Object o = createObject(samples);
        // The lookup component may hand back other connections than the ones it was given.
        const Connection loc = Connection::open("sqlite::memory:");
        const Connection sql = Connection::open("sqlite::memory:");
        QVariantList args{QVariant::fromValue(loc), QVariant::fromValue(sql)};
        VARO_VERIFY_NO_ERROR(o.call("swap", args));
        QVERIFY(args.at(0).value<Connection>() == sql && args.at(1).value<Connection>() == loc);
        QVariantList twice{"21"}; // converted on the way in, written back as the parameter's type
        VARO_VERIFY_NO_ERROR(o.call("Twice", twice));
        QCOMPARE(twice, QVariantList{42});
        QVariantList touched{"kept"}; // by value: the member's change stays with the member
        VARO_VERIFY_NO_ERROR(o.call("Touch", touched));
        QCOMPARE(touched, QVariantList{"kept"});
        QVariantList keys{QVariant::fromValue(test::dictionary({{"FB", 1}, {"FA", 2}}))};
        QCOMPARE(o.call("Keys", keys), QVariant("FB,FA"));
    }

    void pluginByProgId_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<bool>("found");
        QTest::newRow("as listed") << "VaroTest.Echo" << true;
        QTest::newRow("another case") << "varotest.ECHO" << true;
        QTest::newRow("second ProgID of the library") << "VaroTest.Second" << true;
        QTest::newRow("listed only by a foreign plug-in") << "VaroTest.ForeignOnly" << false;
        QTest::newRow("ProgIDs not a list") << "VaroTest.NotAList" << false;
        QTest::newRow("no factory behind the metadata") << "VaroTest.NoFactory" << false;
        QTest::newRow("factory refuses") << "VaroTest.Refuses" << false;
        QTest::newRow("listed nowhere") << "VaroTest.Nowhere" << false;
    }
    void pluginByProgId()
    {
        QFETCH(QString, progId);
        QFETCH(bool, found);
        // The folder also holds a file named like a library that is none, and a foreign
        // plug-in that lists "VaroTest.Echo" and sorts first: both must be passed by.
        addPluginPath(plugins);
        QVERIFY(QDir(plugins).exists("libnotaplugin.so"));
        if (found) {
            Object o;
            VARO_VERIFY_NO_ERROR(o = createObject(progId));
            QCOMPARE(o.get("Name"), QVariant(progId));
            QVERIFY(o.get()->inherits("varo::test::EchoComponent"));
        } else {
            VARO_VERIFY_ERROR(createObject(progId), ErrorNumber::CannotCreateObject);
        }
    }

    void pluginMembers()
    {
        addPluginPath(plugins);
        const Object o = createObject("VaroTest.Echo");
        QVariantList refs{1, "two"};
        VARO_VERIFY_NO_ERROR(o.call("SwapRefs", refs));
        QCOMPARE(refs, QVariantList({"two", 1}));
        // An error raised in the plug-in's code is the same type the engine catches.
        QVariantList failArgs{"插件出错"};
        const auto error = test::errorOf([&] { o.call("Fail", failArgs); });
        QVERIFY(error);
        QCOMPARE(error->number(), 5);
        QCOMPARE(error->description(), QStringLiteral("插件出错"));
    }

    void pluginSearchOrder()
    {
        // A built-in class wins over a plug-in of the same ProgID.
        addPluginPath(plugins);
        registerClass("VaroTest.Second", [] { return new Sample("built in"); });
        const Object o = createObject("VaroTest.Second");
        unregisterClass("VaroTest.Second");
        QCOMPARE(o.get("Name"), QVariant("built in"));
        QCOMPARE(createObject("VaroTest.Second").get("Name"), QVariant("VaroTest.Second"));
        // Added folders come before VARO_PLUGIN_PATH's, which come before the program's own.
        const QStringList paths = pluginPaths();
        const QString env = qEnvironmentVariable("VARO_PLUGIN_PATH").section(':', 0, 0);
        QVERIFY(env.isEmpty() || paths.indexOf(plugins) < paths.indexOf(env));
        QVERIFY(paths.last().startsWith(QCoreApplication::applicationDirPath()));
    }
};

VARO_TEST_MAIN(TestAutomation)
#include "tst_automation.moc"
