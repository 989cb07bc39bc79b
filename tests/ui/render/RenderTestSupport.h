#pragma once
// Helpers of the render tests: an off-screen 32-bit canvas whose pixels can be read back,
// pictures written as PNG files (fixtures for the image tables, and artefacts a person can look
// at), and the test folders.

#include <windows.h>

#include <string>

#include "ui/core/render/UIRender.h"

namespace RenderTest {

// An off-screen 32-bit surface with pixel access for the checks.
class CCanvas {
public:
    CCanvas(int width, int height, DWORD fill = 0xFFFFFFFF);

    HDC DC() const { return m_surface.DC(); }
    int Width() const { return m_surface.Width(); }
    int Height() const { return m_surface.Height(); }
    RECT Rect() const { return RECT{0, 0, Width(), Height()}; }
    // The raw pixel word (B in the low byte, A in the high byte).
    DWORD At(int x, int y) const { return m_surface.Bits()[y * Width() + x]; }
    DWORD Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFF; }
    void Set(int x, int y, DWORD value) { m_surface.Bits()[y * Width() + x] = value; }
    void Fill(DWORD value);
    // Pixels whose colour differs from background, and their bounding box (empty when none).
    int CountDiffering(DWORD background, const RECT& area, RECT* bounds = nullptr) const;
    int CountColor(DWORD rgb, const RECT& area, int tolerance = 0) const;
    // Writes the canvas as an opaque PNG.
    bool SavePng(const std::wstring& path) const;

private:
    SkinUI::CDibSurfaceUI m_surface;
};

// Largest difference of the four (or, without alpha, three) channels of two pixel words.
int ChannelDistance(DWORD a, DWORD b, bool withAlpha = true);

// Writes straight (not premultiplied) ARGB pixels, rows top to bottom, as a PNG file.
bool WritePng(const std::wstring& path, const DWORD* argb, int width, int height, bool opaque);

// The folder of this run's fixtures (created, emptied of nothing) with a trailing backslash.
std::wstring FixtureFolder();
// The folder for artefacts of the test run (…/artifacts/render/ under the build folder).
std::wstring ArtifactFolder();

// Starts GDI+ for the test program (kept until exit).
void StartGdiplus();

// Fixture pictures, written once per run into FixtureFolder(), which becomes the skin folder:
//   coords.png  30×90  opaque; every pixel differs (see CoordsPixel)
//   nine.png    12×12  opaque; nine 4×4 cells in NineCellColor(row * 3 + column)
//   solid.png   8×8    opaque kSolidColor
//   half.png    8×8    red with alpha 128
//   masked.png  8×8    left half green, right half red, opaque
//   rot.png     20×20  top 5 rows red, the rest blue
//   frames.png  30×10  three 10×10 frames: red, green, blue
void PreparePictures();
DWORD CoordsPixel(int x, int y);  // RGB of coords.png at (x, y)
DWORD NineCellColor(int cell);
constexpr DWORD kSolidColor = 0x336699;

}  // namespace RenderTest
