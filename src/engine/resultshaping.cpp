#include "resultshaping.h"

#include "platform/error.h"
#include "platform/variant.h"
#include "shared/modglobal.h"

#include <QDate>
#include <QHash>
#include <bit>
#include <charconv>
#include <cmath>
#include <exception>
#include <functional>
#include <optional>
#include <vector>

namespace varo
{

void showError(const std::exception &e)
{
    const Error error = toError(e);
    ShowMessage(errorMessage(error.number(), error.description()));
}

Dictionary LoadSumColumns(const QString &sKey)
{
    Dictionary sums = Dictionary::create();
    Recordset rs =
        OpenLocalRecordset(QStringLiteral("Select * From T_RepHeadCaption Where FRepKey=") +
                           QuoteSql(sKey) + QStringLiteral(" Order by Findex"));
    while (!rs.atEOF()) {
        const QVariant name = NullToValue(rs.Fields(QStringLiteral("FRepColName")).Value());
        const QVariant flag =
            NullToValue(rs.Fields(QStringLiteral("FSumCol")).Value(), QStringLiteral("0"));
        sums.set(toText(name), flag);
        rs.MoveNext();
    }
    return sums;
}

namespace
{

// What a variant of a known type holds, read without the conversion machinery: a result has
// millions of values.
template <typename T> const T &held(const QVariant &value)
{
    return *static_cast<const T *>(value.constData());
}

qlonglong integerOf(const QVariant &value) // Int or LongLong
{
    return value.typeId() == QMetaType::Int ? held<int>(value) : held<qlonglong>(value);
}

// Row values as text, stored in the result's record table. Equal values of a column share one
// stored text: texts by the recordset's own string (the cursor hands out one string for equal
// texts), numbers and dates by their value. A column whose values rarely repeat soon stops
// looking them up.
class ColumnText
{
public:
    RecordTable::Text store(RecordTable &table, const QVariant &value)
    {
        const std::optional<Key> key = keyOf(value);
        if (m_pooling && key) {
            auto it = m_pool.constFind(*key);
            if (it != m_pool.cend()) {
                ++m_hits;
                return it->where;
            }
        }
        const RecordTable::Text where = storeText(table, value);
        if (m_pooling && key) {
            // The pool keeps the string alive, so its address names no other text meanwhile.
            m_pool.insert(*key, {value, where});
            if (m_pool.size() >= 4096 && m_hits < m_pool.size()) {
                m_pooling = false;
                m_pool.clear();
            }
        }
        return where;
    }

private:
    using Key = std::pair<int, quint64>; // type, and bits of a number or a date or a string

    struct Entry {
        QVariant value;
        RecordTable::Text where;
    };

    static std::optional<Key> keyOf(const QVariant &value)
    {
        switch (value.typeId()) {
        case QMetaType::QString:
            return Key(QMetaType::QString,
                       quint64(reinterpret_cast<quintptr>(
                           static_cast<const QString *>(value.constData())->constData())));
        case QMetaType::Double:
            return Key(QMetaType::Double, std::bit_cast<quint64>(held<double>(value)));
        case QMetaType::Int:
        case QMetaType::LongLong:
            return Key(QMetaType::LongLong, quint64(integerOf(value)));
        case QMetaType::QDate:
            return Key(QMetaType::QDate, quint64(held<QDate>(value).toJulianDay()));
        default:
            return std::nullopt;
        }
    }

    static RecordTable::Text storeText(RecordTable &table, const QVariant &value)
    {
        char buffer[32];
        switch (value.typeId()) {
        case QMetaType::QString:
            return table.store(trimmedView(*static_cast<const QString *>(value.constData())));
        case QMetaType::Double: {
            // As toText writes it: the shortest text that reads back as the same number.
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, held<double>(value)).ptr;
            return table.storeLatin1(buffer, end - buffer);
        }
        case QMetaType::Int:
        case QMetaType::LongLong: {
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, integerOf(value)).ptr;
            return table.storeLatin1(buffer, end - buffer);
        }
        default:
            return table.store(trimBlanks(toText(NullToValue(value))));
        }
    }

    static QStringView trimmedView(const QString &text)
    {
        QStringView view(text);
        while (!view.isEmpty() && view.front() == u' ')
            view = view.mid(1);
        while (!view.isEmpty() && view.back() == u' ')
            view.chop(1);
        return view;
    }

    QHash<Key, Entry> m_pool;
    qsizetype m_hits = 0;
    bool m_pooling = true;
};

// The number a sum column adds: the leading number of the row's text. A number that the text
// shows exactly (every finite one, in its shortest form) is taken as it is.
double summand(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double: {
        const double number = held<double>(value);
        return std::isfinite(number) ? number : 0.0;
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
        return double(integerOf(value));
    case QMetaType::QString:
        return leadingNumber(*static_cast<const QString *>(value.constData()));
    default:
        return leadingNumber(toText(NullToValue(value)));
    }
}

// BuildRowVector, with the sum columns from sumColumns (which may raise).
Vector rowVector(Recordset &rs, const std::function<Dictionary()> &sumColumns)
{
    try {
        if (rs.isNull() || rs.atEOF())
            return Vector();
        Vector rows = Vector::create();
        Dictionary totals = Dictionary::create();
        const Dictionary sums = sumColumns();
        const QStringList names = rs.fieldNames();
        const int fieldCount = int(names.size());

        // Fields of the same name share one entry, the later value winning as when set by
        // name.
        auto keys = std::make_shared<DictionaryKeys>();
        std::vector<int> slot(fieldCount);
        std::vector<bool> isSum(fieldCount);
        bool anySum = false;
        for (int f = 0; f < fieldCount; ++f) {
            slot[f] = keys->add(names.at(f));
            isSum[f] = sums.Exists(names.at(f)) &&
                       trimBlanks(toText(sums.value(names.at(f)))) == QLatin1String("1");
            anySum = anySum || isSum[f];
        }
        std::vector<double> accumulator(fieldCount, 0.0);
        std::vector<ColumnText> columns(fieldCount);

        // The records are stored together and share the key table.
        const std::shared_ptr<RecordTable> table = RecordTable::create(keys);
        if (rs.RecordCount() > 0)
            rows.reserve(rs.RecordCount() + 1);
        while (!rs.atEOF()) {
            const qsizetype r = table->addRow();
            RecordTable::Text *cells = table->row(r);
            for (int f = 0; f < fieldCount; ++f) {
                const QVariant value = rs.value(f);
                cells[slot[f]] = columns[f].store(*table, value);
                if (isSum[f])
                    accumulator[f] += summand(value);
            }
            rows.Add(QVariant::fromValue(table->record(r)));
            rs.MoveNext();
        }
        if (anySum) {
            for (int f = 0; f < fieldCount; ++f) {
                if (isSum[f])
                    totals.set(names.at(f), accumulator[f]);
            }
            totals.set(names.at(0), QStringLiteral("合计："));
            rows.Add(QVariant::fromValue(totals));
        }
        return rows;
    } catch (const std::exception &e) {
        showError(e);
        return Vector();
    }
}

} // namespace

Vector BuildRowVector(Recordset &rs, const QString &sKey)
{
    return rowVector(rs, [&sKey] { return LoadSumColumns(sKey); });
}

Vector OpenRowVector(Recordset &rs, const QString &sql, const QString &sKey)
{
    std::optional<Dictionary> sums;
    std::exception_ptr failure;
    try {
        sums = LoadSumColumns(sKey);
    } catch (...) {
        failure = std::current_exception(); // shown as BuildRowVector shows it, if rows come
    }
    rs = OpenSqlRecordset(sql);
    return rowVector(rs, [&] {
        if (failure)
            std::rethrow_exception(failure);
        return *sums;
    });
}

bool LoadProperties(ReportState &state, const QString &sKey)
{
    Q_UNUSED(sKey); // the catalogue query names the report by RptKey
    try {
        state.Property = Dictionary::create();
        Recordset rs = OpenLocalRecordset(
            QStringLiteral("select FRepKey,FRepName,FRepDesc,FRepCategory,FRepFormWid,"
                           "FRepFormHei,FRepType from T_RepList where frepkey='") +
            state.RptKey + QStringLiteral("' order by findex"));
        state.Property = RecordToDictionary(rs);
        state.Property.set(QStringLiteral("Name"),
                           state.Property.value(QStringLiteral("FRepName")));
        // fromValue keeps the constants 16-bit; QVariant(qint16) would hold an int.
        state.Property.set(QStringLiteral("RptProperty"), QVariant::fromValue(qint16(4)));
        state.Property.set(QStringLiteral("DetailRptID"), QVariant::fromValue(qint16(1075)));
        state.Property.set(QStringLiteral("bLongNumber"), true);
        state.Property.set(QStringLiteral("MegerCol"), QVariant::fromValue(qint16(0)));
        state.Property.set(QStringLiteral("MegerType"), QVariant::fromValue(qint16(0)));
        return true;
    } catch (const std::exception &e) {
        showError(e);
        return false;
    }
}

Dictionary AddHeaderColumn(Recordset &rs)
{
    auto text = [&rs](const char *field) {
        return toText(NullToValue(rs.Fields(QString::fromLatin1(field)).Value()));
    };
    Dictionary column = Dictionary::create();
    column.set(QStringLiteral("FColCaption"), text("FRepColCaption"));
    column.set(QStringLiteral("FHeadSecond"), text("FRepColSecond"));
    column.set(QStringLiteral("FColType"), text("FRepColType"));
    column.set(QStringLiteral("FColName"), text("FRepColName"));
    // fromValue: a plain QVariant constructor would widen the 16-bit integer to int.
    column.set(QStringLiteral("FVisible"),
               QVariant::fromValue(toInt16(
                   leadingNumber(toText(rs.Fields(QStringLiteral("FRepColVisible")).Value())))));
    return column;
}

bool LoadHeader(ReportState &state)
{
    try {
        QString sql = QStringLiteral("select FIndex,FRepKey,FRepColName,FRepColCaption,"
                                     "FRepColType,FRepColSecond,FRepColVisible from "
                                     "T_RepHeadCaption where frepkey='") +
                      state.RptKey;
        if (state.m_Multi == 1) {
            // Joined as text, a Null layout number is empty, like none at all.
            sql += QStringLiteral("' and FRepSerial='") + toText(NullToValue(state.m_RepSerial));
        }
        sql += QStringLiteral("' and FRepColVisible=1 order by findex");
        Recordset rs = OpenLocalRecordset(sql);
        if (state.m_PluginHeader.isNull())
            state.m_PluginHeader = Vector::create();
        if (rs.atEOF()) {
            if (state.m_PluginHeader.Count() == 0) {
                ShowMessage(QStringLiteral("报表表头信息为空！"));
                return false;
            }
            state.Header = Vector::create();
            state.Header.AddVector(state.m_PluginHeader);
            return true;
        }
        state.Header = Vector::create();
        while (!rs.atEOF()) {
            state.Header.Add(QVariant::fromValue(AddHeaderColumn(rs)));
            rs.MoveNext();
        }
        state.Header.AddVector(state.m_PluginHeader);
        return true;
    } catch (const std::exception &e) {
        showError(e);
        return false;
    }
}

} // namespace varo
