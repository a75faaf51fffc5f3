// What the demo's tests share: queries read into plain text tables, the demo's order lines as
// one flat list that tests aggregate themselves (so that no check trusts the SQL under test),
// the condition values a dialog hands on, and creating the demo plug-ins and answering their
// windows.
#pragma once

#include "common/testdatabase.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "platform/containers.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QSet>
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
QStringList firstColumn(Connection &conn, const QString &sql);
qint64 scalar(Connection &conn, const QString &sql);

// One order line with everything the demo reports show about it.
struct SalesLine {
    QString billNo, date, custNumber, custName, region, empNumber, empName, itemNumber, itemName,
        category, unit;
    int custId = 0, itemId = 0, orderId = 0;
    qint64 qty = 0, price = 0, amount = 0;
};
// Ordered by date, bill number and line number.
QList<SalesLine> salesLines(Connection &conn);

// Order lines summed per group: the group's fields (what the report shows of it), its orders
// and customers, quantity and amount.
struct Totals {
    QStringList fields;
    QSet<int> orders, customers;
    qint64 qty = 0, amount = 0;

    QStringList sums() const; // order count, quantity and amount as text
};
// The accepted lines grouped by fieldsOf, groups ordered by their fields' text (code points).
QList<Totals> totals(const QList<SalesLine> &lines,
                     const std::function<bool(const SalesLine &)> &accepts,
                     const std::function<QStringList(const SalesLine &)> &fieldsOf);

// The filter string the condition dialog composes for a report from its date pickers and code
// boxes: "mark|condition" pairs joined by "&", "1=1" for an empty field. Values are keyed by
// mark, dates given as 'yyyy-MM-dd'. The order of the pairs matters neither to the plug-ins nor
// to the template expansion, so the dialog's own order is not copied.
QString composeFilter(Connection &conn, const QString &key, const QMap<QString, QString> &values);

// The condition values the dialog hands on: the values as given (marks and choice boxes) and
// "strFilter".
Dictionary conditionValues(Connection &conn, const QString &key,
                           const QMap<QString, QString> &values);

// Row records (Vector of Dictionary) as text rows of the given columns, in order.
QList<QStringList> recordsTable(const Vector &records, const QStringList &columns);

// The visible header columns of a report (all layouts, or the one of a serial).
QStringList visibleColumns(Connection &conn, const QString &key, const QString &serial = {});

// Creates a demo component by ProgID from the build's plug-in folder.
Object createDemoObject(const QString &progId);
// Creates the plug-in that a report's catalogue row names in a column (FFilterPlugName,
// FRepPluginSvr), as the engine does.
Object reportPlugin(Connection &conn, const QString &key, const QString &column);

// A modal driver that runs fill (which may fail checks and return early) and then presses a
// button by object name (cmdOK, cmdCancel); after a failed check, or without the button, it
// rejects the dialog instead, so that nothing waits for a person.
std::function<void(QDialog *)> answering(const char *button,
                                         std::function<void(QDialog *)> fill = {});

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
