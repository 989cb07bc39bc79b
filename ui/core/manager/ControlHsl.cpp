// Hue, saturation and lightness: a control with colorHsl on shows its colours turned by the
// process-wide setting of the window manager.

#include <algorithm>
#include <cmath>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

namespace {

struct THsl {
    double h;  // 0..360
    double s;  // 0..1
    double l;  // 0..1
};

THsl RgbToHsl(double r, double g, double b) {
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    const double l = (high + low) / 2.0;
    if (high == low) return THsl{0.0, 0.0, l};
    const double d = high - low;
    const double s = l > 0.5 ? d / (2.0 - high - low) : d / (high + low);
    double h = 0.0;
    if (high == r)
        h = (g - b) / d + (g < b ? 6.0 : 0.0);
    else if (high == g)
        h = (b - r) / d + 2.0;
    else
        h = (r - g) / d + 4.0;
    return THsl{h * 60.0, s, l};
}

double HueToChannel(double p, double q, double t) {
    if (t < 0.0) t += 1.0;
    if (t > 1.0) t -= 1.0;
    if (t < 1.0 / 6.0) return p + (q - p) * 6.0 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3.0) return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    return p;
}

BYTE ToByte(double channel) {
    return static_cast<BYTE>(std::clamp(std::lround(channel * 255.0), 0L, 255L));
}

DWORD HslToArgb(const THsl& hsl, BYTE alpha) {
    double r = hsl.l;
    double g = hsl.l;
    double b = hsl.l;
    if (hsl.s > 0.0) {
        const double q = hsl.l < 0.5 ? hsl.l * (1.0 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
        const double p = 2.0 * hsl.l - q;
        const double h = hsl.h / 360.0;
        r = HueToChannel(p, q, h + 1.0 / 3.0);
        g = HueToChannel(p, q, h);
        b = HueToChannel(p, q, h - 1.0 / 3.0);
    }
    return (static_cast<DWORD>(alpha) << 24) | (static_cast<DWORD>(ToByte(r)) << 16) |
           (static_cast<DWORD>(ToByte(g)) << 8) | ToByte(b);
}

}  // namespace

DWORD CControlUI::AdjustedColor(DWORD color) const {
    if (!m_bColorHSL) return color;
    const THslSetting setting = CWindowManagerUI::GetHSL();
    if (setting.hue == 180 && setting.saturation == 100 && setting.lightness == 100) return color;
    THsl hsl = RgbToHsl(((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                        (color & 0xFF) / 255.0);
    hsl.h = std::fmod(hsl.h + setting.hue - 180 + 360.0, 360.0);
    hsl.s = std::clamp(hsl.s * setting.saturation / 100.0, 0.0, 1.0);
    hsl.l = std::clamp(hsl.l * setting.lightness / 100.0, 0.0, 1.0);
    return HslToArgb(hsl, ArgbAlpha(color));
}

}  // namespace SkinUI
