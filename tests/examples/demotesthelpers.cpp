#include "demotesthelpers.h"

#include "common/testsupport.h"
#include "demodatabase.h"
#include "platform/variant.h"

#include <QPushButton>
#include <QTest>

namespace varo::demotest
{

Connection *DemoDatabases::get(const QString &kind, QString *why, bool *skip)
{
    auto &db = m_databases[kind];
    if (!db) {
        db = std::make_unique<test::TestDatabase>(kind);
        if (db->state() != test::TestDatabase::State::Ready)
            m_failures[kind] = db->errorString();
        else if (const auto error =
                     test::errorOf([&] { demo::buildDemoDatabase(db->connection()); }))
            m_failures[kind] =
                QStringLiteral("building the demo database failed: ") + test::describe(*error);
    }
    *skip = db->state() == test::TestDatabase::State::Skipped;
    const auto failure = m_failures.find(kind);
    if (failure == m_failures.end())
        return &db->connection();
    *why = failure->second;
    return nullptr;
}

void DemoDatabases::clear()
{
    m_databases.clear();
    m_failures.clear();
}

static QString cellText(const QVariant &v)
{
    return (!v.isValid() || isNull(v)) ? QString() : toText(v);
}

int TextTable::column(const QString &name) const
{
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

TextTable query(Connection &conn, const QString &sql)
{
    Recordset rs = Recordset::create();
    rs.Open(sql, conn);
    TextTable table;
    table.names = rs.fieldNames();
    for (; !rs.atEOF(); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row.append(cellText(rs.Fields(i).Value()));
        table.rows.append(row);
    }
    return table;
}

QStringList firstColumn(Connection &conn, const QString &sql)
{
    QStringList values;
    for (const QStringList &r : query(conn, sql).rows)
        values.append(r.first());
    return values;
}

qint64 scalar(Connection &conn, const QString &sql)
{
    const TextTable t = query(conn, sql);
    return t.rows.isEmpty() ? -1 : t.rows.first().first().toLongLong();
}

QList<SalesLine> salesLines(Connection &conn)
{
    const TextTable t = query(
        conn, QStringLiteral("select o.FBillNo, o.FDate, c.FNumber, c.FName, c.FRegion, e.FNumber, "
                             "e.FName, i.FNumber, i.FName, i.FCategory, i.FUnit, c.FID, i.FID, "
                             "o.FID, l.FQty, l.FPrice, l.FAmount from T_SalesOrderEntry l, "
                             "T_SalesOrder o, T_Customer c, T_Employee e, T_Item i where o.FID = "
                             "l.FOrderID and c.FID = o.FCustID and e.FID = o.FEmpID and i.FID = "
                             "l.FItemID order by o.FDate, o.FBillNo, l.FEntryID"));
    QList<SalesLine> lines;
    for (const QStringList &r : t.rows)
        lines.append({r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10],
                      r[11].toInt(), r[12].toInt(), r[13].toInt(), r[14].toLongLong(),
                      r[15].toLongLong(), r[16].toLongLong()});
    return lines;
}

QStringList Totals::sums() const
{
    return {QString::number(orders.size()), QString::number(qty), QString::number(amount)};
}

QList<Totals> totals(const QList<SalesLine> &lines,
                     const std::function<bool(const SalesLine &)> &accepts,
                     const std::function<QStringList(const SalesLine &)> &fieldsOf)
{
    QMap<QString, Totals> groups;
    for (const SalesLine &l : lines) {
        if (!accepts(l))
            continue;
        const QStringList fields = fieldsOf(l);
        // A separator below every character keeps the order of the first field, then the next.
        Totals &t = groups[fields.join(QChar(1))];
        t.fields = fields;
        t.orders.insert(l.orderId);
        t.customers.insert(l.custId);
        t.qty += l.qty;
        t.amount += l.amount;
    }
    return groups.values();
}

QString composeFilter(Connection &conn, const QString &key, const QMap<QString, QString> &values)
{
    const TextTable t =
        query(conn, QStringLiteral("select FMarkNameFrom, FFilterFrom, FMarkNameTo, "
                                   "FFilterTo, upper(FCtrlType) from T_RepFilter "
                                   "where FRepKey = '%1'")
                        .arg(key));
    QStringList pairs;
    for (const QStringList &r : t.rows) {
        const bool date = r[4] == QLatin1String("DTP");
        if (!date && r[4] != QLatin1String("CDTXT"))
            continue; // choice boxes add nothing
        for (const int i : {0, 2}) {
            QString value = values.value(r[i]);
            if (date && !value.isEmpty())
                value += i ? QStringLiteral(" 23:59:59") : QStringLiteral(" 00:00:00");
            pairs.append(
                r[i] + u'|' +
                (value.isEmpty() ? QStringLiteral("1=1") : QString(r[i + 1]).replace(u'?', value)));
        }
    }
    return pairs.join(u'&');
}

Dictionary conditionValues(Connection &conn, const QString &key,
                           const QMap<QString, QString> &values)
{
    Dictionary d = Dictionary::create();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        d.set(it.key(), it.value());
    d.set(QStringLiteral("strFilter"), composeFilter(conn, key, values));
    return d;
}

QList<QStringList> recordsTable(const Vector &records, const QStringList &columns)
{
    QList<QStringList> rows;
    for (const QVariant &v : records.items()) {
        const Dictionary d = v.value<Dictionary>();
        QStringList row;
        for (const QString &c : columns)
            row.append(d.isNull()    ? QStringLiteral("<not a Dictionary>")
                       : d.Exists(c) ? cellText(d.value(c))
                                     : QStringLiteral("<missing>"));
        rows.append(row);
    }
    return rows;
}

QStringList visibleColumns(Connection &conn, const QString &key, const QString &serial)
{
    QString sql = QStringLiteral("select FRepColName from T_RepHeadCaption where FRepKey = '%1' "
                                 "and FRepColVisible = 1")
                      .arg(key);
    if (!serial.isEmpty())
        sql += QStringLiteral(" and FRepSerial = '%1'").arg(serial);
    return firstColumn(conn, sql + QStringLiteral(" order by FIndex"));
}

Object createDemoObject(const QString &progId)
{
#ifdef VARO_DEMO_PLUGIN_DIR
    addPluginPath(QStringLiteral(VARO_DEMO_PLUGIN_DIR));
#endif
    return createObject(progId);
}

Object reportPlugin(Connection &conn, const QString &key, const QString &column)
{
    return createDemoObject(
        firstColumn(
            conn, QStringLiteral("select %1 from T_RepList where FRepKey = '%2'").arg(column, key))
            .value(0));
}

std::function<void(QDialog *)> answering(const char *button, std::function<void(QDialog *)> fill)
{
    return [button, fill = std::move(fill)](QDialog *dialog) {
        if (fill)
            fill(dialog);
        auto *b = dialog->findChild<QPushButton *>(QString::fromLatin1(button));
        if (b && !QTest::currentTestFailed())
            b->click();
        if (dialog->isVisible())
            dialog->reject();
    };
}

} // namespace varo::demotest
