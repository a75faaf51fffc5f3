// The report catalogue as the viewer lists it: T_RepList grouped by FRepCategory, each report by
// its name with its description as the tooltip and its key beside it, narrowed by a filter box.
// Enter or a double-click chooses a report.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace varo
{
class Connection;
}

namespace varo::viewer
{

struct CatalogueEntry {
    QString key;
    QString name;
    QString description;
    QString category;
};

// The catalogue's rows in its order (FIndex, then key). Raises the connection's error.
QList<CatalogueEntry> readCatalogue(Connection &definitions);

class CatalogueView : public QWidget
{
    Q_OBJECT

public:
    explicit CatalogueView(QWidget *parent = nullptr);

    void setEntries(const QList<CatalogueEntry> &entries);
    QTreeWidget *tree() const { return m_tree; }
    QLineEdit *filterBox() const { return m_filter; }
    // Shows only the reports whose name, key or description holds the text, in any case.
    void setFilter(const QString &text);
    // The keys shown, in order.
    QStringList shownKeys() const;

Q_SIGNALS:
    void reportChosen(const QString &key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choose(QTreeWidgetItem *item);
    QTreeWidgetItem *firstShown() const;

    QLineEdit *m_filter;
    QTreeWidget *m_tree;
};

} // namespace varo::viewer
