#include "sqlinsert.h"

#include "common/demoerrors.h"
#include "platform/error.h"
#include "platform/variant.h"

#include <QLocale>

namespace varo::demo
{

QString sqlLiteral(const QVariant &value)
{
    if (!value.isValid() || varo::isNull(value))
        return QStringLiteral("null");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return value.toString();
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default: {
        QString text = value.toString();
        text.replace(u'\'', QStringLiteral("''"));
        return u'\'' + text + u'\'';
    }
    }
}

InsertBuilder::InsertBuilder(const QString &table, const QStringList &columns, int rowsPerStatement)
    : m_head(QStringLiteral("insert into ") + table + QStringLiteral(" (") +
             columns.join(QStringLiteral(", ")) + QStringLiteral(") values ")),
      m_columnCount(int(columns.size())), m_rowsPerStatement(qMax(1, rowsPerStatement))
{
}

void InsertBuilder::addRow(const QVariantList &values)
{
    if (values.size() != m_columnCount)
        throw Error(ErrorNumber::InvalidArgument,
                    QStringLiteral("demo data row with %1 values for %2 columns: %3")
                        .arg(values.size())
                        .arg(m_columnCount)
                        .arg(m_head));
    QStringList literals;
    literals.reserve(values.size());
    for (const QVariant &v : values)
        literals.append(sqlLiteral(v));
    m_rows.append(u'(' + literals.join(QStringLiteral(", ")) + u')');
    ++m_rowCount;
}

QStringList InsertBuilder::statements() const
{
    QStringList result;
    for (qsizetype first = 0; first < m_rows.size(); first += m_rowsPerStatement)
        result.append(m_head + m_rows.mid(first, m_rowsPerStatement).join(QStringLiteral(", ")));
    return result;
}

} // namespace varo::demo
