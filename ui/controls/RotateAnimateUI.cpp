// The rotating spinner.

#include "ui/controls/RotateAnimateUI.h"

#include <cwchar>

#include "ui/core/UIAttribute.h"

namespace SkinUI {

CRotateAnimateUI::CRotateAnimateUI() = default;
CRotateAnimateUI::~CRotateAnimateUI() = default;

void CRotateAnimateUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    m_timer.Follow();
}

void CRotateAnimateUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    m_timer.Follow();
}

void CRotateAnimateUI::Initialize() {
    CControlUI::Initialize();
    if (!m_bAutoStart) return;
    m_bStopped = true;
    Start();
}

void CRotateAnimateUI::Start() {
    // An image given before the spinner was attached could not be loaded then: now it can.
    if (m_backImage.image == nullptr && m_pManager != nullptr)
        SetBackImage(CUIString(m_backImage.description));
    if (m_backImage.image == nullptr || !m_bStopped) return;
    m_bStopped = false;
    m_timer.Start(static_cast<UINT>(m_nInterval));
}

void CRotateAnimateUI::Stop() {
    m_nTick = 0;
    m_bStopped = true;
    m_timer.Stop();
}

void CRotateAnimateUI::ProcessEvent(TControlEvent& event) {
    if (event.nKind != kEventTimer) {
        CControlUI::ProcessEvent(event);
        return;
    }
    if (!IsVisible()) return;
    if (++m_nTick > kStepsPerTurn) {
        if (!m_bLoop) {
            Stop();
            return;
        }
        m_nTick = 0;
    }
    InvalidateSelf();
}

void CRotateAnimateUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name != nullptr && wcscmp(name, L"interval") == 0)
        SetInterval(ParseAttrInt(value));
    else if (name != nullptr && wcscmp(name, L"auto") == 0)
        SetAutoStart(ParseAttrBool(value));
    else if (name != nullptr && wcscmp(name, L"loop") == 0)
        SetLoop(ParseAttrBool(value));
    else
        CControlUI::ApplyAttribute(name, value);
}

void CRotateAnimateUI::PaintBackImage(HDC hDC) { DrawImage(hDC, m_backImage, Angle()); }

}  // namespace SkinUI
