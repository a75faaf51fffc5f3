#include "mainwindow.h"

#include "catalogueview.h"
#include "resultmodel.h"
#include "resultview.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>

namespace varo::viewer
{

namespace
{

// A form size from the catalogue smaller than this is taken for a placeholder, not a wish.
constexpr QSize kSmallestForm(200, 150);

} // namespace

MainWindow::MainWindow(const ViewerSettings &settings, QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_catalogue(new CatalogueView(this)),
      m_tabs(new QTabWidget(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("viewerWindow"));
    setWindowTitle(tr("Reports"));
    m_tabs->setObjectName(QStringLiteral("resultTabs"));
    m_tabs->setTabsClosable(true);
    m_tabs->setDocumentMode(true);
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, [this](int index) {
        QWidget *page = m_tabs->widget(index);
        m_tabs->removeTab(index);
        delete page; // and with it the report object and its rows
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::showStatus);
    connect(m_catalogue, &CatalogueView::reportChosen, this, &MainWindow::openReport);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_catalogue);
    splitter->addWidget(m_tabs);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 740});
    setCentralWidget(splitter);
    m_status->setObjectName(QStringLiteral("rowCount"));
    statusBar()->addPermanentWidget(m_status);
    resize(1000, 640);
}

ResultView *MainWindow::currentResult() const
{
    return qobject_cast<ResultView *>(m_tabs->currentWidget());
}

ResultView *MainWindow::openReport(const QString &key)
{
    auto session = std::make_unique<ReportSession>(m_settings, key);
    if (!session->request())
        return nullptr;
    const QString name = session->reportName();
    const QSize formSize = session->formSize();
    auto *view = new ResultView(std::move(session), m_tabs);
    const int index = m_tabs->addTab(view, name);
    m_tabs->setTabToolTip(index, key);
    connect(view, &ResultView::resultChanged, this, &MainWindow::showStatus);
    m_tabs->setCurrentIndex(index);
    fitTo(view, formSize);
    showStatus();
    return view;
}

// The window grows, within the screen, until the tab has the size the catalogue asks for; it
// never shrinks, since other tabs share it.
void MainWindow::fitTo(ResultView *view, QSize formSize)
{
    if (formSize.width() < kSmallestForm.width() || formSize.height() < kSmallestForm.height())
        return;
    if (layout())
        layout()->activate();
    const QSize missing = (formSize - view->size()).expandedTo(QSize(0, 0));
    if (missing == QSize(0, 0))
        return;
    QSize wanted = size() + missing;
    if (const QScreen *s = screen())
        wanted = wanted.boundedTo(s->availableGeometry().size());
    resize(wanted.expandedTo(size()));
}

void MainWindow::showStatus()
{
    const ResultView *view = currentResult();
    m_status->setText(view ? tr("%1 rows").arg(QLocale().toString(view->model()->rowCount()))
                           : QString());
}

} // namespace varo::viewer
