#include "datepicker.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>

namespace varo::dialogs
{

DatePicker::DatePicker(QWidget *parent) : QDateEdit(QDate::currentDate(), parent)
{
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    setCalendarPopup(true);
    m_check = new QCheckBox(this);
    m_check->setObjectName(QStringLiteral("chkValue"));
    m_check->setFocusPolicy(Qt::NoFocus);
    m_check->setChecked(true);
    connect(m_check, &QCheckBox::toggled, this, [this](bool checked) { setEmpty(!checked); });
    // A date typed or picked means the condition is wanted again.
    connect(this, &QDateEdit::dateChanged, this, [this] { setEmpty(false); });
    showState();
}

QVariant DatePicker::value() const
{
    return m_empty ? QVariant() : QVariant(date());
}

void DatePicker::setValue(QDate date)
{
    setEmpty(false);
    setDate(date);
}

void DatePicker::setEmpty(bool empty)
{
    if (empty == m_empty)
        return;
    m_empty = empty;
    showState();
    Q_EMIT emptyChanged(empty);
}

void DatePicker::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        setEmpty(!m_empty);
        return;
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::resizeEvent(QResizeEvent *event)
{
    QDateEdit::resizeEvent(event);
    const QSize box = m_check->sizeHint();
    m_check->setGeometry(2, (height() - box.height()) / 2, box.width(), box.height());
    lineEdit()->setTextMargins(box.width(), 0, 0, 0);
}

void DatePicker::showState()
{
    const QSignalBlocker blocker(m_check);
    m_check->setChecked(!m_empty);
    // An open condition shows its date greyed, as a reminder of what a tick brings back.
    QPalette p = lineEdit()->palette();
    p.setColor(QPalette::Text,
               palette().color(m_empty ? QPalette::Disabled : QPalette::Active, QPalette::Text));
    lineEdit()->setPalette(p);
}

} // namespace varo::dialogs
