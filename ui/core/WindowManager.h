#pragma once
// CWindowManagerUI: binds a control tree to one Win32 window. The resource tables (fonts,
// images, default attribute lists, default font and colours) and the process-wide skin settings
// come from CWindowResourcesUI; this class adds the window itself.

#include <windows.h>

#include <memory>

#include "ui/core/UIHandles.h"
#include "ui/core/WindowResources.h"

namespace SkinUI {

class CWindowManagerUI : public CWindowResourcesUI {
public:
    CWindowManagerUI();
    ~CWindowManagerUI();

    // Binds the manager to its window and takes the window's device context for painting and
    // text measurement.
    void Init(HWND window);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    // The last mouse position seen in client coordinates, (-1, -1) before any.
    POINT LastMousePos() const { return m_ptLastMousePos; }

private:
    HWND m_hWndPaint = nullptr;
    std::unique_ptr<CWindowDC> m_pPaintDC;
    POINT m_ptLastMousePos{-1, -1};
};

}  // namespace SkinUI
