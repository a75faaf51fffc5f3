// A plug-in that the registry must pass by: built once per kind with the interface ID and the
// metadata file given by CMakeLists.txt. Its object never implements the component factory.

#include <QObject>

class OtherPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VARO_TEST_PLUGIN_IID FILE VARO_TEST_PLUGIN_JSON)
};

#include "otherplugin.moc"
