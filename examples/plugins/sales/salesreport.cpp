#include "salesreport.h"

#include "common/pluginsupport.h"
#include "platform/variant.h"
#include "salesqueries.h"

#include <algorithm>

namespace varo::demo
{

namespace
{

const QString kAvgOrder = QStringLiteral("FAvgOrder");
const QString kShare = QStringLiteral("FShare");

Dictionary headerItem(const QString &caption, const QString &second, const QString &name)
{
    Dictionary item = Dictionary::create();
    item.set(QStringLiteral("FColCaption"), caption);
    item.set(QStringLiteral("FHeadSecond"), second);
    item.set(QStringLiteral("FColType"), QStringLiteral("N"));
    item.set(QStringLiteral("FColName"), name);
    item.set(QStringLiteral("FVisible"), QVariant::fromValue<qint16>(1));
    return item;
}

bool hasColumn(const Vector &header, const QString &name)
{
    for (const QVariant &v : header.items()) {
        const Dictionary item = v.value<Dictionary>();
        if (!item.isNull() &&
            plainText(item.value(QStringLiteral("FColName"))).compare(name, Qt::CaseInsensitive) ==
                0)
            return true;
    }
    return false;
}

QString twoPlaces(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

SalesReport::SalesReport() : m_title(Vector::create()) {}

QVariant SalesReport::recordset() const
{
    return m_rs.isNull() ? QVariant() : QVariant::fromValue(m_rs);
}

QVariant SalesReport::GetReportData(const QVariant &condition, QVariant &sqlConn)
{
    const QString member = QStringLiteral("VaroDemo.SalesReport.GetReportData");
    const SalesSummaryFilter filter =
        SalesSummaryFilter::fromDictionary(dictionaryArgument(condition, member), member);
    Connection conn = connectionArgument(sqlConn, member);
    Recordset rs = openQuery(conn, summarySql(filter));
    const Vector rows = rowRecords(rs);
    m_rs = rs;
    m_serial = summarySerial(filter);
    m_title = summaryTitle(filter);
    return QVariant::fromValue(rows);
}

QVariant SalesReport::GetRptVect(QVariant &conditionValues, QVariant &sqlConn, QVariant &header)
{
    const QString member = QStringLiteral("VaroDemo.SalesReport.GetRptVect");
    Vector columns;
    if (!header.isValid() || isNull(header))
        columns = Vector::create();
    else if (header.metaType() == QMetaType::fromType<Vector>() && !header.value<Vector>().isNull())
        columns = header.value<Vector>();
    else
        throw invalidArgument(member, QStringLiteral("the header argument is not a Vector"));

    const Vector rows = regionSales(conditionValues, sqlConn, member);
    // The engine hands the same Vector to every request of a report object: describe each
    // column only once.
    if (!hasColumn(columns, kAvgOrder))
        columns.Add(QVariant::fromValue(
            headerItem(QStringLiteral("平均订单金额"), QStringLiteral("分析"), kAvgOrder)));
    if (!hasColumn(columns, kShare))
        columns.Add(QVariant::fromValue(
            headerItem(QStringLiteral("金额占比(%)"), QStringLiteral("分析"), kShare)));
    header = QVariant::fromValue(columns);
    return QVariant::fromValue(rows);
}

QVariant SalesReport::GetRptVect(QVariant &conditionValues, QVariant &sqlConn)
{
    return QVariant::fromValue(
        regionSales(conditionValues, sqlConn, QStringLiteral("VaroDemo.SalesReport.GetRptVect")));
}

Vector SalesReport::regionSales(const QVariant &conditionValues, const QVariant &sqlConn,
                                const QString &member)
{
    const Dictionary values = dictionaryArgument(conditionValues, member);
    Connection conn = connectionArgument(sqlConn, member);
    const QStringList conditions =
        filterConditions(plainText(values.value(QStringLiteral("strFilter"))));
    const QString region = plainText(values.value(QStringLiteral("REGION")));
    Recordset rs = openQuery(conn, regionSalesSql(conditions, region));

    struct Row {
        QStringList fields;
        qint64 orders;
        double amount;
    };
    QList<Row> found;
    double total = 0;
    const int fieldCount = rs.FieldCount();
    for (; !rs.atEOF(); rs.MoveNext()) {
        Row row;
        for (int i = 0; i < fieldCount; ++i)
            row.fields.append(trimBlanks(plainText(rs.Fields(i).Value())));
        row.orders =
            qint64(leadingNumber(plainText(rs.Fields(QStringLiteral("FOrderCount")).Value())));
        row.amount = leadingNumber(plainText(rs.Fields(QStringLiteral("FAmount")).Value()));
        total += row.amount;
        found.append(row);
    }
    if (!found.isEmpty())
        rs.MoveFirst();
    m_rs = rs;
    // Region first (by the text's code points, the same on every server), then salesperson,
    // which the query already ordered.
    std::stable_sort(found.begin(), found.end(),
                     [](const Row &a, const Row &b) { return a.fields.at(0) < b.fields.at(0); });

    const auto keys =
        std::make_shared<const DictionaryKeys>(rs.fieldNames() + QStringList{kAvgOrder, kShare});
    Vector rows = Vector::create();
    for (const Row &r : found) {
        Dictionary record = Dictionary::withKeys(keys);
        for (int i = 0; i < fieldCount; ++i)
            record.setAt(i, r.fields.at(i));
        record.setAt(fieldCount, twoPlaces(r.orders ? r.amount / double(r.orders) : 0.0));
        record.setAt(fieldCount + 1, twoPlaces(total > 0 ? r.amount * 100.0 / total : 0.0));
        rows.Add(QVariant::fromValue(record));
    }
    return rows;
}

} // namespace varo::demo
