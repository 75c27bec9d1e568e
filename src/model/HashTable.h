#pragma once
#include <QHash>
#include <QString>
#include <QVariant>

#include <iterator>
#include <memory>
#include <vector>

// One entry of a HashTable.
struct HashValue {
    QVariant Value;
    int Index = 0; // the entry's position when it was added, from 1
    QVariant Tag;
};

// An ordered list of values, each optionally reachable under a text key compared without regard to case.
// Entries live at stable addresses: the pointer Add or Item returns stays valid until that entry is
// removed, or the table is cleared, assigned to or destroyed (moving the table keeps it). Positions count
// from 1.
class HashTable
{
    struct Entry {
        HashValue value;
        QString key; // case-folded; empty when the entry has no key
    };
    using Entries = std::vector<std::unique_ptr<Entry>>;

public:
    HashTable() = default;
    HashTable(const HashTable& other);
    HashTable& operator=(const HashTable& other);
    HashTable(HashTable&&) noexcept = default;
    HashTable& operator=(HashTable&&) noexcept = default;

    // Adds value at the end, under key unless key is empty. Returns the new entry, or nullptr (and leaves
    // the table as it was) when an entry with that key exists already.
    HashValue* Add(const QVariant& value, const QString& key = {}, const QVariant& tag = {});

    // The entry at position (1 to Count) or under key; nullptr when there is none.
    HashValue* Item(int position);
    const HashValue* Item(int position) const;
    HashValue* Item(const QString& key);
    const HashValue* Item(const QString& key) const;

    // Removes the entry at position or under key; false when there is none. Later entries move up one
    // position; their Index stays as it was.
    bool Remove(int position);
    bool Remove(const QString& key);

    int Count() const { return static_cast<int>(m_entries.size()); }
    void Clear();
    bool KeyExists(const QString& key) const;

    // True when the text form of some entry's value contains text; letter case counts.
    bool Contains(const QString& text) const;

    // Reverses the order. Keys and tags are dropped and each Index becomes the entry's new position, as if
    // the values had been added afresh in reverse order.
    void Reverse();

    // Adds the values and tags of other at the end, without keys. Appending a table to itself doubles it.
    void Append(const HashTable& other);

    // Enumeration in order: for (HashValue& entry : table).
    template <class Value, class Base> class Iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = HashValue;
        using difference_type = std::ptrdiff_t;
        using pointer = Value*;
        using reference = Value&;

        Iterator() = default;
        explicit Iterator(Base it) : m_it(it) {}
        reference operator*() const { return (*m_it)->value; }
        pointer operator->() const { return &(*m_it)->value; }
        Iterator& operator++()
        {
            ++m_it;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator old = *this;
            ++m_it;
            return old;
        }
        bool operator==(const Iterator& other) const { return m_it == other.m_it; }

    private:
        Base m_it{};
    };
    using iterator = Iterator<HashValue, Entries::iterator>;
    using const_iterator = Iterator<const HashValue, Entries::const_iterator>;

    iterator begin() { return iterator(m_entries.begin()); }
    iterator end() { return iterator(m_entries.end()); }
    const_iterator begin() const { return const_iterator(m_entries.cbegin()); }
    const_iterator end() const { return const_iterator(m_entries.cend()); }

private:
    static QString FoldKey(const QString& key) { return key.toCaseFolded(); }
    HashValue* AddEntry(const QVariant& value, const QString& foldedKey, const QVariant& tag);
    void RemoveAt(std::size_t offset);

    Entries m_entries;
    QHash<QString, Entry*> m_byKey;
};
