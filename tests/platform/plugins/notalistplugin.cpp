// A plug-in with our interface ID whose metadata gives its ProgIDs as one text instead of a
// list: unusable metadata, so the registry must treat the ProgID as unknown.

#include <QObject>

class NotAListPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.varo.ComponentFactory/1.0" FILE "notalistplugin.json")
};

#include "notalistplugin.moc"
