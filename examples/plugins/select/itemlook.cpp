#include "itemlook.h"

#include "common/pluginsupport.h"
#include "itemlookdialog.h"
#include "platform/ui.h"

#include <QApplication>

namespace varo::demo
{

namespace
{

struct Lookup {
    const char *key;
    const char16_t *title;
    const char *sql;
};

constexpr Lookup kLookups[] = {
    {"ITEM", u"选择商品", "select FNumber, FName from T_Item order by FNumber"},
    {"CUST", u"选择客户", "select FNumber, FName from T_Customer order by FNumber"},
    {"EMP", u"选择业务员", "select FNumber, FName from T_Employee order by FNumber"},
};

} // namespace

void ItemLook::ShowForm(const QString &key, QVariant &locConn, QVariant &sqlConn)
{
    Q_UNUSED(locConn);
    ShowForm(key, sqlConn);
}

void ItemLook::ShowForm(const QString &key, QVariant &sqlConn)
{
    const QString member = QStringLiteral("VaroSelect.clsItemLook.ShowForm");
    m_value.clear();
    const Lookup *lookup = nullptr;
    for (const Lookup &l : kLookups) {
        if (key.trimmed().compare(QLatin1String(l.key), Qt::CaseInsensitive) == 0)
            lookup = &l;
    }
    if (!lookup)
        throw invalidArgument(member, QStringLiteral("unknown lookup key \"%1\" "
                                                     "(ITEM, CUST or EMP)")
                                          .arg(key));
    Connection conn = connectionArgument(sqlConn, member);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        throw invalidArgument(member, QStringLiteral("a window is needed, but the process has "
                                                     "no QApplication"));

    Recordset rs = openQuery(conn, QString::fromLatin1(lookup->sql));
    QList<QPair<QString, QString>> entries;
    for (; !rs.atEOF(); rs.MoveNext())
        entries.append(
            {plainText(rs.Fields(0).Value()).trimmed(), plainText(rs.Fields(1).Value()).trimmed()});

    ItemLookDialog dialog(QString::fromUtf16(lookup->title), entries);
    if (ui::execModal(&dialog) == QDialog::Accepted)
        m_value = dialog.chosenCode();
}

} // namespace varo::demo
