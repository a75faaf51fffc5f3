// The selection window of the item lookup: a list of codes with their names (lstItems), a find
// box that narrows it (txtFind), and OK / Cancel (cmdOK, cmdCancel). Each list entry's text is
// the bare code, so that a headless driver selects an entry by its code; the name is drawn
// beside it.
#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QLineEdit;
class QListWidget;

namespace varo::demo
{

class ItemLookDialog : public QDialog
{
    Q_OBJECT

public:
    // entries: (code, name) in display order.
    ItemLookDialog(const QString &title, const QList<QPair<QString, QString>> &entries,
                   QWidget *parent = nullptr);

    // The code of the chosen entry: the current one if it is shown, else the only one the find
    // box left; "" when there is none. Nothing is current until the user picks or finds.
    QString chosenCode() const;

private:
    void applyFind(const QString &text);

    QLineEdit *m_find;
    QListWidget *m_list;
};

} // namespace varo::demo
