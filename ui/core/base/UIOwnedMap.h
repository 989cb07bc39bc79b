#pragma once
// CUIOwnedMap: a CUIStringMap whose values are heap objects owned by the map. Replacing or
// removing an entry deletes the old object at once, so pointers handed out must not be held
// across another store under the same key.

#include <memory>

#include "ui/core/base/UIStringMap.h"

namespace SkinUI {

template <class T>
class CUIOwnedMap {
public:
    CUIOwnedMap() = default;
    CUIOwnedMap(const CUIOwnedMap&) = delete;
    CUIOwnedMap& operator=(const CUIOwnedMap&) = delete;
    ~CUIOwnedMap() { RemoveAll(); }

    // Stores value under key, deleting what was there; returns the stored object, or null (and
    // value is deleted) when the map could not grow.
    T* Set(LPCWSTR key, std::unique_ptr<T> value) {
        bool added = false;
        T* raw = value.get();
        T* old = static_cast<T*>(m_map.Set(key, raw, &added));
        if (!added && old == nullptr && m_map.Find(key) != raw) return nullptr;
        value.release();
        delete old;
        return raw;
    }
    T* Find(LPCWSTR key) const { return static_cast<T*>(m_map.Find(key)); }
    bool Remove(LPCWSTR key) {
        LPVOID data = nullptr;
        if (!m_map.Remove(key, &data)) return false;
        delete static_cast<T*>(data);
        return true;
    }
    void RemoveAll() {
        m_map.ForEach([](LPCWSTR, LPVOID data) { delete static_cast<T*>(data); });
        m_map.RemoveAll();
    }
    int GetSize() const { return m_map.GetSize(); }
    template <class Visitor>  // void(LPCWSTR key, T* value)
    void ForEach(Visitor&& visit) const {
        m_map.ForEach([&visit](LPCWSTR key, LPVOID data) { visit(key, static_cast<T*>(data)); });
    }

private:
    CUIStringMap m_map;
};

}  // namespace SkinUI
