#include "demodefinitions.h"

#include "demobusiness.h"
#include "demodatabase.h"
#include "sqlinsert.h"

namespace varo::demo
{

namespace
{

const QString kSalesFilter = QStringLiteral("VaroDemo.SalesFilter");
const QString kSalesReport = QStringLiteral("VaroDemo.SalesReport");
const QString kLegacyReport = QStringLiteral("VaroDemo.LegacyReport");

// Column types handed to the host unchanged: C text, D date, N number.
struct Column {
    QString name;
    QString caption;
    QString type;
    QString second;
    int visible;
    bool summed;
};

struct Condition {
    QString caption;
    QString markFrom;
    QString filterFrom;
    QString to;
    QString markTo;
    QString filterTo;
    QString ctrlType;
    QString ctrlSel;
};

struct Keyword {
    int interId;
    QString caption;
    QString keyword;
    int valueType;
    QString sourceField;
};

class Definitions
{
public:
    Definitions()
        : list(QStringLiteral("T_RepList"),
               {QStringLiteral("id"), QStringLiteral("FRepKey"), QStringLiteral("FRepName"),
                QStringLiteral("FRepDesc"), QStringLiteral("FRepCategory"),
                QStringLiteral("FRepFormWid"), QStringLiteral("FRepFormHei"),
                QStringLiteral("FRepType"), QStringLiteral("FRepSub"),
                QStringLiteral("FDefaultFilter"), QStringLiteral("FFilterPlugName"),
                QStringLiteral("FRepPluginSvr"), QStringLiteral("FMulti"),
                QStringLiteral("FTxparm"), QStringLiteral("FIndex")}),
          sql(QStringLiteral("T_RepSql"),
              {QStringLiteral("FRepKey"), QStringLiteral("FRepSql"), QStringLiteral("FIndex")}),
          heads(QStringLiteral("T_RepHeadCaption"),
                {QStringLiteral("FRepKey"), QStringLiteral("FIndex"), QStringLiteral("FRepColName"),
                 QStringLiteral("FRepColCaption"), QStringLiteral("FRepColType"),
                 QStringLiteral("FRepColSecond"), QStringLiteral("FRepColVisible"),
                 QStringLiteral("FRepSerial"), QStringLiteral("FSumCol")}),
          filters(QStringLiteral("T_RepFilter"),
                  {QStringLiteral("FRepKey"), QStringLiteral("FIndex"), QStringLiteral("FCaption"),
                   QStringLiteral("FMarkNameFrom"), QStringLiteral("FMarkNameTo"),
                   QStringLiteral("FFilterFrom"), QStringLiteral("FFilterTo"),
                   QStringLiteral("FTo"), QStringLiteral("FCtrlType"), QStringLiteral("FCtrlSel")}),
          keywords(QStringLiteral("ICReportKeywords"),
                   {QStringLiteral("FInterID"), QStringLiteral("FCaption"),
                    QStringLiteral("FKeyword"), QStringLiteral("FValueType"),
                    QStringLiteral("FSourceField")}),
          reports(QStringLiteral("ICReport"),
                  {QStringLiteral("FInterID"), QStringLiteral("FProcedure")})
    {
    }

    // A catalogue row; ProgIDs left empty are stored as Null, as a host that never set them.
    void report(int id, const QString &key, const QString &name, const QString &description,
                const QString &sub, int defaultFilter, const QString &filterPlugin,
                const QString &reportPlugin, int multi)
    {
        auto orNull = [](const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); };
        list.addRow({id, key, name, description, QStringLiteral("销售"), 900, 600, 1, sub,
                     defaultFilter, orNull(filterPlugin), orNull(reportPlugin), multi,
                     QStringLiteral("0"), id});
    }

    void columns(const QString &key, const QString &serial, const QList<Column> &cols)
    {
        int index = 0;
        for (const Column &c : cols)
            heads.addRow({key, ++index, c.name, c.caption, c.type, c.second, c.visible,
                          serial.isEmpty() ? QVariant() : QVariant(serial),
                          c.summed ? QStringLiteral("1") : QStringLiteral("0")});
    }

    void conditions(const QString &key, const QList<Condition> &rows)
    {
        auto orNull = [](const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); };
        int index = 0;
        for (const Condition &c : rows)
            filters.addRow({key, ++index, c.caption, orNull(c.markFrom), orNull(c.markTo),
                            orNull(c.filterFrom), orNull(c.filterTo), orNull(c.to),
                            orNull(c.ctrlType), orNull(c.ctrlSel)});
    }

    QStringList statements() const
    {
        return list.statements() + sql.statements() + heads.statements() + filters.statements() +
               keywords.statements() + reports.statements();
    }

    InsertBuilder list;
    InsertBuilder sql;
    InsertBuilder heads;
    InsertBuilder filters;
    InsertBuilder keywords;
    InsertBuilder reports;
};

const QString kYes = QStringLiteral("1");

// The date range every condition dialog of the demo offers. The dialog writes the "from" date
// as 'yyyy-MM-dd 00:00:00' and the "to" date as 'yyyy-MM-dd 23:59:59'; the stored dates are
// 'yyyy-MM-dd' text, so only the first ten characters are compared.
Condition dateRange(const QString &markFrom, const QString &markTo)
{
    return {QStringLiteral("日期从"), markFrom, QStringLiteral("o.FDate>=substr('?',1,10)"),
            QStringLiteral("到"),     markTo,   QStringLiteral("o.FDate<=substr('?',1,10)"),
            QStringLiteral("DTP"),    QString()};
}

void filterPluginReport(Definitions &d)
{
    const QString key = kFilterPluginReport;
    d.report(1, key, QStringLiteral("销售汇总表"),
             QStringLiteral("按客户或按商品汇总销售数量与金额，由过滤插件选择日期、区域和汇总方式"),
             QStringLiteral("0"), 1, kSalesFilter, kSalesReport, 1);
    // Layout 1: by customer; layout 2: by item. The report plug-in's ReturnSerial picks one.
    d.columns(key, QStringLiteral("1"),
              {{QStringLiteral("FCustNumber"), QStringLiteral("客户代码"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FCustName"), QStringLiteral("客户名称"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FRegion"), QStringLiteral("区域"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FCustID"), QStringLiteral("客户内码"), QStringLiteral("N"),
                QString(), 0, false},
               {QStringLiteral("FOrderCount"), QStringLiteral("订单数"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FQty"), QStringLiteral("数量"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FAmount"), QStringLiteral("金额"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true}});
    d.columns(key, QStringLiteral("2"),
              {{QStringLiteral("FItemNumber"), QStringLiteral("商品代码"), QStringLiteral("C"),
                QStringLiteral("商品"), 1, false},
               {QStringLiteral("FItemName"), QStringLiteral("商品名称"), QStringLiteral("C"),
                QStringLiteral("商品"), 1, false},
               {QStringLiteral("FCategory"), QStringLiteral("类别"), QStringLiteral("C"),
                QStringLiteral("商品"), 1, false},
               {QStringLiteral("FUnit"), QStringLiteral("单位"), QStringLiteral("C"),
                QStringLiteral("商品"), 1, false},
               {QStringLiteral("FItemID"), QStringLiteral("商品内码"), QStringLiteral("N"),
                QString(), 0, false},
               {QStringLiteral("FQty"), QStringLiteral("数量"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FAmount"), QStringLiteral("金额"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true}});
}

void conditionPluginReport(Definitions &d)
{
    const QString key = kConditionPluginReport;
    d.report(2, key, QStringLiteral("区域销售汇总"),
             QStringLiteral("按区域和业务员汇总销售，条件对话框之后由报表插件取数并补充两列"),
             QStringLiteral("3"), 0, QString(), kSalesReport, 0);
    // The plug-in appends "FAvgOrder" and "FShare" to the header itself.
    d.columns(key, QString(),
              {{QStringLiteral("FRegion"), QStringLiteral("区域"), QStringLiteral("C"), QString(),
                1, false},
               {QStringLiteral("FEmpNumber"), QStringLiteral("业务员代码"), QStringLiteral("C"),
                QStringLiteral("业务员"), 0, false},
               {QStringLiteral("FEmpName"), QStringLiteral("业务员"), QStringLiteral("C"),
                QStringLiteral("业务员"), 1, false},
               {QStringLiteral("FOrderCount"), QStringLiteral("订单数"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FQty"), QStringLiteral("数量"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FAmount"), QStringLiteral("金额"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true}});
    // The plug-in ANDs the composed conditions into its query, whose aliases are o (order),
    // c (customer) and e (salesperson); the region choice it reads from the condition values.
    QString regions = QStringLiteral("全部");
    for (const QString &r : demoRegions())
        regions += u',' + r;
    d.conditions(
        key, {dateRange(QStringLiteral("BEGINDATE"), QStringLiteral("ENDDATE")),
              {QStringLiteral("客户代码"), QStringLiteral("CUSTFROM"),
               QStringLiteral("c.FNumber>='?'"), QStringLiteral("到"), QStringLiteral("CUSTTO"),
               QStringLiteral("c.FNumber<='?'"), QStringLiteral("CDTXT"), QStringLiteral("CUST")},
              {QStringLiteral("区域"), QStringLiteral("REGION"), regions, QString(), QString(),
               QString(), QStringLiteral("CMB"), QString()}});
}

void conditionSqlReport(Definitions &d)
{
    const QString key = kConditionSqlReport;
    d.report(3, key, QStringLiteral("销售明细表"),
             QStringLiteral("销售订单明细，按日期、商品和客户范围过滤"), QStringLiteral("1"), 0,
             QString(), QString(), 0);
    // The expansion upper-cases the text before each placeholder it fills, so the template
    // holds no literal whose case matters, and the filter values are codes in upper case.
    d.sql.addRow({key,
                  QStringLiteral("select o.FBillNo as FBillNo, o.FDate as FDate, "
                                 "c.FNumber as FCustNumber, c.FName as FCustName, "
                                 "c.FRegion as FRegion, e.FName as FEmpName, "
                                 "i.FNumber as FItemNumber, i.FName as FItemName, "
                                 "i.FUnit as FUnit, l.FQty as FQty, l.FPrice as FPrice, "
                                 "l.FAmount as FAmount\n"
                                 "from T_SalesOrder o\n"
                                 " join T_SalesOrderEntry l on l.FOrderID = o.FID\n"
                                 " join T_Customer c on c.FID = o.FCustID\n"
                                 " join T_Employee e on e.FID = o.FEmpID\n"
                                 " join T_Item i on i.FID = l.FItemID\n"
                                 "where {DATEFROM} and {DATETO} and {ITEMFROM} and {ITEMTO}"
                                 " and {CUSTFROM} and {CUSTTO}\n"
                                 "order by o.FDate, o.FBillNo, l.FEntryID"),
                  1});
    d.columns(key, QString(),
              {{QStringLiteral("FBillNo"), QStringLiteral("单号"), QStringLiteral("C"),
                QStringLiteral("订单"), 1, false},
               {QStringLiteral("FDate"), QStringLiteral("日期"), QStringLiteral("D"),
                QStringLiteral("订单"), 1, false},
               {QStringLiteral("FCustNumber"), QStringLiteral("客户代码"), QStringLiteral("C"),
                QStringLiteral("客户"), 0, false},
               {QStringLiteral("FCustName"), QStringLiteral("客户名称"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FRegion"), QStringLiteral("区域"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FEmpName"), QStringLiteral("业务员"), QStringLiteral("C"),
                QString(), 1, false},
               {QStringLiteral("FItemNumber"), QStringLiteral("商品代码"), QStringLiteral("C"),
                QStringLiteral("商品"), 1, false},
               {QStringLiteral("FItemName"), QStringLiteral("商品名称"), QStringLiteral("C"),
                QStringLiteral("商品"), 1, false},
               {QStringLiteral("FUnit"), QStringLiteral("单位"), QStringLiteral("C"),
                QStringLiteral("商品"), 1, false},
               {QStringLiteral("FQty"), QStringLiteral("数量"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FPrice"), QStringLiteral("单价"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, false},
               {QStringLiteral("FAmount"), QStringLiteral("金额"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true}});
    // Choice boxes add nothing to the filter string, so the sort choice cannot reach the
    // template; it is there to show the control, and reaches plug-ins in the condition values.
    d.conditions(
        key, {dateRange(QStringLiteral("DATEFROM"), QStringLiteral("DATETO")),
              {QStringLiteral("商品代码"), QStringLiteral("ITEMFROM"),
               QStringLiteral("i.FNumber>='?'"), QStringLiteral("到"), QStringLiteral("ITEMTO"),
               QStringLiteral("i.FNumber<='?'"), QStringLiteral("CDTXT"), QStringLiteral("ITEM")},
              {QStringLiteral("客户代码"), QStringLiteral("CUSTFROM"),
               QStringLiteral("c.FNumber>='?'"), QStringLiteral("到"), QStringLiteral("CUSTTO"),
               QStringLiteral("c.FNumber<='?'"), QStringLiteral("CDTXT"), QStringLiteral("CUST")},
              {QStringLiteral("排序"), QStringLiteral("SORTBY"), QStringLiteral("日期,单号"),
               QString(), QString(), QString(), QStringLiteral("CMB"), QString()}});
}

void keywordReport(Definitions &d)
{
    const QString key = kKeywordReport;
    d.report(4, key, QStringLiteral("客户销售统计"),
             QStringLiteral("按客户统计订单数、数量与金额，由关键字对话框过滤"),
             QStringLiteral("2"), 0, QString(), QString(), 0);
    // The keyword dialog gives dates as yyyy/MM/dd with the locale's separator; the stored
    // dates use "-". A keyword left empty turns its {...} stretch into " 1=1 ", so the braces
    // hold the condition alone and its "and" stays outside.
    d.sql.addRow(
        {key,
         QStringLiteral(
             "select c.FNumber as FCustNumber, c.FName as FCustName, c.FRegion as FRegion,\n"
             " count(distinct o.FID) as FOrderCount, sum(l.FQty) as FQty,"
             " sum(l.FAmount) as FAmount\n"
             "from T_SalesOrder o\n"
             " join T_SalesOrderEntry l on l.FOrderID = o.FID\n"
             " join T_Customer c on c.FID = o.FCustID\n"
             " join T_Item i on i.FID = l.FItemID\n"
             "where 1=1\n"
             " and {o.FDate >= replace(replace('#DATEFROM#', '/', '-'), '.', '-')}\n"
             " and {o.FDate <= replace(replace('#DATETO#', '/', '-'), '.', '-')}\n"
             " and {c.FNumber = '#CUSTNO#'}\n"
             " and {i.FNumber = '#ITEMNO#'}\n"
             " and {l.FAmount >= #MINAMOUNT#}\n"
             " and {l.FQty >= #MINQTY#}\n"
             " and {c.FRegion = '#REGION#'}\n"
             "group by c.FNumber, c.FName, c.FRegion\n"
             "order by c.FNumber"),
         1});
    d.columns(key, QString(),
              {{QStringLiteral("FCustNumber"), QStringLiteral("客户代码"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FCustName"), QStringLiteral("客户名称"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FRegion"), QStringLiteral("区域"), QStringLiteral("C"),
                QStringLiteral("客户"), 1, false},
               {QStringLiteral("FOrderCount"), QStringLiteral("订单数"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FQty"), QStringLiteral("数量"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FAmount"), QStringLiteral("金额"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true}});
    // rptX offers the keywords that the report's filter rows name by caption, in their order.
    QList<Condition> named;
    for (const char *marker :
         {"#DATEFROM#", "#DATETO#", "#CUSTNO#", "#ITEMNO#", "#MINAMOUNT#", "#MINQTY#", "#REGION#"})
        named.append({QString::fromLatin1(marker), QString(), QString(), QString(), QString(),
                      QString(), QString(), QString()});
    d.conditions(key, named);
}

void legacyPluginReport(Definitions &d)
{
    const QString key = kLegacyPluginReport;
    d.report(5, key, QStringLiteral("业务员业绩表"),
             QStringLiteral("按业务员汇总客户数、订单数与金额，由只认两个参数的旧版报表插件取数"),
             QStringLiteral("0"), 0, QString(), kLegacyReport, 0);
    d.columns(key, QString(),
              {{QStringLiteral("FEmpNumber"), QStringLiteral("业务员代码"), QStringLiteral("C"),
                QStringLiteral("业务员"), 1, false},
               {QStringLiteral("FEmpName"), QStringLiteral("业务员"), QStringLiteral("C"),
                QStringLiteral("业务员"), 1, false},
               {QStringLiteral("FCustCount"), QStringLiteral("客户数"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, false},
               {QStringLiteral("FOrderCount"), QStringLiteral("订单数"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FQty"), QStringLiteral("数量"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true},
               {QStringLiteral("FAmount"), QStringLiteral("金额"), QStringLiteral("N"),
                QStringLiteral("销售"), 1, true}});
    d.conditions(
        key, {dateRange(QStringLiteral("BEGINDATE"), QStringLiteral("ENDDATE")),
              {QStringLiteral("业务员代码"), QStringLiteral("EMPFROM"),
               QStringLiteral("e.FNumber>='?'"), QStringLiteral("到"), QStringLiteral("EMPTO"),
               QStringLiteral("e.FNumber<='?'"), QStringLiteral("CDTXT"), QStringLiteral("EMP")}});
}

void keywordCatalogue(Definitions &d)
{
    // Every value kind; the last two keywords occur in no template, so no dialog offers them.
    const QList<Keyword> rows = {
        {1, QStringLiteral("开始日期"), QStringLiteral("#DATEFROM#"), 0, QString()},
        {2, QStringLiteral("结束日期"), QStringLiteral("#DATETO#"), 0, QString()},
        {3, QStringLiteral("区域"), QStringLiteral("#REGION#"), 9, QString()},
        {4, QStringLiteral("客户代码"), QStringLiteral("#CUSTNO#"), 2, QStringLiteral("CUST")},
        {5, QStringLiteral("商品代码"), QStringLiteral("#ITEMNO#"), 2, QStringLiteral("ITEM")},
        {6, QStringLiteral("单行最小金额"), QStringLiteral("#MINAMOUNT#"), 1, QString()},
        {7, QStringLiteral("单行最小数量"), QStringLiteral("#MINQTY#"), 3, QString()},
        {8, QStringLiteral("业务员代码"), QStringLiteral("#EMPNO#"), 2, QStringLiteral("EMP")},
        {9, QStringLiteral("排序规则"), QStringLiteral("#FSortRule#"), 2, QString()},
    };
    for (const Keyword &k : rows)
        d.keywords.addRow({k.interId, k.caption, k.keyword, k.valueType, k.sourceField});
}

void hostReportTable(Definitions &d)
{
    // The part after the first "/" names the report; a text without "/" is the key itself.
    // "demo/sales/CUSTOMER_SALES" has two slashes and so names no report.
    auto row = [&](int id, const QString &procedure) { d.reports.addRow({id, procedure}); };
    row(1001, QStringLiteral("sales/") + kConditionSqlReport);
    row(1002, kFilterPluginReport);
    row(1003, QStringLiteral("demo/sales/") + kKeywordReport);
    row(1004, QStringLiteral("sales/") + kConditionPluginReport);
    row(1005, QStringLiteral("sales/") + kLegacyPluginReport);
}

} // namespace

QStringList demoReportKeys()
{
    return {kFilterPluginReport, kConditionPluginReport, kConditionSqlReport, kKeywordReport,
            kLegacyPluginReport};
}

QStringList definitionDataStatements()
{
    Definitions d;
    filterPluginReport(d);
    conditionPluginReport(d);
    conditionSqlReport(d);
    keywordReport(d);
    legacyPluginReport(d);
    keywordCatalogue(d);
    hostReportTable(d);
    return d.statements();
}

} // namespace varo::demo
