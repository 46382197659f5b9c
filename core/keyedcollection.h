#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace korvel {

// A dictionary from text keys to owned objects: keys compare exactly (letter case included) and
// enumeration follows insertion order. Used for every in-memory collection of the model.
template <typename T> class KeyedCollection {
public:
    using Entry = std::pair<QString, std::unique_ptr<T>>;

    bool Exists(const QString& key) const { return find(key) != m_entries.end(); }

    // The object under `key`, or nullptr.
    T* Item(const QString& key) const
    {
        auto it = find(key);
        return it == m_entries.end() ? nullptr : it->second.get();
    }

    // Adds `value` under `key`; false (and `value` is dropped) when the key is already present.
    bool Add(const QString& key, std::unique_ptr<T> value)
    {
        if (Exists(key) || !value)
            return false;
        m_entries.emplace_back(key, std::move(value));
        return true;
    }

    // Removes the entry and hands its object back (nullptr when there is none).
    std::unique_ptr<T> Take(const QString& key)
    {
        auto it = find(key);
        if (it == m_entries.end())
            return nullptr;
        auto value = std::move(it->second);
        m_entries.erase(it);
        return value;
    }

    // Replaces the object under an existing key in place, or adds it at the end.
    void Put(const QString& key, std::unique_ptr<T> value)
    {
        auto it = find(key);
        if (it == m_entries.end())
            m_entries.emplace_back(key, std::move(value));
        else
            it->second = std::move(value);
    }

    void RemoveAll() { m_entries.clear(); }
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
    typename std::vector<Entry>::iterator find(const QString& key)
    {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (it->first == key)
                return it;
        return m_entries.end();
    }

    typename std::vector<Entry>::const_iterator find(const QString& key) const
    {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (it->first == key)
                return it;
        return m_entries.end();
    }

    std::vector<Entry> m_entries;
};

} // namespace korvel
