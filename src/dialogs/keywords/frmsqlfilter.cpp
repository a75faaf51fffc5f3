#include "frmsqlfilter.h"

#include "dialogs/dialogfont.h"
#include "dialogs/keywords/keywordcells.h"
#include "dialogs/twips.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/variant.h"
#include "shared/modglobal.h"
#include "shared/sqlvalues.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

namespace varo::dialogs
{

namespace
{

Q_LOGGING_CATEGORY(lcKeywords, "varo.dialogs")

const QString kApplication = QStringLiteral("PelReportCenter");
constexpr int kMaxTitles = 11;

// Layout in twips; the grid's own units are pixels.
constexpr int kClientWidth = 7200;
constexpr int kClientHeight = 5400;
constexpr QRect kTabs{90, 90, 7020, 4740};
constexpr QRect kPicture1{60, 60, 6780, 4125};
constexpr QRect kOk{4800, 4950, 1080, 315};
constexpr QRect kCancel{6030, 4950, 1080, 315};
constexpr int kDropSize = 255;
constexpr int kRowHeight = 20;

// Grid columns as the dialog numbers them (from 1); the header row is row 0.
enum Column {
    Caption = 1,
    Value = 2,
    TitleFlag = 3,
    Keyword = 4,
    ValueType = 5,
    SourceField = 8,
    ColumnCount = 9
};

QString text(const QVariant &v)
{
    return isNull(v) ? QString() : toText(v);
}

} // namespace

frmSQLFilter::frmSQLFilter(QWidget *parent) : UnloadingDialog(parent)
{
    setObjectName(QStringLiteral("frmSQLFilter"));
    setWindowTitle(QStringLiteral("过滤"));
    setFont(dialogFont());
    setTwipsClientSize(this, kClientWidth, kClientHeight);

    m_mstFilter = new QTabWidget(this);
    m_mstFilter->setObjectName(QStringLiteral("mstFilter"));
    setTwipsGeometry(m_mstFilter, kTabs);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabKeywords"));
    m_mstFilter->addTab(page, QStringLiteral("过滤条件"));

    m_picture1 = new QFrame(page);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    setTwipsGeometry(m_picture1, kPicture1);

    m_grid = new QTableWidget(m_picture1);
    m_grid->setObjectName(QStringLiteral("vaKeywords"));
    setTwipsGeometry(m_grid, QRect(0, 0, kPicture1.width(), kPicture1.height()));
    m_grid->setItemDelegate(new KeywordCellDelegate(m_grid));
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    connect(m_grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { placeDropButton(row + 1); });

    // The drop-down button: a picture box holding the image Drop, one for the whole grid.
    m_picShow = new QFrame(m_picture1);
    m_picShow->setObjectName(QStringLiteral("picShow"));
    setTwipsGeometry(m_picShow, QRect(0, 0, kDropSize, kDropSize));
    m_drop = new QToolButton(m_picShow);
    m_drop->setObjectName(QStringLiteral("Drop"));
    m_drop->setArrowType(Qt::DownArrow);
    m_drop->setFocusPolicy(Qt::NoFocus);
    setTwipsGeometry(m_drop, QRect(0, 0, kDropSize, kDropSize));
    connect(m_drop, &QToolButton::clicked, this, &frmSQLFilter::lookUpActiveCell);
    m_picShow->installEventFilter(this);
    m_picShow->hide();

    auto button = [this](const char *name, const QString &caption, const QRect &twips) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        setTwipsGeometry(b, twips);
        return b;
    };
    connect(button("cmdOK", QStringLiteral("确定(&O)"), kOk), &QPushButton::clicked, this,
            &frmSQLFilter::cmdOK_Click);
    connect(button("cmdCacel", QStringLiteral("取消(&E)"), kCancel), &QPushButton::clicked, this,
            &frmSQLFilter::cmdCacel_Click);
}

frmSQLFilter::~frmSQLFilter()
{
    qApp->removeEventFilter(this);
}

void frmSQLFilter::showEvent(QShowEvent *event)
{
    if (!m_loaded)
        Form_Load();
    QDialog::showEvent(event);
}

void frmSQLFilter::Form_Load()
{
    m_loaded = true;
    m_result = Dictionary::create();
    m_result.set(QStringLiteral("OK"), false);
    FillKeywordGrid();
    // The dialog's keys work whichever of its controls has the focus, editors included.
    qApp->installEventFilter(this);
}

void frmSQLFilter::Form_Unload()
{
    qApp->removeEventFilter(this);
    m_loaded = false;
    m_keywords = Vector();
    m_titles = Vector();
    hide();
}

void frmSQLFilter::FillKeywordGrid()
{
    const QList<QVariant> records = m_keywords.isNull() ? QList<QVariant>() : m_keywords.items();
    m_grid->clear();
    m_grid->setRowCount(int(records.size()));
    m_grid->setColumnCount(ColumnCount);
    m_grid->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("值"),
                                       QStringLiteral("标题"), QStringLiteral("关键字"),
                                       QStringLiteral("类型")});
    for (int c : {6, 7, int(SourceField), 9})
        m_grid->setColumnHidden(c - 1, true);
    const int widths[] = {110, 150, 40, 110, 40};
    for (int c = 0; c < 5; ++c)
        m_grid->setColumnWidth(c, widths[c]);

    for (int i = 0; i < records.size(); ++i) {
        const Dictionary record = records.at(i).value<Dictionary>();
        const QString keyword = text(record.value(QStringLiteral("FKeyword")));
        QString valuePart;
        QString flagPart;
        const QString entry = settings::get(kApplication, m_rptKey, keyword);
        const bool remembered = !entry.isEmpty();
        if (remembered) {
            const QStringList parts = entry.split(u'|');
            valuePart = parts.at(0);
            flagPart = parts.size() > 1 ? parts.at(1) : QString();
        }
        auto fixed = [](const QString &s) {
            auto *item = new QTableWidgetItem(s);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            return item;
        };
        m_grid->setItem(i, Caption - 1, fixed(text(record.value(QStringLiteral("FCaption")))));
        m_grid->setItem(i, Keyword - 1, fixed(keyword));
        const QVariant valueType = record.value(QStringLiteral("FValueType"));
        m_grid->setItem(i, ValueType - 1, fixed(text(valueType)));
        m_grid->setItem(i, SourceField - 1,
                        fixed(text(record.value(QStringLiteral("FSourceField")))));

        auto *value = new QTableWidgetItem;
        setUpCell(value, cellKindOf(valueType));
        if (remembered)
            applyRemembered(value, valuePart);
        m_grid->setItem(i, Value - 1, value);

        auto *flag = new QTableWidgetItem;
        flag->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        flag->setCheckState(remembered && flagPart == u'1' ? Qt::Checked : Qt::Unchecked);
        m_grid->setItem(i, TitleFlag - 1, flag);
    }
}

int frmSQLFilter::CheckTitleCount() const
{
    int ticked = 0;
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        if (m_grid->item(r, TitleFlag - 1)->checkState() == Qt::Checked)
            ++ticked;
    }
    return ticked;
}

void frmSQLFilter::cmdOK_Click()
{
    // A value still being edited counts as entered, even when Alt+O left the focus in it.
    if (QWidget *editor = m_grid->indexWidget(m_grid->currentIndex()))
        QMetaObject::invokeMethod(m_grid, "commitData", Q_ARG(QWidget *, editor));
    if (CheckTitleCount() > kMaxTitles) {
        ShowMessage(QStringLiteral("作为标题的关键字不能超过11个"));
        return;
    }
    if (refuseUnsafeValue())
        return;
    m_keywords = Vector::create();
    m_titles = Vector::create();
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        Dictionary record = Dictionary::create();
        const QVariant value = cellValue(m_grid->item(r, Value - 1));
        record.set(QStringLiteral("FValue"), value);
        const QString flag = m_grid->item(r, TitleFlag - 1)->checkState() == Qt::Checked
                                 ? QStringLiteral("1")
                                 : QStringLiteral("0");
        const QString entry = toText(value) + u'|' + flag;
        if (flag == u'1') {
            Dictionary title = Dictionary::create();
            const QString caption =
                m_grid->item(r, Caption - 1)->text() + QStringLiteral(": ") + toText(value);
            title.set(QStringLiteral("FCaption"), caption);
            title.set(QStringLiteral("FIndex"), qint32(m_titles.Count()));
            m_titles.Add(QVariant::fromValue(title));
        }
        const QString keyword = m_grid->item(r, Keyword - 1)->text().trimmed();
        record.set(QStringLiteral("FKeyword"), keyword);
        const QString lower = keyword.toLower();
        if ((lower == QLatin1String("#fsortrule#") || lower == QLatin1String("*fsortrule*")) &&
            toText(value).isEmpty()) {
            ui::showMessage(QStringLiteral("请输入排序规则。"), ui::MessageIcon::None, QString());
            return;
        }
        m_keywords.Add(QVariant::fromValue(record));
        settings::save(kApplication, m_rptKey, keyword, entry);
    }
    m_result.set(QStringLiteral("OK"), true);
    qApp->removeEventFilter(this);
    hide();
    ui::letMessagesRun();
}

bool frmSQLFilter::refuseUnsafeValue()
{
    QString sqlTemplate;
    try {
        Recordset rs = OpenLocalRecordset(
            QStringLiteral("Select FRepSql From T_RepSql Where FRepKey=") + QuoteSql(m_rptKey));
        if (!rs.atEOF())
            sqlTemplate = toText(NullToValue(rs.Fields(0).Value()));
    } catch (const std::exception &e) {
        // The expansion checks every value again before any SQL runs.
        qCWarning(lcKeywords) << "cannot read the template of" << m_rptKey << toError(e);
        return false;
    }
    QStringList markers;
    for (int r = 0; r < m_grid->rowCount(); ++r)
        markers.append(m_grid->item(r, Keyword - 1)->text().trimmed());
    const QList<bool> outside = markersOutsideQuotes(sqlTemplate, markers);
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        const QString value = toText(cellValue(m_grid->item(r, Value - 1)));
        if (!outside.at(r) || trimBlanks(value).isEmpty())
            continue;
        const LiteralKind kind = keywordLiteralKind(m_grid->item(r, ValueType - 1)->text());
        if (isLiteral(value, kind))
            continue;
        ShowMessage(refusalMessage(m_grid->item(r, Caption - 1)->text(), value, kind));
        m_grid->setCurrentCell(r, Value - 1);
        return true;
    }
    return false;
}

void frmSQLFilter::cmdCacel_Click()
{
    if (!m_result.isNull())
        m_result.set(QStringLiteral("OK"), false);
    Form_Unload();
}

QString frmSQLFilter::GetItemData(const QString &strKey)
{
    return LookupItem(strKey, LookupConnections::BusinessOnly);
}

void frmSQLFilter::lookUpActiveCell()
{
    const int row = m_grid->currentRow() + 1;
    const int column = m_grid->currentColumn() + 1;
    if (column != Value || row < 1)
        return;
    const QString source = m_grid->item(row - 1, SourceField - 1)->text().trimmed();
    if (source.isEmpty())
        return;
    const QString chosen = GetItemData(source);
    setCellText(m_grid->item(row - 1, Value - 1), chosen);
}

void frmSQLFilter::placeDropButton(int row)
{
    m_picShow->hide();
    if (row < 1 || row > m_grid->rowCount())
        return;
    if (m_grid->item(row - 1, SourceField - 1)->text().trimmed().isEmpty())
        return;
    // Right edge at the end of the value column; top at the row's top, with the grid's
    // allowance of 5 twips per row above it.
    const QRect grid = m_grid->geometry();
    const int left = grid.left() + m_grid->columnWidth(Caption - 1) +
                     m_grid->columnWidth(Value - 1) - m_picShow->width();
    int top = grid.top();
    int allowance = 0;
    for (int i = 0; i < row; ++i) {
        top += i == 0 ? m_grid->horizontalHeader()->height() : m_grid->rowHeight(i - 1);
        allowance += 5 * i;
    }
    top += (allowance + kTwipsPerPixel / 2) / kTwipsPerPixel;
    m_picShow->move(left, top);
    m_picShow->raise();
    m_picShow->show();
}

bool frmSQLFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_picShow && event->type() == QEvent::MouseButtonPress) {
        lookUpActiveCell();
        return true;
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    if (event->type() != QEvent::KeyPress || !widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // Enter moves on as Tab does, and never reaches a control.
        if (QWidget *focus = QApplication::focusWidget()) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(focus, &tab);
        }
        return true;
    }
    if (key->text() == QLatin1String("'"))
        return true;
    if (key->key() == Qt::Key_F7 && (widget == m_grid || m_grid->isAncestorOf(widget))) {
        lookUpActiveCell();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace varo::dialogs
