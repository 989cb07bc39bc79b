#include "ui/core/WindowManager.h"

#include "ui/core/UIRender.h"

namespace SkinUI {

CWindowManagerUI::CWindowManagerUI() = default;

CWindowManagerUI::~CWindowManagerUI() = default;

void CWindowManagerUI::Init(HWND window) {
    m_hWndPaint = window;
    m_pPaintDC = std::make_unique<CWindowDC>(window);
}

HDC CWindowManagerUI::GetPaintDC() const {
    return m_pPaintDC != nullptr ? m_pPaintDC->Get() : nullptr;
}

}  // namespace SkinUI
