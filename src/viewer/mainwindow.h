// The viewer's main window: the report catalogue beside a tab per result. Choosing a report
// runs it on a report object of its own, with the engine's dialogs and message boxes as they
// always appear; a result that came back opens in a tab titled with the report's name.
#pragma once

#include "reportsession.h"

#include <QMainWindow>

class QLabel;
class QTabWidget;

namespace varo::viewer
{

class CatalogueView;
class ResultView;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(const ViewerSettings &settings, QWidget *parent = nullptr);

    CatalogueView *catalogue() const { return m_catalogue; }
    QTabWidget *tabs() const { return m_tabs; }
    ResultView *currentResult() const;

public Q_SLOTS:
    // Requests the report; its result opens in a new tab, which is returned. nullptr when the
    // request did not work or was cancelled.
    ResultView *openReport(const QString &key);

private:
    void fitTo(ResultView *view, QSize formSize);
    void showStatus();

    ViewerSettings m_settings;
    CatalogueView *m_catalogue;
    QTabWidget *m_tabs;
    QLabel *m_status;
};

} // namespace varo::viewer
