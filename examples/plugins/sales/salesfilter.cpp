#include "salesfilter.h"

#include "common/pluginsupport.h"
#include "platform/ui.h"
#include "salesfilterdialog.h"

#include <QApplication>
#include <algorithm>

namespace varo::demo
{

QVariant SalesFilter::returnCondition() const
{
    return m_condition.isNull() ? QVariant() : QVariant::fromValue(m_condition);
}

void SalesFilter::ShowCondition(QVariant &locConn, QVariant &sqlConn)
{
    Q_UNUSED(locConn);
    const QString member = QStringLiteral("VaroDemo.SalesFilter.ShowCondition");
    m_sure = false;
    m_condition = Dictionary();
    Connection conn = connectionArgument(sqlConn, member);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        throw invalidArgument(member, QStringLiteral("a window is needed, but the process has "
                                                     "no QApplication"));

    Recordset rs = openQuery(conn, QStringLiteral("select distinct FRegion from T_Customer"));
    QStringList regions;
    for (; !rs.atEOF(); rs.MoveNext())
        regions.append(plainText(rs.Fields(0).Value()).trimmed());
    // By code point, the same on every server (their collations order Chinese differently).
    std::sort(regions.begin(), regions.end());

    SalesFilterDialog dialog(regions);
    if (ui::execModal(&dialog) != QDialog::Accepted)
        return;
    m_condition = dialog.filter().toDictionary();
    m_sure = true;
}

} // namespace varo::demo
