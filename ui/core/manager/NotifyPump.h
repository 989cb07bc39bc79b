#pragma once
// CNotifyPump: table-driven routing of notifications to member functions. A class derived from
// CNotifyPump describes its handlers in a static message map and returns it from NotifyMap; the
// map points to its base class's map, so a derived window inherits the handlers of its bases
// and can replace them. Notifications of a virtual window (controls with "virtualwnd") go first
// to the pumps registered for that name.
//
//     class CMyWindow : public WindowImplBase {
//         const TNotifyMap* NotifyMap() const override {
//             static const TNotifyMapEntry entries[] = {
//                 NotifyEntry(L"click", L"okbtn", &CMyWindow::OnOk),
//                 NotifyEntry(L"selectchanged", L"", &CMyWindow::OnSelect),
//                 TNotifyMapEntry{}};
//             static const TNotifyMap map = {WindowImplBase::NotifyMap(), entries};
//             return &map;
//         }
//     };

#include <windows.h>

#include "ui/core/base/UIStringMap.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

class CNotifyPump;

using NotifyParamsHandler = void (CNotifyPump::*)(WPARAM wParam, LPARAM lParam);
using NotifyMessageHandler = void (CNotifyPump::*)(TNotifyMsg& msg);

enum : int {
    kNotifyEntryEnd = 0,      // ends a table
    kNotifyEntryParams = 1,   // the handler takes wParam and lParam
    kNotifyEntryMessage = 2,  // the handler takes the whole message
};

struct TNotifyMapEntry {
    LPCWSTR type = nullptr;     // notification type, compared case-sensitively
    LPCWSTR control = nullptr;  // sender name; empty or null: any control
    int kind = kNotifyEntryEnd;
    NotifyParamsHandler onParams = nullptr;
    NotifyMessageHandler onMessage = nullptr;
};

struct TNotifyMap {
    const TNotifyMap* base;          // the base class's map, or null
    const TNotifyMapEntry* entries;  // ends with an entry of kind kNotifyEntryEnd
};

// A map entry for a member function of a class derived from CNotifyPump: one taking the whole
// message, or one taking wParam and lParam.
template <class T, class... Args>
TNotifyMapEntry NotifyEntry(LPCWSTR type, LPCWSTR control, void (T::*handler)(Args...)) {
    TNotifyMapEntry entry;
    entry.type = type;
    entry.control = control;
    if constexpr (sizeof...(Args) == 1) {
        entry.kind = kNotifyEntryMessage;
        entry.onMessage = static_cast<NotifyMessageHandler>(handler);
    } else {
        entry.kind = kNotifyEntryParams;
        entry.onParams = static_cast<NotifyParamsHandler>(handler);
    }
    return entry;
}

class CNotifyPump {
public:
    CNotifyPump() = default;
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    // The most derived class's message map (CNotifyPump's own is empty).
    virtual const TNotifyMap* NotifyMap() const;

    // Notifications whose virtual window name is name (ignoring case) go to pump first. The
    // pump is not owned. False when name is empty or already taken.
    bool AddVirtualWnd(LPCWSTR name, CNotifyPump* pump);
    bool RemoveVirtualWnd(LPCWSTR name);
    // Routes msg: to the pumps of its virtual window first (the first that handles it ends the
    // routing), then through this object's message maps.
    void NotifyPump(TNotifyMsg& msg);
    // Calls the best matching handler of the message maps; false when none matched.
    bool LoopDispatch(TNotifyMsg& msg);

protected:
    ~CNotifyPump() = default;

private:
    CUIStringMap m_virtualWnds;  // name → CNotifyPump*, not owned
};

}  // namespace SkinUI
