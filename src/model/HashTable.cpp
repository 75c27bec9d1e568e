#include "model/HashTable.h"

#include <algorithm>
#include <utility>

HashTable::HashTable(const HashTable& other)
{
    m_entries.reserve(other.m_entries.size());
    for (const auto& entry : other.m_entries) {
        m_entries.push_back(std::make_unique<Entry>(*entry));
        if (!entry->key.isEmpty())
            m_byKey.insert(entry->key, m_entries.back().get());
    }
}

HashTable& HashTable::operator=(const HashTable& other)
{
    if (this != &other) {
        HashTable copy(other);
        *this = std::move(copy);
    }
    return *this;
}

HashValue* HashTable::AddEntry(const QVariant& value, const QString& foldedKey, const QVariant& tag)
{
    auto entry = std::make_unique<Entry>();
    entry->value.Value = value;
    entry->value.Tag = tag;
    entry->value.Index = Count() + 1;
    entry->key = foldedKey;
    if (!foldedKey.isEmpty())
        m_byKey.insert(foldedKey, entry.get());
    m_entries.push_back(std::move(entry));
    return &m_entries.back()->value;
}

HashValue* HashTable::Add(const QVariant& value, const QString& key, const QVariant& tag)
{
    const QString folded = FoldKey(key);
    if (!folded.isEmpty() && m_byKey.contains(folded))
        return nullptr;
    return AddEntry(value, folded, tag);
}

HashValue* HashTable::Item(int position)
{
    return const_cast<HashValue*>(std::as_const(*this).Item(position));
}

const HashValue* HashTable::Item(int position) const
{
    if (position < 1 || position > Count())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(position - 1)]->value;
}

HashValue* HashTable::Item(const QString& key)
{
    return const_cast<HashValue*>(std::as_const(*this).Item(key));
}

const HashValue* HashTable::Item(const QString& key) const
{
    if (key.isEmpty())
        return nullptr;
    const Entry* entry = m_byKey.value(FoldKey(key), nullptr);
    return entry ? &entry->value : nullptr;
}

void HashTable::RemoveAt(std::size_t offset)
{
    const QString& key = m_entries[offset]->key;
    if (!key.isEmpty())
        m_byKey.remove(key);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(offset));
}

bool HashTable::Remove(int position)
{
    if (position < 1 || position > Count())
        return false;
    RemoveAt(static_cast<std::size_t>(position - 1));
    return true;
}

bool HashTable::Remove(const QString& key)
{
    if (key.isEmpty())
        return false;
    const Entry* entry = m_byKey.value(FoldKey(key), nullptr);
    if (!entry)
        return false;
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [entry](const std::unique_ptr<Entry>& candidate) { return candidate.get() == entry; });
    RemoveAt(static_cast<std::size_t>(it - m_entries.begin()));
    return true;
}

void HashTable::Clear()
{
    m_byKey.clear();
    m_entries.clear();
}

bool HashTable::KeyExists(const QString& key) const
{
    return !key.isEmpty() && m_byKey.contains(FoldKey(key));
}

bool HashTable::Contains(const QString& text) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [&text](const std::unique_ptr<Entry>& entry) {
        return entry->value.Value.toString().contains(text, Qt::CaseSensitive);
    });
}

void HashTable::Reverse()
{
    std::reverse(m_entries.begin(), m_entries.end());
    m_byKey.clear();
    int index = 0;
    for (auto& entry : m_entries) {
        entry->key.clear();
        entry->value.Tag = QVariant();
        entry->value.Index = ++index;
    }
}

void HashTable::Append(const HashTable& other)
{
    // Counted first, so that appending a table to itself stops after one copy of each entry.
    const std::size_t count = other.m_entries.size();
    m_entries.reserve(m_entries.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        const HashValue& source = other.m_entries[i]->value;
        AddEntry(source.Value, QString(), source.Tag);
    }
}
