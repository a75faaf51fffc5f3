// Components created by ProgID and called by member name. Built-in classes register a factory;
// plug-in libraries are Qt plug-ins whose metadata lists the ProgIDs they create. Members are
// Q_INVOKABLE methods and Q_PROPERTYs; a QVariant& parameter is a by-reference argument whose
// new value the caller sees. Names match without regard to letter case, as late binding does.
// Public: hosts create the report objects with createObject and call them through Object;
// plug-in libraries implement ComponentFactory. A host may rely on the search order of
// pluginPaths() and on the error numbers 429, 438 and 450 below.
#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace varo
{

// A reference to a component. Copies share it; the component is deleted with the last copy.
class Object
{
public:
    Object() = default;
    static Object adopt(QObject *component); // takes ownership

    bool isNull() const { return !d; }
    QObject *get() const { return d.get(); }

    // Calls a member: a method taking exactly args.size() arguments, or, with no arguments, a
    // readable property. By-reference arguments are written back into args. Raises
    // "Object doesn't support this property or method" (438) for a missing member and 450
    // for a member that takes another number of arguments.
    QVariant call(const QString &member, QVariantList &args) const;
    QVariant call(const QString &member) const;
    QVariant get(const QString &property) const;
    void set(const QString &property, const QVariant &value) const;

    friend bool operator==(const Object &a, const Object &b) { return a.d == b.d; }

private:
    std::shared_ptr<QObject> d;
};

// What a plug-in library implements: it creates the components of the ProgIDs that its
// metadata lists ({"ProgIDs": ["Vendor.Class", ...]}).
class ComponentFactory
{
public:
    virtual ~ComponentFactory();
    virtual QObject *create(const QString &progId) = 0;
};

using Factory = std::function<QObject *()>;

// Registers a built-in class. A later registration of the same ProgID replaces the earlier.
void registerClass(const QString &progId, Factory factory);
void unregisterClass(const QString &progId);

// Folders searched for plug-in libraries: those added here, then the folders of the
// VARO_PLUGIN_PATH environment variable, then the engine's own plug-in folder ("varo/plugins"
// in the folder of the engine's libraries).
void addPluginPath(const QString &folder);
QStringList pluginPaths();

// Creates a component by ProgID; raises "ActiveX component can't create object" (429) when
// no built-in class or plug-in library provides it.
Object createObject(const QString &progId);

// Whether createObject would find a provider for the ProgID: a built-in class, or a plug-in
// library whose metadata lists it. Nothing is loaded or created.
bool componentExists(const QString &progId);

// Calls a member of any QObject by name (see Object::call).
QVariant invokeMember(QObject *object, const QString &member, QVariantList &args);

} // namespace varo

#define VaroComponentFactory_iid "org.varo.ComponentFactory/1.0"
Q_DECLARE_INTERFACE(varo::ComponentFactory, VaroComponentFactory_iid)
Q_DECLARE_METATYPE(varo::Object)
