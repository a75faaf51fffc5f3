// The statements that give a PostgreSQL database the SQL Server functions the report SQL uses
// (charindex, len), matching what the connection layer registers on SQLite.
#pragma once

#include <QStringList>

namespace varo::demo
{

inline QStringList postgresFunctionStatements()
{
    return {
        QStringLiteral(
            "create or replace function charindex(needle text, haystack text) returns integer "
            "as $$ select case when needle = '' then 0 "
            "else position(lower(needle) in lower(haystack)) end $$ language sql immutable strict"),
        QStringLiteral(
            "create or replace function charindex(needle text, haystack text, start integer) "
            "returns integer as $$ select case when needle = '' then 0 "
            "when position(lower(needle) in lower(substr(haystack, greatest(start, 1)))) = 0 "
            "then 0 else position(lower(needle) in lower(substr(haystack, greatest(start, 1)))) "
            "+ greatest(start, 1) - 1 end $$ language sql immutable strict"),
        QStringLiteral("create or replace function len(t text) returns integer "
                       "as $$ select length(rtrim(t, ' ')) $$ language sql immutable strict"),
    };
}

} // namespace varo::demo
