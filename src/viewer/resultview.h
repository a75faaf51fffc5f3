// One result in a tab: the report's title lines, the grid of its rows under a two-level header,
// the totals record frozen below them, a find bar, and the commands that load it again.
#pragma once

#include "reportsession.h"

#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QTableView;
class QVBoxLayout;

namespace varo::viewer
{

class GroupHeaderView;
class ResultModel;
class TotalsModel;

class ResultView : public QWidget
{
    Q_OBJECT

public:
    // Shows what the session's object holds now.
    explicit ResultView(std::unique_ptr<ReportSession> session, QWidget *parent = nullptr);
    ~ResultView() override;

    ReportSession &session() const { return *m_session; }
    ResultModel *model() const { return m_model; }
    QTableView *grid() const { return m_grid; }
    QTableView *totalsRow() const { return m_totals; }
    GroupHeaderView *header() const { return m_header; }
    QStringList titleLines() const;

    // The selected cells as tab-separated lines, the captions of their columns first.
    QString selectedText() const;
    // Makes the next cell after the current one that shows the text (in any letter case) the
    // current one, going round the end; false when no cell shows it.
    bool findNext(const QString &text);
    // Writes the result with its rows in the grid's order to a file whose suffix (.xlsx, .csv,
    // .pdf) names the format; false when it could not (the user has been told why).
    bool exportTo(const QString &path);

public Q_SLOTS:
    void refresh();
    void newFilter();
    void copySelection();
    void showFindBar();
    // Asks for a file, then exportTo.
    void exportResult();
    // The print preview, rows in the grid's order, which prints on the printer chosen there.
    void print();

Q_SIGNALS:
    // A new result is on show (after Refresh or a new filter).
    void resultChanged();

private:
    void showTable(const exporting::ReportTable &table);
    void fitColumns();
    QAction *addCommand(const QString &name, const QString &text, const QKeySequence &keys);

    std::unique_ptr<ReportSession> m_session;
    ResultModel *m_model;
    TotalsModel *m_totalsModel;
    GroupHeaderView *m_header;
    QTableView *m_grid;
    QTableView *m_totals;
    QWidget *m_totalsBox;
    QVBoxLayout *m_titles;
    QWidget *m_findBar;
    QLineEdit *m_findText;
    QLabel *m_findStatus;
};

} // namespace varo::viewer
