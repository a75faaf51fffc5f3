// The condition dialog built from real filter rows in an SQLite file: its layout in twips, which
// controls show, what it composes from the values entered, what it remembers per report, how
// it ends, and the item lookup through a test component.
#include "common/fakes.h"
#include "common/testdatabase.h"
#include "common/testsupport.h"
#include "common/reportfixture.h"
#include "dialogs/condition/datepicker.h"
#include "dialogs/condition/frmcondition.h"
#include "dialogs/twips.h"
#include "platform/automation.h"
#include "platform/settings.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace varo;
using varo::dialogs::DatePicker;
using varo::dialogs::FrmCondition;
using varo::dialogs::twipsGeometry;

namespace
{

const QString kKey = QStringLiteral("R");

const QString kDateRow = QStringLiteral("DTP|日期|BD|FDate>='?'|至|ED|FDate<='?'||");
const QString kTextRow = QStringLiteral("CDTXT|编码|NF|FNumber>='?'|到|NT|FNumber<='?'|ITEM|G");

// The controls of the page whose own visibility is on, by name.
QStringList shownControls(const FrmCondition &dialog)
{
    QStringList names;
    const auto page = dialog.findChild<QWidget *>(QStringLiteral("tabCondition"));
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (!w->isHidden() && !qobject_cast<QGroupBox *>(w) && !w->objectName().isEmpty() &&
            !w->objectName().startsWith(u"qt_") && w->objectName() != u"chkValue")
            names << w->objectName();
    }
    names.sort();
    return names;
}

void setControl(FrmCondition &dialog, const QString &name, const QString &value)
{
    QWidget *w = dialog.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    if (auto *picker = qobject_cast<DatePicker *>(w)) {
        if (value.isEmpty())
            picker->setEmpty(true);
        else
            picker->setValue(QDate::fromString(value, Qt::ISODate));
    } else if (auto *box = qobject_cast<QLineEdit *>(w)) {
        box->setText(value);
    } else if (auto *choice = qobject_cast<QComboBox *>(w)) {
        choice->setCurrentIndex(choice->findText(value));
    }
}

QStringList titleLines(const Vector &title)
{
    QStringList lines;
    for (const QVariant &item : title.items()) {
        const Dictionary line = item.value<Dictionary>();
        lines << QString::number(line.value(QStringLiteral("Findex")).toInt()) + u':' +
                     line.value(QStringLiteral("FCaption")).toString();
    }
    return lines;
}

QString text(const FrmCondition &dialog, const QString &name)
{
    if (auto *picker = dialog.findChild<DatePicker *>(name))
        return picker->isEmpty() ? QString() : picker->date().toString(Qt::ISODate);
    return dialog.findChild<QLineEdit *>(name)->text();
}

} // namespace

class TestFrmCondition : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestDatabase> m_db;
    std::unique_ptr<test::MessageRecorder> m_messages;
    std::unique_ptr<test::TemporarySettingsFile> m_settings;

    // Definition tables holding report kKey with the given filter rows, on the shared
    // connections.
    void prepare(const QStringList &filterRows, const QString &repSub = QStringLiteral("1"),
                 const QString &pluginServer = QString(), bool withGroupColumn = true)
    {
        m_db = std::make_unique<test::TestDatabase>(QStringLiteral("sqlite"));
        QCOMPARE(m_db->state(), test::TestDatabase::State::Ready);
        QStringList statements = test::definitionTableStatements();
        if (withGroupColumn)
            statements << QStringLiteral("alter table T_RepFilter add FGroupStr varchar(200)");
        test::ReportRow report;
        report.key = kKey;
        report.repSub = repSub;
        report.repPluginSvr = pluginServer;
        statements << test::insertReport(report);
        for (int i = 0; i < filterRows.size(); ++i)
            statements << test::insertFilter(kKey, i + 1, filterRows.at(i));
        VARO_VERIFY_SQL(m_db->connection(), m_db->execute(statements));
        gLocConn() = m_db->connection();
        gSqlConn() = m_db->connection();
    }

private Q_SLOTS:
    void init()
    {
        test::ScriptedItemLook::install();
        m_messages = std::make_unique<test::MessageRecorder>();
        m_settings = std::make_unique<test::TemporarySettingsFile>();
        gRepType() = -1;
    }

    void cleanup()
    {
        gLocConn() = Connection();
        gSqlConn() = Connection();
        m_db.reset();
        m_settings.reset();
        m_messages.reset();
    }

    void layout_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QRect>("fradate");      // null when hidden
        QTest::addColumn<QRect>("fraItem");      // null when hidden
        QTest::addColumn<QStringList>("placed"); // "name:left,top"

        const QString cmb = QStringLiteral("CMB|排序|SORT|名称,编码");
        QTest::newRow("two date rows")
            << QStringList{kDateRow, kDateRow} << QRect(120, 480, 6045, 1040) << QRect()
            << QStringList{"DtpBDate1:1170,540", "lblDateTo1:2985,585", "DtpEDate1:4065,540"};
        QTest::newRow("a date row and a text row")
            << QStringList{kTextRow, kDateRow} << QRect(120, 480, 6045, 740)
            << QRect(120, 1370, 6045, 725) << QStringList{"txtItemf0:1200,255"};
        QTest::newRow("text rows only")
            << QStringList{kTextRow, kTextRow, kTextRow} << QRect() << QRect(120, 480, 6045, 1325)
            << QStringList{"txtItemt2:4065,855", "cmdItemf2:2565,855", "lblcapt1:3015,600"};
        QTest::newRow("choices only") << QStringList{cmb} << QRect() << QRect()
                                      << QStringList{"cmb0:1200,195", "lblcmb0:120,240"};
        QTest::newRow("a date row without sides still shows its frame")
            << QStringList{"DTP|空|||||"} << QRect(120, 480, 6045, 740) << QRect() << QStringList{};
    }
    void layout()
    {
        QFETCH(QStringList, rows);
        QFETCH(QRect, fradate);
        QFETCH(QRect, fraItem);
        QFETCH(QStringList, placed);
        prepare(rows);
        FrmCondition dialog;
        QVERIFY(dialog.InitData(kKey));

        const auto frame = [&](const char *name) {
            return dialog.findChild<QGroupBox *>(QString::fromLatin1(name));
        };
        QCOMPARE(frame("fradate")->isHidden(), fradate.isNull());
        if (!fradate.isNull())
            QCOMPARE(twipsGeometry(frame("fradate")), fradate);
        QCOMPARE(frame("fraItem")->isHidden(), fraItem.isNull());
        if (!fraItem.isNull())
            QCOMPARE(twipsGeometry(frame("fraItem")), fraItem);
        // The choice frame stands below the text frame's design place, whatever the rows.
        QCOMPARE(twipsGeometry(frame("fracmb")), QRect(120, 3360, 6045, 960));
        for (const QString &p : placed) {
            const QString name = p.section(u':', 0, 0);
            const QStringList at = p.section(u':', 1).split(u',');
            QWidget *w = dialog.findChild<QWidget *>(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(twipsGeometry(w).topLeft(), QPoint(at[0].toInt(), at[1].toInt()));
            QCOMPARE(twipsGeometry(w).size(),
                     twipsGeometry(dialog.findChild<QWidget *>(name.chopped(1) + u'0')).size());
        }
        // Pixels follow the twips at 15 per pixel.
        QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("cmdOK"))->geometry(),
                 QRect(270, 368, 72, 21));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("过滤"));
    }

    void controls_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("date row without a to side") << QStringList{"DTP|日期|BD|FDate>='?'|至|||"}
                                                    << QStringList{"DtpBDate0", "lblDateFrom0"};
        QTest::newRow("text row without lookup key")
            << QStringList{"CDTXT|编码|NF|a='?'|到|NT|b='?'|  |"}
            << QStringList{"lblcap0", "lblcapt0", "txtItemf0", "txtItemt0"};
        QTest::newRow("text row with lookup key")
            << QStringList{"CDTXT|编码|NF|a='?'|到|NT|b='?'|ITEM|"}
            << QStringList{"cmdItemf0", "cmdItemt0", "lblcap0",
                           "lblcapt0",  "txtItemf0", "txtItemt0"};
        QTest::newRow("empty date row leaves index 0 to the next")
            << QStringList{"DTP|空|||||", "DTP|日期|BD|x='?'|至|ED|y='?'"}
            << QStringList{"DtpBDate0", "DtpEDate0", "lblDateFrom0", "lblDateTo0"};
        QTest::newRow("five choices fill four")
            << QStringList{"CMB|一|A|x", "CMB|二|B|x", "CMB|三|C|x", "CMB|四|D|x", "CMB|五|E|x"}
            << QStringList{"cmb0",    "cmb1",    "cmb2",    "cmb3",
                           "lblcmb0", "lblcmb1", "lblcmb2", "lblcmb3"};
        QTest::newRow("types in any case, unknown types ignored")
            << QStringList{"dtp|日期|BD|x='?'", "Cdtxt|码|NF|y='?'", "cmb|排|S|a", "TXT|文|T|z='?'"}
            << QStringList{"DtpBDate0", "cmb0", "lblDateFrom0", "lblcap0", "lblcmb0", "txtItemf0"};
    }
    void controls()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, shown);
        prepare(rows);
        FrmCondition dialog;
        QVERIFY(dialog.InitData(kKey));
        QCOMPARE(shownControls(dialog), shown);
        // Only shown sides carry a tag.
        for (QWidget *w : dialog.conditionControls())
            QCOMPARE(w->property("Tag").toString().isEmpty(), w->isHidden());
    }

    void choiceItems()
    {
        prepare({"CMB|排序|SORT|名称,,编码", "CMB|空|EMPTY|"});
        FrmCondition dialog;
        QVERIFY(dialog.InitData(kKey));
        auto *first = dialog.findChild<QComboBox *>(QStringLiteral("cmb0"));
        QCOMPARE(first->count(), 3);
        QCOMPARE(first->itemText(1), QString());
        QCOMPARE(first->currentIndex(), -1);
        QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("cmb1"))->count(), 0);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblcmb0"))->text(), "排序");
    }

    void compose_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("values"); // "control=value"
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("groups");
        QTest::addColumn<QStringList>("title");
        QTest::addColumn<QStringList>("entries"); // "mark=value" of the condition entries

        QTest::newRow("date range")
            << QStringList{kDateRow} << QStringList{"DtpBDate0=2024-03-05", "DtpEDate0=2024-03-31"}
            << "BD|FDate>='2024-03-05 00:00:00'&ED|FDate<='2024-03-31 23:59:59'"
            << "" << QStringList{"0:日期2024-03-05", "1:至2024-03-31"}
            << QStringList{"BD=2024-03-05", "ED=2024-03-31"};
        QTest::newRow("open date")
            << QStringList{kDateRow} << QStringList{"DtpBDate0=2024-03-05", "DtpEDate0="}
            << "BD|FDate>='2024-03-05 00:00:00'&ED|1=1"
            << "" << QStringList{"0:日期2024-03-05", "1:至"} << QStringList{"BD=2024-03-05", "ED="};
        QTest::newRow("to box first, group of the empty box")
            << QStringList{kTextRow} << QStringList{"txtItemf0=A01", "txtItemt0="}
            << "NT|1=1&NF|FNumber>='A01'"
            << "NT|G;" << QStringList{"2:编码从A01到--"} << QStringList{"NT=", "NF=A01"};
        QTest::newRow("both texts empty")
            << QStringList{kTextRow} << QStringList{} << "NT|1=1&NF|1=1"
            << "NT|G;NF|G;" << QStringList{"2:编码全部"} << QStringList{"NT=", "NF="};
        QTest::newRow("only the to text")
            << QStringList{kTextRow} << QStringList{"txtItemt0=Z9"} << "NT|FNumber<='Z9'&NF|1=1"
            << "NF|G;" << QStringList{"2:编码从--到Z9"} << QStringList{"NT=Z9", "NF="};
        QTest::newRow("spaces are a value, not a title")
            << QStringList{kTextRow} << QStringList{"txtItemf0=  "} << "NT|1=1&NF|FNumber>='  '"
            << "NT|G;" << QStringList{"2:编码全部"} << QStringList{"NT=", "NF=  "};
        QTest::newRow("values inserted unescaped")
            << QStringList{kTextRow} << QStringList{"txtItemf0=O'Neil&|", "txtItemt0=b"}
            << "NT|FNumber<='b'&NF|FNumber>='O'Neil&|'"
            << "" << QStringList{"2:编码从O'Neil&|到b"} << QStringList{"NT=b", "NF=O'Neil&|"};
        QTest::newRow("two text rows grow in creation order")
            << QStringList{kTextRow, "CDTXT|客户|CF|c>='?'|到|CT|c<='?'||"}
            << QStringList{"txtItemf0=A", "txtItemt0=B", "txtItemf1=C", "txtItemt1=D"}
            << "NT|FNumber<='B'&NF|FNumber>='A'&CF|c>='C'&CT|c<='D'"
            << "" << QStringList{"2:编码从A到B", "3:客户从C到D"}
            << QStringList{"NT=B", "NF=A", "CF=C", "CT=D"};
        QTest::newRow("choices add entries only")
            << QStringList{"CMB|排序|SORT|编码,名称"} << QStringList{"cmb0=名称"} << ""
            << "" << QStringList{} << QStringList{"SORT=名称"};
        QTest::newRow("a shared mark: the later control wins")
            << QStringList{"CDTXT|码|M|a='?'|到|M|b='?'"}
            << QStringList{"txtItemf0=from", "txtItemt0=to"} << "M|b='to'&M|a='from'"
            << "" << QStringList{"2:码从from到to"} << QStringList{"M=from"};
    }
    void compose()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, values);
        QFETCH(QString, filter);
        QFETCH(QString, groups);
        QFETCH(QStringList, title);
        QFETCH(QStringList, entries);
        prepare(rows, QStringLiteral("7"), QStringLiteral("Demo.Plugin"));
        FrmCondition dialog;
        QVERIFY(dialog.InitData(kKey));
        for (const QString &v : values)
            setControl(dialog, v.section(u'=', 0, 0), v.section(u'=', 1));

        const Dictionary result = dialog.ReturnVal();
        QCOMPARE(result.value(QStringLiteral("strFilter")).toString(), filter);
        QCOMPARE(result.value(QStringLiteral("FGroupStr")).toString(), groups);
        QStringList seen;
        const QStringList fixed{"FGroupStr", "strFilter",     "REP_KEY_Ex", "RPT_SUB",
                                "Name",      "FRepPluginSvr", "FRepSub"};
        for (const QString &key : result.keys()) {
            if (fixed.contains(key))
                continue;
            const QVariant v = result.value(key);
            seen << key + u'=' +
                        (v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
                                                        : v.toString());
        }
        QCOMPARE(seen, entries);
        QCOMPARE(result.keys().mid(result.keys().size() - 7), fixed);
        QCOMPARE(result.value(QStringLiteral("Name")).toString(), QStringLiteral("测试报表"));
        QCOMPARE(result.value(QStringLiteral("FRepPluginSvr")).toString(), "Demo.Plugin");
        QCOMPARE(result.value(QStringLiteral("FRepSub")).toString(), "7");
        QCOMPARE(result.value(QStringLiteral("RPT_SUB")).toString(), QString());
        // Every call composes a new Dictionary.
        QVERIFY(dialog.ReturnVal() != result);

        QVERIFY(dialog.ReturnFilterTitle().isNull());
        dialog.cmdOK_Click();
        QCOMPARE(dialog.Tag(), QStringLiteral("OK"));
        QCOMPARE(titleLines(dialog.ReturnFilterTitle()), title);
    }

    void initData_data()
    {
        QTest::addColumn<QString>("repSub");
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("storedDate");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("ensured"); // the group column was added

        const QStringList one{kDateRow};
        QTest::newRow("template report") << "1"
                                         << "" << one << "R"
                                         << "" << true << "" << true;
        QTest::newRow("plug-in report") << "0"
                                        << "X.Y" << one << "R"
                                        << "" << true << "" << true;
        QTest::newRow("no plug-in, not a template")
            << "3"
            << "" << one << "R"
            << "" << false << "报表由插件实现,插件名不可为空，请修改报表信息!" << false;
        QTest::newRow("no filter rows")
            << "1"
            << "" << QStringList{} << "R"
            << "" << false << "过滤条件为空，请为报表添加过滤条件!" << true;
        QTest::newRow("no catalogue row") << "1"
                                          << "" << one << "NONE"
                                          << "" << false << "" << false;
        QTest::newRow("remembered date unreadable") << "1"
                                                    << "" << one << "R"
                                                    << "not a date" << false << "" << true;
        QTest::newRow("remembered date readable") << "1"
                                                  << "" << one << "R"
                                                  << "2023-12-31" << true << "" << true;
    }
    void initData()
    {
        QFETCH(QString, repSub);
        QFETCH(QString, plugin);
        QFETCH(QStringList, rows);
        QFETCH(QString, key);
        QFETCH(QString, storedDate);
        QFETCH(bool, ready);
        QFETCH(QString, message);
        QFETCH(bool, ensured);
        prepare(rows, repSub, plugin, false);
        if (!storedDate.isEmpty())
            settings::save(QStringLiteral("PelReportCenter"), kKey, QStringLiteral("DtpEDate"),
                           storedDate);
        FrmCondition dialog;
        QCOMPARE(dialog.InitData(key), ready);
        QCOMPARE(m_messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (ready && !storedDate.isEmpty())
            QCOMPARE(text(dialog, QStringLiteral("DtpEDate0")), storedDate);
        QCOMPARE(test::firstValue(m_db->connection(),
                                  QStringLiteral("select count(*) from pragma_table_info("
                                                 "'T_RepFilter') where name = 'FGroupStr'"))
                     .toInt(),
                 ensured ? 1 : 0);
    }

    void rememberedValues()
    {
        const QStringList rows{kDateRow, kTextRow, kDateRow, "CDTXT|半|HF|h='?'|||||"};
        prepare(rows);
        {
            // The first time: today's dates and empty boxes.
            FrmCondition dialog;
            QVERIFY(dialog.InitData(kKey));
            QCOMPARE(text(dialog, QStringLiteral("DtpBDate1")),
                     QDate::currentDate().toString(Qt::ISODate));
            QCOMPARE(text(dialog, QStringLiteral("txtItemf0")), QString());
            setControl(dialog, QStringLiteral("DtpBDate0"), QStringLiteral("2024-03-01"));
            setControl(dialog, QStringLiteral("DtpBDate1"), QStringLiteral("2024-04-01"));
            setControl(dialog, QStringLiteral("DtpEDate0"), QStringLiteral("2024-03-31"));
            setControl(dialog, QStringLiteral("DtpEDate1"), QString());
            setControl(dialog, QStringLiteral("txtItemf0"), QStringLiteral("A01"));
            setControl(dialog, QStringLiteral("txtItemt0"), QStringLiteral("A99"));
            setControl(dialog, QStringLiteral("txtItemf1"), QStringLiteral("H"));
            setControl(dialog, QStringLiteral("txtItemt1"), QStringLiteral("hidden side"));
            dialog.cmdOK_Click();
        }
        const auto stored = [](const char *key) {
            return settings::get(QStringLiteral("PelReportCenter"), kKey, QString::fromLatin1(key));
        };
        // The last "from" date in control order wins; an open date keeps the one before.
        QCOMPARE(stored("DtpBDate"), QStringLiteral("2024-04-01"));
        QCOMPARE(stored("DtpEDate"), QStringLiteral("2024-03-31"));
        QCOMPARE(stored("txtItemf0"), QStringLiteral("A01"));
        QCOMPARE(stored("txtItemt0"), QStringLiteral("A99"));
        QCOMPARE(stored("txtItemf1"), QStringLiteral("H"));
        QVERIFY(stored("txtItemt1").isNull());
        QVERIFY(settings::get(QStringLiteral("PelReportCenter"), QStringLiteral("OTHER"),
                              QStringLiteral("txtItemf0"))
                    .isNull());
        {
            FrmCondition dialog;
            QVERIFY(dialog.InitData(kKey));
            for (const char *picker : {"DtpBDate0", "DtpBDate1"})
                QCOMPARE(text(dialog, QString::fromLatin1(picker)), QStringLiteral("2024-04-01"));
            QCOMPARE(text(dialog, QStringLiteral("DtpEDate1")), QStringLiteral("2024-03-31"));
            QCOMPARE(text(dialog, QStringLiteral("txtItemf0")), QStringLiteral("A01"));
            QCOMPARE(text(dialog, QStringLiteral("txtItemt1")), QString());
            // Cancel saves nothing.
            setControl(dialog, QStringLiteral("txtItemf0"), QStringLiteral("changed"));
            dialog.cmdCacel_Click();
            QCOMPARE(dialog.Tag(), QStringLiteral("CANCEL"));
            QCOMPARE(stored("txtItemf0"), QStringLiteral("A01"));
            // The scheme panel's "clear" empties the boxes and resets the dates.
            auto *toolbar = dialog.findChild<QToolBar *>(QStringLiteral("tlbProject"));
            toolbar->findChild<QAction *>(QStringLiteral("tlbSave"))->trigger();
            QCOMPARE(text(dialog, QStringLiteral("txtItemf0")), QStringLiteral("changed"));
            toolbar->findChild<QAction *>(QStringLiteral("tlbClear"))->trigger();
            QCOMPARE(text(dialog, QStringLiteral("txtItemf0")), QString());
            QCOMPARE(text(dialog, QStringLiteral("DtpBDate1")),
                     QDate::currentDate().toString(Qt::ISODate));
        }
    }

    // The dialog shown modally as the engine shows it, ended by each of its ways out.
    void ending_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("titled");
        QTest::addColumn<bool>("saved");
        QTest::newRow("OK button") << "cmdOK"
                                   << "OK" << true << true;
        QTest::newRow("Alt+O") << "alt+o"
                               << "OK" << true << true;
        QTest::newRow("Cancel button") << "cmdCacel"
                                       << "CANCEL" << false << false;
        QTest::newRow("Alt+E") << "alt+e"
                               << "CANCEL" << false << false;
        QTest::newRow("close box") << "close"
                                   << "" << false << false;
        QTest::newRow("Escape") << "escape"
                                << "" << false << false;
    }
    void ending()
    {
        QFETCH(QString, how);
        QFETCH(QString, tag);
        QFETCH(bool, titled);
        QFETCH(bool, saved);
        prepare({kTextRow});
        FrmCondition dialog;
        QVERIFY(dialog.InitData(kKey));
        test::ScopedModalDriver driver([&](QDialog *shown) {
            QVERIFY(shown->isVisible());
            setControl(dialog, QStringLiteral("txtItemf0"), QStringLiteral("A01"));
            if (how == u"alt+o" || how == u"alt+e") {
                QVERIFY(QTest::qWaitForWindowActive(shown));
                QTest::keyClick(shown->findChild<QWidget *>(QStringLiteral("txtItemf0")),
                                how == u"alt+o" ? Qt::Key_O : Qt::Key_E, Qt::AltModifier);
            } else if (how == u"close") {
                shown->close();
            } else if (how == u"escape") {
                QTest::keyClick(shown, Qt::Key_Escape);
            } else {
                shown->findChild<QPushButton *>(how)->click();
            }
            // A mnemonic clicks a moment later, as a person sees the button go down.
            QTRY_VERIFY_WITH_TIMEOUT(!shown->isVisible(), 2000);
        });
        // Whatever way did not end the dialog must not hang the test.
        QTimer::singleShot(5000, &dialog, [&dialog] {
            if (dialog.isVisible())
                dialog.hide();
        });
        ui::execModal(&dialog);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.Tag(), tag);
        QCOMPARE(dialog.ReturnFilterTitle().isNull(), !titled);
        QCOMPARE(
            settings::get(QStringLiteral("PelReportCenter"), kKey, QStringLiteral("txtItemf0")),
            saved ? QStringLiteral("A01") : QString());
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("how"); // "F7", "shift+F7", "F8", "button"
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("result");

        QTest::newRow("F7 in the to box of row 2") << "txtItemt2"
                                                   << "F7"
                                                   << "C09" << QStringList{"CUST"} << "C09";
        QTest::newRow("F7 with Ctrl+Shift") << "txtItemf1"
                                            << "ctrl+shift+F7"
                                            << "B1" << QStringList{"EMP"} << "B1";
        QTest::newRow("other keys do nothing") << "txtItemf0"
                                               << "F8"
                                               << "X" << QStringList{} << "typed";
        QTest::newRow("lookup button") << "txtItemf0"
                                       << "button"
                                       << "A05" << QStringList{"ITEM"} << "A05";
        QTest::newRow("nothing chosen keeps the text") << "txtItemt0"
                                                       << "button"
                                                       << "" << QStringList{"ITEM"} << "typed";
        QTest::newRow("F7 without a lookup key") << "txtItemf3"
                                                 << "F7"
                                                 << "Z" << QStringList{""} << "Z";
    }
    void lookup()
    {
        QFETCH(QString, box);
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(QStringList, keys);
        QFETCH(QString, result);
        prepare({"CDTXT|商品|IF|a='?'|到|IT|b='?'|ITEM", "CDTXT|员工|EF|c='?'|到|ET|d='?'|EMP",
                 "CDTXT|客户|CF|e='?'|到|CT|f='?'|CUST", "CDTXT|其他|OF|g='?'|到|OT|h='?'|"});
        FrmCondition dialog;
        QVERIFY(dialog.InitData(kKey));
        const QStringList boxes{"txtItemf0", "txtItemt0", "txtItemf1", "txtItemt1",
                                "txtItemf2", "txtItemt2", "txtItemf3", "txtItemt3"};
        for (const QString &name : boxes)
            setControl(dialog, name, QStringLiteral("typed"));
        QVERIFY(dialog.findChild<QToolButton *>(QStringLiteral("cmdItemf3"))->isHidden());
        test::ScriptedItemLook::script().answer = answer;

        auto *target = dialog.findChild<QLineEdit *>(box);
        if (how == u"button") {
            QString button = box;
            button.replace(QStringLiteral("txt"), QStringLiteral("cmd"));
            dialog.findChild<QToolButton *>(button)->click();
        } else {
            Qt::KeyboardModifiers modifiers;
            if (how.contains(u"ctrl"))
                modifiers |= Qt::ControlModifier;
            if (how.contains(u"shift"))
                modifiers |= Qt::ShiftModifier;
            QTest::keyClick(target, how.endsWith(u"F7") ? Qt::Key_F7 : Qt::Key_F8, modifiers);
        }
        QCOMPARE(test::ScriptedItemLook::script().keys, keys);
        for (const QString &name : boxes)
            QCOMPARE(text(dialog, name), name == box ? result : QStringLiteral("typed"));
        QCOMPARE(m_messages->texts(), QStringList());
    }

    // A person sets and clears a picker's value; restoring always gives it one.
    void emptyDate()
    {
        DatePicker picker;
        QVERIFY(!picker.isEmpty());
        QTest::keyClick(&picker, Qt::Key_Space);
        QVERIFY(picker.isEmpty());
        QVERIFY(!picker.value().isValid());
        picker.findChild<QWidget *>(QStringLiteral("chkValue"))->setProperty("checked", true);
        QVERIFY(!picker.isEmpty());
        picker.setEmpty(true);
        picker.setValue(picker.date());
        QCOMPARE(picker.value(), QVariant(picker.date()));
    }
};

VARO_TEST_MAIN(TestFrmCondition)
#include "tst_frmcondition.moc"
