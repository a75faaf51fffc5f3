#include "postgrescursor.h"

#include "textpool.h"
#include "variant.h"

#include <QDateTime>
#include <QHash>
#include <QLoggingCategory>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <cctype>
#include <charconv>
#include <cstring>
#include <libpq-fe.h>
#include <optional>
#include <utility>
#include <vector>

namespace varo
{

namespace
{

Q_LOGGING_CATEGORY(lcPostgres, "varo.platform")

PGconn *postgresHandle(const QSqlDatabase &db)
{
    // The driver declares PGconn*, which the meta-type system names by its struct.
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.data());
}

// Type numbers of the server's catalogue.
enum TypeOid : Oid {
    Bool = 16,
    Bytea = 17,
    Int8 = 20,
    Int2 = 21,
    Int4 = 23,
    Float4 = 700,
    Float8 = 701,
    Date = 1082,
    Time = 1083,
    Timestamp = 1114,
    TimestampTz = 1184,
    TimeTz = 1266,
    Numeric = 1700,
};

// A number as the server writes it; what the fast reading declines goes to Qt's, which reads
// every form the same.
template <typename Number, typename Slow> Number number(const char *text, int bytes, Slow slow)
{
    Number value{};
    const auto [end, error] = std::from_chars(text, text + bytes, value);
    return error == std::errc() && end == text + bytes ? value : slow();
}

// A date in the ISO style the driver sets on the session, the server's "2024-05-31" read
// without the general parser; other forms (years after 9999, BC) go to the general one.
QDate isoDate(const char *text, int bytes)
{
    const auto digits = [text](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (bytes == 10 && text[4] == '-' && text[7] == '-') {
        const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
        if (year > 0 && month >= 0 && day >= 0)
            return QDate(year, month, day);
    }
    return QDate::fromString(QLatin1StringView(text, bytes), Qt::ISODate);
}

// A value as the Qt driver gives it, from the server's text.
QVariant postgresValue(const char *text, int bytes, Oid type, TextPool &pool)
{
    const QByteArray raw = QByteArray::fromRawData(text, bytes);
    const QLatin1StringView latin(text, bytes);
    switch (type) {
    case Bool:
        return QVariant(text[0] == 't');
    case Int8:
        return QVariant(number<qlonglong>(text, bytes, [&] { return raw.toLongLong(); }));
    case Int2:
    case Int4:
        return QVariant(number<int>(text, bytes, [&] { return raw.toInt(); }));
    case Float4:
    case Float8:
    case Numeric:
        if (latin == QLatin1String("Infinity"))
            return QVariant(qInf());
        if (latin == QLatin1String("-Infinity"))
            return QVariant(-qInf());
        if (latin == QLatin1String("NaN"))
            return QVariant(qQNaN());
        return QVariant(number<double>(text, bytes, [&] { return raw.toDouble(); }));
    case Date:
        return QVariant(isoDate(text, bytes));
    case Time:
    case TimeTz:
        return QVariant(QTime::fromString(latin, Qt::ISODate));
    case Timestamp:
        return QVariant(QDateTime::fromString(latin, Qt::ISODate));
    case TimestampTz: // "+01" needs its minutes to be read as an offset
        return QVariant(
            QDateTime::fromString(bytes > 3 && (text[bytes - 3] == '+' || text[bytes - 3] == '-')
                                      ? latin + QLatin1String(":00")
                                      : QString(latin),
                                  Qt::ISODate)
                .toLocalTime());
    case Bytea: {
        size_t length = 0;
        unsigned char *data =
            PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &length);
        const QByteArray bytea(reinterpret_cast<const char *>(data), qsizetype(length));
        PQfreemem(data);
        return QVariant(bytea);
    }
    default:
        return QVariant(pool.text(text, bytes));
    }
}

// A server's message as the Qt driver words it: the text, then the SQLSTATE in brackets.
struct ServerMessage {
    QString description;
    QString code;
};

ServerMessage serverMessage(PGconn *conn, const PGresult *result)
{
    ServerMessage message;
    message.description =
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn));
    if (result)
        message.code = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    if (!message.code.isEmpty())
        message.description += u'(' + message.code + u')';
    message.description = message.description.trimmed();
    return message;
}

// The query of a statement that COPY can carry: the text up to the ';' that may end it (what
// follows is blanks and comments, since the server took it as one statement). Empty when the
// statement does not start as a query (select, with, values, table). Strings, quoted names and
// comments are skipped whole; a text read wrongly at worst makes COPY fail, and the statement
// then runs as it is.
QByteArray copyableQuery(const QByteArray &sql)
{
    const qsizetype n = sql.size();
    const auto identifierChar = [&](qsizetype i) {
        const char c = sql[i];
        return std::isalnum(uchar(c)) || c == '_' || c == '$' || uchar(c) >= 0x80;
    };
    qsizetype start = 0;
    while (start < n && (std::isspace(uchar(sql[start])) || sql[start] == '('))
        ++start;
    qsizetype end = start;
    while (end < n && std::isalpha(uchar(sql[end])))
        ++end;
    const QByteArray first = sql.mid(start, end - start).toLower();
    if (first != "select" && first != "with" && first != "values" && first != "table")
        return QByteArray();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = sql[i];
        if (c == ';')
            return sql.left(i);
        if (c == '\'' || c == '"') {
            // E'...' strings take backslash escapes; the others double their quote.
            const bool escapes = c == '\'' && i > 0 && (sql[i - 1] == 'e' || sql[i - 1] == 'E') &&
                                 (i == 1 || !identifierChar(i - 2));
            for (++i; i < n && sql[i] != c; ++i) {
                if (escapes && sql[i] == '\\')
                    ++i;
            }
            // A doubled quote goes on with the same string at the next round.
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            int depth = 0;
            for (; i + 1 < n; ++i) {
                if (sql[i] == '/' && sql[i + 1] == '*')
                    ++depth, ++i;
                else if (sql[i] == '*' && sql[i + 1] == '/' && --depth == 0)
                    break;
            }
            ++i;
        } else if (c == '$' && (i == 0 || !identifierChar(i - 1))) {
            qsizetype close = i + 1;
            while (close < n && identifierChar(close) && sql[close] != '$' &&
                   !(close == i + 1 && std::isdigit(uchar(sql[close]))))
                ++close;
            if (close < n && sql[close] == '$') { // $tag$ ... $tag$
                const QByteArray tag = sql.mid(i, close - i + 1);
                const qsizetype after = sql.indexOf(tag, close + 1);
                i = after < 0 ? n : after + tag.size() - 1;
            }
        }
    }
    return sql;
}

// Where a value of a row is; bytes < 0 for Null. The text ends with a NUL (PQunescapeBytea
// needs one).
struct Cell {
    const char *text = nullptr;
    int bytes = -1;
};

// Undoes COPY's escapes in a value, in place; its length after.
int unescape(char *from, const char *to)
{
    char *out = from;
    for (const char *in = from; in < to; ++in) {
        char c = *in;
        if (c == '\\' && in + 1 < to) {
            switch (c = *++in) {
            case 'b':
                c = '\b';
                break;
            case 'f':
                c = '\f';
                break;
            case 'n':
                c = '\n';
                break;
            case 'r':
                c = '\r';
                break;
            case 't':
                c = '\t';
                break;
            case 'v':
                c = '\v';
                break;
            default:
                break;
            }
        }
        *out++ = c;
    }
    return int(out - from);
}

// Splits a row of COPY's text format into its values in place: values between tabs, \N for
// Null, backslash escapes for what would end or break a value. False when the row does not
// hold one value for each cell.
bool splitCopyRow(char *line, int length, std::vector<Cell> &cells)
{
    if (length > 0 && line[length - 1] == '\n')
        --length;
    char *const end = line + length;
    *end = '\t'; // the end of the last value (libpq ends the row with a NUL)
    const bool escaped = std::memchr(line, '\\', size_t(length)) != nullptr;
    char *at = line;
    for (Cell &cell : cells) {
        if (at > end)
            return false;
        char *stop = static_cast<char *>(std::memchr(at, '\t', size_t(end - at) + 1));
        int bytes = int(stop - at);
        if (escaped)
            bytes = bytes == 2 && at[0] == '\\' && at[1] == 'N' ? -1 : unescape(at, stop);
        cell = {at, bytes};
        at[qMax(bytes, 0)] = '\0';
        at = stop + 1;
    }
    return at == end + 1;
}

class PostgresCursor;

// The cursor whose rows still stream on each connection, for the statement that comes next.
struct Streams {
    QMutex mutex;
    QHash<PGconn *, PostgresCursor *> cursors;

    static Streams &instance()
    {
        static Streams streams;
        return streams;
    }
    PostgresCursor *on(PGconn *conn)
    {
        const QMutexLocker lock(&mutex);
        return cursors.value(conn);
    }
    void claim(PGconn *conn, PostgresCursor *cursor)
    {
        const QMutexLocker lock(&mutex);
        cursors.insert(conn, cursor);
    }
    void release(PGconn *conn, PostgresCursor *cursor)
    {
        const QMutexLocker lock(&mutex);
        if (cursors.value(conn) == cursor)
            cursors.remove(conn);
    }
};

// Rows from the server as they come, so that the server goes on sending while the rows are
// turned into values, and no more than a row is held. A statement runs with libpq's single-row
// mode; a query whose many rows are to be read goes through COPY, whose rows cost the client a
// fraction of a result each (after a round trip that checks the statement and names its
// columns).
class PostgresCursor final : public Cursor
{
public:
    PostgresCursor(PGconn *conn, QString sql, Cursor::Rows rows, Failure fail)
        : m_conn(conn), m_sql(std::move(sql)), m_manyRows(rows == Cursor::Rows::Many),
          m_fail(std::move(fail))
    {
    }
    ~PostgresCursor() override { finish(); }

    // False when the statement hands back no rows.
    bool run()
    {
        if (PostgresCursor *other = Streams::instance().on(m_conn); other && other != this)
            other->setAside();
        finish();
        const QByteArray utf8 = m_sql.toUtf8();
        const QByteArray query = m_manyRows ? copyableQuery(utf8) : QByteArray();
        if ((query.isEmpty() || !startCopy(utf8, query)) && !startRows(utf8))
            return false;
        m_firstRow = next();
        m_ready = true;
        return true;
    }

    bool fetch() override
    {
        if (m_ready) {
            m_ready = false;
            return m_firstRow;
        }
        clearRow();
        return next();
    }

    QVariant value(int c) override
    {
        const Cell &cell = m_cells.at(c);
        if (cell.bytes < 0)
            return nullValue();
        return postgresValue(cell.text, cell.bytes, m_types[c], m_pools[c]);
    }

    void rewind() override { run(); }
    bool concurrent() const override { return true; }

    // Reads the rows still to come into memory, so that the connection can serve another
    // statement; they are read from there. A failure among them is raised when reached.
    void setAside()
    {
        std::vector<Cell> cells(m_cells.size());
        const auto keep = [this](const std::vector<Cell> &row) {
            for (const Cell &cell : row) {
                const qint32 bytes = cell.bytes;
                m_aside.append(reinterpret_cast<const char *>(&bytes), sizeof bytes);
                m_aside.append(cell.text, qMax(bytes, 0));
                m_aside.append('\0');
            }
        };
        char *line = nullptr;
        for (int n; m_copy && (n = PQgetCopyData(m_conn, &line, 0)) > 0; PQfreemem(line)) {
            if (splitCopyRow(line, n, cells))
                keep(cells);
            else
                m_asideFailure = wrongRow();
        }
        while (PGresult *result = PQgetResult(m_conn)) {
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_SINGLE_TUPLE) {
                for (int c = 0; c < int(cells.size()); ++c)
                    cells[c] = cellOf(result, c);
                keep(cells);
            } else if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
                m_asideFailure = serverMessage(m_conn, result);
            }
            PQclear(result);
        }
        m_active = m_moreRows = false;
        Streams::instance().release(m_conn, this);
    }

private:
    // Starts the statement in single-row mode; false when it hands back no rows (it has run).
    bool startRows(const QByteArray &utf8)
    {
        m_copy = false;
        if (!PQsendQueryParams(m_conn, utf8.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
            throw failure(nullptr);
        m_active = true;
        PQsetSingleRowMode(m_conn);
        PGresult *first = PQgetResult(m_conn);
        const ExecStatusType status = PQresultStatus(first);
        if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
            if (status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY)
                throw failure(first);
            PQclear(first);
            m_moreRows = false;
            finish();
            return false;
        }
        setColumns(first);
        m_pending = first; // the first result is the first row, or the end
        Streams::instance().claim(m_conn, this);
        return true;
    }

    // Starts the query through COPY. The statement is checked first, so that its own errors
    // are the ones raised; false when COPY cannot carry it (no rows, or a form COPY refuses),
    // and it is to run as it is.
    bool startCopy(const QByteArray &utf8, const QByteArray &query)
    {
        PGresult *prepared = PQprepare(m_conn, "", utf8.constData(), 0, nullptr);
        if (PQresultStatus(prepared) != PGRES_COMMAND_OK)
            throw failure(prepared);
        PQclear(prepared);
        PGresult *described = PQdescribePrepared(m_conn, "");
        if (PQresultStatus(described) != PGRES_COMMAND_OK)
            throw failure(described);
        const bool rows = PQnfields(described) > 0;
        if (rows)
            setColumns(described);
        PQclear(described);
        if (!rows)
            return false;
        const QByteArray copy = "COPY (" + query + "\n) TO STDOUT";
        if (!PQsendQueryParams(m_conn, copy.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
            throw failure(nullptr);
        m_active = true;
        PGresult *start = PQgetResult(m_conn);
        const bool copying = PQresultStatus(start) == PGRES_COPY_OUT;
        if (!copying)
            qCDebug(lcPostgres, "COPY does not carry the statement: %s",
                    PQresultErrorMessage(start));
        PQclear(start);
        if (!copying) {
            m_moreRows = false;
            finish();
            return false;
        }
        m_copy = true;
        Streams::instance().claim(m_conn, this);
        return true;
    }

    void setColumns(const PGresult *result)
    {
        m_names.clear();
        m_types.clear();
        for (int c = 0; c < PQnfields(result); ++c) {
            m_names.append(QString::fromUtf8(PQfname(result, c)));
            m_types.push_back(PQftype(result, c));
        }
        m_names = spelledAsWritten(m_names, m_sql);
        m_pools.assign(m_names.size(), TextPool());
        m_cells.assign(m_names.size(), Cell());
    }

    static Cell cellOf(const PGresult *result, int c)
    {
        return {PQgetvalue(result, 0, c),
                PQgetisnull(result, 0, c) ? -1 : PQgetlength(result, 0, c)};
    }

    // Moves to the next row, wherever it comes from; false after the last.
    bool next()
    {
        if (m_asideAt < m_aside.size() || !m_active)
            return nextAside();
        if (m_copy)
            return nextLine();
        PGresult *result = std::exchange(m_pending, nullptr);
        if (!result)
            result = PQgetResult(m_conn);
        switch (PQresultStatus(result)) {
        case PGRES_SINGLE_TUPLE:
            m_result = result;
            for (int c = 0; c < int(m_cells.size()); ++c)
                m_cells[c] = cellOf(result, c);
            return true;
        case PGRES_TUPLES_OK:
            PQclear(result);
            m_moreRows = false;
            finish();
            return false;
        default:
            throw failure(result);
        }
    }

    bool nextLine()
    {
        const int n = PQgetCopyData(m_conn, &m_line, 0);
        if (n > 0) {
            if (!splitCopyRow(m_line, n, m_cells)) {
                const ServerMessage message = wrongRow();
                finish();
                throw m_fail(message.description, message.code);
            }
            return true;
        }
        // The end of the rows, or a failure: the statement's result says which.
        PGresult *end = PQgetResult(m_conn);
        if (PQresultStatus(end) != PGRES_COMMAND_OK)
            throw failure(end);
        PQclear(end);
        m_moreRows = false;
        finish();
        return false;
    }

    bool nextAside()
    {
        if (m_asideAt >= m_aside.size()) {
            if (!m_asideFailure)
                return false;
            const ServerMessage message = *std::exchange(m_asideFailure, std::nullopt);
            throw m_fail(message.description, message.code);
        }
        for (Cell &cell : m_cells) {
            std::memcpy(&cell.bytes, m_aside.constData() + m_asideAt, sizeof(qint32));
            m_asideAt += sizeof(qint32);
            cell.text = m_aside.constData() + m_asideAt;
            m_asideAt += qMax(cell.bytes, 0) + 1;
        }
        return true;
    }

    ServerMessage wrongRow() const
    {
        return {QStringLiteral("the server sent a row that does not have %1 values")
                    .arg(m_cells.size()),
                QString()};
    }

    void clearRow()
    {
        PQclear(m_result);
        m_result = nullptr;
        PQfreemem(m_line);
        m_line = nullptr;
    }

    // Reads what the server has sent already, without waiting; true when that was the whole of
    // the statement's results (as for most lookups, read before their last row is asked for).
    bool takeArrived()
    {
        if (!PQconsumeInput(m_conn))
            return true; // nothing more comes from a broken connection
        if (m_copy) {
            char *line = nullptr;
            int n = 0;
            while ((n = PQgetCopyData(m_conn, &line, 1)) > 0)
                PQfreemem(line);
            if (n == 0)
                return false;
            m_copy = false; // its rows have ended
        }
        while (!PQisBusy(m_conn)) {
            PGresult *result = PQgetResult(m_conn);
            if (!result)
                return true;
            PQclear(result);
        }
        return false;
    }

    // Reads what the server still sends for the statement, so that the connection is ready for
    // the next one. Rows that nobody will read are not worth their transfer: unless they have
    // all arrived, the statement is cancelled first.
    void finish()
    {
        clearRow();
        PQclear(std::exchange(m_pending, nullptr));
        m_ready = false;
        m_aside.clear();
        m_asideAt = 0;
        m_asideFailure.reset();
        if (!m_active)
            return;
        if (m_moreRows && !takeArrived())
            cancel();
        char *line = nullptr;
        while (m_copy && PQgetCopyData(m_conn, &line, 0) > 0)
            PQfreemem(line);
        while (PGresult *rest = PQgetResult(m_conn))
            PQclear(rest);
        m_active = false;
        m_moreRows = true;
        Streams::instance().release(m_conn, this);
    }

    void cancel()
    {
        PGcancel *cancel = PQgetCancel(m_conn);
        char why[256] = {};
        if (!cancel || !PQcancel(cancel, why, sizeof why))
            qCDebug(lcPostgres, "reading the unread rows, as the statement was not cancelled: %s",
                    why);
        PQfreeCancel(cancel);
    }

    Error failure(PGresult *result)
    {
        const ServerMessage message = serverMessage(m_conn, result);
        PQclear(result);
        m_moreRows = false; // nothing but the end comes after a failure
        finish();
        return m_fail(message.description, message.code);
    }

    PGconn *m_conn;
    QString m_sql;
    bool m_manyRows;
    Failure m_fail;
    std::vector<Oid> m_types;
    std::vector<TextPool> m_pools;
    std::vector<Cell> m_cells;     // the current row
    PGresult *m_result = nullptr;  // the current row from single-row mode ...
    char *m_line = nullptr;        // ... or from COPY
    PGresult *m_pending = nullptr; // a result read to learn the columns, not yet taken
    bool m_copy = false;           // the statement runs through COPY
    bool m_ready = false;          // run() read the first row: the first fetch() gives it
    bool m_firstRow = false;
    bool m_active = false;  // results of the statement are still to be read
    bool m_moreRows = true; // ... and rows may be among them
    // Rows set aside for another statement: per value, its length (-1 for Null), its bytes and
    // a NUL.
    QByteArray m_aside;
    qsizetype m_asideAt = 0;
    std::optional<ServerMessage> m_asideFailure;
};

} // namespace

QStringList spelledAsWritten(const QStringList &names, const QString &sql)
{
    static const QRegularExpression identifier(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    // The first spelling wins (the select list comes before where and order by), except that
    // an alias after "as" wins over every other.
    QHash<QString, QString> spelling;
    QSet<QString> aliases;
    bool afterAs = false;
    for (auto it = identifier.globalMatch(sql); it.hasNext();) {
        const QString word = it.next().captured();
        const QString lower = word.toLower();
        if (afterAs && !aliases.contains(lower)) {
            spelling.insert(lower, word);
            aliases.insert(lower);
        } else if (!spelling.contains(lower)) {
            spelling.insert(lower, word);
        }
        afterAs = lower == QLatin1String("as");
    }
    QStringList result;
    result.reserve(names.size());
    for (const QString &name : names)
        result.append(name == name.toLower() ? spelling.value(name, name) : name);
    return result;
}

std::unique_ptr<Cursor> openPostgresCursor(const QSqlDatabase &db, const QString &sql,
                                           Cursor::Rows rows, const Cursor::Failure &fail)
{
    PGconn *handle = postgresHandle(db);
    if (!handle)
        throw fail(QStringLiteral("the Qt PostgreSQL driver hands out no connection handle"),
                   QString());
    auto cursor = std::make_unique<PostgresCursor>(handle, sql, rows, fail);
    if (!cursor->run())
        return nullptr;
    return cursor;
}

} // namespace varo
