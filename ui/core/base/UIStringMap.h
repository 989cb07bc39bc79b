#pragma once
// CUIStringMap: the framework's hash map from text to untyped pointer (control names, option
// groups, fonts, images, default attribute lists, texts). Keys are compared case-sensitively;
// values are not owned. Every map has the same 83 chained buckets.
//
// A lookup moves the entry it finds to the front of its chain, except while a walk over the map
// is in progress: ForEach holds one for its whole run, and a walk by index (GetAt) holds a
// CWalk, so that lookups made during the walk (finding controls by name while visiting the
// names) neither skip nor repeat an entry of it.

#include "ui/core/base/UIString.h"

namespace SkinUI {

class CUIStringMap {
public:
    static constexpr int kBucketCount = 83;

    CUIStringMap();
    ~CUIStringMap();
    CUIStringMap(const CUIStringMap&) = delete;
    CUIStringMap& operator=(const CUIStringMap&) = delete;

    // h = h * 33 + character over the characters from the last to the first (32-bit wrap).
    static UINT HashKey(LPCWSTR key);

    // Adds a new key; false when the key exists already (the old value stays) or on no memory.
    bool Insert(LPCWSTR key, LPVOID data);
    // Stores data under key, adding the key when needed; returns the value it replaced (null
    // for a new key). *added (optional) tells whether the key was new; a failed allocation
    // leaves the map unchanged and reports added = false with a null result.
    LPVOID Set(LPCWSTR key, LPVOID data, bool* added = nullptr);
    // The value stored under key, or null. Outside walks a hit moves its entry to the front of
    // its chain, so that names looked up repeatedly are found first.
    LPVOID Find(LPCWSTR key) const;
    bool Contains(LPCWSTR key) const;
    // Removes key; returns whether it was present. *data (optional) receives its value.
    bool Remove(LPCWSTR key, LPVOID* data = nullptr);
    void RemoveAll();
    int GetSize() const { return m_nCount; }

    // Keeps the order of the entries fixed while it lives: hold one around a walk by index.
    class CWalk {
    public:
        explicit CWalk(const CUIStringMap& map) : m_map(map) { ++m_map.m_nWalks; }
        ~CWalk() { --m_map.m_nWalks; }
        CWalk(const CWalk&) = delete;
        CWalk& operator=(const CWalk&) = delete;

    private:
        const CUIStringMap& m_map;
    };

    // Visits every entry, bucket by bucket in order. The callback may look keys up, but must
    // not add or remove any.
    template <class Visitor>  // void(LPCWSTR key, LPVOID data)
    void ForEach(Visitor&& visit) const {
        const CWalk walk(*this);
        for (const TEntry* bucket : m_buckets)
            for (const TEntry* entry = bucket; entry != nullptr; entry = entry->next)
                visit(entry->key.GetData(), entry->data);
    }
    // The key at position index of that walk, or null.
    LPCWSTR GetAt(int index) const;

private:
    struct TEntry {
        CUIString key;
        LPVOID data;
        TEntry* next;
    };
    TEntry** FindSlot(LPCWSTR key) const;  // the link that points at key's entry, or null

    mutable TEntry* m_buckets[kBucketCount];
    int m_nCount = 0;
    mutable int m_nWalks = 0;  // walks in progress; lookups keep the order while any runs
};

}  // namespace SkinUI
