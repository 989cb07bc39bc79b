#pragma once
// Helpers of the dialog builder and window base tests: a skinned window whose skin is markup
// text, the message pump, and a control class that counts its live objects.

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "ui/core/manager/ContainerUI.h"
#include "ui/core/window/WindowImplBase.h"

namespace ui_test {

// Handles every message waiting for this thread, for at most the given time.
inline void PumpMessages(int milliseconds = 200) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    MSG msg{};
    while (std::chrono::steady_clock::now() < end) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(5);
            continue;
        }
        if (!SkinUI::CWindowManagerUI::PreTranslate(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// A plain wrapped window (default behaviour for every message), destroyed with the object.
class CPlainWindow : public SkinUI::CWindowWnd {
public:
    CPlainWindow() = default;
    ~CPlainWindow() {
        if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    }
    LPCWSTR WindowClassName() const override { return L"VexoTestPlainWindow"; }
};

// A skinned window built from markup text (the builder reads text that starts with "<"). It
// records the notifications it receives as "type sender" and whether its window is gone.
class CMarkupWindow : public SkinUI::WindowImplBase {
public:
    explicit CMarkupWindow(std::wstring markup) : m_markup(std::move(markup)) {}
    ~CMarkupWindow() override {
        if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    }

    LPCWSTR WindowClassName() const override { return L"VexoTestMarkupWindow"; }
    SkinUI::CUIString SkinFolder() override { return L""; }
    SkinUI::CUIString SkinFileName() override { return m_markup.c_str(); }

    void Notify(SkinUI::TNotifyMsg& msg) override {
        std::wstring entry = msg.strType.GetData();
        entry += L" ";
        if (msg.pSender != nullptr) entry += msg.pSender->Name().GetData();
        notifications.push_back(entry);
        WindowImplBase::Notify(msg);
    }
    void OnWindowGone(HWND window) override {
        WindowImplBase::OnWindowGone(window);
        gone = true;
    }

    // Creates the window (hidden unless style has WS_VISIBLE) at the given place.
    bool Open(DWORD style = WS_POPUP, int x = 40, int y = 40) {
        return Create(nullptr, L"markup window", style, 0, x, y, 200, 150) != nullptr;
    }
    SkinUI::CWindowManagerUI& PaintManager() { return m_PaintManager; }
    SkinUI::CControlUI* Find(LPCWSTR name) { return m_PaintManager.FindControl(name); }

    std::vector<std::wstring> notifications;
    bool gone = false;

private:
    std::wstring m_markup;
};

// A plain control that counts its live objects, made by CCountingCallback for the element
// "Counted" (and a container for "CountedBox"), so that tests see that nothing built is lost
// or leaked.
class CCountedUI : public SkinUI::CControlUI {
public:
    CCountedUI() { ++live; }
    ~CCountedUI() override { --live; }
    LPCWSTR ClassName() const override { return L"CountedUI"; }
    static inline int live = 0;
};

class CCountedBoxUI : public SkinUI::CContainerUI {
public:
    CCountedBoxUI() { ++CCountedUI::live; }
    ~CCountedBoxUI() override { --CCountedUI::live; }
    LPCWSTR ClassName() const override { return L"CountedBoxUI"; }
};

class CCountingCallback : public SkinUI::IDialogBuilderCallback {
public:
    SkinUI::CControlUI* CreateControl(LPCWSTR className) override {
        asked.push_back(className);
        if (wcscmp(className, L"Counted") == 0) return new CCountedUI;
        if (wcscmp(className, L"CountedBox") == 0) return new CCountedBoxUI;
        return nullptr;
    }
    std::vector<std::wstring> asked;
};

}  // namespace ui_test
