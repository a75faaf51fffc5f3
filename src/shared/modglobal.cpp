#include "modglobal.h"

#include "platform/automation.h"
#include "platform/error.h"
#include "platform/ui.h"
#include "platform/variant.h"

namespace varo
{

namespace
{
struct SharedState {
    Connection locConn;
    Connection sqlConn;
    qint32 repType = 0;
};

SharedState &state()
{
    thread_local SharedState s;
    return s;
}

const QString kTitle = QStringLiteral("沐岩提示");
} // namespace

Connection &gLocConn()
{
    return state().locConn;
}

Connection &gSqlConn()
{
    return state().sqlConn;
}

qint32 &gRepType()
{
    return state().repType;
}

QString errorMessage(int number, const QString &description)
{
    return QStringLiteral("错误编号:") + QString::number(number) + QStringLiteral(",错误描述:") +
           description;
}

void ShowMessage(const QString &message)
{
    ui::showMessage(message, ui::MessageIcon::Information, kTitle);
}

QString QuoteSql(const QString &text)
{
    return u'\'' + text + u'\'';
}

QVariant NullToValue(const QVariant &value, const QVariant &defaultValue)
{
    return isNull(value) ? defaultValue : value;
}

QString GetPart(const QString &text, const QString &delimiter, qint16 index)
{
    if (text.isEmpty())
        return QString();
    const QStringList parts = text.split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
    if (index >= 0 && index < parts.size())
        return parts.at(index);
    return QString();
}

Dictionary RecordToDictionary(Recordset &rs)
{
    if (rs.atEOF())
        return Dictionary();
    Dictionary dict = Dictionary::create();
    for (int i = 0; i < rs.FieldCount(); ++i) {
        const Field field = rs.Fields(i);
        dict.set(field.Name(), trimBlanks(toText(NullToValue(field.Value()))));
    }
    return dict;
}

Recordset OpenLocalRecordset(const QString &sql)
{
    Recordset rs = Recordset::create();
    rs.Open(sql, gLocConn(), CursorType::Default, LockType::Default, -1);
    return rs;
}

Recordset OpenCatalogueRow(const QString &sKey)
{
    return OpenLocalRecordset(QStringLiteral("Select * From T_RepList Where FRepKey='") + sKey +
                              u'\'');
}

Recordset OpenSqlRecordset(const QString &sql)
{
    Recordset rs = Recordset::create();
    rs.Open(sql, gSqlConn(), CursorType::Dynamic, LockType::Pessimistic, -1);
    return rs;
}

QString GetScalarString(const QString &sql, Connection &connection)
{
    try {
        Recordset rs = Recordset::create();
        rs.Open(sql, connection, CursorType::Default, LockType::Default, -1);
        if (rs.atEOF())
            return QString();
        return toText(NullToValue(rs.Fields(0).Value()));
    } catch (const std::exception &e) {
        ui::showMessage(toError(e).description(), ui::MessageIcon::None, QString());
        return QString();
    }
}

void EnsureColumn(Connection &connection, const QString &table, const QString &column)
{
    try {
        bool present = false;
        {
            // Let go of the rows before altering: SQLite refuses to change a table that an
            // open statement on the same connection still reads.
            Recordset rs = connection.Execute(QStringLiteral("select * from ") + table +
                                              QStringLiteral(" where  1=1"));
            for (const QString &name : rs.fieldNames()) {
                if (name.toLower() == column.toLower())
                    present = true;
            }
        }
        if (!present)
            connection.Execute(QStringLiteral("alter table ") + table + QStringLiteral(" add  ") +
                               column + QStringLiteral(" Varchar(200) null"));
    } catch (const std::exception &e) {
        ShowMessage(toError(e).description());
    }
}

QString itemLookupProgId()
{
    return QStringLiteral("VaroSelect.clsItemLook");
}

QString LookupItem(const QString &key, LookupConnections connections)
{
    try {
        Object lookup = createObject(itemLookupProgId());
        if (connections == LookupConnections::BusinessOnly) {
            QVariantList args{key, QVariant::fromValue(gSqlConn())};
            lookup.call(QStringLiteral("ShowForm"), args);
            gSqlConn() = objectFrom<Connection>(args.at(1));
        } else {
            QVariantList args{key, QVariant::fromValue(gLocConn()),
                              QVariant::fromValue(gSqlConn())};
            lookup.call(QStringLiteral("ShowForm"), args);
            gLocConn() = objectFrom<Connection>(args.at(1));
            gSqlConn() = objectFrom<Connection>(args.at(2));
        }
        return toText(lookup.get(QStringLiteral("ReturnValue")));
    } catch (const std::exception &e) {
        const Error error = toError(e);
        ShowMessage(errorMessage(error.number(), error.description()));
        return QString();
    }
}

} // namespace varo
