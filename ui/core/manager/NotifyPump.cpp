// Routing notifications through message maps and virtual windows.

#include "ui/core/manager/NotifyPump.h"

#include <cwchar>
#include <vector>

#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

namespace {

const TNotifyMapEntry kNoEntries[] = {TNotifyMapEntry{}};
const TNotifyMap kEmptyMap = {nullptr, kNoEntries};

bool IsAnyControl(LPCWSTR control) { return control == nullptr || *control == L'\0'; }

// Within one map: the entry for this type and the sender's name, else the last entry for this
// type that takes any control; null when the map has neither.
const TNotifyMapEntry* BestEntry(const TNotifyMap& map, const TNotifyMsg& msg,
                                 const CUIString& sender) {
    const TNotifyMapEntry* anyControl = nullptr;
    for (const TNotifyMapEntry* entry = map.entries;
         entry != nullptr && entry->kind != kNotifyEntryEnd; ++entry) {
        if (entry->type == nullptr || msg.strType != entry->type) continue;
        if (IsAnyControl(entry->control)) anyControl = entry;
        else if (sender == entry->control) return entry;
    }
    return anyControl;
}

}  // namespace

const TNotifyMap* CNotifyPump::NotifyMap() const { return &kEmptyMap; }

bool CNotifyPump::AddVirtualWnd(LPCWSTR name, CNotifyPump* pump) {
    if (name == nullptr || *name == L'\0' || pump == nullptr) return false;
    return m_virtualWnds.Insert(name, pump);
}

bool CNotifyPump::RemoveVirtualWnd(LPCWSTR name) {
    return name != nullptr && m_virtualWnds.Remove(name);
}

bool CNotifyPump::LoopDispatch(TNotifyMsg& msg) {
    const CUIString sender = msg.pSender != nullptr ? msg.pSender->Name() : CUIString();
    for (const TNotifyMap* map = NotifyMap(); map != nullptr; map = map->base) {
        const TNotifyMapEntry* entry = BestEntry(*map, msg, sender);
        if (entry == nullptr) continue;
        if (entry->kind == kNotifyEntryParams && entry->onParams != nullptr)
            (this->*entry->onParams)(msg.wParam, msg.lParam);
        else if (entry->kind == kNotifyEntryMessage && entry->onMessage != nullptr)
            (this->*entry->onMessage)(msg);
        return true;
    }
    return false;
}

void CNotifyPump::NotifyPump(TNotifyMsg& msg) {
    if (!msg.strVirtualWnd.IsEmpty()) {
        // Collected first: a handler may add or remove virtual windows.
        std::vector<CNotifyPump*> pumps;
        m_virtualWnds.ForEach([&](LPCWSTR name, LPVOID data) {
            if (_wcsicmp(name, msg.strVirtualWnd) == 0)
                pumps.push_back(static_cast<CNotifyPump*>(data));
        });
        for (CNotifyPump* pump : pumps)
            if (pump->LoopDispatch(msg)) return;
    }
    LoopDispatch(msg);
}

}  // namespace SkinUI
