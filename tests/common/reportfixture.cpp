#include "common/reportfixture.h"

#include "common/fakes.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace varo::test
{

QStringList definitionTableStatements()
{
    return {
        QStringLiteral("create table T_RepList (FRepKey varchar(100), id integer, "
                       "FRepName varchar(200), FRepDesc varchar(200), FRepCategory varchar(100), "
                       "FRepFormWid integer, FRepFormHei integer, FRepType integer, "
                       "FRepSub varchar(10), FDefaultFilter integer, FFilterPlugName varchar(200), "
                       "FRepPluginSvr varchar(200), FMulti integer, FTxparm varchar(10), "
                       "FIndex integer)"),
        QStringLiteral(
            "create table T_RepSql (FRepKey varchar(100), FRepSql text, FIndex integer)"),
        QStringLiteral("create table T_RepHeadCaption (FRepKey varchar(100), FIndex integer, "
                       "FRepColName varchar(100), FRepColCaption varchar(200), "
                       "FRepColSecond varchar(200), FRepColType varchar(50), "
                       "FRepColVisible integer, FRepSerial varchar(10), FSumCol varchar(10))"),
        QStringLiteral("create table T_RepFilter (FRepKey varchar(100), FIndex integer, "
                       "FCaption varchar(200), FMarkNameFrom varchar(100), "
                       "FMarkNameTo varchar(100), FFilterFrom varchar(500), "
                       "FFilterTo varchar(500), FTo varchar(100), FCtrlType varchar(20), "
                       "FCtrlSel varchar(100))"),
        QStringLiteral("create table ICReportKeywords (FInterID integer, FCaption varchar(200), "
                       "FKeyword varchar(100), FValueType integer, FSourceField varchar(100))"),
        QStringLiteral("create table ICReport (FInterID integer, FProcedure text)"),
    };
}

QString sqlText(const QString &text)
{
    if (text.isNull())
        return QStringLiteral("null");
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

QString insertReport(const ReportRow &row)
{
    return QStringLiteral("insert into T_RepList (FRepKey, id, FRepName, FRepDesc, FRepCategory, "
                          "FRepFormWid, FRepFormHei, FRepType, FRepSub, FDefaultFilter, "
                          "FFilterPlugName, FRepPluginSvr, FMulti, FTxparm, FIndex) values (%1, "
                          "%2, %3, '说明 ', '销售', 800, 600, %4, %5, %6, %7, %8, %9, null, %10)")
        .arg(sqlText(row.key))
        .arg(row.id)
        .arg(sqlText(row.name), row.repType, sqlText(row.repSub))
        .arg(row.defaultFilter)
        .arg(sqlText(row.filterPlugName), sqlText(row.repPluginSvr))
        .arg(row.multi)
        .arg(row.index);
}

QString insertHeader(const HeaderRow &row)
{
    return QStringLiteral("insert into T_RepHeadCaption (FRepKey, FIndex, FRepColName, "
                          "FRepColCaption, FRepColSecond, FRepColType, FRepColVisible, "
                          "FRepSerial, FSumCol) values (%1, %2, %3, %4, %5, %6, %7, %8, %9)")
        .arg(sqlText(row.key))
        .arg(row.index)
        .arg(sqlText(row.colName), sqlText(row.caption), sqlText(row.second), sqlText(row.type))
        .arg(row.visible)
        .arg(sqlText(row.serial), sqlText(row.sum));
}

QString insertTemplate(const QString &key, const QString &sql)
{
    return QStringLiteral("insert into T_RepSql (FRepKey, FRepSql, FIndex) values (%1, %2, 1)")
        .arg(sqlText(key), sqlText(sql));
}

QString insertFilter(const QString &key, int index, const QString &columns)
{
    QStringList f = columns.split(u'|');
    while (f.size() < 9)
        f << QString();
    auto text = [](const QString &s) { return sqlText(s.isEmpty() ? QString() : s); };
    // Without a group string the row also fits a table that lacks the group column.
    const bool grouped = !f[8].isEmpty();
    return QStringLiteral("insert into T_RepFilter (FRepKey, FIndex, FCtrlType, FCaption, "
                          "FMarkNameFrom, FFilterFrom, FTo, FMarkNameTo, FFilterTo, FCtrlSel%1) "
                          "values (%2, %3, %4, %5, %6, %7, %8, %9, %10, %11%12)")
        .arg(grouped ? QStringLiteral(", FGroupStr") : QString(), sqlText(key))
        .arg(index)
        .arg(text(f[0]), text(f[1]), text(f[2]), text(f[3]), text(f[4]), text(f[5]), text(f[6]),
             text(f[7]), grouped ? u", " + text(f[8]) : QString());
}

QString insertKeyword(const QString &values)
{
    return QStringLiteral("insert into ICReportKeywords (FInterID, FCaption, FKeyword, "
                          "FValueType, FSourceField) values (") +
           values + u')';
}

QStringList routeReports()
{
    QStringList s{QStringLiteral("create table T_Items (FNumber varchar(20), FQty integer)"),
                  QStringLiteral("insert into T_Items values ('A', 1), ('B', 2), ('C', 3)")};
    auto report = [&s](const char *key, const char *repSub, const char *plugin) {
        ReportRow r;
        r.key = QString::fromLatin1(key);
        r.repSub = QString::fromLatin1(repSub);
        r.defaultFilter = r.key == u"FP" ? 1 : 0;
        r.filterPlugName = r.defaultFilter ? QStringLiteral("Test.Filter") : QString();
        r.repPluginSvr = QString::fromLatin1(plugin);
        s << insertReport(r);
        for (const char *column : {"1, 'FNumber', '编码', 'C', '0'", "2, 'FQty', '数量', 'N', '1'"})
            s << QStringLiteral("insert into T_RepHeadCaption (FRepKey, FIndex, FRepColName, "
                                "FRepColCaption, FRepColType, FSumCol, FRepColVisible) values "
                                "('%1', %2, 1)")
                     .arg(r.key, QString::fromUtf8(column));
    };
    report("FP", "2", "Test.Report");
    report("KW", "2", "");
    report("SQL", "1", "");
    report("PLUG", "0", "Test.Report");
    const QString range = QStringLiteral("CDTXT|编码|NF|FNumber>='?'|到|NT|FNumber<='?'");
    s << insertTemplate(QStringLiteral("KW"),
                        QStringLiteral("select FNumber, FQty from T_Items where 1=1 and "
                                       "{FNumber >= '#FROM#'} and {FNumber <= '#TO#'} "
                                       "order by FNumber"))
      << insertFilter(QStringLiteral("KW"), 1, QStringLiteral("|#FROM#"))
      << insertFilter(QStringLiteral("KW"), 2, QStringLiteral("|#TO#"))
      << insertTemplate(QStringLiteral("SQL"),
                        QStringLiteral("select FNumber, FQty from T_Items where {NF} and {NT} "
                                       "order by FNumber"))
      << insertFilter(QStringLiteral("SQL"), 1, range)
      << insertFilter(QStringLiteral("PLUG"), 1, range)
      << insertKeyword(QStringLiteral("1, '到', '#TO#', 2, null"))
      << insertKeyword(QStringLiteral("2, '从', '#FROM#', 2, null"));
    return s;
}

QStringList column(const Vector &records, const QString &name)
{
    QStringList values;
    if (!records.isNull()) {
        for (const QVariant &record : records.items())
            values << toText(record.value<Dictionary>().value(name));
    }
    return values;
}

ReportFixture::ReportFixture()
{
    ScriptedFilter::install();
    ui::setProgressSink([this](const QString &text) { progress << text; });
}

ReportFixture::~ReportFixture()
{
    ui::setProgressSink({});
    ui::setModalDriver({});
    gLocConn() = Connection();
    gSqlConn() = Connection();
}

TestDatabase &ReportFixture::open(const QString &kind, const QStringList &more)
{
    m_db = std::make_unique<TestDatabase>(kind);
    if (m_db->state() == TestDatabase::State::Ready)
        m_db->execute(definitionTableStatements() + routeReports() + more);
    return *m_db;
}

void ReportFixture::answer(const QMap<QString, QString> &values, bool ok, const QStringList &titles)
{
    ui::setModalDriver([this, values, ok, titles](QDialog *dialog) {
        ++dialogs;
        if (auto *grid = dialog->findChild<QTableWidget *>(QStringLiteral("vaKeywords"))) {
            for (int r = 0; r < grid->rowCount(); ++r) {
                const QString keyword = grid->item(r, 3)->text();
                offered << keyword;
                const QDate date = QDate::fromString(values.value(keyword), Qt::ISODate);
                if (values.contains(keyword))
                    grid->item(r, 1)->setData(Qt::EditRole, date.isValid()
                                                                ? QVariant(date)
                                                                : QVariant(values.value(keyword)));
                if (titles.contains(keyword))
                    grid->item(r, 2)->setCheckState(Qt::Checked);
            }
        }
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (auto *box = dialog->findChild<QLineEdit *>(it.key()))
                box->setText(it.value());
            else if (auto *date = dialog->findChild<QDateEdit *>(it.key()))
                date->setDate(QDate::fromString(it.value(), Qt::ISODate));
            else if (auto *choice = dialog->findChild<QComboBox *>(it.key()))
                choice->setCurrentText(it.value());
        }
        dialog->findChild<QPushButton *>(ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdCacel"))
            ->click();
    });
}

QVariant ReportFixture::request(const Object &report, const QString &key)
{
    QVariantList args{key, QVariant::fromValue(connection()), QVariant::fromValue(connection())};
    return report.call(QStringLiteral("GetReportData"), args);
}

Dictionary resultOf(const Object &report)
{
    return objectFrom<Dictionary>(report.get(QStringLiteral("Result")));
}

Vector rowsOf(const Object &report)
{
    return objectFrom<Vector>(report.get(QStringLiteral("VectRs")));
}

Vector titleOf(const Object &report)
{
    return objectFrom<Vector>(report.get(QStringLiteral("Title")));
}

} // namespace varo::test
