#pragma once

// What was worked out from the module folder (a file's path, found or made), kept by key until
// the folder is overridden again. What could not be worked out is not kept, so it is tried again.

#include "platform/devices/Paths.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>

template <typename Key, typename Value>
class FolderMemo {
public:
    template <typename Make>
    std::optional<Value> Get(const Key& key, Make make)
    {
        const uint64_t changes = ModuleFolderChanges();
        {
            std::lock_guard guard(m_lock);
            if (m_madeFor != changes) {
                m_values.clear();
                m_madeFor = changes;
            }
            if (auto it = m_values.find(key); it != m_values.end())
                return it->second;
        }
        std::optional<Value> value = make(key);
        std::lock_guard guard(m_lock);
        if (value && m_madeFor == changes)
            m_values.emplace(key, *value);
        return value;
    }

    // Everything worked out so far, as when the folder changes.
    void Clear()
    {
        std::lock_guard guard(m_lock);
        m_values.clear();
    }

private:
    std::mutex m_lock;
    uint64_t m_madeFor = 0;
    std::unordered_map<Key, Value> m_values;
};
