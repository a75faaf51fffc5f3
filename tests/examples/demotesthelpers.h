// What the demo's tests share: queries read into plain text tables, the demo's order lines as
// one flat list that tests aggregate themselves (so that no check trusts the SQL under test),
// and finding and driving the demo plug-ins' windows.
#pragma once

#include "common/testdatabase.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/containers.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>

namespace varo::demotest
{

// Demo databases built once per test program and kind, dropped by clear() (call it from
// cleanupTestCase, while Qt is still up).
class DemoDatabases
{
public:
    // The demo database of a kind; nullptr when it cannot be had, with the reason in *why and
    // *skip telling whether the kind is merely not available here.
    Connection *get(const QString &kind, QString *why, bool *skip);
    void clear();

private:
    std::map<QString, std::unique_ptr<test::TestDatabase>> m_databases;
    std::map<QString, QString> m_failures;
};

// The rows of a query as text (Null as ""), with the field names.
struct TextTable {
    QStringList names;
    QList<QStringList> rows;

    int column(const QString &name) const; // -1 when missing, letters' case ignored
};
TextTable query(Connection &conn, const QString &sql);
qint64 scalar(Connection &conn, const QString &sql);

// One order line with everything the demo reports show about it.
struct SalesLine {
    QString billNo;
    QString date;
    QString custNumber;
    QString custName;
    QString region;
    QString empNumber;
    QString empName;
    QString itemNumber;
    QString itemName;
    QString category;
    QString unit;
    int custId = 0;
    int itemId = 0;
    int orderId = 0;
    qint64 qty = 0;
    qint64 price = 0;
    qint64 amount = 0;
};
QList<SalesLine> salesLines(Connection &conn);

// A report's condition rows (T_RepFilter), control type upper-cased.
struct FilterRow {
    QString caption, markFrom, markTo, filterFrom, filterTo, ctrlType, ctrlSel;
};
QList<FilterRow> filterRows(Connection &conn, const QString &key);

// The filter string the condition dialog composes from its date pickers and text boxes, in its
// control order: date rows "from" then "to"; the first text row "to" before "from", later text
// rows "from" then "to". Values are keyed by mark name; dates are given as 'yyyy-MM-dd'.
QString composeFilter(const QList<FilterRow> &rows, const QMap<QString, QString> &values);

// The condition values the dialog hands on: every mark's value, "strFilter", and the choice
// boxes' values (keyed by their mark, as given in values).
Dictionary conditionValues(const QList<FilterRow> &rows, const QMap<QString, QString> &values);

// Row records (Vector of Dictionary) as a text table with the given columns, in order.
TextTable recordsTable(const Vector &records, const QStringList &columns);

// The visible header columns of a report (all layouts, or the one of a serial).
QStringList visibleColumns(Connection &conn, const QString &key, const QString &serial = {});

// Creates a demo component by ProgID from the build's plug-in folder.
Object createDemoObject(const QString &progId);

// A connection wrapped as the engine passes it.
QVariant connectionArg(const Connection &conn);

// The named child of a dialog, or nullptr.
template <typename T> T *child(QDialog *dialog, const char *name)
{
    return dialog->findChild<T *>(QString::fromLatin1(name));
}

// Presses a dialog's button by object name (cmdOK, cmdCancel); rejects the dialog when the
// button is missing, so that nothing waits for a person.
void press(QDialog *dialog, const char *button);

// A modal driver that runs fill (which may fail checks and return early) and then makes sure
// the dialog is closed, so that a failed check never leaves a test waiting.
std::function<void(QDialog *)> answering(std::function<void(QDialog *)> fill);

} // namespace varo::demotest

// Declares a Connection to the demo database of a kind; skips or fails the test when there is
// none.
#define VARO_DEMO_DATABASE(variable, cache, kind)                                                  \
    varo::Connection variable;                                                                     \
    {                                                                                              \
        QString why_;                                                                              \
        bool skip_ = false;                                                                        \
        varo::Connection *found_ = (cache).get(kind, &why_, &skip_);                               \
        if (!found_ && skip_)                                                                      \
            QSKIP(qPrintable(why_));                                                               \
        QVERIFY2(found_, qPrintable(why_));                                                        \
        variable = *found_;                                                                        \
    }
