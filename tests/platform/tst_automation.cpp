// Components by ProgID and calls by member name: the built-in registry, plug-in libraries found
// in plug-in folders (real ones, built next to this test), by-reference arguments, argument
// conversion, and the errors a late-bound call raises.

#include "common/testsupport.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/containers.h"
#include "platform/errornumbers.h"

#include <QDir>
#include <QPointer>
#include <QTest>
#include <functional>
#include <stdexcept>

using varo::Object;

namespace
{

// A built-in class with one member of each kind the engine calls.
class Sample : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name READ name CONSTANT)
    Q_PROPERTY(int Value READ value WRITE setValue)
    Q_PROPERTY(varo::Dictionary Outcome READ outcome)
    Q_PROPERTY(varo::Vector Items READ items)

public:
    explicit Sample(QString name = QStringLiteral("sample")) : m_name(std::move(name)) {}
    QString name() const { return m_name; }
    int value() const { return m_value; }
    void setValue(int v) { m_value = v; }
    varo::Dictionary outcome() const
    {
        varo::Dictionary d = varo::Dictionary::create();
        d.set(QStringLiteral("OK"), true);
        return d;
    }
    varo::Vector items() const { return Pair(QStringLiteral("a"), QStringLiteral("b")); }

    Q_INVOKABLE QVariant Echo(const QVariant &v) const { return v; }
    Q_INVOKABLE int Add(int a, int b) const { return a + b; }
    Q_INVOKABLE int Add(int a, int b, int c) const { return a + b + c; }
    Q_INVOKABLE QString Concat(const QString &a, const QString &b) const { return a + b; }
    Q_INVOKABLE void Swap(QVariant &a, QVariant &b) const { a.swap(b); }
    Q_INVOKABLE void Twice(int &n) const { n *= 2; }
    Q_INVOKABLE void Touch(const QVariant &v) const { const_cast<QVariant &>(v) = 0; }
    Q_INVOKABLE QString Keys(const varo::Dictionary &d) const { return d.keys().join(u','); }
    Q_INVOKABLE varo::Vector Pair(const QVariant &a, const QVariant &b) const
    {
        varo::Vector v = varo::Vector::create();
        v.Add(a);
        v.Add(b);
        return v;
    }
    Q_INVOKABLE void Raise(int number, const QString &description) const
    {
        throw varo::Error(number, description);
    }
    Q_INVOKABLE void RaiseStd() const { throw std::runtime_error("out of range here"); }
    Q_INVOKABLE int ReadValue() const { return m_value; }

private:
    QString m_name;
    int m_value = 0;
};

const QString samples = QStringLiteral("VaroTest.Sample");

QString testPluginDir()
{
    return QStringLiteral(VARO_TEST_PLUGIN_DIR);
}

} // namespace

class TestAutomation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void registrationReplacesAndUnregisters();
    void cannotCreate_data();
    void cannotCreate();
    void objectIsAReference();
    void nothingRaises_data();
    void nothingRaises();

    void callByName_data();
    void callByName();
    void callRaises_data();
    void callRaises();
    void byReferenceWrittenBack();
    void properties();

    void pluginFoundThroughEnvironment();
    void pluginByProgId_data();
    void pluginByProgId();
    void pluginMembers();
    void pluginSearchOrder();
};

void TestAutomation::init()
{
    // Some tests replace or remove the class; every test starts from the plain one.
    varo::registerClass(samples, [] { return new Sample; });
}

void TestAutomation::registrationReplacesAndUnregisters()
{
    // ProgIDs ignore letter case in every direction: register, create and unregister.
    QVERIFY(qobject_cast<Sample *>(varo::createObject(samples.toUpper()).get()));
    varo::registerClass(QStringLiteral("varotest.sample"),
                        [] { return new Sample(QStringLiteral("replacement")); });
    QCOMPARE(varo::createObject(samples).get(QStringLiteral("Name")),
             QVariant(QStringLiteral("replacement")));
    varo::unregisterClass(samples.toUpper());
    VARO_VERIFY_ERROR(varo::createObject(samples), varo::ErrorNumber::CannotCreateObject);
}

void TestAutomation::cannotCreate_data()
{
    QTest::addColumn<QString>("progId");
    QTest::newRow("unknown") << "VaroTest.NoSuchClass";
    QTest::newRow("empty") << "";
    QTest::newRow("factory gives nothing") << "VaroTest.NullFactory";
}

void TestAutomation::cannotCreate()
{
    QFETCH(QString, progId);
    varo::registerClass(QStringLiteral("VaroTest.NullFactory"), [] { return nullptr; });
    const auto error = varo::test::errorOf([&] { varo::createObject(progId); });
    varo::unregisterClass(QStringLiteral("VaroTest.NullFactory"));
    QVERIFY(error);
    QCOMPARE(error->number(), varo::ErrorNumber::CannotCreateObject);
    QCOMPARE(error->description(), QStringLiteral("ActiveX component can't create object"));
}

void TestAutomation::objectIsAReference()
{
    QPointer<QObject> component;
    {
        Object first = varo::createObject(samples);
        component = first.get();
        {
            const Object second = first;
            QVERIFY(second == first);
            second.set(QStringLiteral("Value"), 7);
            QCOMPARE(first.get(QStringLiteral("Value")), QVariant(7));
        }
        QVERIFY(component); // one reference left
        QVERIFY(!(first == varo::createObject(samples)));
    }
    QVERIFY(!component); // released with the last reference
}

void TestAutomation::nothingRaises_data()
{
    using Use = std::function<void()>;
    QTest::addColumn<Use>("use");
    const Object nothing;
    QTest::newRow("call") << Use([nothing] { nothing.call(QStringLiteral("Echo")); });
    QTest::newRow("get") << Use([nothing] { nothing.get(QStringLiteral("Name")); });
    QTest::newRow("set") << Use([nothing] { nothing.set(QStringLiteral("Value"), 1); });
    QTest::newRow("invokeMember") << Use([] {
        QVariantList args;
        varo::invokeMember(nullptr, QStringLiteral("Echo"), args);
    });
}

void TestAutomation::nothingRaises()
{
    QFETCH(std::function<void()>, use);
    VARO_VERIFY_ERROR(use(), varo::ErrorNumber::ObjectNotSet);
}

void TestAutomation::callByName_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QVariant>("result");
    QTest::newRow("Echo text") << "Echo" << QVariantList{QStringLiteral("x")}
                               << QVariant(QStringLiteral("x"));
    QTest::newRow("Echo Null") << "Echo" << QVariantList{QVariant::fromValue(nullptr)}
                               << QVariant::fromValue(nullptr);
    QTest::newRow("member name in another case") << "eCHO" << QVariantList{1} << QVariant(1);
    QTest::newRow("overload by count") << "add" << QVariantList{2, 3, 4} << QVariant(9);
    QTest::newRow("no arguments") << "ReadValue" << QVariantList{} << QVariant(0);
    // Arguments are converted to the parameter types.
    QTest::newRow("text to int") << "Add" << QVariantList{QStringLiteral("2"), 3} << QVariant(5);
    QTest::newRow("double to int")
        << "Add" << QVariantList{2.0, QStringLiteral("40")} << QVariant(42);
    QTest::newRow("16-bit to int")
        << "Add" << QVariantList{QVariant::fromValue<qint16>(1), 1} << QVariant(2);
    QTest::newRow("Empty to int is 0") << "Add" << QVariantList{QVariant(), 4} << QVariant(4);
    QTest::newRow("numbers to text")
        << "Concat" << QVariantList{12, 3.5} << QVariant(QStringLiteral("123.5"));
    QTest::newRow("Empty to text") << "Concat" << QVariantList{QVariant(), QStringLiteral("a")}
                                   << QVariant(QStringLiteral("a"));
    // A property called with an argument passes it to the default member of what it holds.
    QTest::newRow("Dictionary by name") << "outcome" << QVariantList{"ok"} << QVariant(true);
    QTest::newRow("missing name is Empty") << "Outcome" << QVariantList{"Error"} << QVariant();
    QTest::newRow("Vector by index") << "Items" << QVariantList{1} << QVariant("b");
}

void TestAutomation::callByName()
{
    QFETCH(QString, member);
    QFETCH(QVariantList, args);
    QFETCH(QVariant, result);
    const Object o = varo::createObject(samples);
    QVariant got;
    VARO_VERIFY_NO_ERROR(got = o.call(member, args));
    QCOMPARE(got, result);
}

void TestAutomation::callRaises_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description"); // empty: not checked
    const auto row = [](const char *name, const char *member, const QVariantList &args, int number,
                        const QString &description = {}) {
        QTest::newRow(name) << QString::fromLatin1(member) << args << number << description;
    };
    const QVariant dictionary = QVariant::fromValue(varo::Dictionary::create());
    const int mismatch = varo::ErrorNumber::TypeMismatch;
    row("letters to int", "Add", {QStringLiteral("abc"), 1}, mismatch);
    row("Dictionary to int", "Add", {dictionary, 1}, mismatch);
    row("text to Dictionary", "Keys", {QStringLiteral("a")}, mismatch);
    row("Vector to Dictionary", "Keys", {QVariant::fromValue(varo::Vector::create())}, mismatch);

    const int missing = varo::ErrorNumber::NoSuchMember;
    const QString noMember = QStringLiteral("Object doesn't support this property or method");
    row("no such method", "ReturnFilterTitle", {}, missing, noMember);
    row("no such method, with arguments", "GetRptVect", {1, 2}, missing, noMember);
    row("signal is not a member", "destroyed", {}, missing, noMember);
    row("slot of QObject is not ours", "deleteLater", {}, missing, noMember);

    const int count = varo::ErrorNumber::WrongArgumentCount;
    row("too few", "Add", {1}, count);
    row("too many", "Add", {1, 2, 3, 4}, count);
    row("none for one", "Echo", {}, count);
    row("one for none", "ReadValue", {1}, count);
    // The default member of what a property holds takes one argument, if it has one at all.
    row("default member, two arguments", "Outcome", {QStringLiteral("OK"), 1}, count);
    row("a number has no default member", "Value", {1}, count);
    row("default member, index out of range", "Items", {2}, varo::ErrorNumber::SubscriptOutOfRange);

    // Errors raised inside a member reach the caller as they were raised.
    const QString noRecord = QStringLiteral("没有当前记录");
    row("engine error", "Raise", {3021, noRecord}, 3021, noRecord);
    row("negative provider number", "raise",
        {varo::ErrorNumber::ProviderError, QStringLiteral("bad SQL")},
        varo::ErrorNumber::ProviderError, QStringLiteral("bad SQL"));
    row("standard exception", "RaiseStd", {}, varo::ErrorNumber::Unexpected,
        QStringLiteral("out of range here"));
}

void TestAutomation::callRaises()
{
    QFETCH(QString, member);
    QFETCH(QVariantList, args);
    QFETCH(int, number);
    QFETCH(QString, description);
    QPointer<QObject> alive;
    {
        const Object o = varo::createObject(samples);
        alive = o.get();
        const auto error = varo::test::errorOf([&] { o.call(member, args); });
        QVERIFY(error);
        QCOMPARE(error->number(), number);
        if (!description.isEmpty())
            QCOMPARE(error->description(), description);
        // The component is still usable after the error.
        QCOMPARE(o.call(QStringLiteral("ReadValue")), QVariant(0));
    }
    QVERIFY(!alive); // the failed call kept no reference
}

void TestAutomation::byReferenceWrittenBack()
{
    const Object o = varo::createObject(samples);
    varo::Dictionary d = varo::Dictionary::create();
    QVariantList args{QStringLiteral("left"), QVariant::fromValue(d)};
    VARO_VERIFY_NO_ERROR(o.call(QStringLiteral("swap"), args));
    QCOMPARE(args.size(), 2);
    QVERIFY(args.at(0).value<varo::Dictionary>() == d);
    QCOMPARE(args.at(1), QVariant(QStringLiteral("left")));

    // Converted on the way in, written back as the parameter's type.
    QVariantList twice{QStringLiteral("21")};
    VARO_VERIFY_NO_ERROR(o.call(QStringLiteral("Twice"), twice));
    QCOMPARE(twice.at(0).toInt(), 42);

    // Touch scribbles on its by-value argument; the caller's value must not change.
    QVariantList touched{QStringLiteral("kept")};
    VARO_VERIFY_NO_ERROR(o.call(QStringLiteral("Touch"), touched));
    QCOMPARE(touched.at(0), QVariant(QStringLiteral("kept")));

    // The lookup component may hand back other connections than the ones it was given.
    varo::Connection loc = varo::Connection::open(QStringLiteral("sqlite::memory:"));
    varo::Connection sql = varo::Connection::open(QStringLiteral("sqlite::memory:"));
    QVariantList connections{QVariant::fromValue(loc), QVariant::fromValue(sql)};
    VARO_VERIFY_NO_ERROR(o.call(QStringLiteral("Swap"), connections));
    QVERIFY(connections.at(0).value<varo::Connection>() == sql);
    QVERIFY(connections.at(1).value<varo::Connection>() == loc);

    // Containers go in and come out as the same objects.
    d.set(QStringLiteral("FB"), 1);
    d.set(QStringLiteral("FA"), 2);
    QVariantList keysArgs{QVariant::fromValue(d)};
    QCOMPARE(o.call(QStringLiteral("Keys"), keysArgs), QVariant(QStringLiteral("FB,FA")));
    QVariantList pairArgs{1, QStringLiteral("b")};
    const varo::Vector pair = o.call(QStringLiteral("Pair"), pairArgs).value<varo::Vector>();
    QCOMPARE(pair.items(), (QVariantList{1, QStringLiteral("b")}));
}

void TestAutomation::properties()
{
    const Object o = varo::createObject(samples);
    QCOMPARE(o.get(QStringLiteral("NAME")), QVariant(QStringLiteral("sample")));
    QCOMPARE(o.call(QStringLiteral("name")), QVariant(QStringLiteral("sample")));
    o.set(QStringLiteral("value"), QStringLiteral("12")); // converted to the property's type
    QCOMPARE(o.call(QStringLiteral("ReadValue")), QVariant(12));
    VARO_VERIFY_ERROR(o.set(QStringLiteral("Value"), QStringLiteral("twelve")),
                      varo::ErrorNumber::TypeMismatch);
    VARO_VERIFY_ERROR(o.set(QStringLiteral("Missing"), 1), varo::ErrorNumber::NoSuchMember);
    VARO_VERIFY_ERROR(o.get(QStringLiteral("Missing")), varo::ErrorNumber::NoSuchMember);
}

void TestAutomation::pluginFoundThroughEnvironment()
{
    // Runs before any addPluginPath: only VARO_PLUGIN_PATH can lead to the test plug-ins.
    QVERIFY(!varo::pluginPaths().contains(testPluginDir()));
    VARO_VERIFY_ERROR(varo::createObject(QStringLiteral("VaroTest.Echo")),
                      varo::ErrorNumber::CannotCreateObject);

    const QByteArray old = qgetenv("VARO_PLUGIN_PATH");
    qputenv("VARO_PLUGIN_PATH", "/nonexistent/folder:" + testPluginDir().toLocal8Bit());
    const QStringList paths = varo::pluginPaths();
    Object o;
    const auto error =
        varo::test::errorOf([&] { o = varo::createObject(QStringLiteral("VaroTest.Echo")); });
    qputenv("VARO_PLUGIN_PATH", old);

    QVERIFY(paths.contains(QStringLiteral("/nonexistent/folder")));
    QVERIFY(paths.contains(testPluginDir()));
    QVERIFY2(!error, error ? qPrintable(varo::test::describe(*error)) : "");
    QCOMPARE(o.get(QStringLiteral("Name")), QVariant(QStringLiteral("VaroTest.Echo")));
}

void TestAutomation::pluginByProgId_data()
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

void TestAutomation::pluginByProgId()
{
    QFETCH(QString, progId);
    QFETCH(bool, found);
    varo::addPluginPath(testPluginDir());
    QVERIFY(varo::pluginPaths().contains(testPluginDir()));
    // The folder also holds a file named like a library that is none, and a foreign plug-in
    // that lists "VaroTest.Echo" and sorts before the real one: both must be passed by.
    QVERIFY(QDir(testPluginDir()).exists(QStringLiteral("libnotaplugin.so")));
    if (found) {
        Object o;
        VARO_VERIFY_NO_ERROR(o = varo::createObject(progId));
        QCOMPARE(o.get(QStringLiteral("Name")), QVariant(progId));
    } else {
        VARO_VERIFY_ERROR(varo::createObject(progId), varo::ErrorNumber::CannotCreateObject);
    }
    Object echo;
    VARO_VERIFY_NO_ERROR(echo = varo::createObject(QStringLiteral("VaroTest.Echo")));
    QVERIFY(echo.get()->inherits("varo::test::EchoComponent"));
}

void TestAutomation::pluginMembers()
{
    varo::addPluginPath(testPluginDir());
    const Object o = varo::createObject(QStringLiteral("VaroTest.Echo"));
    QVariantList echo{QVariant::fromValue(varo::Vector::create())};
    QVERIFY(o.call(QStringLiteral("Echo"), echo).value<varo::Vector>() ==
            echo.at(0).value<varo::Vector>());

    QVariantList refs{1, QStringLiteral("two")};
    VARO_VERIFY_NO_ERROR(o.call(QStringLiteral("SwapRefs"), refs));
    QCOMPARE(refs, (QVariantList{QStringLiteral("two"), 1}));

    // An error raised in the plug-in's code is the same type the engine catches.
    QVariantList failArgs{QStringLiteral("插件出错")};
    const auto error = varo::test::errorOf([&] { o.call(QStringLiteral("Fail"), failArgs); });
    QVERIFY(error);
    QCOMPARE(error->number(), 5);
    QCOMPARE(error->description(), QStringLiteral("插件出错"));
}

void TestAutomation::pluginSearchOrder()
{
    // A built-in class wins over a plug-in of the same ProgID.
    varo::addPluginPath(testPluginDir());
    varo::registerClass(QStringLiteral("VaroTest.Second"),
                        [] { return new Sample(QStringLiteral("built in")); });
    const Object o = varo::createObject(QStringLiteral("VaroTest.Second"));
    varo::unregisterClass(QStringLiteral("VaroTest.Second"));
    QCOMPARE(o.get(QStringLiteral("Name")), QVariant(QStringLiteral("built in")));
    const Object plugin = varo::createObject(QStringLiteral("VaroTest.Second"));
    QCOMPARE(plugin.get(QStringLiteral("Name")), QVariant(QStringLiteral("VaroTest.Second")));

    // Added folders come before VARO_PLUGIN_PATH's, which come before the program's own.
    const QStringList paths = varo::pluginPaths();
    const QString env = qEnvironmentVariable("VARO_PLUGIN_PATH").section(u':', 0, 0);
    if (!env.isEmpty())
        QVERIFY(paths.indexOf(testPluginDir()) < paths.indexOf(env));
    QVERIFY(paths.last().startsWith(QCoreApplication::applicationDirPath()));
}

VARO_TEST_MAIN(TestAutomation)
#include "tst_automation.moc"
