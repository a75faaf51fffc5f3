#include "salesqueries.h"

#include "common/pluginsupport.h"

namespace varo::demo
{

namespace
{

const QString kEveryRegion = QStringLiteral("全部");

QDate dateEntry(const Dictionary &condition, const QString &name, const QString &member)
{
    const QVariant v = condition.value(name);
    QDate date = v.typeId() == QMetaType::QDate
                     ? v.toDate()
                     : QDate::fromString(plainText(v).left(10), Qt::ISODate);
    if (!date.isValid())
        throw invalidArgument(member, QStringLiteral("the condition's \"%1\" is not a date "
                                                     "(yyyy-MM-dd): \"%2\"")
                                          .arg(name, plainText(v)));
    return date;
}

QString whereClause(const QStringList &conditions)
{
    QString where = QStringLiteral("where 1=1");
    for (const QString &c : conditions)
        where += QStringLiteral(" and (") + c + u')';
    return where;
}

Dictionary titleLine(const QString &caption, int index)
{
    Dictionary line = Dictionary::create();
    line.set(QStringLiteral("FCaption"), caption);
    line.set(QStringLiteral("FIndex"), index);
    return line;
}

} // namespace

bool isEveryRegion(const QString &region)
{
    return region.trimmed().isEmpty() || region.trimmed() == kEveryRegion;
}

Dictionary SalesSummaryFilter::toDictionary() const
{
    Dictionary d = Dictionary::create();
    d.set(QStringLiteral("DateFrom"), dateFrom.toString(Qt::ISODate));
    d.set(QStringLiteral("DateTo"), dateTo.toString(Qt::ISODate));
    d.set(QStringLiteral("Region"), region.isEmpty() ? kEveryRegion : region);
    d.set(QStringLiteral("GroupBy"), byItem ? QStringLiteral("ITEM") : QStringLiteral("CUST"));
    return d;
}

SalesSummaryFilter SalesSummaryFilter::fromDictionary(const Dictionary &condition,
                                                      const QString &member)
{
    SalesSummaryFilter f;
    f.dateFrom = dateEntry(condition, QStringLiteral("DateFrom"), member);
    f.dateTo = dateEntry(condition, QStringLiteral("DateTo"), member);
    const QString region = plainText(condition.value(QStringLiteral("Region"))).trimmed();
    f.region = isEveryRegion(region) ? QString() : region;
    const QString group = plainText(condition.value(QStringLiteral("GroupBy"))).trimmed();
    if (group.compare(QLatin1String("ITEM"), Qt::CaseInsensitive) == 0)
        f.byItem = true;
    else if (group.isEmpty() || group.compare(QLatin1String("CUST"), Qt::CaseInsensitive) == 0)
        f.byItem = false;
    else
        throw invalidArgument(member, QStringLiteral("the condition's \"GroupBy\" must be CUST "
                                                     "or ITEM, not \"%1\"")
                                          .arg(group));
    return f;
}

QString summarySerial(const SalesSummaryFilter &filter)
{
    return filter.byItem ? QStringLiteral("2") : QStringLiteral("1");
}

QString summarySql(const SalesSummaryFilter &filter)
{
    QStringList conditions = {
        QStringLiteral("o.FDate >= ") + sqlText(filter.dateFrom.toString(Qt::ISODate)),
        QStringLiteral("o.FDate <= ") + sqlText(filter.dateTo.toString(Qt::ISODate))};
    if (!filter.region.isEmpty())
        conditions.append(QStringLiteral("c.FRegion = ") + sqlText(filter.region));
    const QString from = QStringLiteral("from T_SalesOrder o"
                                        " join T_SalesOrderEntry l on l.FOrderID = o.FID"
                                        " join T_Customer c on c.FID = o.FCustID"
                                        " join T_Item i on i.FID = l.FItemID ");
    if (filter.byItem)
        return QStringLiteral("select i.FNumber as FItemNumber, i.FName as FItemName, "
                              "i.FCategory as FCategory, i.FUnit as FUnit, i.FID as FItemID, "
                              "sum(l.FQty) as FQty, sum(l.FAmount) as FAmount ") +
               from + whereClause(conditions) +
               QStringLiteral(" group by i.FNumber, i.FName, i.FCategory, i.FUnit, i.FID"
                              " order by i.FNumber");
    return QStringLiteral("select c.FNumber as FCustNumber, c.FName as FCustName, "
                          "c.FRegion as FRegion, c.FID as FCustID, "
                          "count(distinct o.FID) as FOrderCount, sum(l.FQty) as FQty, "
                          "sum(l.FAmount) as FAmount ") +
           from + whereClause(conditions) +
           QStringLiteral(" group by c.FNumber, c.FName, c.FRegion, c.FID order by c.FNumber");
}

Vector summaryTitle(const SalesSummaryFilter &filter)
{
    Vector title = Vector::create();
    title.Add(QVariant::fromValue(
        titleLine(QStringLiteral("日期：") + filter.dateFrom.toString(Qt::ISODate) +
                      QStringLiteral(" 至 ") + filter.dateTo.toString(Qt::ISODate),
                  0)));
    title.Add(QVariant::fromValue(titleLine(
        QStringLiteral("区域：") + (filter.region.isEmpty() ? kEveryRegion : filter.region), 1)));
    title.Add(QVariant::fromValue(
        titleLine(QStringLiteral("汇总方式：") +
                      (filter.byItem ? QStringLiteral("按商品") : QStringLiteral("按客户")),
                  2)));
    return title;
}

QString regionSalesSql(const QStringList &conditions, const QString &region)
{
    QStringList all = conditions;
    if (!isEveryRegion(region))
        all.append(QStringLiteral("c.FRegion = ") + sqlText(region.trimmed()));
    return QStringLiteral("select c.FRegion as FRegion, e.FNumber as FEmpNumber, "
                          "e.FName as FEmpName, count(distinct o.FID) as FOrderCount, "
                          "sum(l.FQty) as FQty, sum(l.FAmount) as FAmount "
                          "from T_SalesOrder o"
                          " join T_SalesOrderEntry l on l.FOrderID = o.FID"
                          " join T_Customer c on c.FID = o.FCustID"
                          " join T_Employee e on e.FID = o.FEmpID ") +
           whereClause(all) +
           // Region names are Chinese, and servers sort those by their own collation: order by
           // the salesperson's code here and by region in the plug-in.
           QStringLiteral(" group by c.FRegion, e.FNumber, e.FName order by e.FNumber");
}

QString salesmanSalesSql(const QStringList &conditions)
{
    return QStringLiteral("select e.FNumber as FEmpNumber, e.FName as FEmpName, "
                          "count(distinct o.FCustID) as FCustCount, "
                          "count(distinct o.FID) as FOrderCount, sum(l.FQty) as FQty, "
                          "sum(l.FAmount) as FAmount "
                          "from T_SalesOrder o"
                          " join T_SalesOrderEntry l on l.FOrderID = o.FID"
                          " join T_Customer c on c.FID = o.FCustID"
                          " join T_Employee e on e.FID = o.FEmpID ") +
           whereClause(conditions) +
           QStringLiteral(" group by e.FNumber, e.FName order by e.FNumber");
}

} // namespace varo::demo
