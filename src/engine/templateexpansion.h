// Writing a user's filter into a report's SQL template: placeholders "{NAME}" filled from the
// condition dialog's filter string, or keyword markers replaced by the keyword dialog's values
// with optional "{...}" stretches of empty keywords turned into " 1=1 ".
#pragma once

#include "platform/containers.h"

#include <QString>

namespace varo
{

// The template with every "{NAME}" replaced by the value the filter string ("NAME|value&...",
// in the "strFilter" entry of conditionValues) gives for it. The text is upper-cased, and so
// is every value but the last item's. "" when the report has no template or anything fails
// (a refusal or a size limit is shown first).
QString ExpandFilterSql(const Dictionary &conditionValues, const QString &sKey);

// What a missing keyword list means: FuncReport cannot expand without one; rptX, whose
// keyword dialog may not have been shown, runs the template with its braces removed.
enum class MissingKeywords { Fail, RemoveBraces };

// The template with each keyword record's "FKeyword" marker replaced by its "FValue" (between
// quotes with apostrophes doubled, elsewhere only as a literal of the keyword's type); a
// keyword without value turns every "{...}" stretch around it into " 1=1 ". Remaining braces
// are removed. "" when there is no template or anything fails (a keyword without value outside
// braces, a Null template).
QString ExpandKeywordSql(const Vector &keywords, const QString &sKey,
                         MissingKeywords missing = MissingKeywords::Fail,
                         const Vector &offered = Vector());

// The two substitutions on a template text, without the database; they raise on failure, and
// with error UnsafeSql, whose description is for the user, for a value refused outside quotes
// or a size beyond SqlLimit. Values are written in one pass and never searched again; the
// filter string's conditions come through unescapeFilterText.
QString expandPlaceholders(const QString &sqlTemplate, const QString &strFilter);
// `offered`: the keyword records the dialog showed, whose FValueType says what a value outside
// quotes must be (a number, a date, a column list); without one, a number or a column list.
QString expandKeywords(const QString &sqlTemplate, const Vector &keywords,
                       const Vector &offered = Vector());

} // namespace varo
