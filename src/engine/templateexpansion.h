// Writing a user's filter into a report's SQL template: placeholders "{NAME}" filled from the
// condition dialog's filter string, or keyword markers replaced by the keyword dialog's values
// with optional "{...}" stretches of empty keywords turned into " 1=1 ".
#pragma once

#include "platform/containers.h"

#include <QString>

namespace varo
{

// The template with every "{NAME}" replaced by the value the filter string ("NAME|value&...",
// in the "strFilter" entry of conditionValues) gives for it. The working text is upper-cased
// before each item, so only the last item's value keeps its case. "" when the report has no
// template or anything fails.
QString ExpandFilterSql(const Dictionary &conditionValues, const QString &sKey);

// What a missing keyword list means: FuncReport cannot expand without one; rptX, whose
// keyword dialog may not have been shown, runs the template with its braces removed.
enum class MissingKeywords { Fail, RemoveBraces };

// The template with each keyword record's "FKeyword" marker replaced by its "FValue"; a
// keyword without value turns every "{...}" stretch around it into " 1=1 ". Remaining braces
// are removed. "" when there is no template or anything fails (a keyword without value outside
// braces, a Null template).
QString ExpandKeywordSql(const Vector &keywords, const QString &sKey,
                         MissingKeywords missing = MissingKeywords::Fail);

// The keyword substitution on a template text, without the database; raises on failure.
QString expandKeywords(const QString &sqlTemplate, const Vector &keywords);

} // namespace varo
