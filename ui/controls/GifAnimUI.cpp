// Animated GIFs through GDI+: reading the file from the skin, the frames and their delays,
// playing on the control timer.

#include "ui/controls/GifAnimUI.h"

#include <oleacc.h>

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "support/ComHolders.h"
#include "support/UniqueHandle.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/skin/SkinImage.h"
#include "ui/core/skin/SkinPackage.h"

namespace SkinUI {

namespace {

using CStreamPtr = bxutil::CComRef<IStream>;

constexpr size_t kGifHeaderSize = 13;  // signature, logical screen size, flags
// A GIF keeps frame delays in 16 bits of hundredths of a second.
constexpr UINT kMaxFrameDelay = 0xFFFF * 10;

WORD ReadLe16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

// A GIF whose logical screen fits the picture limits of the skin; everything else is refused
// before GDI+ sees it (a hostile header must not make the decoder allocate gigabytes).
bool IsPlausibleGif(const std::vector<BYTE>& bytes) {
    if (bytes.size() < kGifHeaderSize) return false;
    if (memcmp(bytes.data(), "GIF87a", 6) != 0 && memcmp(bytes.data(), "GIF89a", 6) != 0)
        return false;
    const long long width = ReadLe16(&bytes[6]);
    const long long height = ReadLe16(&bytes[8]);
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

// A read-only memory stream over a copy of the bytes (the stream frees its block).
CStreamPtr StreamOver(const std::vector<BYTE>& bytes) {
    bxutil::CGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!block) return {};
    void* target = ::GlobalLock(block.Get());
    if (target == nullptr) return {};
    memcpy(target, bytes.data(), bytes.size());
    ::GlobalUnlock(block.Get());
    CStreamPtr stream;
    if (FAILED(::CreateStreamOnHGlobal(block.Get(), TRUE, stream.Receive())) || !stream) return {};
    (void)block.Release();  // the stream frees the block when it is released
    return stream;
}

}  // namespace

class CGifAnimUI::Imp {
public:
    bool Read(LPCWSTR name);
    bool SelectFrame(UINT index) {
        if (!m_image || index >= frameCount) return false;
        return m_image->SelectActiveFrame(&m_dimension, index) == Gdiplus::Ok;
    }
    int DelayOf(UINT index) const {
        return index < m_delays.size() && m_delays[index] > 0 ? static_cast<int>(m_delays[index])
                                                              : kDefaultFrameDelay;
    }
    void Draw(HDC hDC, const RECT& rc) {
        if (!m_image) return;
        Gdiplus::Graphics graphics(hDC);
        graphics.DrawImage(m_image.get(), static_cast<INT>(rc.left), static_cast<INT>(rc.top),
                           static_cast<INT>(RectWidth(rc)), static_cast<INT>(RectHeight(rc)));
    }
    bool HasImage() const { return m_image != nullptr; }

    bool manualStart = false;
    bool loaded = false;
    bool playing = false;
    bool autoStart = true;
    bool loop = true;
    UINT frameCount = 0;
    UINT frameIndex = 0;

private:
    void ReadDelays();

    CStreamPtr m_stream;  // must outlive the image that reads from it
    std::unique_ptr<Gdiplus::Image> m_image;
    GUID m_dimension{};
    std::vector<UINT> m_delays;  // ms per frame
};

bool CGifAnimUI::Imp::Read(LPCWSTR name) {
    std::vector<BYTE> bytes;
    if (!ReadSkinFileBytes(name, bytes, kMaxPictureBytes) || !IsPlausibleGif(bytes)) return false;
    m_stream = StreamOver(bytes);
    if (!m_stream) return false;
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(m_stream.Get()));
    if (!image || image->GetLastStatus() != Gdiplus::Ok) return false;
    if (image->GetFrameDimensionsCount() == 0 ||
        image->GetFrameDimensionsList(&m_dimension, 1) != Gdiplus::Ok)
        return false;
    m_image = std::move(image);
    frameCount = m_image->GetFrameCount(&m_dimension);
    ReadDelays();
    return true;
}

void CGifAnimUI::Imp::ReadDelays() {
    // One 32-bit delay (hundredths of a second) per frame; a property larger than the frames
    // can need is not read.
    const UINT size = m_image->GetPropertyItemSize(PropertyTagFrameDelay);
    const size_t most = sizeof(Gdiplus::PropertyItem) + sizeof(UINT) * size_t{frameCount};
    if (size < sizeof(Gdiplus::PropertyItem) || size > most) return;
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (m_image->GetPropertyItem(PropertyTagFrameDelay, size, item) != Gdiplus::Ok ||
        item->type != PropertyTagTypeLong || item->value == nullptr)
        return;
    const BYTE* first = static_cast<const BYTE*>(item->value);
    const BYTE* end = buffer.data() + buffer.size();
    if (first < buffer.data() || first > end) return;
    const size_t count = std::min<size_t>({item->length / sizeof(UINT),
                                           static_cast<size_t>(end - first) / sizeof(UINT),
                                           frameCount});
    m_delays.resize(count);
    for (size_t i = 0; i < count; ++i) {
        UINT hundredths = 0;
        memcpy(&hundredths, first + i * sizeof(UINT), sizeof(UINT));
        m_delays[i] = std::min(hundredths, kMaxFrameDelay / 10) * 10;
    }
}

CGifAnimUI::CGifAnimUI() : m_pImp(new (std::nothrow) Imp) { UseAttributes(Attributes()); }

CGifAnimUI::~CGifAnimUI() { Stop(); }

LPCWSTR CGifAnimUI::ClassName() const { return L"GifAnimUI"; }

LPVOID CGifAnimUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"GifAnim") == 0) return this;
    return CLabelUI::InterfaceByName(name);
}

bool CGifAnimUI::IsPlaying() const { return m_pImp && m_pImp->playing; }
bool CGifAnimUI::IsLoaded() const { return m_pImp && m_pImp->loaded; }
UINT CGifAnimUI::FrameCount() const { return m_pImp ? m_pImp->frameCount : 0; }
UINT CGifAnimUI::FrameIndex() const { return m_pImp ? m_pImp->frameIndex : 0; }
int CGifAnimUI::FrameDelay(UINT index) const {
    return m_pImp ? m_pImp->DelayOf(index) : kDefaultFrameDelay;
}
bool CGifAnimUI::IsAutoStart() const { return m_pImp && m_pImp->autoStart; }
void CGifAnimUI::SetAutoStart(bool autoStart) {
    if (m_pImp) m_pImp->autoStart = autoStart;
}
bool CGifAnimUI::IsLoop() const { return m_pImp && m_pImp->loop; }
void CGifAnimUI::SetLoop(bool loop) {
    if (m_pImp) m_pImp->loop = loop;
}

void CGifAnimUI::LoadGif() {
    if (!m_pImp) return;
    m_pImp->loaded = true;
    m_pImp->Read(m_backImage.description);
    if (!m_pImp->autoStart)
        m_pImp->manualStart = true;
    else if (IsVisible())
        Play();
}

void CGifAnimUI::Play() {
    if (!m_pImp || m_pImp->playing) return;
    if (!m_pImp->loaded) {
        LoadGif();  // plays by itself when it starts automatically
        if (m_pImp->playing) return;
    }
    // Only an attached control can run a timer, and only a GIF with something to change
    // needs one.
    if (m_pManager == nullptr || m_pImp->frameCount < 2) return;
    m_pImp->frameIndex = 0;
    m_pImp->SelectFrame(0);
    InvalidateSelf();
    if (m_pManager->SetTimer(this, kTimerId, static_cast<UINT>(m_pImp->DelayOf(0))))
        m_pImp->playing = true;
}

void CGifAnimUI::Stop() {
    if (!m_pImp || !m_pImp->playing) return;
    if (m_pManager != nullptr) m_pManager->KillTimer(this, kTimerId);
    m_pImp->playing = false;
}

void CGifAnimUI::NextFrame() {
    Imp& imp = *m_pImp;
    UINT next = imp.frameIndex + 1;
    if (next >= imp.frameCount) {
        if (!imp.loop) {
            Stop();  // the last frame stays
            return;
        }
        next = 0;
    }
    const int delay = imp.DelayOf(next);
    const bool newDelay = delay != imp.DelayOf(imp.frameIndex);
    imp.frameIndex = next;
    imp.SelectFrame(next);
    InvalidateSelf();
    // Each frame shows for its own delay: the timer is restarted when the delay changes.
    if (newDelay && m_pManager != nullptr) {
        m_pManager->KillTimer(this, kTimerId);
        m_pManager->SetTimer(this, kTimerId, static_cast<UINT>(delay));
    }
}

void CGifAnimUI::SetVisible(bool visible) {
    const bool before = IsVisible();
    CLabelUI::SetVisible(visible);
    if (!m_pImp || IsVisible() == before) return;
    if (!IsVisible())
        Stop();
    else if (!m_pImp->manualStart)
        Play();
}

void CGifAnimUI::SetInheritedVisible(bool visible) {
    const bool before = IsVisible();
    CLabelUI::SetInheritedVisible(visible);
    if (!m_pImp || IsVisible() == before) return;
    if (!IsVisible())
        Stop();
    else if (!m_pImp->manualStart)
        Play();
}

void CGifAnimUI::Initialize() {
    CLabelUI::Initialize();
    if (!m_pImp) return;
    if (!m_pImp->loaded)
        LoadGif();
    else if (!m_pImp->manualStart && IsVisible())
        Play();  // read before the control had a window: it starts now that it has one
}

void CGifAnimUI::ProcessEvent(TControlEvent& event) {
    if (event.nKind == kEventTimer) {
        if (event.wParam == kTimerId && m_pImp && m_pImp->playing && IsVisible()) NextFrame();
        return;
    }
    if (event.nKind == kEventButtonDown && m_pManager != nullptr)
        m_pManager->SendNotification(this, L"buttondown", event.wParam, event.lParam);
}

const CAttributeTable<CGifAnimUI>& CGifAnimUI::Attributes() {
    using C = CGifAnimUI;
    static const TAttributeRow<C> rows[] = {
        AttrBool::Row<&C::SetAutoStart>(L"auto"),
        AttrBool::Row<&C::SetLoop>(L"loop"),
    };
    static const CAttributeTable<C> table(rows, &CLabelUI::Attributes());
    return table;
}

void CGifAnimUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    Attributes().ApplyOwn(*this, name, value);
    // Everything, "auto" included, also goes to the label: only "loop" stops at the table.
    if (name == nullptr || wcscmp(name, L"loop") != 0)
        Attributes().ApplyInherited(*this, name, value);
}

void CGifAnimUI::Paint(HDC hDC, const RECT& dirty) {
    if (!RectIntersect(m_rcPaint, dirty, m_rcItem)) return;
    if (m_pImp) m_pImp->Draw(hDC, m_rcItem);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"GifAnim", &CreateControlOf<CGifAnimUI>, EElementCase::kExact);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CGifAnimUI::AccessibleRole() const { return ROLE_SYSTEM_ANIMATION; }

}  // namespace SkinUI
