// Every error number the engine and its platform layer raise themselves. Numbers follow the
// automation conventions that hosts already know; the engine's own start at 1000.
// Public: the numbers are stable; hosts may branch on them.
#pragma once

namespace varo::ErrorNumber
{

constexpr int InvalidUseOfNull = 94;       // a Null value used where a value is needed
constexpr int ObjectNotSet = 91;           // an empty object reference was used
constexpr int TypeMismatch = 13;           // a value cannot be converted
constexpr int SubscriptOutOfRange = 9;     // an index beyond a Vector
constexpr int Overflow = 6;                // a number does not fit the integer type
constexpr int CannotCreateObject = 429;    // no class is registered under a ProgID
constexpr int NoSuchMember = 438;          // "Object doesn't support this property or method"
constexpr int WrongArgumentCount = 450;    // member exists, but not with that many arguments
constexpr int ProviderError = -2147217900; // the database rejected a statement
constexpr int OperationOnClosed = 3704;    // the recordset or connection is not open
constexpr int NoCurrentRecord = 3021;      // EOF or BOF is true, no row to read
constexpr int ItemNotFound = 3265;         // no field of that name or index
constexpr int ForwardOnly = 3219;          // a forward-only cursor cannot move back
constexpr int Unexpected = 1002;           // a non-engine exception reached a trap
constexpr int UnsafeSql = 1003;            // a value refused outside quotes, or a size limit

} // namespace varo::ErrorNumber
