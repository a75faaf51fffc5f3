// A plug-in whose metadata promises our interface but whose object does not implement it:
// creating its ProgID must fail with an error, not crash.

#include <QObject>

class NoFactoryPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.varo.ComponentFactory/1.0" FILE "nofactoryplugin.json")
};

#include "nofactoryplugin.moc"
