// Vector and Dictionary, the two containers the engine shares with hosts and plug-ins.
// Both are handles: copying shares the object, and a default-constructed handle is nothing.
// Public: the report objects' results and every row record are these; a host may rely on
// insertion order and on names that match without regard to letter case.
#pragma once

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class QDebug;

namespace varo
{

// An ordered list of values.
class Vector
{
public:
    Vector() = default;
    static Vector create();

    bool isNull() const { return !d; }
    void Add(const QVariant &item);
    void AddVector(const Vector &other); // appends every item of another Vector
    int Count() const;
    QVariant Item(int index) const; // 0-based
    const QList<QVariant> &items() const;
    void reserve(qsizetype n);

    friend bool operator==(const Vector &a, const Vector &b) { return a.d == b.d; }

private:
    std::shared_ptr<QList<QVariant>> d;
};

// The names of a Dictionary in insertion order, matched without regard to letter case. Row
// records of one result share one key table, so a million rows do not hold a million copies
// of their field names.
class DictionaryKeys
{
public:
    explicit DictionaryKeys(const QStringList &names = {});
    int indexOf(const QString &name) const;
    int add(const QString &name); // returns the index of the name, adding it when new
    int count() const { return int(m_names.size()); }
    const QString &name(int i) const { return m_names.at(i); }

private:
    QStringList m_names;
    QHash<QString, int> m_index; // case-folded name -> position
};

// Values under names; names keep the spelling they were first set with and their insertion
// order, and match without regard to letter case ("FKeyWord" is read as "FKeyword").
class Dictionary
{
public:
    Dictionary() = default;
    static Dictionary create();
    // A record whose names are the given shared table, every value Empty.
    static Dictionary withKeys(std::shared_ptr<const DictionaryKeys> keys);

    bool isNull() const { return !d; }
    void set(const QString &name, const QVariant &value); // replaces, never duplicates
    QVariant value(const QString &name) const;            // Empty when the name is missing
    bool Exists(const QString &name) const;
    int Count() const;
    QString keyAt(int i) const;
    QVariant valueAt(int i) const;
    void setAt(int i, const QVariant &value); // by position in the key table
    QStringList keys() const;
    // The text at a position read where it is kept, without a copy: valid until the record
    // changes or goes. A value that is no text (a number, a date, Null) gives nothing.
    std::optional<QStringView> textAt(int i) const;
    // The key table; records that share one have their fields in the same order, so a reader
    // of many records finds a field's position once. A table held here is never changed: a
    // record that gains a name takes a copy first.
    std::shared_ptr<const DictionaryKeys> keyTable() const;

    friend bool operator==(const Dictionary &a, const Dictionary &b) { return a.d == b.d; }

private:
    friend class RecordTable;
    struct Data;
    struct OwnValues;
    OwnValues &own() const; // gives a record of a RecordTable its own storage first
    std::shared_ptr<Data> d;
};

// The records of one result, stored together: rows of texts under one key table, the texts
// kept side by side in large blocks, so that a million records cost their characters and
// little more. Equal texts may share one place. record() hands out a row as a Dictionary like
// any other; a record takes storage of its own the first time it gains a name or a value that
// is not text. A record keeps the whole table alive.
class RecordTable : public std::enable_shared_from_this<RecordTable>
{
public:
    // Where a text is kept.
    struct Text {
        quint32 block = 0;
        quint32 offset = 0;
        quint32 length = 0;
    };

    static std::shared_ptr<RecordTable> create(std::shared_ptr<const DictionaryKeys> keys);
    ~RecordTable();

    qsizetype addRow(); // a row of empty texts; returns its number
    qsizetype rowCount() const { return m_rows; }
    int width() const { return m_width; }

    Text store(QStringView text);
    Text storeLatin1(const char *text, qsizetype length);
    Text *row(qsizetype row) const; // the row's width() cells
    void setCell(qsizetype row, int column, Text text) { this->row(row)[column] = text; }
    QStringView cell(qsizetype row, int column) const;
    Dictionary record(qsizetype row);

private:
    friend class Dictionary;
    struct Chunk;
    struct TextBlock;
    RecordTable();
    Chunk &chunkOf(qsizetype row) const;
    char16_t *reserveText(qsizetype length, Text &where);

    std::shared_ptr<const DictionaryKeys> m_keys;
    int m_width = 0;
    qsizetype m_rows = 0;
    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::vector<std::unique_ptr<TextBlock>> m_texts;
};

// How the containers print in logs and test failures: a null handle as "Nothing", texts quoted,
// Null and Empty by name, other values with their type, nested containers in full:
// Vector["甲", Dictionary{FName: "乙", FQty: QVariant(double, 3.5)}].
QDebug operator<<(QDebug debug, const Vector &vector);
QDebug operator<<(QDebug debug, const Dictionary &dictionary);
// The same text for QtTest's failure messages, which find these by argument lookup.
char *toString(const Vector &vector);
char *toString(const Dictionary &dictionary);

} // namespace varo

Q_DECLARE_METATYPE(varo::Vector)
Q_DECLARE_METATYPE(varo::Dictionary)
