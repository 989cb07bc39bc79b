// The rotating spinner.

#include "ui/controls/RotateAnimateUI.h"

#include "ui/core/manager/ControlFactory.h"


namespace SkinUI {

CRotateAnimateUI::CRotateAnimateUI() : CAnimatedControlUI(kTimerId) {}
CRotateAnimateUI::~CRotateAnimateUI() = default;

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
    StartTicks();
}

void CRotateAnimateUI::Stop() {
    m_nTick = 0;
    m_bStopped = true;
    StopTicks();
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

void CRotateAnimateUI::PaintBackImage(HDC hDC) { DrawImage(hDC, m_backImage, Angle()); }

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"RotateAnimateUI", &CreateControlOf<CRotateAnimateUI>);
}  // namespace

}  // namespace SkinUI
