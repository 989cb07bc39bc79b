// The window manager's painting: layout passes, the off-screen (double-buffered) path, the
// per-pixel alpha path of layered windows, and printing the client area.

#include <algorithm>
#include <vector>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/RegionRects.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

// "showdirty": the updated rectangle framed in this pen (process-wide, kept until exit).
HPEN DirtyRectPen() {
    static const bxutil::CPenHandle pen(::CreatePen(PS_SOLID, 1, RGB(220, 0, 0)));
    return pen.Get();
}

// Every visible control that asked for layout; its subtree is skipped, since placing the
// control places its children again.
CControlUI* CollectUpdateNeeded(CControlUI* control, LPVOID data) {
    if (!control->IsUpdateNeeded()) return nullptr;
    static_cast<CUIPtrArray*>(data)->Add(control);
    return control;
}

// The update rectangle limited to a surface of the given size.
RECT ClipToSurface(const RECT& update, LONG width, LONG height) {
    RECT clipped;
    if (!RectIntersect(clipped, update, RECT{0, 0, width, height})) return RECT{0, 0, 0, 0};
    return clipped;
}

// The rectangles of the window's update region, or none when they are more than a paint
// should visit one by one (the caller then paints their bounding box).
std::vector<RECT> UpdateRegionParts(HWND hwnd) {
    constexpr size_t kMostParts = 8;
    std::vector<RECT> parts;
    const bxutil::CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    if (region && ::GetUpdateRgn(hwnd, region.Get(), FALSE) == COMPLEXREGION)
        RegionRects(region.Get(), kMostParts, parts);
    return parts;
}

}  // namespace

bool CWindowManagerUI::OnPaint() {
    RECT update{};
    if (!::GetUpdateRect(m_hWndPaint, &update, FALSE)) return true;
    // The update region's own rectangles, read before BeginPaint validates them: two controls
    // far apart repaint themselves, not the box around both.
    const std::vector<RECT> regionParts = UpdateRegionParts(m_hWndPaint);
    {
        const bxutil::CPaintScope paint(m_hWndPaint);
        if (m_pRoot == nullptr) return true;
        PaintUpdate(paint.Dc(), paint.PaintRect(), regionParts);
    }
    // Painting asked for another layout (a control changed its size while drawn).
    if (m_bUpdateNeeded) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    return true;
}

void CWindowManagerUI::PaintUpdate(HDC dc, const RECT& paintRect, const std::vector<RECT>& regionParts) {
    RECT client{};
    ::GetClientRect(m_hWndPaint, &client);
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        if (!RectIsEmpty(client)) LayoutTree(client);
    }
    if (m_bFocusNeeded && !::IsIconic(m_hWndPaint)) MoveTabFocus(true);

    const std::vector<RECT> parts =
        regionParts.empty() ? std::vector<RECT>{paintRect} : regionParts;
    if (m_paintObserver) {
        for (const RECT& part : parts) m_paintObserver(part);
    }
    if (m_bAlphaPaint) {
        PaintPerPixelAlpha(client, parts);
    } else if (m_bOffscreenPaint) {
        PaintOffscreen(dc, client, parts);
    } else {
        for (const RECT& part : parts) m_pRoot->Paint(dc, part);
    }
}

void CWindowManagerUI::LayoutTree(const RECT& client) {
    if (m_pRoot->IsUpdateNeeded()) {
        // A new layout of the whole tree: the surfaces are made again at the new size.
        ReleaseSurfaces();
        m_pRoot->Place(client, true);
    } else {
        m_aFoundControls.Empty();
        m_pRoot->Find(CollectUpdateNeeded, &m_aFoundControls,
                      kFindMeFirst | kFindUpdateTest | kFindVisible);
        for (int i = 0; i < m_aFoundControls.GetSize(); ++i) {
            auto* control = static_cast<CControlUI*>(m_aFoundControls.GetAt(i));
            control->Place(control->IsFloat() ? control->RelativeRect() : control->Rect(), true);
        }
        m_aFoundControls.Empty();
    }
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        OnFirstLayout();
    }
}

void CWindowManagerUI::OnFirstLayout() {
    m_pShadow->Create(this);
    SendNotification(m_pRoot, L"windowinit");
}

void CWindowManagerUI::PaintTreeInto(HDC dc, const RECT& update) {
    m_pRoot->Paint(dc, update);
    // Overlay painters may unregister themselves while painting: the list is read afresh.
    for (int i = 0; i < m_aPostPaintControls.GetSize(); ++i)
        static_cast<CControlUI*>(m_aPostPaintControls.GetAt(i))->PaintOverlay(dc, update);
}

void CWindowManagerUI::PaintOffscreen(HDC paintDC, const RECT& client,
                                      const std::vector<RECT>& parts) {
    if (m_pOffscreen == nullptr)
        m_pOffscreen = std::make_unique<CDibSurfaceUI>(RectWidth(client), RectHeight(client));
    if (!m_pOffscreen->IsValid()) {
        // No memory for the surface: paint straight onto the window rather than not at all.
        for (const RECT& part : parts) m_pRoot->Paint(paintDC, part);
        return;
    }
    if (m_bBackgroundTransparent) CopyBackdrop(paintDC);
    for (const RECT& part : parts) PaintOffscreenPart(paintDC, part);
}

void CWindowManagerUI::PaintOffscreenPart(HDC paintDC, const RECT& part) {
    HDC surface = m_pOffscreen->DC();
    const RECT area = ClipToSurface(part, m_pOffscreen->Width(), m_pOffscreen->Height());
    const LONG areaWidth = RectWidth(area);
    const LONG areaHeight = RectHeight(area);
    if (m_bBackgroundTransparent && m_backgroundSelection)
        ::BitBlt(surface, area.left, area.top, areaWidth, areaHeight, m_hDcBackground.Get(),
                 area.left, area.top, SRCCOPY);
    PaintTreeInto(surface, part);
    ::BitBlt(paintDC, area.left, area.top, areaWidth, areaHeight, surface, area.left, area.top,
             SRCCOPY);
    if (m_bShowUpdateRect) {
        const bxutil::CSelectObject pen(paintDC, DirtyRectPen());
        const bxutil::CSelectObject brush(paintDC, ::GetStockObject(HOLLOW_BRUSH));
        ::Rectangle(paintDC, part.left, part.top, part.right, part.bottom);
    }
}

void CWindowManagerUI::CopyBackdrop(HDC paintDC) {
    if (m_hDcBackground) return;
    RECT window{};
    ::GetWindowRect(m_hWndPaint, &window);
    const LONG width = RectWidth(window);
    const LONG height = RectHeight(window);
    m_hDcBackground.Reset(::CreateCompatibleDC(paintDC));
    m_hbmpBackground.Reset(::CreateCompatibleBitmap(paintDC, width, height));
    if (!m_hDcBackground || !m_hbmpBackground) return;
    m_backgroundSelection = bxutil::CSelectObject(m_hDcBackground.Get(), m_hbmpBackground.Get());
    // What lies behind the window: the owner's picture at the window's place, or else what the
    // window's own context shows.
    HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER);
    if (owner == nullptr) {
        ::BitBlt(m_hDcBackground.Get(), 0, 0, width, height, paintDC, 0, 0, SRCCOPY);
        return;
    }
    POINT origin{0, 0};
    ::ClientToScreen(owner, &origin);
    const bxutil::CWindowDC ownerDC(owner);
    ::BitBlt(m_hDcBackground.Get(), 0, 0, width, height, ownerDC.Get(), window.left - origin.x,
             window.top - origin.y, SRCCOPY);
}

void CWindowManagerUI::PaintPerPixelAlpha(const RECT& client, const std::vector<RECT>& parts) {
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    if ((style & WS_EX_LAYERED) == 0)
        ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, style | WS_EX_LAYERED);
    const LONG width = RectWidth(client);
    const LONG height = RectHeight(client);
    if (m_pAlphaSurface == nullptr) m_pAlphaSurface = std::make_unique<CDibSurfaceUI>(width, height);
    if (!m_pAlphaSurface->IsValid()) return;

    DWORD* bits = m_pAlphaSurface->Bits();
    const size_t stride = static_cast<size_t>(m_pAlphaSurface->Width());
    for (const RECT& part : parts) {
        const RECT area =
            ClipToSurface(part, m_pAlphaSurface->Width(), m_pAlphaSurface->Height());
        auto forEachPixel = [&](auto&& visit) {
            for (LONG y = area.top; y < area.bottom; ++y)
                for (LONG x = area.left; x < area.right; ++x) visit(bits[y * stride + x]);
        };
        ::GdiFlush();
        forEachPixel([](DWORD& pixel) { pixel = 0; });  // transparent until painted
        PaintTreeInto(m_pAlphaSurface->DC(), part);
        ::GdiFlush();
        // GDI drawing leaves alpha at 0: what it drew (anything not black) becomes opaque.
        forEachPixel([](DWORD& pixel) {
            if ((pixel & 0xFF000000u) == 0 && (pixel & 0x00FFFFFFu) != 0) pixel |= 0xFF000000u;
        });
    }

    RECT window{};
    ::GetWindowRect(m_hWndPaint, &window);
    POINT position{window.left, window.top};
    SIZE size{RectWidth(window), RectHeight(window)};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hWndPaint, nullptr, &position, &size, m_pAlphaSurface->DC(), &source,
                          0, &blend, ULW_ALPHA);
}

void CWindowManagerUI::ReleaseSurfaces() {
    m_pOffscreen.reset();
    m_backgroundSelection.Reset();
    m_hDcBackground.Reset();
    m_hbmpBackground.Reset();
    m_pAlphaSurface.reset();
}

LRESULT CWindowManagerUI::OnPrintClient(HDC dc, LPARAM flags) {
    RECT client{};
    ::GetClientRect(m_hWndPaint, &client);
    const bool laidOut = m_pRoot != nullptr && m_pRoot->Rect().right != 0;
    if (laidOut || (m_pRoot != nullptr && m_strAnimateImage.IsEmpty())) {
        m_pRoot->Paint(dc, client);
        if ((flags & PRF_CHILDREN) != 0) PrintChildWindows(dc, flags);
        return 0;
    }
    // Before the controls have a size: the placeholder picture over the client area.
    const TImageData* image = m_strAnimateImage.IsEmpty() ? nullptr : GetImageCached(m_strAnimateImage);
    if (image != nullptr) {
        const RECT source{0, 0, image->nWidth, image->nHeight};
        CUIRender::DrawImage(dc, image->hBitmap.Get(), client, client, source, RECT{0, 0, 0, 0},
                             image->bAlpha);
    }
    return 0;
}

void CWindowManagerUI::PrintChildWindows(HDC dc, LPARAM flags) {
    // The child windows, in z-order, each at its own offset in the client area.
    for (HWND child = ::GetWindow(m_hWndPaint, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rc{};
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(HWND_DESKTOP, m_hWndPaint, reinterpret_cast<POINT*>(&rc), 2);
        const int saved = ::SaveDC(dc);
        ::SetWindowOrgEx(dc, -rc.left, -rc.top, nullptr);
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
        ::RestoreDC(dc, saved);
    }
}

}  // namespace SkinUI
