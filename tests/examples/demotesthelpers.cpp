#include "demotesthelpers.h"

#include "common/testsupport.h"
#include "demodatabase.h"
#include "platform/variant.h"

#include <QPushButton>

namespace varo::demotest
{

Connection *DemoDatabases::get(const QString &kind, QString *why, bool *skip)
{
    *skip = false;
    if (auto f = m_failures.find(kind); f != m_failures.end()) {
        *why = f->second;
        *skip = m_databases.count(kind) &&
                m_databases[kind]->state() == test::TestDatabase::State::Skipped;
        return nullptr;
    }
    auto &db = m_databases[kind];
    if (!db) {
        db = std::make_unique<test::TestDatabase>(kind);
        if (db->state() != test::TestDatabase::State::Ready) {
            m_failures[kind] = db->errorString();
            return get(kind, why, skip);
        }
        if (const auto error = test::errorOf([&] { demo::buildDemoDatabase(db->connection()); })) {
            m_failures[kind] =
                QStringLiteral("building the demo database failed: ") + test::describe(*error);
            return get(kind, why, skip);
        }
    }
    return &db->connection();
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

qint64 scalar(Connection &conn, const QString &sql)
{
    const TextTable t = query(conn, sql);
    return t.rows.isEmpty() ? -1 : t.rows.first().first().toLongLong();
}

QList<SalesLine> salesLines(Connection &conn)
{
    const TextTable t =
        query(conn, QStringLiteral("select o.FBillNo, o.FDate, c.FNumber, c.FName, c.FRegion, "
                                   "e.FNumber, e.FName, i.FNumber, i.FName, i.FCategory, i.FUnit, "
                                   "c.FID, i.FID, o.FID, l.FQty, l.FPrice, l.FAmount "
                                   "from T_SalesOrderEntry l, T_SalesOrder o, T_Customer c, "
                                   "T_Employee e, T_Item i where o.FID = l.FOrderID and "
                                   "c.FID = o.FCustID and e.FID = o.FEmpID and i.FID = l.FItemID"));
    QList<SalesLine> lines;
    for (const QStringList &r : t.rows) {
        SalesLine l{r[0],
                    r[1],
                    r[2],
                    r[3],
                    r[4],
                    r[5],
                    r[6],
                    r[7],
                    r[8],
                    r[9],
                    r[10],
                    r[11].toInt(),
                    r[12].toInt(),
                    r[13].toInt(),
                    r[14].toLongLong(),
                    r[15].toLongLong(),
                    r[16].toLongLong()};
        lines.append(l);
    }
    return lines;
}

QList<FilterRow> filterRows(Connection &conn, const QString &key)
{
    const TextTable t = query(
        conn, QStringLiteral("select FCaption, FMarkNameFrom, FMarkNameTo, FFilterFrom, FFilterTo, "
                             "FCtrlType, FCtrlSel from T_RepFilter where FRepKey = '") +
                  key + QStringLiteral("' order by FIndex"));
    QList<FilterRow> rows;
    for (const QStringList &r : t.rows)
        rows.append({r[0], r[1], r[2], r[3], r[4], r[5].toUpper(), r[6]});
    return rows;
}

QString composeFilter(const QList<FilterRow> &rows, const QMap<QString, QString> &values)
{
    QStringList pairs;
    auto add = [&](const QString &mark, const QString &tmpl, const QString &valueText) {
        if (mark.isEmpty() || tmpl.isEmpty())
            return;
        QString fragment = QStringLiteral("1=1");
        if (!valueText.isEmpty())
            fragment = QString(tmpl).replace(u'?', valueText);
        pairs.append(mark + u'|' + fragment);
    };
    auto withTime = [](const QString &date, const char *time) {
        return date.isEmpty() ? date : date + u' ' + QString::fromLatin1(time);
    };
    for (const FilterRow &r : rows) {
        if (r.ctrlType != QLatin1String("DTP"))
            continue;
        add(r.markFrom, r.filterFrom, withTime(values.value(r.markFrom), "00:00:00"));
        add(r.markTo, r.filterTo, withTime(values.value(r.markTo), "23:59:59"));
    }
    bool first = true;
    for (const FilterRow &r : rows) {
        if (r.ctrlType != QLatin1String("CDTXT"))
            continue;
        if (first) {
            add(r.markTo, r.filterTo, values.value(r.markTo));
            add(r.markFrom, r.filterFrom, values.value(r.markFrom));
        } else {
            add(r.markFrom, r.filterFrom, values.value(r.markFrom));
            add(r.markTo, r.filterTo, values.value(r.markTo));
        }
        first = false;
    }
    return pairs.join(u'&');
}

Dictionary conditionValues(const QList<FilterRow> &rows, const QMap<QString, QString> &values)
{
    Dictionary d = Dictionary::create();
    for (const FilterRow &r : rows) {
        for (const QString &mark : {r.markFrom, r.markTo}) {
            if (!mark.isEmpty())
                d.set(mark, values.value(mark));
        }
    }
    d.set(QStringLiteral("FGroupStr"), QString());
    d.set(QStringLiteral("strFilter"), composeFilter(rows, values));
    return d;
}

TextTable recordsTable(const Vector &records, const QStringList &columns)
{
    TextTable table;
    table.names = columns;
    for (const QVariant &v : records.items()) {
        const Dictionary d = v.value<Dictionary>();
        QStringList row;
        for (const QString &c : columns)
            row.append(d.isNull()    ? QStringLiteral("<not a Dictionary>")
                       : d.Exists(c) ? cellText(d.value(c))
                                     : QStringLiteral("<missing>"));
        table.rows.append(row);
    }
    return table;
}

QStringList visibleColumns(Connection &conn, const QString &key, const QString &serial)
{
    QString sql = QStringLiteral("select FRepColName from T_RepHeadCaption where FRepKey = '") +
                  key + QStringLiteral("' and FRepColVisible = 1");
    if (!serial.isEmpty())
        sql += QStringLiteral(" and FRepSerial = '") + serial + u'\'';
    QStringList names;
    for (const QStringList &r : query(conn, sql + QStringLiteral(" order by FIndex")).rows)
        names.append(r.first());
    return names;
}

Object createDemoObject(const QString &progId)
{
#ifdef VARO_DEMO_PLUGIN_DIR
    addPluginPath(QStringLiteral(VARO_DEMO_PLUGIN_DIR));
#endif
    return createObject(progId);
}

QVariant connectionArg(const Connection &conn)
{
    return QVariant::fromValue(conn);
}

void press(QDialog *dialog, const char *button)
{
    auto *b = dialog->findChild<QPushButton *>(QString::fromLatin1(button));
    if (b)
        b->click();
    else
        dialog->reject(); // the test then fails on what the dialog did not return
}

std::function<void(QDialog *)> answering(std::function<void(QDialog *)> fill)
{
    return [fill = std::move(fill)](QDialog *dialog) {
        fill(dialog);
        if (dialog->isVisible())
            dialog->reject();
    };
}

} // namespace varo::demotest
