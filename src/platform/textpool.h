// Texts of one result column decoded once each: the cursors hand out one shared string for
// equal texts, which saves the decoding and the memory of repeated values.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

namespace varo
{

// Equal texts of a column share one string and are decoded once. A column whose texts rarely
// repeat stops pooling, so unique values cost no lookup.
class TextPool
{
public:
    QString text(const char *utf8, int bytes)
    {
        if (!m_active)
            return QString::fromUtf8(utf8, bytes);
        const QByteArray probe = QByteArray::fromRawData(utf8, bytes);
        auto it = m_pool.constFind(probe);
        if (it != m_pool.cend()) {
            ++m_hits;
            return it.value();
        }
        const QString decoded = QString::fromUtf8(utf8, bytes);
        m_pool.insert(QByteArray(utf8, bytes), decoded);
        if (m_pool.size() >= 4096 && m_hits < m_pool.size()) {
            m_active = false;
            m_pool.clear();
        }
        return decoded;
    }

    QVariant share(const QVariant &value)
    {
        if (!m_active || value.typeId() != QMetaType::QString)
            return value;
        const QString text = value.toString();
        const QByteArray key = text.toUtf8();
        return QVariant(this->text(key.constData(), int(key.size())));
    }

private:
    QHash<QByteArray, QString> m_pool;
    qsizetype m_hits = 0;
    bool m_active = true;
};

} // namespace varo
