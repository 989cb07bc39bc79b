#include "tests/ui/render/RenderTestSupport.h"

// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "support/GdiplusSession.h"
#include "tests/common/TestFiles.h"
#include "ui/core/manager/WindowManager.h"

namespace RenderTest {

CCanvas::CCanvas(int width, int height, DWORD fill) : m_surface(width, height) {
    if (m_surface.IsValid()) Fill(fill);
}

void CCanvas::Fill(DWORD value) {
    ::GdiFlush();
    std::fill(m_surface.Bits(), m_surface.Bits() + m_surface.PixelCount(), value);
}

int CCanvas::CountDiffering(DWORD background, const RECT& area, RECT* bounds) const {
    ::GdiFlush();
    int count = 0;
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = std::max<int>(0, area.top); y < std::min<int>(Height(), area.bottom); ++y) {
        for (int x = std::max<int>(0, area.left); x < std::min<int>(Width(), area.right); ++x) {
            if (Rgb(x, y) == (background & 0x00FFFFFF)) continue;
            ++count;
            box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                       std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        }
    }
    if (bounds != nullptr) *bounds = count > 0 ? box : RECT{0, 0, 0, 0};
    return count;
}

int CCanvas::CountColor(DWORD rgb, const RECT& area, int tolerance) const {
    ::GdiFlush();
    int count = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(Height(), area.bottom); ++y) {
        for (int x = std::max<int>(0, area.left); x < std::min<int>(Width(), area.right); ++x) {
            if (ChannelDistance(Rgb(x, y), rgb, false) <= tolerance) ++count;
        }
    }
    return count;
}

bool CCanvas::SavePng(const std::wstring& path) const {
    ::GdiFlush();
    return WritePng(path, m_surface.Bits(), Width(), Height(), true);
}

int ChannelDistance(DWORD a, DWORD b, bool withAlpha) {
    int worst = 0;
    for (int shift = 0; shift < (withAlpha ? 32 : 24); shift += 8) {
        const int da = static_cast<int>((a >> shift) & 0xFF);
        const int db = static_cast<int>((b >> shift) & 0xFF);
        worst = std::max(worst, std::abs(da - db));
    }
    return worst;
}

namespace {

bool PngEncoder(CLSID* clsid) {
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

bool WritePng(const std::wstring& path, const DWORD* argb, int width, int height, bool opaque) {
    StartGdiplus();
    std::vector<DWORD> pixels(argb, argb + static_cast<size_t>(width) * height);
    if (opaque) {
        for (DWORD& pixel : pixels) pixel |= 0xFF000000;
    }
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppARGB,
                           reinterpret_cast<BYTE*>(pixels.data()));
    CLSID clsid{};
    return PngEncoder(&clsid) && bitmap.Save(path.c_str(), &clsid, nullptr) == Gdiplus::Ok;
}

std::wstring FixtureFolder() { return testfiles::BuildFolder(L"render-fixtures"); }

std::wstring ArtifactFolder() { return testfiles::BuildFolder(L"artifacts\\render"); }

void StartGdiplus() {
    // Given up on purpose: GDI+ stays up until the test program ends.
    static const bool started = bxutil::StartGdiplus().Release() != 0;
    (void)started;
}

DWORD CoordsPixel(int x, int y) {
    return (static_cast<DWORD>(x * 8) << 16) | (static_cast<DWORD>(y * 2) << 8) | 0x40;
}

DWORD NineCellColor(int cell) {
    static const DWORD kPalette[9] = {0xC00000, 0x00C000, 0x0000C0, 0xC0C000, 0x00C0C0,
                                      0xC000C0, 0x804000, 0x408000, 0x004080};
    return kPalette[cell];
}

namespace {

void WritePicture(const std::wstring& folder, const wchar_t* name, int width, int height,
                  const std::function<DWORD(int, int)>& argbAt) {
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels[y * width + x] = argbAt(x, y);
    }
    WritePng(folder + name, pixels.data(), width, height, false);
}

}  // namespace

void PreparePictures() {
    static const bool prepared = [] {
        const std::wstring folder = FixtureFolder();
        constexpr DWORD kOpaque = 0xFF000000;
        WritePicture(folder, L"coords.png", 30, 90,
                     [](int x, int y) { return kOpaque | CoordsPixel(x, y); });
        WritePicture(folder, L"nine.png", 12, 12,
                     [](int x, int y) { return kOpaque | NineCellColor((y / 4) * 3 + x / 4); });
        WritePicture(folder, L"solid.png", 8, 8, [](int, int) { return kOpaque | kSolidColor; });
        WritePicture(folder, L"half.png", 8, 8, [](int, int) { return 0x80FF0000u; });
        WritePicture(folder, L"masked.png", 8, 8,
                     [](int x, int) { return x < 4 ? 0xFF00FF00u : 0xFFFF0000u; });
        WritePicture(folder, L"rot.png", 20, 20,
                     [](int, int y) { return y < 5 ? 0xFFFF0000u : 0xFF0000FFu; });
        WritePicture(folder, L"frames.png", 30, 10, [](int x, int) {
            static const DWORD kFrames[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
            return kFrames[x / 10];
        });
        SkinUI::CWindowResourcesUI::SetSkinPath(folder.c_str());
        return true;
    }();
    (void)prepared;
}

}  // namespace RenderTest
