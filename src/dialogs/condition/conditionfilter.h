// What the condition dialog makes of a report's filter rows and of the values entered, without
// any widget: the rows as T_RepFilter holds them, the condition values with the filter string
// the engine writes into the template, the title lines, and remembered dates read back. The
// dialog walks its controls and forwards to these.
#pragma once

#include "platform/ado.h"
#include "platform/containers.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

namespace varo::dialogs
{

// The control types a filter row may have (FCtrlType, upper-cased); a row of any other type
// produces no control.
namespace ControlType
{
constexpr QLatin1String Date("DTP");   // a date range
constexpr QLatin1String Text("CDTXT"); // a text range, with an item lookup when FCtrlSel is set
constexpr QLatin1String Choice("CMB"); // a drop-down list of the FFilterFrom items
} // namespace ControlType
bool isKnownControlType(const QString &ctrlType);

// The columns of one T_RepFilter row; the control type upper-cased.
struct FilterRow {
    QString repKey, caption, markFrom, filterFrom, to, markTo, filterTo, ctrlType, ctrlSel,
        groupStr;

    static FilterRow read(Recordset &rs);

    bool fromDefined() const { return !filterFrom.isEmpty() && !markFrom.isEmpty(); }
    bool toDefined() const { return !filterTo.isEmpty() && !markTo.isEmpty(); }
    // The tag a control of the row carries: template, lookup key, mark name, caption and group
    // string, joined by "/" unescaped.
    QString fromTag() const;
    QString toTag() const;
};

// Part `index` of a control's tag (0 template, 1 lookup key, 2 mark name, 3 caption, 4 group).
QString tagPart(const QString &tag, qint16 index);

// One condition control as the filter sees it, in the order the dialog walks its controls.
struct ConditionEntry {
    enum class Kind { Date, Text, Choice };
    Kind kind = Kind::Text;
    QString tag;         // a choice's tag is its mark name
    QVariant value;      // handed on under the mark: the picker's value, the box's or the text
    QString filterValue; // written for "?" in the template; empty: the condition is "1=1"
};

// A row's condition with the value written for each "?": between quotes with its apostrophes
// doubled, elsewhere as it stands.
QString fillCondition(const QString &conditionTemplate, const QString &value);

// The message that refuses a typed value, or "" when the value is safe: a value that would
// stand outside the quotes of its condition must be a number.
QString textValueRefusal(const QString &conditionTemplate, const QString &caption,
                         const QString &value);

// The catalogue fields the condition values carry along.
struct ConditionReport {
    QString name, pluginServer, subFlag, subValue;
};

// Each entry's value under its mark name, then "FGroupStr" (the group strings of empty text
// boxes, "mark|group;" each), "strFilter" ("mark|condition" joined by "&", each condition
// through escapeFilterText), "REP_KEY_Ex",
// "RPT_SUB", "Name", "FRepPluginSvr" and "FRepSub".
Dictionary composeConditionValues(const QList<ConditionEntry> &entries,
                                  const ConditionReport &report);

// How a date enters the filter: the day with 00:00:00 on the from side, 23:59:59 on the to side.
QString filterDate(const QDate &date, bool from);

// The title line of a text range: "<caption>从a到b", "--" for an open side, "<caption>全部"
// when both are open (blanks alone count as open).
QString textRangeTitle(const QString &caption, const QString &from, const QString &to);

// A remembered date as the settings hold it ("yyyy-MM-dd", or without leading zeros, or with
// slashes); raises a type mismatch for anything else.
QDate rememberedDate(const QString &text);

} // namespace varo::dialogs
