// A Qt plug-in of some other kind (another interface ID) whose metadata happens to list a
// ProgID the automation tests use: the registry must pass it by.

#include <QObject>

class ForeignPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.SomethingElse/1.0" FILE "foreignplugin.json")
};

#include "foreignplugin.moc"
