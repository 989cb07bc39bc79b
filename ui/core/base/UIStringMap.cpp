#include "ui/core/base/UIStringMap.h"

#include <cwchar>
#include <new>

namespace SkinUI {

CUIStringMap::CUIStringMap() : m_buckets{} {}

CUIStringMap::~CUIStringMap() { RemoveAll(); }

UINT CUIStringMap::HashKey(LPCWSTR key) {
    UINT hash = 0;
    if (key == nullptr) return hash;
    for (size_t i = wcslen(key); i > 0; --i) hash = hash * 33u + static_cast<UINT>(key[i - 1]);
    return hash;
}

CUIStringMap::TEntry** CUIStringMap::FindSlot(LPCWSTR key) const {
    if (key == nullptr) key = L"";
    TEntry** link = &m_buckets[HashKey(key) % kBucketCount];
    for (; *link != nullptr; link = &(*link)->next)
        if ((*link)->key == key) return link;
    return nullptr;
}

bool CUIStringMap::Insert(LPCWSTR key, LPVOID data) {
    if (FindSlot(key) != nullptr) return false;
    TEntry* entry = new (std::nothrow) TEntry{CUIString(key), data, nullptr};
    if (entry == nullptr) return false;
    TEntry*& head = m_buckets[HashKey(entry->key) % kBucketCount];
    entry->next = head;
    head = entry;
    ++m_nCount;
    return true;
}

LPVOID CUIStringMap::Set(LPCWSTR key, LPVOID data, bool* added) {
    if (added != nullptr) *added = false;
    if (TEntry** link = FindSlot(key)) {
        LPVOID old = (*link)->data;
        (*link)->data = data;
        return old;
    }
    bool inserted = Insert(key, data);
    if (added != nullptr) *added = inserted;
    return nullptr;
}

LPVOID CUIStringMap::Find(LPCWSTR key) const {
    TEntry** link = FindSlot(key);
    if (link == nullptr) return nullptr;
    TEntry* entry = *link;
    TEntry*& head = m_buckets[HashKey(entry->key) % kBucketCount];
    if (entry != head && m_nWalks == 0) {  // move to the front of the chain
        *link = entry->next;
        entry->next = head;
        head = entry;
    }
    return entry->data;
}

bool CUIStringMap::Contains(LPCWSTR key) const { return FindSlot(key) != nullptr; }

bool CUIStringMap::Remove(LPCWSTR key, LPVOID* data) {
    TEntry** link = FindSlot(key);
    if (link == nullptr) return false;
    TEntry* entry = *link;
    *link = entry->next;
    if (data != nullptr) *data = entry->data;
    delete entry;
    --m_nCount;
    return true;
}

void CUIStringMap::RemoveAll() {
    for (TEntry*& bucket : m_buckets) {
        while (bucket != nullptr) {
            TEntry* next = bucket->next;
            delete bucket;
            bucket = next;
        }
    }
    m_nCount = 0;
}

LPCWSTR CUIStringMap::GetAt(int index) const {
    if (index < 0) return nullptr;
    for (const TEntry* bucket : m_buckets)
        for (const TEntry* entry = bucket; entry != nullptr; entry = entry->next)
            if (index-- == 0) return entry->key.GetData();
    return nullptr;
}

}  // namespace SkinUI
