#include "automation.h"

#include "ado.h"
#include "containers.h"
#include "error.h"
#include "errornumbers.h"
#include "variant.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QMutex>
#include <QPluginLoader>
#include <QProcessEnvironment>
#include <dlfcn.h>
#include <map>

namespace varo
{

ComponentFactory::~ComponentFactory() = default;

namespace
{

struct Registry {
    QMutex mutex;
    QHash<QString, Factory> builtIn; // case-folded ProgID -> factory
    QStringList extraPaths;
    // Plug-in libraries, loaded on first use and kept for the life of the process: their
    // code must outlive every component they created.
    std::map<QString, std::unique_ptr<QPluginLoader>> loaders; // file -> loader
};

Registry &registry()
{
    static Registry r;
    return r;
}

void registerTypes()
{
    static const bool done = [] {
        qRegisterMetaType<Vector>();
        qRegisterMetaType<Dictionary>();
        qRegisterMetaType<Connection>();
        qRegisterMetaType<Recordset>();
        qRegisterMetaType<Object>();
        return true;
    }();
    Q_UNUSED(done);
}

Error noMember(const QString &member)
{
    Q_UNUSED(member);
    return Error(ErrorNumber::NoSuchMember,
                 QStringLiteral("Object doesn't support this property or method"));
}

Error cannotCreate()
{
    return Error(ErrorNumber::CannotCreateObject,
                 QStringLiteral("ActiveX component can't create object"));
}

// The plug-ins installed with the engine sit in "varo/plugins" beside this library, in the build
// tree as in any install prefix, so that a relocated prefix and a host installed elsewhere
// still find them.
QString installedPluginFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void *>(&installedPluginFolder), &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalPath() +
           QStringLiteral("/varo/plugins");
}

// The plug-in file that declares a ProgID in its metadata, or an empty string.
QString findPluginFile(const QString &progId, const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QDir dir(folder);
        const QStringList files = dir.entryList(QDir::Files);
        for (const QString &file : files) {
            if (!QLibrary::isLibrary(file))
                continue;
            const QString path = dir.absoluteFilePath(file);
            QPluginLoader loader(path);
            const QJsonObject meta = loader.metaData();
            if (meta.value(QStringLiteral("IID")).toString() !=
                QLatin1String(VaroComponentFactory_iid))
                continue;
            const QJsonArray ids = meta.value(QStringLiteral("MetaData"))
                                       .toObject()
                                       .value(QStringLiteral("ProgIDs"))
                                       .toArray();
            for (const auto &id : ids) {
                if (id.toString().compare(progId, Qt::CaseInsensitive) == 0)
                    return path;
            }
        }
    }
    return QString();
}

} // namespace

Object Object::adopt(QObject *component)
{
    Object o;
    if (component)
        o.d = std::shared_ptr<QObject>(component);
    return o;
}

QVariant Object::call(const QString &member, QVariantList &args) const
{
    if (!d)
        throw Error(ErrorNumber::ObjectNotSet,
                    QStringLiteral("Object variable or With block variable not set"));
    return invokeMember(d.get(), member, args);
}

QVariant Object::call(const QString &member) const
{
    QVariantList none;
    return call(member, none);
}

QVariant Object::get(const QString &property) const
{
    return call(property);
}

void Object::set(const QString &property, const QVariant &value) const
{
    if (!d)
        throw Error(ErrorNumber::ObjectNotSet,
                    QStringLiteral("Object variable or With block variable not set"));
    const QMetaObject *mo = d->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        QMetaProperty p = mo->property(i);
        if (QString::fromLatin1(p.name()).compare(property, Qt::CaseInsensitive) != 0)
            continue;
        if (!p.isWritable())
            break;
        QVariant converted = value;
        if (p.metaType() != QMetaType::fromType<QVariant>() &&
            converted.metaType() != p.metaType() && !converted.convert(p.metaType()))
            throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
        p.write(d.get(), converted);
        return;
    }
    throw noMember(property);
}

void registerClass(const QString &progId, Factory factory)
{
    registerTypes();
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.builtIn.insert(progId.toCaseFolded(), std::move(factory));
}

void unregisterClass(const QString &progId)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.builtIn.remove(progId.toCaseFolded());
}

void addPluginPath(const QString &folder)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    if (!r.extraPaths.contains(folder))
        r.extraPaths.append(folder);
}

QStringList pluginPaths()
{
    Registry &r = registry();
    QStringList paths;
    {
        QMutexLocker lock(&r.mutex);
        paths = r.extraPaths;
    }
    const QString env = qEnvironmentVariable("VARO_PLUGIN_PATH");
    for (const QString &p : env.split(u':', Qt::SkipEmptyParts))
        paths.append(p);
    static const QString installed = installedPluginFolder();
    if (!installed.isEmpty())
        paths.append(installed);
    return paths;
}

Object createObject(const QString &progId)
{
    registerTypes();
    Registry &r = registry();
    Factory factory;
    {
        QMutexLocker lock(&r.mutex);
        factory = r.builtIn.value(progId.toCaseFolded());
    }
    if (factory) {
        QObject *component = factory();
        if (!component)
            throw cannotCreate();
        return Object::adopt(component);
    }
    const QString file = findPluginFile(progId, pluginPaths());
    if (file.isEmpty())
        throw cannotCreate();
    QMutexLocker lock(&r.mutex);
    auto &loader = r.loaders[file];
    if (!loader)
        loader = std::make_unique<QPluginLoader>(file);
    auto *plugin = qobject_cast<ComponentFactory *>(loader->instance());
    if (!plugin)
        throw Error(
            ErrorNumber::CannotCreateObject,
            QStringLiteral("ActiveX component can't create object: %1").arg(loader->errorString()));
    lock.unlock();
    QObject *component = plugin->create(progId);
    if (!component)
        throw cannotCreate();
    return Object::adopt(component);
}

bool componentExists(const QString &progId)
{
    Registry &r = registry();
    {
        QMutexLocker lock(&r.mutex);
        if (r.builtIn.contains(progId.toCaseFolded()))
            return true;
    }
    return !findPluginFile(progId, pluginPaths()).isEmpty();
}

namespace
{

// A property called with arguments applies them to the default member of the object it holds:
// the value under a name of a Dictionary, the item at an index of a Vector.
QVariant defaultMember(const QVariant &value, const QVariantList &args)
{
    if (args.size() == 1 && value.metaType() == QMetaType::fromType<Dictionary>()) {
        const Dictionary d = value.value<Dictionary>();
        if (d.isNull())
            throw Error(ErrorNumber::ObjectNotSet,
                        QStringLiteral("Object variable or With block variable not set"));
        return d.value(toText(args.first()));
    }
    if (args.size() == 1 && value.metaType() == QMetaType::fromType<Vector>())
        return value.value<Vector>().Item(toInt32(args.first()));
    throw Error(ErrorNumber::WrongArgumentCount,
                QStringLiteral("Wrong number of arguments or invalid property assignment"));
}

} // namespace

QVariant invokeMember(QObject *object, const QString &member, QVariantList &args)
{
    registerTypes();
    if (!object)
        throw Error(ErrorNumber::ObjectNotSet,
                    QStringLiteral("Object variable or With block variable not set"));
    const QMetaObject *mo = object->metaObject();
    bool nameFound = false;
    // QObject's own slots (deleteLater, ...) are no members of a component.
    for (int i = QObject::staticMetaObject.methodCount(); i < mo->methodCount(); ++i) {
        const QMetaMethod method = mo->method(i);
        if (method.access() != QMetaMethod::Public || method.methodType() == QMetaMethod::Signal ||
            QString::fromLatin1(method.name()).compare(member, Qt::CaseInsensitive) != 0)
            continue;
        nameFound = true;
        if (method.parameterCount() != args.size())
            continue;

        // Convert every argument to its parameter's type; QVariant& parameters take the
        // caller's own variant, other non-const references a converted copy written back.
        const QList<QByteArray> types = method.parameterTypes();
        QVariantList storage(args.size());
        std::vector<void *> argv(args.size() + 1, nullptr);
        for (qsizetype a = 0; a < args.size(); ++a) {
            QByteArray type = types.at(a);
            const bool byRef = type.endsWith('&');
            if (byRef)
                type.chop(1);
            if (type == "QVariant") {
                if (byRef) {
                    argv[a + 1] = &args[a];
                } else {
                    storage[a] = args[a];
                    argv[a + 1] = &storage[a];
                }
                continue;
            }
            const QMetaType target = QMetaType::fromName(type);
            if (!target.isValid())
                throw Error(ErrorNumber::TypeMismatch,
                            QStringLiteral("Type mismatch: unknown parameter type %1")
                                .arg(QString::fromLatin1(type)));
            storage[a] = args[a];
            if (storage[a].metaType() != target) {
                if (!storage[a].isValid())
                    storage[a] = QVariant(target);
                else if (!storage[a].convert(target))
                    throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
            }
            argv[a + 1] = storage[a].data();
        }
        QVariant result;
        const QMetaType returnType = method.returnMetaType();
        if (returnType == QMetaType::fromType<QVariant>())
            argv[0] = &result;
        else if (returnType.isValid() && returnType.id() != QMetaType::Void) {
            result = QVariant(returnType);
            argv[0] = result.data();
        }
        try {
            QMetaObject::metacall(object, QMetaObject::InvokeMetaMethod, method.methodIndex(),
                                  argv.data());
        } catch (const Error &) {
            throw;
        } catch (const std::exception &e) {
            throw toError(e);
        }
        for (qsizetype a = 0; a < args.size(); ++a) {
            if (types.at(a).endsWith('&') && types.at(a) != "QVariant&")
                args[a] = storage[a];
        }
        return result;
    }
    if (nameFound)
        throw Error(ErrorNumber::WrongArgumentCount,
                    QStringLiteral("Wrong number of arguments or invalid property assignment"));
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (QString::fromLatin1(p.name()).compare(member, Qt::CaseInsensitive) != 0 ||
            !p.isReadable())
            continue;
        QVariant value;
        try {
            value = p.read(object);
        } catch (const Error &) {
            throw;
        } catch (const std::exception &e) {
            throw toError(e);
        }
        if (args.isEmpty())
            return value;
        return defaultMember(value, args);
    }
    throw noMember(member);
}

} // namespace varo
