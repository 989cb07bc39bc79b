// Numbered picture sequences.

#include "ui/controls/SequencePictureUI.h"

#include <cstdint>
#include <cwchar>

#include "ui/controls/AnimationFrames.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlMath.h"

namespace SkinUI {

CSequencePictureUI::CSequencePictureUI() : CAnimatedControlUI(kTimerId) {
    UseAttributes(Attributes());
}
CSequencePictureUI::~CSequencePictureUI() = default;

LPVOID CSequencePictureUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"SequencePic") == 0) return this;
    return CControlUI::InterfaceByName(name);
}

void CSequencePictureUI::Initialize() {
    CControlUI::Initialize();
    if (m_bAutoStart) Start();
}

void CSequencePictureUI::Start() {
    m_bStopped = false;
    m_bReachedEnd = false;
    StartTicks();
}

void CSequencePictureUI::Stop() {
    m_bStopped = true;
    if (!m_bKeepFrameOnStop) m_nFrameIndex = m_nStartIndex;
    if (m_bResetDirectionOnStop) m_bReverse = false;
    StopTicks();
}

void CSequencePictureUI::Step() {
    if (!IsVisible()) return;
    // 64-bit: the frame numbers come from the skin and may sit at the ends of the int range.
    int64_t next = static_cast<int64_t>(m_nFrameIndex) +
                   (m_bReverse ? -m_nFrameStep : m_nFrameStep);
    if (m_strPicture.IsEmpty()) {
        m_nFrameIndex = ClampToInt(next);
        return;
    }
    if (next < m_nStartIndex) {
        if (m_bLoop) {
            next = m_bReverse ? m_nEndIndex : m_nStartIndex;
        } else if (m_bReverse && (!m_bHoldLastFrame || m_bReachedEnd)) {
            Stop();
            return;
        } else {
            if (m_bReverse) m_bReachedEnd = true;
            next = m_nStartIndex;
        }
    }
    if (next > m_nEndIndex) {
        if (m_bLoop) {
            next = m_nStartIndex;
        } else if (!m_bHoldLastFrame || m_bReachedEnd) {
            Stop();
            return;
        } else {
            next = m_nEndIndex;
            m_bReachedEnd = true;
        }
    }
    m_nFrameIndex = ClampToInt(next);
    SetBackImage(FrameName(m_strPicture, m_nFrameIndex));
}

void CSequencePictureUI::ProcessEvent(TControlEvent& event) {
    if (event.nKind == kEventTimer && event.wParam == kTimerId) {
        Step();
        return;
    }
    if (m_eventListeners.Invoke(&event)) CControlUI::ProcessEvent(event);
}

const CAttributeTable<CSequencePictureUI>& CSequencePictureUI::Attributes() {
    using C = CSequencePictureUI;
    static const TAttributeRow<C> rows[] = {
        AttrInt::Row<&C::SetStartIndex>(L"startindex"),
        AttrInt::Row<&C::SetEndIndex>(L"endindex"),
        AttrText::Row<&C::SetPicture>(L"picture"),
    };
    static const CAttributeTable<C> table(rows, &CAnimatedControlUI::Attributes());
    return table;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"SequencePic", &CreateControlOf<CSequencePictureUI>);
}  // namespace

}  // namespace SkinUI
