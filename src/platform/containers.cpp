#include "containers.h"

#include "error.h"
#include "errornumbers.h"

namespace varo
{

static Error notSet()
{
    return Error(ErrorNumber::ObjectNotSet,
                 QStringLiteral("Object variable or With block variable not set"));
}

Vector Vector::create()
{
    Vector v;
    v.d = std::make_shared<QList<QVariant>>();
    return v;
}

void Vector::Add(const QVariant &item)
{
    if (!d)
        throw notSet();
    d->append(item);
}

void Vector::AddVector(const Vector &other)
{
    if (!d || !other.d)
        throw notSet();
    if (d == other.d) {
        const QList<QVariant> copy = *other.d;
        d->append(copy);
    } else {
        d->append(*other.d);
    }
}

int Vector::Count() const
{
    if (!d)
        throw notSet();
    return int(d->size());
}

QVariant Vector::Item(int index) const
{
    if (!d)
        throw notSet();
    if (index < 0 || index >= d->size())
        throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return d->at(index);
}

const QList<QVariant> &Vector::items() const
{
    if (!d)
        throw notSet();
    return *d;
}

void Vector::reserve(qsizetype n)
{
    if (!d)
        throw notSet();
    d->reserve(n);
}

DictionaryKeys::DictionaryKeys(const QStringList &names)
{
    for (const QString &name : names)
        add(name);
}

int DictionaryKeys::indexOf(const QString &name) const
{
    return m_index.value(name.toCaseFolded(), -1);
}

int DictionaryKeys::add(const QString &name)
{
    const QString folded = name.toCaseFolded();
    auto it = m_index.constFind(folded);
    if (it != m_index.cend())
        return it.value();
    m_names.append(name);
    m_index.insert(folded, int(m_names.size() - 1));
    return int(m_names.size() - 1);
}

struct Dictionary::OwnValues {
    std::shared_ptr<DictionaryKeys> keys; // never changed while shared
    QList<QVariant> values;
};

// A Dictionary is either a row of a RecordTable (table set) or has values of its own.
struct Dictionary::Data {
    RecordTable *table = nullptr;
    qsizetype row = 0;
    std::unique_ptr<OwnValues> values;
};

Dictionary Dictionary::create()
{
    Dictionary dict;
    dict.d = std::make_shared<Data>();
    dict.d->values = std::make_unique<OwnValues>();
    dict.d->values->keys = std::make_shared<DictionaryKeys>();
    return dict;
}

Dictionary Dictionary::withKeys(std::shared_ptr<const DictionaryKeys> keys)
{
    Dictionary dict;
    dict.d = std::make_shared<Data>();
    dict.d->values = std::make_unique<OwnValues>();
    dict.d->values->values.resize(keys->count());
    // Shared tables are copied before any change (see set), so dropping const is safe.
    dict.d->values->keys = std::const_pointer_cast<DictionaryKeys>(std::move(keys));
    return dict;
}

Dictionary::OwnValues &Dictionary::own() const
{
    if (!d)
        throw notSet();
    if (d->table) {
        auto values = std::make_unique<OwnValues>();
        values->keys = std::const_pointer_cast<DictionaryKeys>(d->table->m_keys);
        const QString *cells = d->table->row(d->row);
        values->values.reserve(d->table->m_width);
        for (int i = 0; i < d->table->m_width; ++i)
            values->values.append(cells[i]);
        d->values = std::move(values);
        d->table = nullptr;
    }
    return *d->values;
}

void Dictionary::set(const QString &name, const QVariant &value)
{
    if (!d)
        throw notSet();
    if (d->table && value.typeId() == QMetaType::QString) {
        const int i = d->table->m_keys->indexOf(name);
        if (i >= 0) {
            d->table->row(d->row)[i] = value.toString();
            return;
        }
    }
    OwnValues &own = this->own();
    int i = own.keys->indexOf(name);
    if (i < 0) {
        // The key table may be shared with other records: give this one its own copy first.
        if (own.keys.use_count() > 1)
            own.keys = std::make_shared<DictionaryKeys>(*own.keys);
        i = own.keys->add(name);
        own.values.resize(own.keys->count());
    }
    own.values[i] = value;
}

QVariant Dictionary::value(const QString &name) const
{
    if (!d)
        throw notSet();
    if (d->table) {
        const int i = d->table->m_keys->indexOf(name);
        return i < 0 ? QVariant() : QVariant(d->table->row(d->row)[i]);
    }
    const int i = d->values->keys->indexOf(name);
    return i < 0 ? QVariant() : d->values->values.at(i);
}

bool Dictionary::Exists(const QString &name) const
{
    if (!d)
        throw notSet();
    const DictionaryKeys &keys = d->table ? *d->table->m_keys : *d->values->keys;
    return keys.indexOf(name) >= 0;
}

int Dictionary::Count() const
{
    if (!d)
        throw notSet();
    return d->table ? d->table->m_width : d->values->keys->count();
}

QString Dictionary::keyAt(int i) const
{
    if (!d)
        throw notSet();
    return d->table ? d->table->m_keys->name(i) : d->values->keys->name(i);
}

QVariant Dictionary::valueAt(int i) const
{
    if (!d)
        throw notSet();
    return d->table ? QVariant(d->table->row(d->row)[i]) : d->values->values.at(i);
}

void Dictionary::setAt(int i, const QVariant &value)
{
    if (!d)
        throw notSet();
    if (d->table && value.typeId() == QMetaType::QString) {
        d->table->row(d->row)[i] = value.toString();
        return;
    }
    own().values[i] = value;
}

QStringList Dictionary::keys() const
{
    QStringList names;
    for (int i = 0; i < Count(); ++i)
        names.append(keyAt(i));
    return names;
}

std::shared_ptr<RecordTable> RecordTable::create(std::shared_ptr<const DictionaryKeys> keys)
{
    std::shared_ptr<RecordTable> table(new RecordTable);
    table->m_width = keys->count();
    table->m_keys = std::move(keys);
    return table;
}

RecordTable::~RecordTable() = default;

qsizetype RecordTable::addRow()
{
    const qsizetype r = m_rows;
    if (r % kChunkRows == 0) {
        m_cells.push_back(std::make_unique<QString[]>(size_t(kChunkRows * m_width)));
        m_records.push_back(std::make_unique<Dictionary::Data[]>(size_t(kChunkRows)));
    }
    Dictionary::Data &record = m_records.back()[size_t(r % kChunkRows)];
    record.table = this;
    record.row = r;
    ++m_rows;
    return r;
}

Dictionary RecordTable::record(qsizetype r)
{
    // The record shares the table's ownership: no allocation per row.
    Dictionary dict;
    dict.d = std::shared_ptr<Dictionary::Data>(
        shared_from_this(), &m_records[size_t(r / kChunkRows)][size_t(r % kChunkRows)]);
    return dict;
}

} // namespace varo
