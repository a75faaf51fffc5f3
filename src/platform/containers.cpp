#include "containers.h"

#include "bulkmemory.h"

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
        values->values.reserve(d->table->m_width);
        for (int i = 0; i < d->table->m_width; ++i)
            values->values.append(d->table->cell(d->row, i).toString());
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
            d->table->setCell(d->row, i, d->table->store(value.toString()));
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
        return i < 0 ? QVariant() : QVariant(d->table->cell(d->row, i).toString());
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
    return d->table ? QVariant(d->table->cell(d->row, i).toString()) : d->values->values.at(i);
}

void Dictionary::setAt(int i, const QVariant &value)
{
    if (!d)
        throw notSet();
    if (d->table && value.typeId() == QMetaType::QString) {
        d->table->setCell(d->row, i, d->table->store(value.toString()));
        return;
    }
    own().values[i] = value;
}

std::optional<QStringView> Dictionary::textAt(int i) const
{
    if (!d)
        throw notSet();
    if (d->table)
        return d->table->cell(d->row, i);
    const QVariant &value = d->values->values.at(i);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return QStringView(*static_cast<const QString *>(value.constData()));
}

std::shared_ptr<const DictionaryKeys> Dictionary::keyTable() const
{
    if (!d)
        throw notSet();
    if (d->table)
        return d->table->m_keys;
    return d->values->keys;
}

QStringList Dictionary::keys() const
{
    QStringList names;
    for (int i = 0; i < Count(); ++i)
        names.append(keyAt(i));
    return names;
}

// Rows come in chunks that never move, so records can point into them while rows are still
// being added. Chunks grow from a few rows to many, so that a short result stays small.
struct RecordTable::Chunk {
    qsizetype firstRow;
    qsizetype capacity;
    BulkBlock cells;   // capacity * width Texts
    BulkBlock records; // capacity Dictionary::Data, built as rows are added
    qsizetype used = 0;

    Text *cellsOf(qsizetype row, int width) const
    {
        return static_cast<Text *>(cells.data()) + (row - firstRow) * width;
    }
    Dictionary::Data *recordOf(qsizetype row) const
    {
        return static_cast<Dictionary::Data *>(records.data()) + (row - firstRow);
    }
};

struct RecordTable::TextBlock {
    BulkBlock chars;
    qsizetype capacity;
    qsizetype used = 0;
};

namespace
{
constexpr qsizetype kFirstChunkRows = 64;
constexpr qsizetype kLargestChunkRows = 65536;
constexpr qsizetype kFirstTextBlock = 4096;      // characters
constexpr qsizetype kLargestTextBlock = 1 << 20; // characters: 2 MB, one huge page
} // namespace

RecordTable::RecordTable() = default;

std::shared_ptr<RecordTable> RecordTable::create(std::shared_ptr<const DictionaryKeys> keys)
{
    std::shared_ptr<RecordTable> table(new RecordTable);
    table->m_width = keys->count();
    table->m_keys = std::move(keys);
    return table;
}

RecordTable::~RecordTable()
{
    for (const auto &chunk : m_chunks) {
        for (qsizetype i = 0; i < chunk->used; ++i)
            chunk->recordOf(chunk->firstRow + i)->~Data();
    }
}

RecordTable::Chunk &RecordTable::chunkOf(qsizetype row) const
{
    const Chunk &last = *m_chunks.back();
    if (row >= last.firstRow)
        return const_cast<Chunk &>(last);
    // Chunks double in size up to the largest; after that they are all the same size.
    for (const auto &chunk : m_chunks) {
        if (chunk->capacity == kLargestChunkRows) {
            const qsizetype index = (row - chunk->firstRow) / kLargestChunkRows;
            return *m_chunks[size_t(&chunk - m_chunks.data() + index)];
        }
        if (row < chunk->firstRow + chunk->capacity)
            return *chunk;
    }
    Q_UNREACHABLE();
}

RecordTable::Text *RecordTable::row(qsizetype row) const
{
    return chunkOf(row).cellsOf(row, m_width);
}

qsizetype RecordTable::addRow()
{
    const qsizetype r = m_rows;
    if (m_chunks.empty() || m_chunks.back()->used == m_chunks.back()->capacity) {
        const qsizetype capacity = m_chunks.empty()
                                       ? kFirstChunkRows
                                       : qMin(m_chunks.back()->capacity * 2, kLargestChunkRows);
        auto chunk = std::make_unique<Chunk>(
            Chunk{r, capacity, BulkBlock(size_t(capacity * qMax(m_width, 1)) * sizeof(Text)),
                  BulkBlock(size_t(capacity) * sizeof(Dictionary::Data))});
        m_chunks.push_back(std::move(chunk));
    }
    Chunk &chunk = *m_chunks.back();
    auto *record = new (chunk.recordOf(r)) Dictionary::Data;
    record->table = this;
    record->row = r;
    ++chunk.used;
    ++m_rows;
    return r;
}

char16_t *RecordTable::reserveText(qsizetype length, Text &where)
{
    if (m_texts.empty() || m_texts.back()->capacity - m_texts.back()->used < length) {
        qsizetype capacity = m_texts.empty()
                                 ? kFirstTextBlock
                                 : qMin(m_texts.back()->capacity * 2, kLargestTextBlock);
        capacity = qMax(capacity, length);
        m_texts.push_back(std::make_unique<TextBlock>(
            TextBlock{BulkBlock(size_t(capacity) * sizeof(char16_t)), capacity}));
    }
    TextBlock &block = *m_texts.back();
    where.block = quint32(m_texts.size() - 1);
    where.offset = quint32(block.used);
    where.length = quint32(length);
    char16_t *chars = static_cast<char16_t *>(block.chars.data()) + block.used;
    block.used += length;
    return chars;
}

RecordTable::Text RecordTable::store(QStringView text)
{
    Text where;
    if (text.isEmpty())
        return where;
    char16_t *chars = reserveText(text.size(), where);
    std::copy(text.utf16(), text.utf16() + text.size(), chars);
    return where;
}

RecordTable::Text RecordTable::storeLatin1(const char *text, qsizetype length)
{
    Text where;
    if (length == 0)
        return where;
    char16_t *chars = reserveText(length, where);
    for (qsizetype i = 0; i < length; ++i)
        chars[i] = char16_t(uchar(text[i]));
    return where;
}

QStringView RecordTable::cell(qsizetype row, int column) const
{
    const Text &t = this->row(row)[column];
    if (t.length == 0)
        return QStringView();
    const auto *chars = static_cast<const char16_t *>(m_texts[t.block]->chars.data());
    return QStringView(chars + t.offset, qsizetype(t.length));
}

Dictionary RecordTable::record(qsizetype r)
{
    // The record shares the table's ownership: no allocation per row.
    Dictionary dict;
    dict.d = std::shared_ptr<Dictionary::Data>(shared_from_this(), chunkOf(r).recordOf(r));
    return dict;
}

} // namespace varo
