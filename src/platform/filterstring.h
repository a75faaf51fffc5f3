// The filter string that the condition dialog hands to the engine and to plug-ins: items
// "name|condition" joined by "&". A condition may hold "&" and "|" of its own (a value typed
// into a box, a "||" in the SQL): those travel as two private-use characters, so that the
// string always splits into the items it was made of, and are given back by
// unescapeFilterText once an item has been split off.
// Public: a plug-in that reads "strFilter" splits it at "&" and "|" and passes each condition
// through unescapeFilterText.
#pragma once

#include <QString>

namespace varo
{

QString escapeFilterText(QString text);
QString unescapeFilterText(QString text);

} // namespace varo
