// The combo's pop-up window: placement on the monitor, the borrowed rows, and every way of
// closing, each going through one posted message so that the window never goes while one of
// its own handlers is still running.

#include "ui/controls/ComboWnd.h"

#include <algorithm>

#include "ui/controls/ComboUI.h"
#include "ui/controls/ListBodyUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/skin/ResourceData.h"

namespace SkinUI {

namespace {

constexpr DWORD kPopupBackColor = 0xFFFFFFFF;
constexpr DWORD kPopupBorderColor = 0xFF9AA5B8;

// The pop-up draws with the fonts the combo's window knows under the same ids.
void CopyFont(CWindowManagerUI& from, CWindowManagerUI& to, int id) {
    const TFontData* font = id >= 0 ? from.GetFontInfo(id) : from.GetDefaultFontInfo();
    if (font == nullptr) return;
    if (id >= 0)
        to.AddFont(id, font->strFaceName, font->nSize, font->bBold, font->bUnderline, font->bItalic);
    else
        to.SetDefaultFont(font->strFaceName, font->nSize, font->bBold, font->bUnderline,
                          font->bItalic);
}

// A root that does not own what it shows: the body stays the combo's.
CContainerUI* NewBorrowingRoot() {
    auto* root = new CContainerUI;
    root->SetOwnsChildren(false);
    root->SetBackColor(kPopupBackColor);
    root->SetBorderColor(kPopupBorderColor);
    root->SetBorderSize(1);
    root->SetInset(RECT{1, 1, 1, 1});
    return root;
}

}  // namespace

CComboWnd::~CComboWnd() {
    ReleaseBody();
    // Only the combo's destructor gets here with the window alive (it detached itself first);
    // m_window, the last member, destroys it before the manager goes.
}

LPCWSTR CComboWnd::WindowClassName() const { return L"ComboWnd"; }

RECT CComboWnd::PlaceBelowOrAbove(const RECT& comboRect, SIZE box, const RECT& workArea) {
    const LONG width = std::clamp<LONG>(box.cx, 1, std::max<LONG>(1, RectWidth(workArea)));
    const LONG roomBelow = std::max<LONG>(0, workArea.bottom - comboRect.bottom);
    const LONG roomAbove = std::max<LONG>(0, comboRect.top - workArea.top);
    const LONG wanted = std::clamp<LONG>(box.cy, 1, std::max<LONG>(1, RectHeight(workArea)));
    const bool below = wanted <= roomBelow || roomBelow >= roomAbove;
    const LONG height = std::max<LONG>(1, std::min(wanted, below ? roomBelow : roomAbove));
    const LONG left = std::clamp<LONG>(comboRect.left, workArea.left,
                                       std::max(workArea.left, workArea.right - width));
    const LONG top = below ? comboRect.bottom : comboRect.top - height;
    return RECT{left, top, left + width, top + height};
}

bool CComboWnd::Open() {
    CWindowManagerUI* owner = m_combo != nullptr ? m_combo->Manager() : nullptr;
    if (owner == nullptr) return false;
    const HWND ownerWindow = owner->GetPaintWindow();
    RECT rc = m_combo->Rect();
    ::MapWindowPoints(ownerWindow, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
    const SIZE wanted = m_combo->DropBoxSize();
    const long long content = m_combo->Body()->ContentHeight() + 2;
    const SIZE box{wanted.cx > 0 ? wanted.cx : RectWidth(rc),
                   static_cast<LONG>(std::min<long long>(wanted.cy > 0 ? wanted.cy : content, content))};
    const RECT place = PlaceBelowOrAbove(rc, box, monitor.rcWork);
    // The title shows nowhere (no caption); it names the window for tools that look for it.
    m_window.Reset(Create(ownerWindow, WindowClassName(), WS_POPUP | WS_CLIPCHILDREN,
                          WS_EX_TOOLWINDOW | WS_EX_TOPMOST, place));
    if (!m_window) return false;
    ShowWindow(true, true);
    ::SetFocus(m_hWnd);
    return true;
}

void CComboWnd::OnCreate() {
    m_manager.Init(m_hWnd);
    CWindowManagerUI* owner = m_combo->Manager();
    CopyFont(*owner, m_manager, -1);
    CopyFont(*owner, m_manager, m_combo->ListInfo().font);
    m_root = NewBorrowingRoot();
    m_manager.AttachRoot(m_root);  // the manager owns the root from here
    m_root->Append(m_combo->Body());
}

void CComboWnd::ReleaseBody() {
    if (m_root == nullptr || m_root->Count() == 0) return;
    m_root->RemoveAllItems();
    // A fresh root makes the manager drop its hover, press and focus references to the rows.
    m_root = NewBorrowingRoot();
    m_manager.AttachRoot(m_root);  // the manager owns the new root; the old one goes deferred
}

bool CComboWnd::OnKey(WPARAM key) {
    if (m_combo == nullptr) return false;
    switch (key) {
    case VK_ESCAPE:
    case VK_RETURN:
        PostMessage(kMsgCloseDropDown);
        return true;
    case VK_UP:
    case VK_DOWN:
        m_combo->MoveSelectionBy(key == VK_UP ? -1 : 1);
        m_combo->Body()->EnsureVisible(m_combo->CurrentRow());
        return true;
    default:
        return false;
    }
}

LRESULT CComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (m_combo != nullptr) OnCreate();
        break;
    case WM_KILLFOCUS:
        PostMessage(kMsgCloseDropDown);
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) PostMessage(kMsgCloseDropDown);
        break;
    case WM_CLOSE:  // Alt+F4 among others
        PostMessage(kMsgCloseDropDown);
        return 0;
    case WM_KEYDOWN:
        if (OnKey(wParam)) return 0;
        break;
    case kMsgCloseDropDown:
        if (m_closing) return 0;
        m_closing = true;
        if (m_combo != nullptr) m_combo->ReclaimBody();
        // OnWindowGone deletes this object while the window goes (the holder has let go of the
        // handle by then): nothing of it may be touched after this call.
        m_window.Reset();
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_manager.GetPaintWindow() != nullptr &&
        m_manager.HandleWindowMessage(message, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CComboWnd::OnWindowGone(HWND /*window*/) {
    (void)m_window.Release();  // already destroyed: nothing left to close
    if (m_combo != nullptr) m_combo->OnDropDownGone();
}

}  // namespace SkinUI
