// The window shadow: settings, the shadow window and its class, following the parent window
// through its subclassed procedure, and the computed soft shadow.

#include "ui/core/manager/ShadowUI.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "ui/core/base/UIDpi.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/render/UIRender.h"
#include "ui/core/skin/ResourceData.h"

namespace SkinUI {

const wchar_t CShadowUI::kWindowClassName[] = L"OmbriShadowWnd";

namespace {

// Bits of CShadowUI::m_status.
constexpr BYTE kEnabled = 0x1;
constexpr BYTE kShadowVisible = 0x2;
constexpr BYTE kParentVisible = 0x4;

// Size, offsets and sharpness stay within this many pixels at 96 DPI; the limit grows with the
// window's density, as the values the skin gives do.
constexpr int kMaxReach = 20;

// What the subclass procedure needs for one followed window. The previous procedure lives here
// rather than in the shadow, so that the window keeps working when its shadow goes first while
// someone else's procedure is stacked above ours (then ours cannot be taken out of the chain).
struct TLink {
    CShadowUI* shadow;  // null once the shadow is gone
    WNDPROC previous;
};

// Followed window -> its shadow. Never destroyed: windows may still send messages while the
// process's static objects are being torn down.
std::unordered_map<HWND, TLink>& Links() {
    static auto* links = new std::unordered_map<HWND, TLink>();
    return *links;
}

HINSTANCE g_hClassInstance = nullptr;  // the module the shadow class is registered with

// The class is registered as soon as the framework learns its module instance (this runs in
// every program that links the shadow, before main).
const bool g_bRegistersWithModule = [] {
    CWindowResourcesUI::AddModuleInstanceHook(
        [](HINSTANCE instance) { CShadowUI::RegisterWindowClass(instance); });
    return true;
}();

// A colour at an opacity, premultiplied: (a << 24) | each of blue, green, red × a / 255.
DWORD ShadowPixel(DWORD color, int alpha) {
    const DWORD a = static_cast<DWORD>(std::clamp(alpha, 0, 255));
    auto channel = [&](int shift) { return (((color >> shift) & 0xFFu) * a / 255) << shift; };
    return (a << 24) | channel(16) | channel(8) | channel(0);
}

// The blur kernel: (2 reach + 1)² pixels, full darkness inside the core radius, falling off
// linearly over sharpness + 1 pixels beyond it, nothing beyond the reach.
std::vector<DWORD> ShadowKernel(const TShadowShape& shape, int reach, int core) {
    const int side = 2 * reach + 1;
    std::vector<DWORD> kernel(static_cast<size_t>(side) * side, 0);
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            int alpha = 0;
            if (d < core) {
                alpha = shape.darkness;
            } else if (d <= reach) {
                alpha = static_cast<int>((1.0 - (d - core) / (shape.sharpness + 1)) *
                                         shape.darkness);
            }
            kernel[static_cast<size_t>(dy + reach) * side + dx + reach] =
                ShadowPixel(shape.color, alpha);
        }
    }
    return kernel;
}

// The shadow bitmap with its size, plus the helpers that write into it (every write is cut to
// the bitmap).
class CShadowCanvas {
public:
    CShadowCanvas(DWORD* bits, int width, int height)
        : m_pBits(bits), m_nWidth(width), m_nHeight(height) {}

    // Keeps, per pixel, the larger of the pixel and the kernel centred on (cx, cy); the alpha
    // byte dominates the comparison.
    void Stamp(const std::vector<DWORD>& kernel, int reach, int cx, int cy) {
        const int side = 2 * reach + 1;
        const int x0 = std::max(cx - reach, 0);
        const int x1 = std::min(cx + reach + 1, m_nWidth);
        if (x0 >= x1) return;
        for (int y = std::max(cy - reach, 0); y < std::min(cy + reach + 1, m_nHeight); ++y) {
            DWORD* row = Row(y);
            const DWORD* source = &kernel[static_cast<size_t>(y - cy + reach) * side];
            for (int x = x0; x < x1; ++x) row[x] = std::max(row[x], source[x - cx + reach]);
        }
    }
    void Fill(int y, int from, int to, DWORD value) {
        from = std::max(from, 0);
        to = std::min(to, m_nWidth);
        if (from < to) std::fill(Row(y) + from, Row(y) + to, value);
    }

private:
    DWORD* Row(int y) { return m_pBits + static_cast<size_t>(y) * m_nWidth; }

    DWORD* m_pBits;
    int m_nWidth;
    int m_nHeight;
};

// The picture shadow: the picture as a nine-slice around the window, its middle left empty.
std::unique_ptr<CDibSurfaceUI> DrawPictureShadow(CWindowManagerUI* manager, const CUIString& image,
                                                 const RECT& corner, int width, int height) {
    if (manager == nullptr || image.IsEmpty()) return nullptr;
    TImageSpec spec;
    TImageSource source;
    ParseImageDescription(image, spec, source);
    const TImageData* picture = manager->GetImageCached(
        source.name, source.fromResource ? static_cast<LPCWSTR>(source.resourceType) : nullptr,
        source.mask);
    if (picture == nullptr) return nullptr;
    auto surface = std::make_unique<CDibSurfaceUI>(width + corner.left + corner.right,
                                                   height + corner.top + corner.bottom);
    if (!surface->IsValid()) return nullptr;
    const RECT whole{0, 0, surface->Width(), surface->Height()};
    const RECT pictureRect{0, 0, picture->nWidth, picture->nHeight};
    CUIRender::DrawImage(surface->DC(), picture->hBitmap.Get(), whole, whole, pictureRect, corner,
                         picture->bAlpha, 255, true);
    return surface;
}

std::unique_ptr<CDibSurfaceUI> DrawComputedShadow(HWND parent, const TShadowShape& shape,
                                                  int width, int height) {
    auto surface = std::make_unique<CDibSurfaceUI>(width + 2 * shape.size,
                                                   height + 2 * shape.size);
    if (!surface->IsValid()) return nullptr;
    std::fill(surface->Bits(), surface->Bits() + surface->PixelCount(), 0u);
    bxutil::CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    const bool hasRegion = region && ::GetWindowRgn(parent, region.Get()) != ERROR;
    const auto outline =
        CShadowUI::RegionOutline(hasRegion ? region.Get() : nullptr, width, height);
    CShadowUI::ComputeShadow(shape, outline, width, height, surface->Bits());
    return surface;
}

}  // namespace

CShadowUI::CShadowUI(CWindowManagerUI* manager) : m_pManager(manager) {}

CShadowUI::~CShadowUI() {
    DetachFromParent();
    m_hWnd.Reset();
}

bool CShadowUI::RegisterWindowClass(HINSTANCE instance) {
    if (instance == nullptr) instance = ::GetModuleHandleW(nullptr);
    if (g_hClassInstance != nullptr) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kWindowClassName;
    if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    g_hClassInstance = instance;
    return true;
}

// ---- Settings -----------------------------------------------------------------------------------

bool CShadowUI::SetSize(int size) {
    const int reach = MaxReach();
    if (size < -reach || size > reach) return false;
    m_shape.size = size;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetSharpness(int sharpness) {
    if (sharpness < 0 || sharpness > MaxReach()) return false;
    m_shape.sharpness = sharpness;
    m_bSharpnessSet = true;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetDarkness(int darkness) {
    if (darkness < 0 || darkness > 255) return false;
    m_shape.darkness = darkness;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetPosition(int x, int y) {
    const int reach = MaxReach();
    if (x < -reach || x > reach || y < -reach || y > reach) return false;
    m_shape.xOffset = x;
    m_shape.yOffset = y;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetColor(DWORD argb) {
    m_shape.color = argb;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetShadowCorner(const RECT& corner) {
    if (corner.left < 0 || corner.top < 0 || corner.right < 0 || corner.bottom < 0) return false;
    m_rcCorner = corner;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetImage(LPCWSTR description) {
    if (description == nullptr) return false;
    m_strImage = description;
    m_bUseImage = true;
    RedrawIfVisible();
    return true;
}

void CShadowUI::ShowShadow(bool show) {
    m_bShow = show;
    if (!m_hWnd) return;
    // Without activation: the shadow must never take the focus from the window it belongs to.
    ::ShowWindow(m_hWnd.Get(), show ? SW_SHOWNA : SW_HIDE);
    SetVisibleBit(show);
}

void CShadowUI::SetVisibleBit(bool visible) {
    m_status = visible ? (m_status | kShadowVisible) : (m_status & ~kShadowVisible);
}

void CShadowUI::RedrawIfVisible() {
    if (m_hWnd && m_hWndParent != nullptr && ::IsWindowVisible(m_hWnd.Get())) {
        Update(m_hWndParent);
    }
}

// ---- The shadow window --------------------------------------------------------------------------

void CShadowUI::Create(CWindowManagerUI* manager) {
    if (manager != nullptr) m_pManager = manager;
    if (!m_bShow || m_pManager == nullptr || m_hWnd) return;
    HWND parent = m_pManager->GetPaintWindow();
    if (parent == nullptr || !::IsWindow(parent) || Links().count(parent) != 0) return;
    if (!RegisterWindowClass(CWindowManagerUI::ModuleInstance())) return;

    const LONG_PTR parentStyle = ::GetWindowLongPtrW(parent, GWL_STYLE);
    const DWORD style = WS_POPUPWINDOW | (static_cast<DWORD>(parentStyle) & WS_DLGFRAME);
    m_hWnd.Reset(::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kWindowClassName, nullptr,
                                   style, CW_USEDEFAULT, 0, 0, 0, parent, nullptr,
                                   g_hClassInstance, nullptr));
    if (!m_hWnd) return;
    m_hWndParent = parent;

    if (!::IsWindowVisible(parent)) {
        m_status = kEnabled;
    } else if (::IsZoomed(parent) || ::IsIconic(parent)) {
        m_status = kEnabled | kParentVisible;
    } else {
        m_status = kEnabled | kShadowVisible | kParentVisible;
        ::ShowWindow(m_hWnd.Get(), SW_SHOWNA);
        Update(parent);
    }

    // Follow the parent: our procedure sees its messages first and then hands them on.
    const auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(parent, GWLP_WNDPROC));
    Links()[parent] = TLink{this, previous};
    ::SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc));
}

void CShadowUI::DetachFromParent() {
    if (m_hWndParent == nullptr) return;
    auto& links = Links();
    auto found = links.find(m_hWndParent);
    if (found != links.end() && found->second.shadow == this) {
        const auto current =
            reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWndParent, GWLP_WNDPROC));
        if (current == &CShadowUI::ParentProc) {
            ::SetWindowLongPtrW(m_hWndParent, GWLP_WNDPROC,
                                reinterpret_cast<LONG_PTR>(found->second.previous));
            links.erase(found);
        } else {
            found->second.shadow = nullptr;  // our procedure stays in the chain and only forwards
        }
    }
    m_hWndParent = nullptr;
    m_status = 0;
}

int CShadowUI::Dpi() const { return m_pManager != nullptr ? m_pManager->Dpi() : kBaseDpi; }

// The reach of a window on a denser screen grows as much as the window does.
int CShadowUI::MaxReach() const { return ScaleByDpi(kMaxReach, Dpi()); }

// A sharpness nobody set is the default blur of a skin, which grows with the window as the skin's
// lengths do.
TShadowShape CShadowUI::DrawnShape() const {
    TShadowShape shape = m_shape;
    if (!m_bSharpnessSet)
        shape.sharpness = ScaleByDpi(shape.sharpness, Dpi());
    return shape;
}

POINT CShadowUI::ShadowOrigin(const RECT& parentRect) const {
    if (m_bUseImage) return POINT{parentRect.left - m_rcCorner.left, parentRect.top - m_rcCorner.top};
    return POINT{parentRect.left + m_shape.xOffset - m_shape.size,
                 parentRect.top + m_shape.yOffset - m_shape.size};
}

void CShadowUI::Update(HWND parent) {
    RECT rc;
    if (!m_hWnd || parent == nullptr || !::GetWindowRect(parent, &rc)) return;
    const int width = RectWidth(rc);
    const int height = RectHeight(rc);
    std::unique_ptr<CDibSurfaceUI> surface =
        m_bUseImage ? DrawPictureShadow(m_pManager, m_strImage, m_rcCorner, width, height)
                    : DrawComputedShadow(parent, DrawnShape(), width, height);
    if (!surface) return;

    POINT origin = ShadowOrigin(rc);
    SIZE size{surface->Width(), surface->Height()};
    ::SetWindowPos(m_hWnd.Get(), nullptr, origin.x, origin.y, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    POINT sourceOrigin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hWnd.Get(), nullptr, &origin, &size, surface->DC(), &sourceOrigin, 0,
                          &blend, ULW_ALPHA);
}

// ---- Following the parent -----------------------------------------------------------------------

LRESULT CALLBACK CShadowUI::ParentProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& links = Links();
    auto found = links.find(hWnd);
    if (found == links.end()) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    // Copied out: our handling may create other shadows and so rearrange the map.
    const TLink link = found->second;
    if (link.shadow != nullptr) link.shadow->OnParentMessage(hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) links.erase(hWnd);
    return ::CallWindowProcW(link.previous, hWnd, message, wParam, lParam);
}

void CShadowUI::OnParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOVE:
        if (m_status != 0 && m_hWnd) {
            RECT rc;
            ::GetWindowRect(parent, &rc);
            const POINT origin = ShadowOrigin(rc);
            ::SetWindowPos(m_hWnd.Get(), nullptr, origin.x, origin.y, 0, 0,
                           SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
        break;
    case WM_SIZE:
        OnParentSize(parent, wParam, lParam);
        break;
    case WM_PAINT:
        if (m_bUpdatePending) {
            Update(parent);
            m_bUpdatePending = false;
        }
        break;
    case WM_SHOWWINDOW:
        if (m_status & kEnabled) OnParentShow(wParam != FALSE);
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_RESTORE) m_bUpdatePending = true;
        break;
    case WM_EXITSIZEMOVE:
        if (m_status & kShadowVisible) Update(parent);
        break;
    case WM_DESTROY:
        m_hWnd.Reset();  // an owned window goes with its owner: it may be gone already
        break;
    case WM_NCDESTROY:
        m_hWndParent = nullptr;
        m_status = 0;
        break;
    default:
        break;
    }
}

void CShadowUI::OnParentSize(HWND parent, WPARAM kind, LPARAM size) {
    if (!(m_status & kEnabled) || !m_hWnd) return;
    if (kind == SIZE_MINIMIZED || kind == SIZE_MAXIMIZED) {
        ::ShowWindow(m_hWnd.Get(), SW_HIDE);
        SetVisibleBit(false);
    } else if (m_status & kParentVisible) {
        // A growing window is redrawn at its next paint, so that dragging its border does not
        // recompute the shadow at every step.
        const bool grew = LOWORD(size) > LOWORD(m_lastSize) || HIWORD(size) > HIWORD(m_lastSize);
        if (grew) {
            m_bUpdatePending = true;
        } else {
            Update(parent);
        }
        if (!(m_status & kShadowVisible)) {
            ::ShowWindow(m_hWnd.Get(), SW_SHOWNA);
            SetVisibleBit(true);
        }
    }
    m_lastSize = size;
}

void CShadowUI::OnParentShow(bool showing) {
    if (!m_hWnd) return;
    if (showing) {
        if (m_status & kParentVisible) return;
        m_bUpdatePending = true;
        ::ShowWindow(m_hWnd.Get(), SW_SHOWNA);
        m_status |= kShadowVisible | kParentVisible;
    } else {
        ::ShowWindow(m_hWnd.Get(), SW_HIDE);
        m_status &= ~(kShadowVisible | kParentVisible);
    }
}

// ---- The computed shadow ------------------------------------------------------------------------

std::vector<TShadowRow> CShadowUI::RegionOutline(HRGN region, int width, int height) {
    std::vector<TShadowRow> rows(static_cast<size_t>(std::max(height, 0)), TShadowRow{width, 0});
    if (region == nullptr || rows.empty()) return rows;
    const DWORD bytes = ::GetRegionData(region, 0, nullptr);
    if (bytes < sizeof(RGNDATAHEADER)) return rows;
    std::vector<BYTE> buffer(bytes);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (::GetRegionData(region, bytes, data) == 0) return rows;
    const DWORD count = std::min<DWORD>(data->rdh.nCount,
                                        (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT));
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < count; ++i) {
        const RECT& rc = rects[i];
        const int left = std::max<int>(rc.left, 0);
        const int right = std::min<int>(rc.right, width);
        if (left >= right) continue;
        for (int y = std::max<int>(rc.top, 0); y < std::min<int>(rc.bottom, height); ++y) {
            rows[y].start = std::min(rows[y].start, left);
            rows[y].end = std::max(rows[y].end, right);
        }
    }
    return rows;
}

// The shadow is built per row on horizontal extents: the window's outline moved by the size,
// shrunk by erosion until the blurred edge fits inside the bitmap, the kernel stamped along the
// left and right ends of each row (whole rows at the top and bottom), the rest filled with the
// core colour, and the part under the window cleared.
void CShadowUI::ComputeShadow(const TShadowShape& shape, const std::vector<TShadowRow>& outline,
                              int width, int height, DWORD* bits) {
    const int s = shape.size;
    const int shadowWidth = width + 2 * s;
    const int shadowHeight = height + 2 * s;
    if (bits == nullptr || width <= 0 || height <= 0 || shadowWidth <= 0 || shadowHeight <= 0) {
        return;
    }
    const int reach = std::max(s, shape.sharpness);
    const int core = s > shape.sharpness ? s - shape.sharpness : 0;
    const int count = std::max(height, shadowHeight);
    const int parentRows = std::min<int>(height, static_cast<int>(outline.size()));
    const TShadowRow empty{width, 0};

    // Rows 1..count; rows 0 and count + 1 stay empty guards. Parent rows that a negative size
    // moves above the bitmap are dropped.
    std::vector<TShadowRow> rows(static_cast<size_t>(count) + 2, empty);
    for (int y = 0; y < parentRows; ++y) {
        const int r = y + s + 1;
        const TShadowRow& row = outline[y];
        if (r >= 1 && r <= count && row.start < row.end) rows[r] = {row.start + s, row.end + s};
    }
    std::vector<TShadowRow> eroded(rows.size(), empty);
    for (int pass = 0; pass < shape.sharpness - s; ++pass) {
        for (int r = 1; r <= count; ++r) {
            eroded[r].start =
                std::max({rows[r - 1].start, rows[r].start, rows[r + 1].start}) + 1;
            eroded[r].end = std::min({rows[r - 1].end, rows[r].end, rows[r + 1].end}) - 1;
        }
        rows.swap(eroded);
    }

    CShadowCanvas canvas(bits, shadowWidth, shadowHeight);
    const std::vector<DWORD> kernel = ShadowKernel(shape, reach, core);
    for (int i = reach; i <= shadowHeight - reach - 1; ++i) {
        const TShadowRow& row = rows[i + 1];
        if (row.start >= row.end) continue;
        const TShadowRow& above = rows[i];
        const TShadowRow& below = rows[i + 2];
        // Stamps left of the bitmap or beyond its right edge would change nothing.
        const int from = std::max(row.start, -reach);
        const int to = std::min(row.end, shadowWidth + reach);
        const int stop = std::min(std::max(above.start, below.start) + 1, to);
        for (int x = from; x < stop; ++x) canvas.Stamp(kernel, reach, x, i);
        for (int x = std::max({stop, std::min(above.end, below.end) - 1, from}); x < to; ++x) {
            canvas.Stamp(kernel, reach, x, i);
        }
    }

    const DWORD centre = ShadowPixel(shape.color, shape.darkness);
    const int first = std::max(std::min(reach, std::max(s - shape.yOffset, 0)), 0);
    const int last = std::min(std::max(shadowHeight - reach,
                                       std::min(height + s - shape.yOffset, shadowHeight)),
                              shadowHeight);
    const int shift = s - shape.xOffset;
    for (int i = first; i < last; ++i) {
        const TShadowRow& row = rows[i + 1];
        const int p = i - s + shape.yOffset;
        if (p < 0 || p >= parentRows) {
            canvas.Fill(i, row.start, row.end, centre);
            continue;
        }
        const int windowStart = outline[p].start + shift;
        const int windowEnd = outline[p].end + shift;
        canvas.Fill(i, row.start, std::min(windowStart, row.end), centre);
        canvas.Fill(i, windowStart, windowEnd, 0);
        canvas.Fill(i, std::max(windowEnd, row.start), row.end, centre);
    }
}

}  // namespace SkinUI
