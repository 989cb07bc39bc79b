#include "ui/core/WindowManager.h"

namespace SkinUI {

CWindowManagerUI::CWindowManagerUI() = default;

CWindowManagerUI::~CWindowManagerUI() {
    SetPaintDC(nullptr);  // the context goes with m_pPaintDC
}

void CWindowManagerUI::Init(HWND window) {
    m_hWndPaint = window;
    m_pPaintDC = std::make_unique<CWindowDC>(window);
    SetPaintDC(m_pPaintDC->Get());
}

}  // namespace SkinUI
