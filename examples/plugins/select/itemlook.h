// "VaroSelect.clsItemLook", the item lookup that the condition and keyword dialogs start: ShowForm
// lists the items ("ITEM"), customers ("CUST") or salespersons ("EMP") of the business data in a
// selection window; ReturnValue is the chosen code, "" when the window was cancelled.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

namespace varo::demo
{

class ItemLook : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ReturnValue READ returnValue)

public:
    // The condition dialog passes both connections, the keyword dialog only the business one;
    // the entries are read through sqlConn. Both are left as they were.
    Q_INVOKABLE void ShowForm(const QString &key, QVariant &locConn, QVariant &sqlConn);
    Q_INVOKABLE void ShowForm(const QString &key, QVariant &sqlConn);

    QString returnValue() const { return m_value; }

private:
    QString m_value;
};

} // namespace varo::demo
