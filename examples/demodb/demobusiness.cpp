#include "demobusiness.h"

#include "demorandom.h"
#include "sqlinsert.h"

#include <QDate>
#include <array>

namespace varo::demo
{

namespace
{

struct City {
    const char16_t *name;
    int region; // index into demoRegions()
};

constexpr std::array<City, 16> kCities{{
    {u"上海", 0},
    {u"杭州", 0},
    {u"南京", 0},
    {u"苏州", 0},
    {u"广州", 1},
    {u"深圳", 1},
    {u"厦门", 1},
    {u"北京", 2},
    {u"天津", 2},
    {u"济南", 2},
    {u"武汉", 3},
    {u"长沙", 3},
    {u"郑州", 3},
    {u"成都", 4},
    {u"重庆", 4},
    {u"昆明", 4},
}};

constexpr std::array<const char16_t *, 10> kFirmWords{u"恒达", u"宏远", u"鑫源", u"华盛", u"永兴",
                                                      u"金泰", u"立信", u"博远", u"瑞丰", u"天成"};

constexpr std::array<const char16_t *, 3> kFirmSuffixes{u"贸易有限公司", u"商贸有限公司",
                                                        u"实业有限公司"};

constexpr std::array<const char16_t *, 8> kSalespersons{u"张伟", u"王芳", u"李娜", u"刘洋",
                                                        u"陈静", u"杨磊", u"赵敏", u"黄强"};

struct Item {
    const char16_t *name;
    const char16_t *category;
    const char16_t *unit;
    int price; // whole yuan
};

constexpr std::array<Item, 30> kItems{{
    {u"中性笔(黑)", u"文具", u"盒", 24},
    {u"中性笔(红)", u"文具", u"盒", 24},
    {u"自动铅笔", u"文具", u"盒", 36},
    {u"荧光笔", u"文具", u"盒", 30},
    {u"订书机", u"文具", u"个", 18},
    {u"订书钉", u"文具", u"盒", 5},
    {u"长尾夹", u"文具", u"盒", 12},
    {u"剪刀", u"文具", u"把", 9},
    {u"A4复印纸", u"纸品", u"箱", 150},
    {u"A3复印纸", u"纸品", u"箱", 260},
    {u"便利贴", u"纸品", u"包", 8},
    {u"笔记本", u"纸品", u"本", 6},
    {u"档案袋", u"纸品", u"包", 15},
    {u"收据本", u"纸品", u"本", 4},
    {u"激光打印机", u"办公设备", u"台", 1280},
    {u"喷墨打印机", u"办公设备", u"台", 760},
    {u"碎纸机", u"办公设备", u"台", 450},
    {u"装订机", u"办公设备", u"台", 320},
    {u"计算器", u"办公设备", u"个", 45},
    {u"投影仪", u"办公设备", u"台", 2980},
    {u"无线鼠标", u"电子配件", u"个", 59},
    {u"有线键盘", u"电子配件", u"个", 69},
    {u"U盘32G", u"电子配件", u"个", 39},
    {u"移动硬盘1T", u"电子配件", u"个", 329},
    {u"硒鼓", u"电子配件", u"个", 220},
    {u"墨盒", u"电子配件", u"个", 120},
    {u"纸杯", u"日用品", u"包", 10},
    {u"抽纸", u"日用品", u"箱", 55},
    {u"垃圾袋", u"日用品", u"卷", 6},
    {u"洗手液", u"日用品", u"瓶", 16},
}};

constexpr int kCustomerCount = 40;
constexpr std::uint32_t kSeed = 20230101u;

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// Expensive goods sell a few at a time, consumables by the dozen.
int quantityFor(int price, DemoRandom &random)
{
    if (price >= 300)
        return random.between(1, 5);
    if (price >= 50)
        return random.between(1, 20);
    return random.between(5, 100);
}

} // namespace

QStringList demoRegions()
{
    return {QStringLiteral("华东"), QStringLiteral("华南"), QStringLiteral("华北"),
            QStringLiteral("华中"), QStringLiteral("西南")};
}

QStringList businessDataStatements()
{
    const QStringList regions = demoRegions();

    InsertBuilder employees(
        QStringLiteral("T_Employee"),
        {QStringLiteral("FID"), QStringLiteral("FNumber"), QStringLiteral("FName")});
    for (int i = 0; i < int(kSalespersons.size()); ++i)
        employees.addRow({i + 1, QStringLiteral("E%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                          text(kSalespersons[i])});

    // Each customer is looked after by one salesperson, who takes all of its orders.
    InsertBuilder customers(QStringLiteral("T_Customer"),
                            {QStringLiteral("FID"), QStringLiteral("FNumber"),
                             QStringLiteral("FName"), QStringLiteral("FRegion"),
                             QStringLiteral("FEmpID")});
    std::array<int, kCustomerCount> customerEmployee{};
    for (int i = 0; i < kCustomerCount; ++i) {
        const City &city = kCities[i % kCities.size()];
        // City and firm word repeat with coprime periods, so the 40 names are all different.
        const QString name = text(city.name) + text(kFirmWords[(i * 7) % kFirmWords.size()]) +
                             text(kFirmSuffixes[i % kFirmSuffixes.size()]);
        customerEmployee[i] = i % int(kSalespersons.size()) + 1;
        customers.addRow({i + 1, QStringLiteral("C%1").arg(i + 1, 3, 10, QLatin1Char('0')), name,
                          regions.at(city.region), customerEmployee[i]});
    }

    InsertBuilder items(QStringLiteral("T_Item"),
                        {QStringLiteral("FID"), QStringLiteral("FNumber"), QStringLiteral("FName"),
                         QStringLiteral("FCategory"), QStringLiteral("FUnit"),
                         QStringLiteral("FPrice")});
    for (int i = 0; i < int(kItems.size()); ++i)
        items.addRow({i + 1, QStringLiteral("A%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                      text(kItems[i].name), text(kItems[i].category), text(kItems[i].unit),
                      kItems[i].price});

    InsertBuilder orders(QStringLiteral("T_SalesOrder"),
                         {QStringLiteral("FID"), QStringLiteral("FBillNo"), QStringLiteral("FDate"),
                          QStringLiteral("FCustID"), QStringLiteral("FEmpID")});
    InsertBuilder lines(QStringLiteral("T_SalesOrderEntry"),
                        {QStringLiteral("FID"), QStringLiteral("FOrderID"),
                         QStringLiteral("FEntryID"), QStringLiteral("FItemID"),
                         QStringLiteral("FQty"), QStringLiteral("FPrice"),
                         QStringLiteral("FAmount")});
    DemoRandom random(kSeed);
    int orderId = 0;
    int lineId = 0;
    int billOfYear = 0;
    const QDate last(2024, 12, 31);
    for (QDate day(2023, 1, 1); day <= last; day = day.addDays(1)) {
        if (day.month() == 1 && day.day() == 1)
            billOfYear = 0;
        const int ordersToday = random.between(0, 2);
        for (int n = 0; n < ordersToday; ++n) {
            ++orderId;
            ++billOfYear;
            const int customer = random.between(1, kCustomerCount);
            orders.addRow(
                {orderId,
                 QStringLiteral("SO%1-%2").arg(day.year()).arg(billOfYear, 4, 10, QLatin1Char('0')),
                 day.toString(Qt::ISODate), customer, customerEmployee[customer - 1]});
            // Distinct items per order: draw until the line count is reached.
            const int lineCount = random.between(1, 4);
            QList<int> chosen;
            while (chosen.size() < lineCount) {
                const int item = random.between(1, int(kItems.size()));
                if (!chosen.contains(item))
                    chosen.append(item);
            }
            for (int entry = 0; entry < lineCount; ++entry) {
                const Item &item = kItems[chosen.at(entry) - 1];
                const int qty = quantityFor(item.price, random);
                lines.addRow({++lineId, orderId, entry + 1, chosen.at(entry), qty, item.price,
                              qty * item.price});
            }
        }
    }

    return employees.statements() + customers.statements() + items.statements() +
           orders.statements() + lines.statements();
}

} // namespace varo::demo
