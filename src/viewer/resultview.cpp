#include "resultview.h"

#include "groupheaderview.h"
#include "resultmodel.h"

#include "export/exporter.h"
#include "platform/ui.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

namespace varo::viewer
{

namespace
{

// Widest a column starts, so that one long text does not push the others out of sight.
constexpr int kWidestColumn = 320;
// Rows measured for the starting widths: a million rows are never all read for that.
constexpr int kMeasuredRows = 200;

class TotalsRow : public QTableView
{
public:
    explicit TotalsRow(QWidget *parent) : QTableView(parent)
    {
        setObjectName(QStringLiteral("totalsRow"));
        horizontalHeader()->hide();
        verticalHeader()->hide();
        verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSelectionMode(QAbstractItemView::NoSelection);
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        // The grid's horizontal scroll bar is this one: it sits below the totals.
        connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this,
                [this] { updateGeometry(); });
    }

    QSize sizeHint() const override
    {
        const QScrollBar *bar = horizontalScrollBar();
        const int barHeight = bar->maximum() > bar->minimum() ? bar->sizeHint().height() : 0;
        return QSize(QTableView::sizeHint().width(),
                     verticalHeader()->defaultSectionSize() + 2 * frameWidth() + barHeight);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

// QTableView keeps its measure protected; the item view's is public.
int measure(const QAbstractItemView *view, int column)
{
    return view->sizeHintForColumn(column);
}

const QList<std::pair<QString, exporting::ExportFormat>> &exportFormats()
{
    static const QList<std::pair<QString, exporting::ExportFormat>> formats{
        {QStringLiteral("xlsx"), exporting::ExportFormat::Xlsx},
        {QStringLiteral("csv"), exporting::ExportFormat::Csv},
        {QStringLiteral("pdf"), exporting::ExportFormat::Pdf}};
    return formats;
}

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

} // namespace

ResultView::ResultView(std::unique_ptr<ReportSession> session, QWidget *parent)
    : QWidget(parent), m_session(std::move(session)), m_model(new ResultModel(this)),
      m_totalsModel(new TotalsModel(this)), m_header(new GroupHeaderView(this)),
      m_grid(new QTableView(this)), m_totals(new TotalsRow(this)), m_totalsBox(new QWidget(this)),
      m_titles(new QVBoxLayout), m_findBar(new QWidget(this)), m_findText(new QLineEdit(m_findBar)),
      m_findStatus(new QLabel(m_findBar))
{
    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("resultCommands"));
    QAction *refresh =
        addCommand(QStringLiteral("actionRefresh"), tr("Refresh"), QKeySequence::Refresh);
    refresh->setEnabled(m_session->isRptX());
    connect(refresh, &QAction::triggered, this, &ResultView::refresh);
    QAction *filter = addCommand(QStringLiteral("actionNewFilter"), tr("New filter"), {});
    connect(filter, &QAction::triggered, this, &ResultView::newFilter);
    QAction *find = addCommand(QStringLiteral("actionFind"), tr("Find"), QKeySequence::Find);
    connect(find, &QAction::triggered, this, &ResultView::showFindBar);
    QAction *copy = addCommand(QStringLiteral("actionCopy"), tr("Copy"), QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &ResultView::copySelection);
    QAction *exporting =
        addCommand(QStringLiteral("actionExport"), tr("Export..."), QKeySequence::SaveAs);
    connect(exporting, &QAction::triggered, this, &ResultView::exportResult);
    QAction *print = addCommand(QStringLiteral("actionPrint"), tr("Print..."), QKeySequence::Print);
    connect(print, &QAction::triggered, this, &ResultView::print);
    toolBar->addActions({refresh, filter, find, copy, exporting, print});

    m_grid->setObjectName(QStringLiteral("resultGrid"));
    m_grid->setHorizontalHeader(m_header);
    m_grid->setModel(m_model);
    m_grid->verticalHeader()->hide();
    // Rows of one height need no measuring: a million of them cost nothing to lay out.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setWordWrap(false);
    m_grid->setAlternatingRowColors(true);
    // Always there, so that the totals row below can always leave its width free.
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_header->setSortIndicatorClearable(true);
    m_header->setSortIndicator(-1, Qt::AscendingOrder);
    m_grid->setSortingEnabled(true);

    m_totals->setModel(m_totalsModel);
    m_totals->setFont(m_grid->font());
    connect(m_header, &QHeaderView::sectionResized, m_totals,
            [this](int column, int, int size) { m_totals->setColumnWidth(column, size); });
    QScrollBar *gridBar = m_grid->horizontalScrollBar();
    QScrollBar *totalsBar = m_totals->horizontalScrollBar();
    connect(gridBar, &QScrollBar::valueChanged, totalsBar, &QScrollBar::setValue);
    connect(totalsBar, &QScrollBar::valueChanged, gridBar, &QScrollBar::setValue);
    // Beside the grid's vertical scroll bar the totals row leaves as much room free, so that
    // both show their columns at the same places.
    auto *totalsLayout = new QHBoxLayout(m_totalsBox);
    totalsLayout->setContentsMargins(0, 0, 0, 0);
    totalsLayout->setSpacing(0);
    totalsLayout->addWidget(m_totals);
    totalsLayout->addSpacing(m_grid->verticalScrollBar()->sizeHint().width());

    m_findBar->setObjectName(QStringLiteral("findBar"));
    m_findText->setObjectName(QStringLiteral("findText"));
    m_findText->setPlaceholderText(tr("Find in the result"));
    m_findStatus->setObjectName(QStringLiteral("findStatus"));
    auto *findLayout = new QHBoxLayout(m_findBar);
    findLayout->setContentsMargins(0, 0, 0, 0);
    findLayout->addWidget(m_findText, 1);
    findLayout->addWidget(m_findStatus);
    connect(m_findText, &QLineEdit::returnPressed, this, [this] {
        m_findStatus->setText(findNext(m_findText->text()) ? QString() : tr("Not found"));
    });
    auto *closeFind = new QShortcut(QKeySequence(Qt::Key_Escape), m_findBar);
    closeFind->setContext(Qt::WidgetWithChildrenShortcut);
    connect(closeFind, &QShortcut::activated, this, [this] {
        m_findBar->hide();
        m_grid->setFocus();
    });
    m_findBar->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    layout->addWidget(toolBar);
    layout->addLayout(m_titles);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_totalsBox);
    layout->addWidget(m_findBar);

    showTable(m_session->table());
}

ResultView::~ResultView() = default;

QAction *ResultView::addCommand(const QString &name, const QString &text, const QKeySequence &keys)
{
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
    return action;
}

QStringList ResultView::titleLines() const
{
    QStringList lines;
    for (int i = 0; i < m_titles->count(); ++i) {
        if (const auto *label = qobject_cast<QLabel *>(m_titles->itemAt(i)->widget()))
            lines.append(label->text());
    }
    return lines;
}

void ResultView::showTable(const exporting::ReportTable &table)
{
    while (QLayoutItem *item = m_titles->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QStringList lines = table.titleLines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        auto *label = new QLabel(lines.at(i), this);
        label->setObjectName(QStringLiteral("title%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        if (i == 0) {
            QFont font = label->font();
            font.setBold(true);
            if (font.pointSizeF() > 0)
                font.setPointSizeF(font.pointSizeF() * 1.3);
            label->setFont(font);
        }
        m_titles->addWidget(label);
    }
    m_header->setGroups(table.groups());
    m_model->setTable(table);
    m_totalsModel->setTable(table);
    // The grid keeps the order the person chose across a reload.
    const int sorted = m_header->sortIndicatorSection();
    if (sorted >= 0 && sorted < m_model->columnCount())
        m_model->sort(sorted, m_header->sortIndicatorOrder());
    m_totalsBox->setVisible(table.hasTotals());
    m_grid->setHorizontalScrollBarPolicy(table.hasTotals() ? Qt::ScrollBarAlwaysOff
                                                           : Qt::ScrollBarAsNeeded);
    fitColumns();
}

void ResultView::fitColumns()
{
    m_header->setResizeContentsPrecision(kMeasuredRows);
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int wanted =
            std::max({measure(m_grid, c), m_header->sectionSizeHint(c), measure(m_totals, c)});
        m_grid->setColumnWidth(c, std::min(wanted, kWidestColumn));
        m_totals->setColumnWidth(c, m_grid->columnWidth(c));
    }
}

void ResultView::refresh()
{
    if (m_session->refresh()) {
        showTable(m_session->table());
        Q_EMIT resultChanged();
    }
}

void ResultView::newFilter()
{
    if (m_session->newFilter()) {
        showTable(m_session->table());
        Q_EMIT resultChanged();
    }
}

QString ResultView::selectedText() const
{
    const QItemSelection selection = m_grid->selectionModel()->selection();
    if (selection.isEmpty())
        return QString();
    QList<int> columns;
    QList<std::pair<int, int>> rows;
    for (const QItemSelectionRange &range : selection) {
        for (int c = range.left(); c <= range.right(); ++c)
            columns.append(c);
        rows.append({range.top(), range.bottom()});
    }
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    std::sort(rows.begin(), rows.end());

    QStringList line;
    for (int c : std::as_const(columns))
        line.append(oneLine(m_model->table().columns().at(c).caption));
    QString text = line.join(u'\t') + u'\n';
    int next = 0; // the first row not written yet: ranges may overlap
    for (const auto &[top, bottom] : std::as_const(rows)) {
        for (int r = std::max(top, next); r <= bottom; ++r) {
            line.clear();
            for (int c : std::as_const(columns)) {
                line.append(selection.contains(m_model->index(r, c))
                                ? oneLine(m_model->shownText(r, c))
                                : QString());
            }
            text += line.join(u'\t') + u'\n';
        }
        next = std::max(next, bottom + 1);
    }
    return text;
}

void ResultView::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void ResultView::showFindBar()
{
    m_findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
}

bool ResultView::findNext(const QString &text)
{
    const int rows = m_model->rowCount();
    const int columns = m_model->columnCount();
    if (text.isEmpty() || rows == 0 || columns == 0)
        return false;
    const QModelIndex current = m_grid->currentIndex();
    const qint64 cells = qint64(rows) * columns;
    const qint64 start =
        current.isValid() ? qint64(current.row()) * columns + current.column() : -1;
    for (qint64 step = 1; step <= cells; ++step) {
        const qint64 cell = (start + step) % cells;
        const int r = int(cell / columns);
        const int c = int(cell % columns);
        if (m_model->shownText(r, c).contains(text, Qt::CaseInsensitive)) {
            const QModelIndex found = m_model->index(r, c);
            m_grid->setCurrentIndex(found);
            m_grid->scrollTo(found);
            return true;
        }
    }
    return false;
}

void ResultView::exportResult()
{
    QFileDialog dialog(this, tr("Export %1").arg(m_session->reportName()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({tr("Excel workbook (*.xlsx)"), tr("CSV, comma-separated (*.csv)"),
                           tr("PDF document (*.pdf)")});
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    // A name typed without a suffix takes the one of the type chosen.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        dialog.setDefaultSuffix(filter.section(QStringLiteral("*."), 1).chopped(1));
    });
    dialog.selectFile(m_session->key() + QStringLiteral(".xlsx"));
    if (ui::execModal(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        exportTo(dialog.selectedFiles().constFirst());
}

bool ResultView::exportTo(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const auto &[name, format] : exportFormats()) {
        if (suffix != name)
            continue;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QString problem =
            exporting::exportReports({m_model->tableInGridOrder()}, format, path);
        QApplication::restoreOverrideCursor();
        if (problem.isEmpty())
            return true;
        ui::showMessage(problem, ui::MessageIcon::Critical, QString());
        return false;
    }
    ui::showMessage(tr("Cannot export to %1: the file name must end in .xlsx, .csv or .pdf.")
                        .arg(QFileInfo(path).fileName()),
                    ui::MessageIcon::Critical, QString());
    return false;
}

void ResultView::print()
{
    QPrintPreviewDialog preview(this);
    preview.setWindowTitle(tr("Print %1").arg(m_session->reportName()));
    const exporting::ReportTable table = m_model->tableInGridOrder();
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
            [&table](QPrinter *printer) { exporting::printReport(table, printer); });
    ui::execModal(&preview);
}

} // namespace varo::viewer
