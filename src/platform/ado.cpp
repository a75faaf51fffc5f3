#include "ado.h"

#include "cursors.h"
#include "error.h"
#include "errornumbers.h"
#include "sqlitefunctions.h"
#include "variant.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUrl>
#include <limits>
#include <optional>

namespace varo
{

namespace
{
Q_LOGGING_CATEGORY(lcPlatform, "varo.platform")
} // namespace

struct Connection::Data {
    QString name; // QSqlDatabase connection name
    QString url;
    varo::Errors errors;
    std::unique_ptr<SqliteTimeLimit> timeLimit; // SQLite with a statement timeout

    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }
    ~Data()
    {
        timeLimit.reset(); // while the handle it watches is still open
        {
            QSqlDatabase database = QSqlDatabase::database(name, false);
            database.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
};

static QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("varo-%1").arg(counter.fetchAndAddRelaxed(1));
}

static Error openFailure(const QString &url, const QString &why)
{
    return Error(ErrorNumber::ProviderError,
                 QStringLiteral("cannot open connection %1: %2").arg(maskedUrl(url), why));
}

// The databases count time limits in milliseconds, in an int.
static int milliseconds(int seconds)
{
    return int(qMin<qint64>(qint64(seconds) * 1000, std::numeric_limits<int>::max()));
}

// The driver's connect options for the limits: its own means on each database.
static QString connectOptions(const QString &driver, const ConnectionLimits &limits)
{
    if (driver == QLatin1String("QSQLITE") && limits.statementTimeoutSeconds > 0)
        return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1")
            .arg(milliseconds(limits.statementTimeoutSeconds));
    if (limits.connectTimeoutSeconds <= 0)
        return QString();
    if (driver == QLatin1String("QPSQL"))
        return QStringLiteral("connect_timeout=%1").arg(limits.connectTimeoutSeconds);
    if (driver == QLatin1String("QODBC"))
        return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(limits.connectTimeoutSeconds);
    return QString();
}

Connection Connection::open(const QString &url, const ConnectionLimits &limits)
{
    const QString name = nextConnectionName();
    std::optional<QSqlDatabase> db;
    if (url == QLatin1String("sqlite::memory:")) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db->setDatabaseName(QStringLiteral(":memory:"));
    } else if (url.startsWith(QLatin1String("sqlite://"))) {
        const QString path = url.mid(9);
        if (!path.startsWith(u'/'))
            throw openFailure(url, QStringLiteral("the path must be absolute (sqlite:///path)"));
        // Opening a missing file would create an empty database; a typo should fail instead.
        if (!QFileInfo::exists(path))
            throw openFailure(url, QStringLiteral("no such database file"));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db->setDatabaseName(path);
    } else if (url.startsWith(QLatin1String("postgresql://"))) {
        const QUrl u(url);
        if (!u.isValid() || u.host().isEmpty())
            throw openFailure(url, QStringLiteral("expected postgresql://user@host:port/db"));
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db->setHostName(u.host());
        db->setPort(u.port(5432));
        db->setUserName(u.userName());
        db->setPassword(u.password());
        db->setDatabaseName(u.path().mid(1));
    } else if (url.startsWith(QLatin1String("odbc:"))) {
        QString rest = url.mid(5);
        if (rest.startsWith(QLatin1String("//")))
            rest = rest.mid(2);
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        db->setDatabaseName(rest);
    } else {
        throw openFailure(url, QStringLiteral("unknown kind of URL (sqlite:, postgresql:, odbc:)"));
    }
    if (!db->isValid()) {
        QSqlDatabase::removeDatabase(name);
        throw openFailure(url, QStringLiteral("the Qt SQL driver is not installed"));
    }
    db->setConnectOptions(connectOptions(db->driverName(), limits));
    if (!db->open()) {
        const QString why = db->lastError().text();
        db.reset();
        QSqlDatabase::removeDatabase(name);
        throw openFailure(url, why);
    }
    const QString driver = db->driverName();
    db.reset();
    Connection c;
    c.d = std::make_shared<Data>(); // closes the database if the rest fails
    c.d->name = name;
    c.d->url = url;
    const int timeout = limits.statementTimeoutSeconds;
    if (driver == QLatin1String("QSQLITE")) {
        sqlite3 *raw = sqliteHandle(c.d->db());
        if (!raw || !registerSqlServerFunctions(raw))
            throw openFailure(url, QStringLiteral("cannot register charindex and len"));
        if (timeout > 0)
            c.d->timeLimit = std::make_unique<SqliteTimeLimit>(raw, timeout);
    } else if (driver == QLatin1String("QPSQL") && timeout > 0) {
        openCursor(c.d->db(),
                   QStringLiteral("set statement_timeout = %1").arg(milliseconds(timeout)),
                   [&url](const QString &description, const QString &) {
                       return openFailure(url, description);
                   });
    } else if (driver == QLatin1String("QODBC") && timeout > 0) {
        qCWarning(lcPlatform, "ODBC connections have no statement timeout; none is applied");
    }
    return c;
}

QString Connection::url() const
{
    return d ? d->url : QString();
}

QString Connection::driverName() const
{
    return d ? d->db().driverName() : QString();
}

Errors &Connection::errors()
{
    if (!d)
        throw Error(ErrorNumber::ObjectNotSet,
                    QStringLiteral("Object variable or With block variable not set"));
    return d->errors;
}

struct Recordset::Data {
    Connection connection;
    bool open = false;
    QStringList names;
    // Rows as they come from the database (Execute, dynamic cursor) ...
    std::unique_ptr<Cursor> cursor;
    bool forwardOnly = false; // from Execute: no MoveFirst, no RecordCount
    bool dynamic = false;     // no RecordCount
    // ... or every row read at Open (the default cursor): rows * columns cells, row by row.
    QList<QVariant> cells;
    qsizetype rows = 0;
    qsizetype position = 0;
    bool eof = true;
    bool empty = true; // the result has no row at all: BOF and EOF both true

    int columns() const { return int(names.size()); }
    // Reads the rows from the cursor as they are asked for when live and the database allows
    // it, else all of them now.
    void take(std::unique_ptr<Cursor> rows, bool live);
};

Recordset Recordset::create()
{
    Recordset rs;
    rs.d = std::make_shared<Data>();
    return rs;
}

namespace
{

Error notSet()
{
    return Error(ErrorNumber::ObjectNotSet,
                 QStringLiteral("Object variable or With block variable not set"));
}

Error closedError()
{
    return Error(ErrorNumber::OperationOnClosed,
                 QStringLiteral("Operation is not allowed when the object is closed."));
}

Error noCurrentRecord()
{
    return Error(ErrorNumber::NoCurrentRecord,
                 QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                "deleted. Requested operation requires a current record."));
}

Error itemNotFound()
{
    return Error(ErrorNumber::ItemNotFound,
                 QStringLiteral("Item cannot be found in the collection corresponding to the "
                                "requested name or ordinal."));
}

} // namespace

std::unique_ptr<Cursor> Connection::run(const QString &sql, bool manyRows) const
{
    if (!d)
        throw notSet();
    // A failing statement replaces the connection's error list with the provider's error.
    std::weak_ptr<Data> weak = d;
    auto fail = [weak](const QString &description, const QString &native) {
        if (auto c = weak.lock()) {
            ProviderError item;
            item.Description = description;
            item.NativeError = native;
            c->errors.replace({item});
        }
        return Error(ErrorNumber::ProviderError, description);
    };
    return openCursor(d->db(), sql, fail, d->timeLimit.get(),
                      manyRows ? Cursor::Rows::Many : Cursor::Rows::Few);
}

void Recordset::Open(const QString &source, Connection &activeConnection, int cursorType,
                     int lockType, int options)
{
    Q_UNUSED(lockType); // nothing is ever written through a recordset
    Q_UNUSED(options);
    if (!d)
        throw notSet();
    Close();
    std::unique_ptr<Cursor> cursor = activeConnection.run(source, true);
    d->connection = activeConnection;
    if (!cursor)
        return; // a statement without rows leaves the recordset closed
    d->dynamic = cursorType == CursorType::Dynamic;
    // A dynamic cursor reads rows as they are asked for, and MoveFirst runs the query again,
    // seeing what others changed meanwhile.
    try {
        d->take(std::move(cursor), d->dynamic);
    } catch (...) {
        Close(); // a statement that fails partway leaves no rows behind
        throw;
    }
}

void Recordset::Data::take(std::unique_ptr<Cursor> rows, bool live)
{
    names = rows->names();
    open = true;
    if (live && rows->concurrent()) {
        empty = eof = !rows->fetch();
        cursor = std::move(rows);
        return;
    }
    const int n = columns();
    while (rows->fetch()) {
        for (int c = 0; c < n; ++c)
            cells.append(rows->value(c));
        ++this->rows;
    }
    empty = eof = this->rows == 0;
}

Recordset Connection::Execute(const QString &sql)
{
    std::unique_ptr<Cursor> cursor = run(sql);
    Recordset rs = Recordset::create();
    rs.d->connection = *this;
    if (!cursor)
        return rs; // statements without rows hand back a closed recordset
    rs.d->forwardOnly = true;
    rs.d->take(std::move(cursor), true);
    return rs;
}

namespace
{

void transactionStep(const QSqlDatabase &connectionDb, bool begin)
{
    QSqlDatabase db = connectionDb;
    if (begin ? db.transaction() : db.rollback())
        return;
    throw Error(ErrorNumber::ProviderError,
                QStringLiteral("cannot %1 a transaction: %2")
                    .arg(begin ? QStringLiteral("begin") : QStringLiteral("roll back"),
                         db.lastError().text()));
}

} // namespace

void Connection::BeginTrans()
{
    if (!d)
        throw notSet();
    transactionStep(d->db(), true);
}

void Connection::RollbackTrans()
{
    if (!d)
        throw notSet();
    transactionStep(d->db(), false);
}

void Recordset::Close()
{
    if (!d)
        throw notSet();
    Connection keep = d->connection;
    *d = Data();
    d->connection = keep;
}

bool Recordset::isOpen() const
{
    return d && d->open;
}

Recordset::Data &Recordset::openData() const
{
    if (!d)
        throw notSet();
    if (!d->open)
        throw closedError();
    return *d;
}

bool Recordset::atEOF() const
{
    openData();
    return d->eof;
}

bool Recordset::atBOF() const
{
    openData();
    return d->empty; // nothing moves before the first row
}

void Recordset::MoveNext()
{
    if (atEOF())
        throw noCurrentRecord();
    if (d->cursor) {
        d->eof = !d->cursor->fetch();
        return;
    }
    ++d->position;
    d->eof = d->position >= d->rows;
}

void Recordset::MoveFirst()
{
    openData();
    if (d->forwardOnly)
        throw Error(ErrorNumber::ForwardOnly,
                    QStringLiteral("Rowset does not support fetching backward."));
    if (d->cursor) {
        d->cursor->rewind();
        d->empty = d->eof = !d->cursor->fetch();
        return;
    }
    d->position = 0;
    d->eof = d->rows == 0;
}

qsizetype Recordset::RecordCount() const
{
    openData();
    return d->forwardOnly || d->dynamic ? -1 : d->rows;
}

int Recordset::FieldCount() const
{
    openData();
    return d->columns();
}

QStringList Recordset::fieldNames() const
{
    openData();
    return d->names;
}

Field Recordset::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw itemNotFound();
    return Field(*this, index);
}

Field Recordset::Fields(const QString &name) const
{
    const QStringList names = fieldNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return Field(*this, i);
    }
    throw itemNotFound();
}

QVariant Recordset::value(int column) const
{
    if (atEOF())
        throw noCurrentRecord();
    if (column < 0 || column >= d->columns())
        throw itemNotFound();
    if (d->cursor)
        return d->cursor->value(column);
    return d->cells.at(d->position * d->columns() + column);
}

QString Field::Name() const
{
    return m_rs.fieldNames().at(m_index);
}

QVariant Field::Value() const
{
    return m_rs.value(m_index);
}

QString maskedUrl(const QString &url)
{
    QString masked = url;
    // The last "@" ends the user part, so that a password holding "/" or "@" is masked whole;
    // a URL that cannot be told apart is rather masked too much than too little.
    const qsizetype start = masked.indexOf(QLatin1String("://"));
    const qsizetype at = masked.lastIndexOf(u'@');
    const qsizetype colon = start < 0 ? -1 : masked.indexOf(u':', start + 3);
    if (colon >= 0 && colon < at)
        masked.replace(colon + 1, at - colon - 1, QStringLiteral("***"));
    static const QRegularExpression odbcPassword(
        QStringLiteral(R"(((?:^|[;:])\s*(?:PWD|PASSWORD)\s*=\s*)(\{(?:[^}]|\}\})*\}|[^;]*))"),
        QRegularExpression::CaseInsensitiveOption);
    return masked.replace(odbcPassword, QStringLiteral("\\1***"));
}

} // namespace varo
