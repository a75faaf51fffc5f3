// The viewer with real widgets on the demo database: the catalogue and its filter, and a result
// tab of the sales detail report (title lines, two header levels, cells found by name in any
// letter case, numbers in the user's locale, frozen totals, sorting, copying, finding) loaded
// again with the same and with a new filter, on both report objects.
#include "common/testsupport.h"
#include "demodatabase.h"
#include "dialogdriver.h"
#include "platform/ado.h"
#include "platform/automation.h"
#include "server/classfactory.h"
#include "viewer/catalogueview.h"
#include "viewer/groupheaderview.h"
#include "viewer/mainwindow.h"
#include "viewer/resultmodel.h"
#include "viewer/resultview.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

using namespace varo;
using namespace Qt::Literals::StringLiterals;

namespace
{

// The condition dialog of the sales detail: a date range, items A01-A30, customers C001-C040.
std::unique_ptr<report::DialogDriver> answer(const QString &from, const QString &to)
{
    QList<report::Answer> answers;
    QString error;
    for (const QString &text :
         QStringList{u"DtpBDate0="_s + from, u"DtpEDate0="_s + to, u"txtItemf0=A01"_s,
                     u"txtItemt0=A30"_s, u"txtItemf1=C001"_s, u"txtItemt1=C040"_s})
        answers.append(*report::parseAnswer(text, &error));
    auto driver = std::make_unique<report::DialogDriver>(answers, false);
    driver->install();
    return driver;
}

Dictionary record(const Vector &v, int i)
{
    return v.Item(i).value<Dictionary>();
}

} // namespace

class TestViewer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Connection m_db;

    viewer::ViewerSettings settings(const QString &object) { return {m_db, m_db, object, -1}; }

    // What the engine itself hands a host for the sales detail with these answers.
    Object engineResult(const QString &from, const QString &to)
    {
        const auto driver = answer(from, to);
        Object report = createObject(u"VaroReportEngine.FuncReport"_s);
        QVariantList args{u"SALES_DETAIL"_s, QVariant::fromValue(m_db), QVariant::fromValue(m_db)};
        report.call(u"GetReportData"_s, args);
        return report;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Numbers in a locale unlike the engine's own: a decimal comma, points between thousands.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        VARO_VERIFY_NO_ERROR(demo::createDemoDatabase(m_dir.filePath(u"demo.db"_s)));
        m_db = Connection::open(u"sqlite://"_s + m_dir.filePath(u"demo.db"_s));
        server::registerClasses();
    }
    void cleanupTestCase() { server::releaseConnections(); }

    // Grouped by category, named with the key beside and the description as the tooltip; the
    // filter narrows by name, key or description; Enter or a double-click runs a report.
    void catalogue_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("gesture");
        QTest::newRow("everything") << QString() << demo::demoReportKeys() << QString();
        QTest::newRow("by name, Enter")
            << u"明细"_s << QStringList{u"SALES_DETAIL"_s} << u"enter"_s;
        QTest::newRow("by key in any case, double-click")
            << u"sales_d"_s << QStringList{u"SALES_DETAIL"_s} << u"double-click"_s;
        QTest::newRow("by description")
            << u"旧版"_s << QStringList{u"SALESMAN_SALES"_s} << QString();
        QTest::newRow("nothing") << u"no such report"_s << QStringList() << QString();
    }
    void catalogue()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, keys);
        QFETCH(QString, gesture);
        const auto driver = answer(u"2024-05-20"_s, u"2024-05-21"_s);
        viewer::MainWindow window(settings(u"rptX"_s));
        const QList<viewer::CatalogueEntry> entries = viewer::readCatalogue(m_db);
        window.catalogue()->setEntries(entries);
        window.show();
        QTreeWidget *tree = window.catalogue()->tree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->text(0), u"销售"_s);
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QTreeWidgetItem *item = tree->topLevelItem(0)->child(int(i));
            QCOMPARE(QStringList({item->text(0), item->text(1), item->toolTip(0)}),
                     QStringList({entries[i].name, entries[i].key, entries[i].description}));
        }
        window.catalogue()->filterBox()->insert(filter); // keyClicks types Latin-1 only
        QCOMPARE(window.catalogue()->shownKeys(), keys);
        if (gesture == u"enter") {
            QTest::keyClick(window.catalogue()->filterBox(), Qt::Key_Return);
        } else if (gesture == u"double-click") {
            const QRect place = tree->visualItemRect(tree->topLevelItem(0)->child(2));
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place.center());
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place.center());
        }
        QCOMPARE(window.tabs()->count(), gesture.isEmpty() ? 0 : 1);
        if (!gesture.isEmpty())
            QCOMPARE(window.tabs()->tabText(0), u"销售明细表"_s);
    }

    void result_data()
    {
        QTest::addColumn<QString>("object");
        QTest::newRow("rptX") << u"rptX"_s;
        QTest::newRow("FuncReport") << u"FuncReport"_s;
    }
    void result()
    {
        QFETCH(QString, object);
        const Object engine = engineResult(u"2024-05-20"_s, u"2024-05-21"_s);
        const Vector rows = engine.get(u"VectRs"_s).value<Vector>();
        const Vector title = engine.get(u"Title"_s).value<Vector>();
        Vector header = Vector::create();
        for (const QVariant &entry : engine.get(u"Header"_s).value<Vector>().items()) {
            if (entry.value<Dictionary>().value(u"FVisible"_s).toInt() != 0)
                header.Add(entry);
        }
        QVERIFY(rows.Count() > 3);

        auto driver = answer(u"2024-05-20"_s, u"2024-05-21"_s);
        viewer::MainWindow window(settings(object));
        window.show();
        viewer::ResultView *view = window.openReport(u"SALES_DETAIL"_s);
        QVERIFY(view);
        window.activateWindow(); // shortcuts go to the active window, once the dialogs are gone
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.tabs()->tabText(0), u"销售明细表"_s);
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY(view->width() >= 900 || window.width() >= screen.width());
        QVERIFY(view->height() >= 600 || window.height() >= screen.height());

        QStringList lines;
        for (const QVariant &line : title.items())
            lines.append(line.value<Dictionary>().value(u"FCaption"_s).toString());
        QCOMPARE(view->titleLines(), lines);

        // Captions in order; the group cells span their runs; 业务员 has none and spans both
        // levels.
        viewer::ResultModel *model = view->model();
        viewer::GroupHeaderView *head = view->header();
        QCOMPARE(model->columnCount(), header.Count());
        QCOMPARE(model->rowCount(), rows.Count() - 1);
        for (int c = 0; c < header.Count(); ++c) {
            const Dictionary entry = record(header, c);
            QCOMPARE(model->headerData(c, Qt::Horizontal).toString(),
                     entry.value(u"FColCaption"_s).toString());
            const QString group = entry.value(u"FHeadSecond"_s).toString();
            QCOMPARE(head->captionRect(c).height() < head->height(), !group.isEmpty());
            const bool sameAsLeft =
                c > 0 && !group.isEmpty() && record(header, c - 1).value(u"FHeadSecond"_s) == group;
            QCOMPARE(c > 0 && head->groupRect(c) == head->groupRect(c - 1) &&
                         !head->groupRect(c).isEmpty(),
                     sameAsLeft);
        }

        // Cells by the column's name whatever the row's spelling; numbers in the user's locale.
        QVERIFY(record(rows, 0).keyAt(0) != record(header, 0).value(u"FColName"_s).toString());
        const int qty = 8;
        double qtySum = 0;
        int localized = 0;
        for (int r = 0; r < model->rowCount(); ++r) {
            for (int c = 0; c < model->columnCount(); ++c) {
                const QVariant value =
                    record(rows, r).value(record(header, c).value(u"FColName"_s).toString());
                const QString shown = model->shownText(r, c);
                const auto align =
                    model->index(r, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
                if (record(header, c).value(u"FColType"_s).toString() == u"N") {
                    QCOMPARE(QLocale().toDouble(shown), value.toDouble());
                    QVERIFY(align & Qt::AlignRight);
                    if (std::abs(value.toDouble()) >= 1000 || value.toString().contains(u'.')) {
                        QVERIFY2(shown.contains(QLocale().groupSeparator()) ||
                                     shown.contains(QLocale().decimalPoint()),
                                 qPrintable(shown));
                        ++localized;
                    }
                } else {
                    QCOMPARE(shown, value.toString());
                    QVERIFY(align & Qt::AlignLeft);
                }
            }
            qtySum += QLocale().toDouble(model->shownText(r, qty));
        }
        QVERIFY(localized > 0);

        // The totals row: bold, and its sums.
        QAbstractItemModel *totals = view->totalsRow()->model();
        QCOMPARE(totals->rowCount(), 1);
        QCOMPARE(totals->index(0, 0).data().toString(), u"合计："_s);
        QVERIFY(totals->index(0, qty).data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(QLocale().toDouble(totals->index(0, qty).data().toString()), qtySum);

        // A click sorts numbers as numbers, a second click the other way; the totals stay put.
        auto columnOf = [&](int c) {
            QList<double> values;
            for (int r = 0; r < model->rowCount(); ++r)
                values.append(QLocale().toDouble(model->shownText(r, c)));
            return values;
        };
        QList<double> ascending = columnOf(qty + 2);
        std::sort(ascending.begin(), ascending.end());
        QTest::mouseClick(head->viewport(), Qt::LeftButton, {},
                          head->captionRect(qty + 2).center());
        QCOMPARE(columnOf(qty + 2), ascending);
        QTest::mouseClick(head->viewport(), Qt::LeftButton, {},
                          head->captionRect(qty + 2).center());
        std::reverse(ascending.begin(), ascending.end());
        QCOMPARE(columnOf(qty + 2), ascending);
        QCOMPARE(totals->rowCount(), 1);
        QCOMPARE(totals->index(0, 0).data().toString(), u"合计："_s);

        // Ctrl+C: the selection as tab-separated lines under the captions.
        QTableView *grid = view->grid();
        grid->setFocus();
        grid->selectionModel()->select(QItemSelection(model->index(1, 0), model->index(2, 1)),
                                       QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(
            QApplication::clipboard()->text(),
            QStringList({u"单号\t日期"_s, model->shownText(1, 0) + u'\t' + model->shownText(1, 1),
                         model->shownText(2, 0) + u'\t' + model->shownText(2, 1), QString()})
                .join(u'\n'));

        // Ctrl+F, a text in another letter case, Enter: from the last cell the search goes round
        // to the first, which shows it.
        grid->setCurrentIndex(model->index(model->rowCount() - 1, model->columnCount() - 1));
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        QLineEdit *find = view->findChild<QLineEdit *>(u"findText"_s);
        QVERIFY(find->isVisible() && find->hasFocus());
        QTest::keyClicks(find, model->shownText(0, 0).toLower());
        QTest::keyClick(find, Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), model->index(0, 0));
        QVERIFY(!view->findNext(u"no such text"_s));

        // Export: the file dialog given a name without a suffix and the CSV type. Print: the
        // preview asks for the pages and gets them.
        const QString exported = m_dir.filePath(object);
        int pages = 0;
        {
            test::ScopedModalDriver files([&](QDialog *dialog) {
                auto *chooser = qobject_cast<QFileDialog *>(dialog);
                QVERIFY(chooser);
                // The second type, CSV, picked as a person does.
                QTest::keyClick(chooser->findChild<QComboBox *>(u"fileTypeCombo"_s), Qt::Key_Down);
                chooser->selectFile(exported);
                dialog->accept(); // as the Save button does
            });
            view->findChild<QAction *>(u"actionExport"_s)->trigger();
            test::ScopedModalDriver preview([&](QDialog *dialog) {
                pages = dialog->findChild<QPrintPreviewWidget *>()->pageCount();
                dialog->reject();
            });
            view->findChild<QAction *>(u"actionPrint"_s)->trigger();
        }
        QFile csv(exported + u".csv"_s);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList written =
            QString::fromUtf8(csv.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
        QCOMPARE(written.size(), model->rowCount() + 2); // the captions, the rows, the totals
        QVERIFY(written.first().startsWith(u"单号,日期,"_s) &&
                written.last().startsWith(u"合计："_s));
        // The rows as the grid shows them, sorted above.
        QVERIFY(model->resultRow(0) != 0);
        for (int r = 0; r < model->rowCount(); ++r)
            QCOMPARE(written.at(r + 1), model->table().rowCells(model->resultRow(r)).join(u','));
        QVERIFY(pages > 0);

        // Loading again: rptX's Refresh with the filter kept; a new filter through the dialog.
        QAction *refresh = view->findChild<QAction *>(u"actionRefresh"_s);
        QCOMPARE(refresh->isEnabled(), object == u"rptX");
        if (refresh->isEnabled()) {
            refresh->trigger();
            QCOMPARE(model->rowCount(), rows.Count() - 1);
        }
        driver.reset(); // before the next driver: a driver goes with the one installed
        const Object wider = engineResult(u"2024-05-01"_s, u"2024-05-31"_s);
        driver = answer(u"2024-05-01"_s, u"2024-05-31"_s);
        view->findChild<QAction *>(u"actionNewFilter"_s)->trigger();
        QCOMPARE(model->rowCount(), wider.get(u"VectRs"_s).value<Vector>().Count() - 1);
        QVERIFY(model->rowCount() > rows.Count() - 1);
    }
};

VARO_TEST_MAIN(TestViewer)
#include "tst_viewer.moc"
