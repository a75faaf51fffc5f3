#include "frmcondition.h"

#include "dialogs/condition/conditionfilter.h"
#include "dialogs/condition/datepicker.h"
#include "dialogs/condition/frmconditionlayout.h"
#include "dialogs/dialogfont.h"
#include "dialogs/twips.h"
#include "platform/error.h"
#include "platform/errornumbers.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/variant.h"
#include "shared/modglobal.h"
#include "shared/sqlvalues.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <type_traits>

namespace varo::dialogs
{

namespace layout = conditionlayout;

namespace
{

const QString kApplication = QStringLiteral("PelReportCenter");
constexpr const char *kTagProperty = "Tag";
constexpr int kKeyF7 = 118;

QString tagOf(const QWidget *control)
{
    return control->property(kTagProperty).toString();
}

void setControlTag(QWidget *control, const QString &tag)
{
    control->setProperty(kTagProperty, tag);
}

// "Shown" is the control's own visibility, whether or not the dialog is on screen yet.
bool shown(const QWidget *control)
{
    return !control->isHidden();
}

QString fieldText(Recordset &rs, const char *name)
{
    return toText(NullToValue(rs.Fields(QString::fromLatin1(name)).Value()));
}

// Shift state as the dialogs' key events carry it.
int shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

// Function keys numbered as the dialogs know them (F1 is 112); other keys by their Qt code.
int keyCode(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    return qtKey;
}

} // namespace

FrmCondition::FrmCondition(QWidget *parent) : UnloadingDialog(parent)
{
    setObjectName(QStringLiteral("FrmCondition"));
    setWindowTitle(QStringLiteral("过滤"));
    setFont(dialogFont());
    setTwipsClientSize(this, layout::kClientWidth, layout::kClientHeight);
    buildDesign();
    buildSchemePanel();
}

FrmCondition::~FrmCondition() = default;

// The next element of a control array: named after its array with its index, placed in twips,
// hidden until a filter row shows it.
template <class Control>
void FrmCondition::addElement(QList<Control *> &group, QWidget *frame, const QString &name,
                              const QRect &twips)
{
    auto *control = new Control(frame);
    control->setObjectName(name + QString::number(group.size()));
    setTwipsGeometry(control, twips);
    control->hide();
    if constexpr (std::is_same_v<Control, QLineEdit>) {
        control->installEventFilter(this); // F7
    } else if constexpr (std::is_same_v<Control, QToolButton>) {
        control->setArrowType(Qt::DownArrow);
        control->setFocusPolicy(Qt::NoFocus);
    }
    group.append(control);
}

// Grown elements stand one row step below the element before them, at its left edge.
template <class Control> void FrmCondition::growGroup(QList<Control *> &group, const char *name)
{
    addElement(group, group.last()->parentWidget(), QString::fromLatin1(name),
               twipsGeometry(group.last()).translated(0, layout::kRowStep));
}

void FrmCondition::buildDesign()
{
    m_mstFilter = new QTabWidget(this);
    m_mstFilter->setObjectName(QStringLiteral("mstFilter"));
    setTwipsGeometry(m_mstFilter, layout::mstFilter);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabCondition"));
    m_mstFilter->addTab(page, QStringLiteral("条件"));

    auto frame = [page](const char *name, const QRect &twips) {
        auto *f = new QGroupBox(page);
        f->setObjectName(QString::fromLatin1(name));
        setTwipsGeometry(f, twips);
        f->hide();
        return f;
    };
    m_fradate = frame("fradate", layout::fradate);
    m_fraItem = frame("fraItem", layout::fraItem);
    m_fracmb = frame("fracmb", layout::fracmb);

    Rows &r = m_rows;
    addElement(r.lblDateFrom, m_fradate, QStringLiteral("lblDateFrom"), layout::lblDateFrom);
    addElement(r.DtpBDate, m_fradate, QStringLiteral("DtpBDate"), layout::DtpBDate);
    addElement(r.lblDateTo, m_fradate, QStringLiteral("lblDateTo"), layout::lblDateTo);
    addElement(r.DtpEDate, m_fradate, QStringLiteral("DtpEDate"), layout::DtpEDate);
    addElement(r.lblcap, m_fraItem, QStringLiteral("lblcap"), layout::lblcap);
    addElement(r.txtItemf, m_fraItem, QStringLiteral("txtItemf"), layout::txtItemf);
    addElement(r.cmdItemf, m_fraItem, QStringLiteral("cmdItemf"), layout::cmdItemf);
    addElement(r.lblcapt, m_fraItem, QStringLiteral("lblcapt"), layout::lblcapt);
    addElement(r.txtItemt, m_fraItem, QStringLiteral("txtItemt"), layout::txtItemt);
    addElement(r.cmdItemt, m_fraItem, QStringLiteral("cmdItemt"), layout::cmdItemt);
    connect(r.cmdItemf.first(), &QToolButton::clicked, this, [this] { cmdItemf_Click(0); });
    connect(r.cmdItemt.first(), &QToolButton::clicked, this, [this] { cmdItemt_Click(0); });

    for (int j = 0; j < 4; ++j) {
        addElement(r.lblcmb, m_fracmb, QStringLiteral("lblcmb"), layout::lblcmb.at(j));
        addElement(r.cmb, m_fracmb, QStringLiteral("cmb"), layout::cmb.at(j));
    }

    // The design's order of the condition controls: the "to" box of the first text row comes
    // before its "from" box.
    m_controlOrder = {r.cmb.at(0),      r.cmb.at(1),      r.cmb.at(2),      r.cmb.at(3),
                      r.DtpBDate.at(0), r.DtpEDate.at(0), r.txtItemt.at(0), r.txtItemf.at(0)};

    auto button = [this](const char *name, const QString &caption, const QRect &twips) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        // Enter in a field does not end the dialog; only the buttons and their Alt keys do.
        b->setAutoDefault(false);
        setTwipsGeometry(b, twips);
        return b;
    };
    connect(button("cmdOK", QStringLiteral("确定(&O)"), layout::cmdOK), &QPushButton::clicked, this,
            &FrmCondition::cmdOK_Click);
    connect(button("cmdCacel", QStringLiteral("取消(&E)"), layout::cmdCacel), &QPushButton::clicked,
            this, &FrmCondition::cmdCacel_Click);
}

void FrmCondition::buildSchemePanel()
{
    // Saved filter schemes were planned here; the panel stays hidden and only "clear" works.
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("picProject"));
    auto *row = new QHBoxLayout(panel);
    auto *caption = new QLabel(QStringLiteral("方案:"), panel);
    caption->setObjectName(QStringLiteral("lblProject"));
    auto *list = new QListWidget(panel);
    list->setObjectName(QStringLiteral("lvwProject"));
    auto *toolbar = new QToolBar(panel);
    toolbar->setObjectName(QStringLiteral("tlbProject"));
    auto action = [toolbar](const char *key, const QString &caption) {
        QAction *a = toolbar->addAction(caption);
        a->setObjectName(QString::fromLatin1(key));
        return a;
    };
    action("tlbSave", QStringLiteral("保存"));
    action("tlbDel", QStringLiteral("删除"));
    action("tlbClear", QStringLiteral("清除"));
    QAction *view = action("tlbView", QStringLiteral("查看"));
    auto *menu = new QMenu(panel);
    for (const QString &entry : {QStringLiteral("大图标(&G)"), QStringLiteral("小图表(&M)"),
                                 QStringLiteral("列表(&L)"), QStringLiteral("详细资料(&D)")})
        menu->addAction(entry);
    view->setMenu(menu);
    connect(toolbar, &QToolBar::actionTriggered, this, &FrmCondition::tlbProject_ButtonClick);
    row->addWidget(caption);
    row->addWidget(list);
    row->addWidget(toolbar);
    panel->hide();
}

bool FrmCondition::InitData(const QString &sKey, const QString &sVal)
{
    Q_UNUSED(sVal);
    m_repKey = sKey;
    try {
        {
            Recordset catalogue = OpenCatalogueRow(sKey);
            m_repType =
                gRepType() != -1
                    ? QString::number(gRepType())
                    : QString::number(qint64(leadingNumber(fieldText(catalogue, "FRepType"))));
            m_repName = fieldText(catalogue, "FRepName");
            m_pluginServer = fieldText(catalogue, "FRepPluginSvr");
            m_subFlag = fieldText(catalogue, "FRepSub");
        }
        if (m_pluginServer.isEmpty() && m_subFlag != QLatin1String("1")) {
            ShowMessage(QStringLiteral("报表由插件实现,插件名不可为空，请修改报表信息!"));
            return false;
        }
        EnsureColumn(gLocConn(), QStringLiteral("T_RepFilter"), QStringLiteral("FGroupStr"));
        Recordset filters =
            OpenLocalRecordset(QStringLiteral("Select * From T_RepFilter Where FRepKey='") + sKey +
                               QStringLiteral("' Order By FIndex"));
        if (filters.atEOF()) {
            ShowMessage(QStringLiteral("过滤条件为空，请为报表添加过滤条件!"));
            return false;
        }
        BuildConditionControls(filters);
        RememberValues(m_repKey, 0);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

int FrmCondition::growDateRow()
{
    Rows &r = m_rows;
    growGroup(r.lblDateFrom, "lblDateFrom");
    growGroup(r.DtpBDate, "DtpBDate");
    growGroup(r.lblDateTo, "lblDateTo");
    growGroup(r.DtpEDate, "DtpEDate");
    m_controlOrder << r.DtpBDate.last() << r.DtpEDate.last();
    return int(r.DtpBDate.size()) - 1;
}

int FrmCondition::growTextRow()
{
    Rows &r = m_rows;
    growGroup(r.lblcap, "lblcap");
    growGroup(r.txtItemf, "txtItemf");
    growGroup(r.cmdItemf, "cmdItemf");
    growGroup(r.lblcapt, "lblcapt");
    growGroup(r.txtItemt, "txtItemt");
    growGroup(r.cmdItemt, "cmdItemt");
    const int k = int(r.txtItemf.size()) - 1;
    connect(r.cmdItemf.at(k), &QToolButton::clicked, this, [this, k] { cmdItemf_Click(k); });
    connect(r.cmdItemt.at(k), &QToolButton::clicked, this, [this, k] { cmdItemt_Click(k); });
    m_controlOrder << r.txtItemf.at(k) << r.txtItemt.at(k);
    return k;
}

void FrmCondition::BuildConditionControls(Recordset &rs)
{
    Rows &r = m_rows;
    bool dates = false;
    bool texts = false;
    try {
        UnloadConditionControls();
        const qsizetype count = rs.RecordCount();
        for (qsizetype n = 0; n < count; ++n) {
            const FilterRow row = FilterRow::read(rs);
            if (row.ctrlType == ControlType::Date) {
                dates = true;
                const int k = r.lblDateFrom.first()->isHidden() && r.lblDateTo.first()->isHidden()
                                  ? 0
                                  : growDateRow();
                if (row.fromDefined()) {
                    r.lblDateFrom.at(k)->setText(row.caption);
                    r.lblDateFrom.at(k)->show();
                    r.DtpBDate.at(k)->show();
                    setControlTag(r.DtpBDate.at(k), row.fromTag());
                }
                if (row.toDefined()) {
                    r.lblDateTo.at(k)->setText(row.to);
                    r.lblDateTo.at(k)->show();
                    r.DtpEDate.at(k)->show();
                    setControlTag(r.DtpEDate.at(k), row.toTag());
                }
            } else if (row.ctrlType == ControlType::Text) {
                texts = true;
                const int k = r.lblcap.first()->isHidden() && r.lblcapt.first()->isHidden()
                                  ? 0
                                  : growTextRow();
                const bool lookup = !trimBlanks(row.ctrlSel).isEmpty();
                if (row.fromDefined()) {
                    r.lblcap.at(k)->setText(row.caption);
                    r.lblcap.at(k)->show();
                    r.txtItemf.at(k)->show();
                    setControlTag(r.txtItemf.at(k), row.fromTag());
                    r.cmdItemf.at(k)->setVisible(lookup);
                }
                if (row.toDefined()) {
                    r.lblcapt.at(k)->setText(row.to);
                    r.lblcapt.at(k)->show();
                    r.txtItemt.at(k)->show();
                    setControlTag(r.txtItemt.at(k), row.toTag());
                    r.cmdItemt.at(k)->setVisible(lookup);
                }
            }
            rs.MoveNext();
        }

        // Placed from the text frame's design position, before the final layout moves it.
        const QRect item = twipsGeometry(m_fraItem);
        QRect choices = twipsGeometry(m_fracmb);
        choices.moveTo(item.left(), item.top() + item.height() + layout::kChoiceGap);
        choices.setWidth(item.width());
        setTwipsGeometry(m_fracmb, choices);

        rs.MoveFirst();
        while (!rs.atEOF()) {
            const FilterRow row = FilterRow::read(rs);
            if (row.ctrlType == ControlType::Choice) {
                m_fracmb->show();
                int j = 0;
                while (j < 4 && shown(r.lblcmb.at(j)))
                    ++j;
                if (j < 4) {
                    r.lblcmb.at(j)->show();
                    r.cmb.at(j)->show();
                    r.lblcmb.at(j)->setText(row.caption);
                    r.cmb.at(j)->clear();
                    setControlTag(r.cmb.at(j), row.markFrom);
                    if (!row.filterFrom.isEmpty())
                        r.cmb.at(j)->addItems(row.filterFrom.split(u','));
                    r.cmb.at(j)->setCurrentIndex(-1);
                }
            }
            rs.MoveNext();
        }

        const QRect date = twipsGeometry(m_fradate);
        if (dates) {
            m_fradate->show();
            const QRect last = twipsGeometry(r.DtpBDate.last());
            setTwipsHeight(m_fradate, last.top() + last.height() + layout::kFrameBottomMargin);
            const QRect grown = twipsGeometry(m_fradate);
            setTwipsTop(m_fraItem, grown.top() + grown.height() + layout::kFrameGap);
        } else {
            m_fradate->hide();
            setTwipsTop(m_fraItem, date.top());
        }
        if (texts) {
            m_fraItem->show();
            const QRect last = twipsGeometry(r.txtItemf.last());
            setTwipsHeight(m_fraItem, last.top() + last.height() + layout::kFrameBottomMargin);
        } else {
            m_fraItem->hide();
        }
    } catch (const std::exception &e) {
        // What was built so far stays; the dialog still opens.
        ui::showMessage(toError(e).description(), ui::MessageIcon::None, QString());
    }
}

void FrmCondition::UnloadConditionControls()
{
    Rows &r = m_rows;
    auto unload = [this](auto &group) {
        while (group.size() > 1) {
            QWidget *element = group.takeLast();
            m_controlOrder.removeOne(element);
            delete element;
        }
    };
    unload(r.lblDateFrom);
    unload(r.DtpBDate);
    unload(r.lblDateTo);
    unload(r.DtpEDate);
    unload(r.lblcap);
    unload(r.txtItemf);
    unload(r.cmdItemf);
    unload(r.lblcapt);
    unload(r.txtItemt);
    unload(r.cmdItemt);
}

Dictionary FrmCondition::ReturnVal() const
{
    return ComposeFilter();
}

Dictionary FrmCondition::ComposeFilter() const
{
    QList<ConditionEntry> entries;
    for (QWidget *control : m_controlOrder) {
        ConditionEntry entry;
        entry.tag = tagOf(control);
        if (entry.tag.isEmpty())
            continue;
        if (auto *choice = qobject_cast<QComboBox *>(control)) {
            entry.kind = ConditionEntry::Kind::Choice;
            entry.value = choice->currentText();
        } else if (auto *picker = qobject_cast<DatePicker *>(control)) {
            entry.kind = ConditionEntry::Kind::Date;
            entry.value = picker->value();
            if (!picker->isEmpty())
                entry.filterValue = filterDate(picker->date(), m_rows.DtpBDate.contains(picker));
        } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
            entry.value = box->text();
            entry.filterValue = box->text();
        }
        entries << entry;
    }
    return composeConditionValues(entries, {m_repName, m_pluginServer, m_subFlag, m_subValue});
}

void FrmCondition::BuildFilterTitle()
{
    const Rows &r = m_rows;
    m_filterTitle = Vector::create();
    auto entry = [this](qint16 index, const QString &caption) {
        Dictionary line = Dictionary::create();
        line.set(QStringLiteral("Findex"), index);
        line.set(QStringLiteral("FCaption"), caption);
        m_filterTitle.Add(QVariant::fromValue(line));
    };
    // An empty picker adds no date to its caption.
    auto dated = [](const DatePicker *picker) -> QString {
        const QString date =
            picker->isEmpty() ? QString() : picker->date().toString(QStringLiteral("yyyy-MM-dd"));
        return tagPart(tagOf(picker), 3) + date;
    };
    for (qsizetype i = 0; i < r.DtpBDate.size(); ++i) {
        if (shown(r.DtpBDate.at(i)) || shown(r.DtpEDate.at(i))) {
            entry(0, dated(r.DtpBDate.at(i)));
            entry(1, dated(r.DtpEDate.at(i)));
        }
    }
    qint16 n = 2;
    for (qsizetype i = 0; i < r.txtItemf.size(); ++i) {
        if (shown(r.txtItemf.at(i)) || shown(r.txtItemt.at(i)))
            entry(n++, textRangeTitle(tagPart(tagOf(r.txtItemf.at(i)), 3), r.txtItemf.at(i)->text(),
                                      r.txtItemt.at(i)->text()));
    }
}

void FrmCondition::RememberValues(const QString &sKey, int mode)
{
    if (mode != -1 && mode != 0 && mode != 1)
        return;
    for (QWidget *control : m_controlOrder) {
        if (tagOf(control).isEmpty())
            continue;
        if (auto *picker = qobject_cast<DatePicker *>(control)) {
            // Pickers are remembered by name alone: all "from" dates of a report share one.
            const QString key = m_rows.DtpBDate.contains(picker) ? QStringLiteral("DtpBDate")
                                                                 : QStringLiteral("DtpEDate");
            if (mode == -1) {
                picker->setValue(QDate::currentDate());
            } else if (mode == 0) {
                const QString stored = settings::get(kApplication, sKey, key);
                picker->setValue(stored.isEmpty() ? QDate::currentDate() : rememberedDate(stored));
            } else if (!picker->isEmpty()) {
                // An open date is not remembered: the last date stays for next time.
                settings::save(kApplication, sKey, key,
                               picker->date().toString(QStringLiteral("yyyy-MM-dd")));
            }
        } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
            const QString key = box->objectName();
            if (mode == -1)
                box->clear();
            else if (mode == 0)
                box->setText(settings::get(kApplication, sKey, key));
            else
                settings::save(kApplication, sKey, key, box->text());
        }
    }
}

bool FrmCondition::refuseUnsafeValue()
{
    const Rows &r = m_rows;
    for (qsizetype i = 0; i < r.txtItemf.size(); ++i) {
        for (QLineEdit *box : {r.txtItemf.at(i), r.txtItemt.at(i)}) {
            const QString tag = tagOf(box);
            if (tag.isEmpty() || box->text().isEmpty())
                continue;
            const QString refusal =
                textValueRefusal(tagPart(tag, 0), tagPart(tagOf(r.txtItemf.at(i)), 3), box->text());
            if (!refusal.isEmpty()) {
                ShowMessage(refusal);
                box->setFocus();
                return true;
            }
        }
    }
    return false;
}

void FrmCondition::cmdOK_Click()
{
    if (refuseUnsafeValue())
        return;
    try {
        RememberValues(m_repKey, 1);
        BuildFilterTitle();
    } catch (const std::exception &e) {
        const Error error = toError(e);
        ShowMessage(errorMessage(error.number(), error.description()));
        return;
    }
    m_tag = QStringLiteral("OK");
    hide();
}

void FrmCondition::cmdCacel_Click()
{
    m_tag = QStringLiteral("CANCEL");
    hide();
}

void FrmCondition::lookUp(QLineEdit *box)
{
    const QString chosen = LookupItem(tagPart(tagOf(box), 1));
    if (!chosen.isEmpty())
        box->setText(chosen);
}

void FrmCondition::cmdItemf_Click(int Index)
{
    if (Index >= 0 && Index < m_rows.txtItemf.size())
        lookUp(m_rows.txtItemf.at(Index));
}

void FrmCondition::cmdItemt_Click(int Index)
{
    if (Index >= 0 && Index < m_rows.txtItemt.size())
        lookUp(m_rows.txtItemt.at(Index));
}

void FrmCondition::txtItemf_KeyDown(int Index, int KeyCode, int Shift)
{
    Q_UNUSED(Shift);
    if (KeyCode == kKeyF7)
        cmdItemf_Click(Index);
}

void FrmCondition::txtItemt_KeyDown(int Index, int KeyCode, int Shift)
{
    Q_UNUSED(Shift);
    if (KeyCode == kKeyF7)
        cmdItemt_Click(Index);
}

void FrmCondition::tlbProject_ButtonClick(QAction *Button)
{
    if (Button && Button->objectName() == QLatin1String("tlbClear"))
        RememberValues(m_repKey, -1);
}

void FrmCondition::Form_KeyDown(int KeyCode, int Shift)
{
    Q_UNUSED(KeyCode);
    Q_UNUSED(Shift);
}

void FrmCondition::Form_Unload()
{
    m_filterTitle = Vector();
}

bool FrmCondition::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const int code = keyCode(key->key());
        const int shift = shiftState(key->modifiers());
        auto *box = qobject_cast<QLineEdit *>(watched);
        if (const int i = int(m_rows.txtItemf.indexOf(box)); box && i >= 0)
            txtItemf_KeyDown(i, code, shift);
        else if (const int t = int(m_rows.txtItemt.indexOf(box)); box && t >= 0)
            txtItemt_KeyDown(t, code, shift);
        Form_KeyDown(code, shift);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace varo::dialogs
