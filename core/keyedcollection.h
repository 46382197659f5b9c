#pragma once

#include <QHash>
#include <QString>
#include <list>
#include <memory>
#include <utility>
#include <vector>

namespace korvel {

// A key compared exactly, letter case included.
struct ExactKey {
    static const QString& Of(const QString& key) { return key; }
};

// A dictionary from text keys to owned objects: keys compare as `KeyOf::Of` makes them (exactly by
// default; IdKeyOf for IDs the database compares loosely) and enumeration follows insertion order,
// each entry under the key it was added with. Finding, adding and removing go by hash, so large
// collections (thousands of steps) cost the same per item as small ones. Used for every in-memory
// collection of the model.
template <typename T, typename KeyOf = ExactKey> class KeyedCollection {
public:
    using Entry = std::pair<QString, std::unique_ptr<T>>;

    bool Exists(const QString& key) const { return m_index.contains(KeyOf::Of(key)); }

    // The object under `key`, or nullptr.
    T* Item(const QString& key) const
    {
        const auto it = m_index.constFind(KeyOf::Of(key));
        return it == m_index.cend() ? nullptr : it.value()->second.get();
    }

    // Adds `value` under `key`; false (and `value` is dropped) when the key is already present.
    bool Add(const QString& key, std::unique_ptr<T> value)
    {
        if (!value)
            return false;
        const QString indexKey = KeyOf::Of(key);
        if (m_index.contains(indexKey))
            return false;
        m_index.insert(indexKey, m_entries.emplace(m_entries.end(), key, std::move(value)));
        return true;
    }

    // Removes the entry and hands its object back (nullptr when there is none).
    std::unique_ptr<T> Take(const QString& key)
    {
        const auto it = m_index.find(KeyOf::Of(key));
        if (it == m_index.end())
            return nullptr;
        auto value = std::move(it.value()->second);
        m_entries.erase(it.value());
        m_index.erase(it);
        return value;
    }

    // Replaces the object under an existing key in place, or adds it at the end.
    void Put(const QString& key, std::unique_ptr<T> value)
    {
        const QString indexKey = KeyOf::Of(key);
        const auto it = m_index.find(indexKey);
        if (it == m_index.end())
            m_index.insert(indexKey, m_entries.emplace(m_entries.end(), key, std::move(value)));
        else
            it.value()->second = std::move(value);
    }

    void RemoveAll()
    {
        m_index.clear();
        m_entries.clear();
    }
    int Count() const { return static_cast<int>(m_entries.size()); }
    bool IsEmpty() const { return m_entries.empty(); }

    // Keys in insertion order.
    std::vector<QString> Keys() const
    {
        std::vector<QString> keys;
        keys.reserve(m_entries.size());
        for (const auto& entry : m_entries)
            keys.push_back(entry.first);
        return keys;
    }

    // Range-for over (key, object) entries in insertion order.
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

private:
    std::list<Entry> m_entries;
    QHash<QString, typename std::list<Entry>::iterator> m_index;
};

} // namespace korvel
