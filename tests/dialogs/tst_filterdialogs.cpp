// The filter dialogs as a person or a host's driver meets them, offscreen and by their controls'
// names: the condition dialog built from filter rows in an SQLite file, and the keyword dialog.
#include "common/fakes.h"
#include "common/reportfixture.h"
#include "common/testdatabase.h"
#include "dialogs/condition/frmcondition.h"
#include "dialogs/keywords/frmsqlfilter.h"
#include "platform/settings.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QAbstractButton>
#include <QTableWidget>
#include <QTimer>

using namespace varo;
using namespace Qt::Literals::StringLiterals;
using Script = test::ScriptedItemLook;

namespace
{

constexpr int kValue = 1, kFlag = 2; // keyword grid columns
const QString kKey = u"R"_s, kApp = u"PelReportCenter"_s;

// Rows of text fields: the first names the row, the others come back through fields<N>().
void addRows(std::initializer_list<std::initializer_list<const char *>> rows)
{
    QTest::addColumn<QStringList>("c");
    for (const auto &row : rows)
        QTest::newRow(*row.begin()) << QStringList(row.begin() + 1, row.end());
}
template <std::size_t N> std::array<QString, N> fields()
{
    QFETCH(QStringList, c);
    std::array<QString, N> a;
    std::copy_n(c.cbegin(), N, a.begin());
    return a;
}

// A list written "a, b" ("" is the empty one); DATE and TEXT stand for the usual filter rows.
QStringList list(const QString &text)
{
    QStringList items = text.isEmpty() ? QStringList() : text.split(u", "_s);
    items.replaceInStrings(u"DATE"_s, u"DTP|日期|BD|d>='?'|至|ED|d<='?'"_s);
    return items.replaceInStrings(u"TEXT"_s, u"CDTXT|编码|NF|n>='?'|到|NT|n<='?'|ITEM|G"_s);
}

// "name=value, ..." entered as a person would: typed, picked, chosen; Space leaves a date open.
void enter(QWidget *dialog, const QString &settings)
{
    for (const QString &setting : list(settings)) {
        QWidget *w = dialog->findChild<QWidget *>(setting.section(u'=', 0, 0));
        const QString value = setting.section(u'=', 1);
        if (w->inherits("QLineEdit"))
            QTest::keyClicks(w, value);
        else if (w->inherits("QDateEdit") && value.isEmpty())
            QTest::keyClick(w, Qt::Key_Space);
        else
            w->setProperty(w->inherits("QDateEdit") ? "date" : "currentText", value);
    }
}

QString shown(const QWidget *dialog, const QString &names)
{
    QStringList values;
    for (const QString &n : list(names))
        values
            << dialog->findChild<QWidget *>(n)->property(n[0] == u'D' ? "date" : "text").toString();
    return values.join(u", "_s);
}

// The records of a list as "field|field" of the given names, joined by ", ".
QString records(const Vector &list, const QString &names = u"FValue"_s)
{
    QStringList lines;
    for (const QVariant &item : list.items()) {
        QStringList values;
        for (const QString &name : names.split(u'|'))
            values << toText(item.value<Dictionary>().value(name));
        lines << values.join(u'|');
    }
    return lines.join(u", "_s);
}

} // namespace

class TestFilterDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestDatabase> m_db;
    std::unique_ptr<test::MessageRecorder> m_messages;
    std::unique_ptr<test::TemporarySettingsFile> m_settings;
    std::unique_ptr<dialogs::FrmCondition> m_condition;
    std::unique_ptr<dialogs::frmSQLFilter> m_keywords;

    bool loadCondition(const QString &rows, const QString &repSub = u"1"_s,
                       const QString &plugin = {})
    {
        m_db = std::make_unique<test::TestDatabase>(u"sqlite"_s);
        QStringList sql = test::definitionTableStatements();
        test::ReportRow report;
        std::tie(report.key, report.repSub, report.repPluginSvr) = std::tie(kKey, repSub, plugin);
        sql << u"alter table T_RepFilter add FGroupStr varchar(200)"_s
            << test::insertReport(report);
        for (const QString &row : list(rows))
            sql << test::insertFilter(kKey, int(sql.size()), row);
        m_db->execute(sql);
        gLocConn() = gSqlConn() = m_db->connection();
        m_condition = std::make_unique<dialogs::FrmCondition>();
        return m_condition->InitData(kKey);
    }

    // A keyword dialog for report R and keywords "name:value type:source field, ...".
    void open(const QString &keywords, bool show = true)
    {
        Vector keys = Vector::create();
        for (const QString &k : list(keywords)) {
            const QStringList f = QString(k + u"::").split(u':');
            keys.Add(QVariant::fromValue(test::dictionary({{"FKeyWord", f[0]},
                                                           {"FCaption", QString(u"C"_s + f[0])},
                                                           {"FValueType", f[1]},
                                                           {"FSourceField", f[2]}})));
        }
        m_keywords = std::make_unique<dialogs::frmSQLFilter>();
        m_keywords->setKeywords(keys);
        m_keywords->setRptKey(kKey);
        if (show)
            m_keywords->show();
        QVERIFY(!show || QTest::qWaitForWindowActive(m_keywords.get()));
    }

    QString saved(const QString &k, const QString &r = kKey) { return settings::get(kApp, r, k); }
    void click(const QWidget *d, const QString &b) { d->findChild<QAbstractButton *>(b)->click(); }
    QTableWidget *grid() const { return m_keywords->findChild<QTableWidget *>(u"vaKeywords"_s); }
    QTableWidgetItem *cell(int row, int column = kValue) { return grid()->item(row - 1, column); }
    bool confirmed() const { return m_keywords->m_Result().value(u"OK"_s).toBool(); }
    QWidget *editValue(int row) // entering the cell opens its editor
    {
        grid()->setFocus();
        grid()->setCurrentCell(row - 1, kValue);
        return grid()->indexWidget(grid()->model()->index(row - 1, kValue));
    }

private Q_SLOTS:
    void init()
    {
        Script::install();
        m_messages = std::make_unique<test::MessageRecorder>();
        m_settings = std::make_unique<test::TemporarySettingsFile>();
    }
    void cleanup()
    {
        m_keywords.reset();
        m_settings.reset();
        m_messages.reset();
    }

    // The values, filter string and title lines composed from what was entered.
    void conditionCompose_data()
    {
        // Filter rows, entered, filter string, groups, conditions, "Findex|FCaption" titles.
        addRows({
            {"date range", "DATE", "DtpBDate0=2024-03-05, DtpEDate0=2024-03-31",
             "BD|d>='2024-03-05 00:00:00'&ED|d<='2024-03-31 23:59:59'", "",
             "BD=2024-03-05, ED=2024-03-31", "0|日期2024-03-05, 1|至2024-03-31"},
            {"to box first, the to text alone, quoted and carried whole, the empty box's group",
             "TEXT", "txtItemt0=O'N&|", "NT|n<='O''N\uE026\uE07C'&NF|1=1", "NF|G;",
             "NT=O'N&|, NF=", "2|编码从--到O'N&|"},
            {"blanks are a value but no title, unknown types ignored", "TEXT, TXT|文|T|z='?'",
             "txtItemf0=  , txtItemt0= ", "NT|n<=' '&NF|n>='  '", "", "NT= , NF=  ", "2|编码全部"},
            {"types in any case; an open date after a date row without sides; dates first, then "
             "text rows as created",
             "cdtxt|编码|NF|n>='?'|到|NT|n<='?', DTP|空, Dtp|日期|BD|d>='?'|至|ED|d<='?', "
             "CDTXT|客|CF|c='?'",
             "txtItemf0=A, txtItemt0=B, txtItemf1=C, DtpBDate0=2024-01-02, DtpEDate0=",
             "BD|d>='2024-01-02 00:00:00'&ED|1=1&NT|n<='B'&NF|n>='A'&CF|c='C'", "",
             "BD=2024-01-02, ED=, NT=B, NF=A, CF=C",
             "0|日期2024-01-02, 1|至, 2|编码从A到B, 3|客从C到--"},
            {"four choices at most, entries only",
             "CMB|排|S|名称,,编码, CMB|空|E|, cmb|二|B|x, CMB|三|C|x, CMB|四|D|x",
             "cmb0=编码, cmb3=x", "", "", "S=编码, E=, B=, C=x", ""},
        });
    }
    void conditionCompose()
    {
        const auto [rows, values, filter, groups, entries, titles] = fields<6>();
        QVERIFY(loadCondition(rows, u"7"_s, u"Demo.Plugin"_s));
        enter(m_condition.get(), values);
        const Dictionary result = m_condition->ReturnVal();
        QStringList seen;
        for (const QString &key : result.keys())
            seen << key + u'=' + toText(result.value(key));
        QCOMPARE(seen, (list(entries) + QStringList{"FGroupStr=" + groups, "strFilter=" + filter,
                                                    "REP_KEY_Ex=", "RPT_SUB=", "Name=测试报表",
                                                    "FRepPluginSvr=Demo.Plugin", "FRepSub=7"}));
        click(m_condition.get(), u"cmdOK"_s);
        const Vector title = m_condition->ReturnFilterTitle();
        QCOMPARE(records(title, u"Findex|FCaption"_s), titles);
        for (const QVariant &line : title.items())
            QCOMPARE(line.value<Dictionary>().keys(), QStringList({"Findex", "FCaption"}));
    }

    // OK remembers per report: boxes by name, dates by side (the last "from" date wins, an open
    // date keeps the one before), hidden sides not at all; an unreadable date stops it quietly.
    void conditionRemembers()
    {
        const QString rows = u"DATE, TEXT, DATE, CDTXT|半|HF|h='?'"_s;
        QVERIFY(loadCondition(rows));
        enter(m_condition.get(), u"DtpBDate0=2024-03-01, DtpBDate1=2024-04-01, DtpEDate0=2024-03-"
                                 "31, DtpEDate1=, txtItemf0=A01, txtItemf1=H, txtItemt1=x"_s);
        click(m_condition.get(), u"cmdOK"_s);
        QStringList stored;
        for (const QString &name : list(u"DtpBDate, DtpEDate, txtItemf0, txtItemf1, txtItemt1"_s))
            stored << saved(name) + saved(name, u"X"_s);
        QCOMPARE(stored.join(u", "_s), u"2024-04-01, 2024-03-31, A01, H, "_s);
        QVERIFY(loadCondition(rows));
        QCOMPARE(
            shown(m_condition.get(), u"DtpBDate0, DtpBDate1, DtpEDate1, txtItemf0, txtItemt1"_s),
            u"2024-04-01, 2024-04-01, 2024-03-31, A01, "_s);
        settings::save(kApp, kKey, u"DtpEDate"_s, u"2024-13-01"_s);
        QVERIFY(!loadCondition(rows) && m_messages->texts().isEmpty());
    }

    // Each value type's editor and value ("type:text"), remembered "value|flag" or none, dates in
    // the locale's form; then keyword " D ": values and "caption: value" titles in row order,
    // keywords trimmed, remembered per report.
    void keywordValues_data()
    {
        const QByteArray now = "QString:" + QDate::currentDate().toString(u"yyyy/MM/dd"_s).toUtf8();
        // Locale, value type, remembered entry, editor, value handed on, title flag.
        addRows({
            {"no type: a date, today", "zh_CN", "", "", "QDateEdit", now.constData(), "0"},
            {"date with dashes", "zh_CN", "0", "2024-12-31|1", "QDateEdit", "QString:2024/12/31",
             "1"},
            {"invalid date ignored, flag kept", "zh_CN", "0", "2024/02/30|1", "QDateEdit",
             now.constData(), "1"},
            {"date in de_DE", "de_DE", "0", "2024.12.31|0", "QDateEdit", "QString:2024.12.31", "0"},
            {"date in sv_SE", "sv_SE", "0", "2024/12/31|0", "QDateEdit", "QString:2024-12-31", "0"},
            {"decimal by its leading number", "zh_CN", "1", "3.25kg|1", "QDoubleSpinBox",
             "double:3.25", "1"},
            {"text with blanks, type by its leading number, no flag", "zh_CN", "2 (x)", "  a b ",
             "QLineEdit", "QString:  a b ", "0"},
            {"whole number", "zh_CN", "3", "42|0", "QLineEdit", "QString:42", "0"},
            {"other type: a plain cell", "zh_CN", "7", "q|1", "QLineEdit", "QString:", "1"},
        });
    }
    void keywordValues()
    {
        const auto [locale, type, entry, editor, value, ticked] = fields<6>();
        QLocale::setDefault(QLocale(locale));
        settings::save(kApp, kKey, u"K"_s, entry);
        open(u"K:"_s + type + u",  D :2"_s);
        QCOMPARE(cell(1, kFlag)->checkState() == Qt::Checked, ticked == u"1");
        QVERIFY(editValue(1)->inherits(qPrintable(editor)));
        cell(2)->setText(u"v"_s);
        cell(2, kFlag)->setCheckState(Qt::Checked);
        click(m_keywords.get(), u"cmdOK"_s);
        const Vector values = m_keywords->Keywords();
        const QVariant handed = values.Item(0).value<Dictionary>().value(u"FValue"_s);
        QCOMPARE(QString::fromLatin1(handed.typeName()) + u':' + toText(handed), value);
        QCOMPARE(values.Item(1).value<Dictionary>().keys(), QStringList({"FValue", "FKeyword"}));
        QCOMPARE(records(values, u"FKeyword"_s), u"K, D"_s);
        const QString text = value.section(u':', 1);
        QCOMPARE(records(m_keywords->Titles(), u"FIndex|FCaption"_s),
                 ticked == u"1" ? QString(u"0|CK: "_s + text + u", 1|C D : v") : u"0|C D : v"_s);
        QCOMPARE(saved(u"K"_s) + u'/' + saved(u"D"_s) + saved(u"D"_s, u"R2"_s),
                 text + u'|' + ticked + u"/v|1");
    }

    // A condition dialog that cannot open says why, as does OK with more than 11 titles (which
    // changes nothing) or an empty sort rule (which stops at its row: the rows before it are kept).
    void refusals_data()
    {
        const char *limit = "作为标题的关键字不能超过11个";
        const char *sort = "请输入排序规则。";
        // Titles, row 2's keyword and value, rows 1, 2, 14 remembered, message; or condition,
        // FRepSub, plug-in server, filter rows, message.
        addRows({
            {"11 titles", "11", "N", "", "new|1/|0/new|0", ""},
            {"12 titles", "12", "N", "", "//old|0", limit},
            {"#FSortRule# empty", "1", "#FSortRule#", "", "new|1//old|0", sort},
            {"*fsortrule* empty", "1", " *fsortrule* ", "", "new|1//old|0", sort},
            {"sort rule given", "1", " #FSortRule# ", "FDate", "new|1/FDate|0/new|0", ""},
            {"condition, no plug-in, not a template", "condition", "3", "", "DATE",
             "报表由插件实现,插件名不可为空，请修改报表信息!"},
            {"condition, no filter rows", "condition", "1", "", "",
             "过滤条件为空，请为报表添加过滤条件!"},
        });
    }
    void refusals()
    {
        const auto [ticked, rule, value, stored, message] = fields<5>();
        if (ticked == u"condition") {
            QCOMPARE(loadCondition(stored, rule, value), message.isEmpty());
        } else {
            settings::save(kApp, kKey, u"K13"_s, u"old|0"_s);
            open(u"K1:2, @:2, K2:2, K3:2, K4:2, K5:2, K6:2, K7:2, K8:2, K9:2, K10:2, K11:2, K12:2, "
                 "K13:2"_s.replace(u'@', rule));
            for (int row = 1; row <= 14; ++row)
                cell(row)->setText(row == 2 ? value : u"new"_s);
            for (int row = 1; row < ticked.toInt() + 2; ++row)
                cell(row, kFlag)->setCheckState(row == 2 ? Qt::Unchecked : Qt::Checked);
            m_keywords->cmdOK_Click();
            QCOMPARE(confirmed(), !m_keywords->isVisible());
            QCOMPARE(saved(u"K1"_s) + u'/' + saved(rule.trimmed()) + u'/' + saved(u"K13"_s),
                     stored);
        }
        QCOMPARE(m_messages->texts().join(u""_s), message);
        for (const test::RecordedMessage &box : m_messages->messages()) // title and icon
            QCOMPARE(box.title + QString::number(int(box.icon)),
                     message == u"请输入排序规则。" ? u"0"_s : u"沐岩提示1"_s);
    }

    // A value that would stand outside the quotes of the SQL must be a literal of its kind;
    // anything else is refused with its caption and value, and the dialog stays open. Between
    // quotes any text is a value.
    void unsafeValues_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const char *route, const char *value,
                            const char *message) {
            QTest::newRow(name) << route << QString(value) << QString(message);
        };
        row("condition, a number", "condition", "-5.5", "");
        row("condition, more than a number", "condition", "5 or 1=1",
            "[数]的值[5 or 1=1]不是数字，请重新输入!");
        row("keyword, a whole number", "keyword", "7", "");
        row("keyword, more than a number", "keyword", "0 or 1=1",
            "[C#N#]的值[0 or 1=1]不是数字，请重新输入!");
    }
    void unsafeValues()
    {
        QFETCH(QString, route);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QVERIFY(loadCondition(u"CDTXT|数|NF|n>=?|到|NT|s<='?'"_s));
        if (route == u"condition") {
            enter(m_condition.get(), u"txtItemt0=O'N, txtItemf0="_s + value);
            click(m_condition.get(), u"cmdOK"_s);
            QCOMPARE(m_condition->Tag(), message.isEmpty() ? u"OK"_s : QString());
        } else {
            m_db->execute({test::insertTemplate(kKey, u"select 1 where n >= #N# and s = '#S#'"_s)});
            open(u"#N#:3, #S#:2"_s);
            cell(1)->setText(value);
            cell(2)->setText(u"O'N"_s);
            m_keywords->cmdOK_Click();
            QCOMPARE(confirmed(), message.isEmpty());
        }
        QCOMPARE(m_messages->texts().join(u""_s), message);
    }

    // F7 or the drop-down button beside text with a lookup key looks up with that key and puts
    // the answer in; nothing chosen keeps a condition but empties a keyword.
    void lookup_data()
    {
        // Condition box or keyword's "row,column", key or button, answer ("!" fails), keys, text.
        addRows({
            {"condition, F7 in a from box", "txtItemf0", "F7", "C09", "ITEM", "C09"},
            {"condition, button", "txtItemt1", "button", "A05", "EMP", "A05"},
            {"condition, F7 in a to box, nothing chosen", "txtItemt2", "F7", "", "CUST", "typed"},
            {"keywords, F7 on the value", "1,1", "F7", "A05", "ITEM", "A05, typed"},
            {"keywords, F7 without source field", "2,1", "F7", "A05", "", "typed, typed"},
            {"keywords, button, nothing chosen", "1,1", "button", "", "ITEM", ", typed"},
            {"keywords, lookup failure", "1,1", "F7", "!", "ITEM", ", typed"},
        });
    }
    void lookup()
    {
        const auto [where, how, answer, keys, result] = fields<5>();
        const bool keywords = where.contains(u',');
        if (keywords) {
            open(u"A:2: ITEM , B:2"_s);
            cell(1)->setText(u"typed"_s);
            cell(2)->setText(u"typed"_s);
            grid()->setFocus();
            grid()->setCurrentCell(where[0].digitValue() - 1, where[2].digitValue());
            QCOMPARE(m_keywords->findChild<QWidget *>(u"picShow"_s)->isVisible(), where[0] == u'1');
        } else {
            QVERIFY(loadCondition(
                u"CDTXT|商品|IF|a='?'|到|IT|b='?'|ITEM, CDTXT|员|EF|c='?'|到|ET|"
                "d='?'|EMP, CDTXT|客|CF|e='?'|到|CT|f='?'|CUST, CDTXT|其|OF|g='?'"_s));
            QVERIFY(m_condition->findChild<QWidget *>(u"cmdItemf3"_s)->isHidden());
            enter(m_condition.get(), where + u"=typed"_s);
            m_condition->findChild<QWidget *>(where)->setFocus();
        }
        Script::script().answer = answer;
        Script::script().failWith = answer == u"!" ? 5 : 0;
        QWidget *dialog = keywords ? static_cast<QWidget *>(m_keywords.get()) : m_condition.get();
        if (how == u"button")
            click(dialog, keywords ? u"Drop"_s : QString(where).replace(u"txt"_s, u"cmd"_s));
        else
            QTest::keyClick(dialog->focusWidget(), Qt::Key_F7);
        QCOMPARE(Script::script().keys.join(u", "_s), keys);
        if (keywords)
            m_keywords->cmdOK_Click(); // commits the open editor
        QCOMPARE(keywords ? records(m_keywords->Keywords()) : shown(dialog, where), result);
        QCOMPARE(m_messages->texts().join(u""_s),
                 answer == u"!" ? u"错误编号:5,错误描述:选择窗口打不开"_s : QString());
    }

    // The modal show as the engine uses it, ended each way a person has; only OK hands on.
    void ending_data()
    {
        // The dialog, the way out (a button, keys, the close box), the condition dialog's tag.
        addRows({{"condition, OK", "condition", "cmdOK", "OK"},
                 {"condition, Alt+E", "condition", "Alt+E", "CANCEL"},
                 {"condition, close box", "condition", "close", ""},
                 {"keywords, Alt+O", "keywords", "Alt+O", "OK"},
                 {"keywords, Cancel", "keywords", "cmdCacel", ""},
                 {"keywords, close box", "keywords", "close", ""},
                 {"keywords, Escape", "keywords", "Esc", ""}});
    }
    void ending()
    {
        const auto [which, how, tag] = fields<3>();
        const bool keywords = which == u"keywords", ok = tag == u"OK";
        if (keywords)
            open(u"K1:2"_s, false);
        else
            QVERIFY(loadCondition(u"TEXT"_s));
        QDialog *dialog = keywords ? static_cast<QDialog *>(m_keywords.get()) : m_condition.get();
        test::ScopedModalDriver driver([&](QDialog *shown) {
            QVERIFY(QTest::qWaitForWindowActive(shown) && shown->windowTitle() == u"过滤");
            if (!keywords) {
                enter(shown, u"txtItemf0=v"_s);
            } else { // Enter moves on as Tab does; an apostrophe never reaches a value
                QTest::keyClicks(editValue(1), u"v'\r"_s);
                QCOMPARE(grid()->currentColumn(), kFlag);
            }
            if (how == u"close")
                shown->close();
            else if (how.startsWith(u"cmd"))
                click(shown, how);
            else
                QTest::keySequence(shown, QKeySequence(how));
            QTRY_VERIFY_WITH_TIMEOUT(!shown->isVisible(), 2000); // a mnemonic clicks a bit later
        });
        QTimer::singleShot(5000, dialog, [dialog] { dialog->hide(); }); // a way out that failed
        ui::execModal(dialog);
        if (keywords)
            QCOMPARE(QList<bool>({confirmed(), m_keywords->Keywords().isNull(),
                                  m_keywords->Titles().isNull()}),
                     QList<bool>({ok, !ok, !ok}));
        else
            QCOMPARE(m_condition->Tag() +
                         QString::number(m_condition->ReturnFilterTitle().isNull()),
                     tag + QString::number(!ok));
        QCOMPARE(saved(keywords ? u"K1"_s : u"txtItemf0"_s),
                 ok ? (keywords ? u"v|0"_s : u"v"_s) : QString());
    }
};

VARO_TEST_MAIN(TestFilterDialogs)
#include "tst_filterdialogs.moc"
