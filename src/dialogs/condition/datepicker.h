// The date picker of the condition dialog. Besides a date it can hold no value at all, which
// leaves its condition open ("1=1"): the check box at its left, or the space bar, sets and
// clears that state. Any date given to it, typed or restored, makes it hold a value again.
#pragma once

#include <QDateEdit>
#include <QVariant>

class QCheckBox;

namespace varo::dialogs
{

class DatePicker : public QDateEdit
{
    Q_OBJECT
    Q_PROPERTY(bool empty READ isEmpty WRITE setEmpty NOTIFY emptyChanged)

public:
    explicit DatePicker(QWidget *parent = nullptr);

    bool isEmpty() const { return m_empty; }
    // The date, or Empty when the picker holds none.
    QVariant value() const;
    // Holds the given date from now on.
    void setValue(QDate date);

public Q_SLOTS:
    void setEmpty(bool empty);

Q_SIGNALS:
    void emptyChanged(bool empty);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showState();

    QCheckBox *m_check;
    bool m_empty = false;
};

} // namespace varo::dialogs
