// Render engine, formatted text: a text with a small tag language (see UIRender.h for the
// tags), laid out line by line, measured and drawn with GDI.

#include "ui/core/render/UIRender.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "support/GdiHandles.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/render/FormattedTextTokens.h"
#include "ui/core/skin/WindowResources.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/skin/ResourceData.h"

namespace SkinUI {

namespace {

// Numbers in tags (pixels, sizes) are clamped to this range; GDI could not use more anyway.
constexpr int kTagNumberLimit = 1 << 15;

int ClampTagNumber(int value) { return std::clamp(value, -kTagNumberLimit, kTagNumberLimit); }

// ---- Formatted text: state and layout ---------------------------------------------------------

struct TLinkState {
    CUIString text;
    int serial = 0;  // which <a> tag of the text this is
    bool hover = false;
};

// Everything the tags change. A line is laid out twice (measured, then drawn), each time from a
// copy of the state at the line's start.
struct TFormatState {
    std::vector<HFONT> fonts;
    std::vector<DWORD> colors;
    std::vector<int> spacings;
    std::vector<bool> selections;
    std::vector<TLinkState> links;
    int linkSerial = 0;
    bool raw = false;

    HFONT Font() const { return fonts.back(); }
    DWORD Color() const { return colors.back(); }
    int Spacing() const { return spacings.back(); }
    bool Selected() const { return selections.back(); }
};

// Closing tags never remove the base entry a text started with.
template <class T>
void PopKeepingBase(std::vector<T>& stack) {
    if (stack.size() > 1) stack.pop_back();
}

struct TLine {
    size_t end = 0;      // where the next line starts
    int height = 0;
    int width = 0;       // from the rectangle's left edge to the end of the last run
    bool last = false;   // the text ended on this line
};

// Link rectangles handed back to the caller, with the rectangles of the previous draw kept to
// find the link under the mouse.
class CLinkSlots {
public:
    CLinkSlots(RECT* rects, CUIString* texts, int capacity) : m_pRects(rects), m_pTexts(texts) {
        if (rects == nullptr || texts == nullptr || capacity <= 0) return;
        m_nCapacity = capacity;
        m_previousRects.assign(rects, rects + capacity);
        m_previousTexts.assign(texts, texts + capacity);
        m_serials.assign(capacity, -1);
    }
    int Used() const { return m_nUsed; }

    bool WasHovered(const CUIString& text, POINT mouse) const {
        for (int i = 0; i < m_nCapacity; ++i) {
            if (m_previousTexts[i] == text && RectContains(m_previousRects[i], mouse)) return true;
        }
        return false;
    }
    // Records a drawn part of a link; parts side by side on one line share a rectangle.
    void Record(const TLinkState& link, const RECT& rc) {
        if (m_nUsed > 0) {
            RECT& last = m_pRects[m_nUsed - 1];
            if (m_serials[m_nUsed - 1] == link.serial && last.top == rc.top &&
                last.bottom == rc.bottom && last.right == rc.left) {
                last.right = rc.right;
                return;
            }
        }
        if (m_nUsed >= m_nCapacity) return;
        m_pRects[m_nUsed] = rc;
        m_pTexts[m_nUsed] = link.text;
        m_serials[m_nUsed] = link.serial;
        ++m_nUsed;
    }

private:
    RECT* m_pRects;
    CUIString* m_pTexts;
    int m_nCapacity = 0;
    int m_nUsed = 0;
    std::vector<RECT> m_previousRects;
    std::vector<CUIString> m_previousTexts;
    std::vector<int> m_serials;
};

// One inline picture of an <i name [count [index]]> tag.
struct TInlinePicture {
    const TImageData* image = nullptr;
    RECT source = {0, 0, 0, 0};
    int Width() const { return RectWidth(source); }
};

// Per-line progress of the walk.
struct TLineWalk {
    int top = 0;
    int x = 0;
    int right = 0;           // furthest pen position reached
    int contentHeight = 0;   // tallest font or picture
    int spacing = 0;         // paragraph spacing in force
    bool atStart = true;     // nothing placed on the line yet
    const TLine* known = nullptr;  // drawing pass: the measured line
    int shift = 0;           // drawing pass: horizontal alignment offset
};

class CFormattedText {
public:
    CFormattedText(HDC dc, CWindowResourcesUI& resources, const RECT& rc, LPCWSTR text, DWORD color,
                   UINT style, CLinkSlots& links)
        : m_hDC(dc), m_resources(resources), m_rc(rc), m_pText(text), m_nStyle(style),
          m_links(links) {
        const TFontData* font = resources.GetDefaultFontInfo();
        m_initial.fonts.push_back(font != nullptr ? font->hFont.Get() : nullptr);
        m_initial.colors.push_back(color);
        m_initial.spacings.push_back(0);
        m_initial.selections.push_back(false);
    }

    // Lays out all lines from the rectangle's top + yOffset; with draw, paints those that start
    // inside the rectangle. Returns the widest line and the total height.
    SIZE Run(bool draw, int yOffset) {
        TFormatState state = m_initial;
        size_t pos = 0;
        int top = m_rc.top + yOffset;
        int widest = 0;
        for (;;) {
            if (draw && top >= m_rc.bottom) break;
            const TFormatState lineStart = state;
            TLine line = Walk(pos, state, top, nullptr);
            if (draw) {
                state = lineStart;
                Walk(pos, state, top, &line);
            }
            widest = std::max(widest, line.width);
            top += line.height;
            // Every line moves on by at least one character, whatever the text holds.
            pos = std::max(line.end, pos + 1);
            if (line.last || (m_nStyle & DT_SINGLELINE) || m_pText[pos - 1] == L'\0') break;
        }
        return SIZE{widest, top - (m_rc.top + yOffset)};
    }

private:
    bool SingleLine() const { return (m_nStyle & DT_SINGLELINE) != 0; }

    const TEXTMETRICW& Metrics(HFONT font) {
        for (const auto& [handle, metrics] : m_metrics) {
            if (handle == font) return metrics;
        }
        ::SelectObject(m_hDC, font);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(m_hDC, &metrics);
        m_metrics.emplace_back(font, metrics);
        return m_metrics.back().second;
    }
    int FontHeight(HFONT font) {
        const TEXTMETRICW& tm = Metrics(font);
        return tm.tmHeight + tm.tmExternalLeading;
    }

    TLine Walk(size_t pos, TFormatState& state, int top, const TLine* known) {
        TLineWalk walk;
        walk.top = top;
        walk.x = m_rc.left;
        walk.right = m_rc.left;
        walk.contentHeight = FontHeight(state.Font());
        walk.spacing = state.Spacing();
        walk.known = known;
        if (known != nullptr) walk.shift = AlignmentShift(known->width);
        bool ended = false;
        while (!ended) {
            const TToken token = NextToken(m_pText + pos, state.raw);
            switch (token.kind) {
                case TTokenKind::End:
                    return Finish(walk, pos, true);
                case TTokenKind::LineFeed:
                    pos += 1;
                    ended = !SingleLine();
                    break;
                case TTokenKind::Skip:
                    pos += token.length;
                    break;
                case TTokenKind::OpenTag:
                case TTokenKind::CloseTag:
                    ended = !ApplyTag(token, state, walk, pos);
                    break;
                case TTokenKind::Literal:
                    ended = !PlaceRun(&token.letter, 1, token.length, false, state, walk, pos);
                    break;
                case TTokenKind::Space:
                case TTokenKind::Text:
                    ended = !PlaceRun(m_pText + pos, token.length, token.length,
                                      token.kind == TTokenKind::Space, state, walk, pos);
                    break;
            }
        }
        return Finish(walk, pos, m_pText[pos] == L'\0');
    }

    TLine Finish(const TLineWalk& walk, size_t pos, bool last) const {
        TLine line;
        line.end = pos;
        line.last = last;
        line.width = std::max<int>(0, walk.right - m_rc.left);
        line.height = std::max<int>(0, walk.contentHeight + walk.spacing);
        return line;
    }

    int AlignmentShift(int lineWidth) const {
        const int room = RectWidth(m_rc) - lineWidth;
        if (m_nStyle & DT_CENTER) return room / 2;
        if (m_nStyle & DT_RIGHT) return room;
        return 0;
    }

    // Places one text run (or the part of it that fits); false when the line ends.
    bool PlaceRun(LPCWSTR run, int count, int consumed, bool space, TFormatState& state,
                  TLineWalk& walk, size_t& pos) {
        ::SelectObject(m_hDC, state.Font());
        const int room = std::max<int>(0, m_rc.right - walk.x);
        // Only a prefix of a long run can fit (a character is at least a pixel wide); measuring
        // just that keeps long words in narrow rectangles linear.
        const int measured = std::min(count, room + 2);
        int fit = 0;
        SIZE size{};
        ::GetTextExtentExPointW(m_hDC, run, measured, room, &fit, nullptr, &size);
        if (fit >= measured) {
            Emit(run, measured, state, walk);
            pos += measured == count ? consumed : measured;
            return true;
        }
        if (space) {  // a space that does not fit ends the line and is dropped
            pos += consumed;
            return false;
        }
        int cut = fit;
        if (m_nStyle & DT_WORDBREAK) cut = WordBreakCut(run, cut, walk.atStart);
        if (m_nStyle & DT_END_ELLIPSIS) {
            const int shown = PlaceWithEllipsis(run, cut, room, state, walk);
            pos += shown == count ? consumed : shown;
            return false;
        }
        if (cut == 0 && walk.atStart) cut = 1;  // an empty line always takes a character
        if (cut > 0) {
            Emit(run, cut, state, walk);
            pos += cut == count ? consumed : cut;
        }
        return false;
    }

    // Word breaking: cut after the last character that is not an ASCII letter; a run without
    // one is a single word, which moves to the next line whole unless the line is empty.
    static int WordBreakCut(LPCWSTR run, int fit, bool atStart) {
        for (int i = fit; i > 0; --i) {
            const wchar_t ch = run[i - 1];
            const bool letter = (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
            if (!letter) return i;
        }
        return atStart ? fit : 0;
    }

    // Draws the run's first characters (of cut) that fit before "...", then "..."; returns how
    // many were drawn. The characters that make room for the ellipsis start the next line. An
    // empty line takes at least one character (clipped) even where none fits: none is skipped,
    // and the next line never starts inside a token.
    int PlaceWithEllipsis(LPCWSTR run, int cut, int room, TFormatState& state, TLineWalk& walk) {
        static const wchar_t kEllipsis[] = L"...";
        SIZE ellipsis{};
        ::GetTextExtentPoint32W(m_hDC, kEllipsis, 3, &ellipsis);
        int fit = 0;
        SIZE size{};
        ::GetTextExtentExPointW(m_hDC, run, cut, std::max<int>(0, room - ellipsis.cx), &fit, nullptr,
                                &size);
        int shown = std::min(cut, fit);
        if (shown == 0 && walk.atStart) shown = 1;
        if (shown > 0) Emit(run, shown, state, walk);
        Emit(kEllipsis, 3, state, walk);
        return shown;
    }

    // Draws (or, while measuring, accounts for) count characters at the pen and moves it.
    void Emit(LPCWSTR run, int count, const TFormatState& state, TLineWalk& walk) {
        SIZE size{};
        ::GetTextExtentPoint32W(m_hDC, run, count, &size);
        const int height = FontHeight(state.Font());
        walk.contentHeight = std::max(walk.contentHeight, height);
        if (walk.known != nullptr) {
            const int x = walk.x + walk.shift;
            const int y = walk.top + walk.known->height - height;
            ::SelectObject(m_hDC, state.Font());
            ::SetTextColor(m_hDC, ArgbToColorRef(state.Color()));
            ::SetBkMode(m_hDC, state.Selected() ? OPAQUE : TRANSPARENT);
            ::SetBkColor(m_hDC, ArgbToColorRef(m_resources.GetDefaultSelectedBkColor()));
            ::TextOutW(m_hDC, x, y, run, count);
            RecordLink(state, walk, x, size.cx);
        }
        Advance(walk, size.cx);
    }

    void RecordLink(const TFormatState& state, const TLineWalk& walk, int x, int width) {
        if (state.links.empty() || width <= 0) return;
        m_links.Record(state.links.back(),
                       RECT{x, walk.top, x + width, walk.top + walk.known->height});
    }

    static void Advance(TLineWalk& walk, int width) {
        walk.x = std::min(walk.x + width, INT_MAX / 4);
        walk.right = std::max(walk.right, walk.x);
        walk.atStart = false;
    }

    // ---- Tags ----

    // Applies one tag; false when the line ends before it (the tag is then read again on the
    // next line) or because of it.
    bool ApplyTag(const TToken& token, TFormatState& state, TLineWalk& walk, size_t& pos) {
        const CUIString arg(token.arg, token.argLength);
        if (token.kind == TTokenKind::CloseTag) {
            pos += token.length;
            CloseTag(token.letter, state);
            return true;
        }
        switch (token.letter) {
            case L'p':
                if (!walk.atStart) return false;  // a paragraph starts on a fresh line
                state.spacings.push_back(ClampTagNumber(ParseAttrInt(arg)));
                walk.spacing = std::max(walk.spacing, state.Spacing());
                break;
            case L'n':
                if (!SingleLine()) {
                    pos += token.length;
                    return false;
                }
                break;
            case L'i':
                if (!arg.IsEmpty()) return PlacePicture(arg, token.length, walk, pos, state);
                PushFont(state, walk, DeriveFont(state.Font(), false, false, true));
                break;
            default:
                OpenTag(token.letter, arg, state, walk);
                break;
        }
        pos += token.length;
        return true;
    }

    void OpenTag(wchar_t letter, const CUIString& arg, TFormatState& state, TLineWalk& walk) {
        switch (letter) {
            case L'a': OpenLink(arg, state, walk); break;
            case L'b': PushFont(state, walk, DeriveFont(state.Font(), true, false, false)); break;
            case L'u': PushFont(state, walk, DeriveFont(state.Font(), false, true, false)); break;
            case L'c': state.colors.push_back(ParseAttrColor(arg, true)); break;
            case L'f': PushFont(state, walk, FontFromTag(arg)); break;
            case L'r': state.raw = true; break;
            case L's': state.selections.push_back(true); break;
            case L'x':
                walk.x = std::clamp(walk.x + ClampTagNumber(ParseAttrInt(arg)), -INT_MAX / 4,
                                    INT_MAX / 4);
                walk.right = std::max(walk.right, walk.x);
                break;
            case L'y': walk.contentHeight = std::max<int>(0, ClampTagNumber(ParseAttrInt(arg))); break;
            default: break;  // unknown letters have no effect
        }
    }

    void CloseTag(wchar_t letter, TFormatState& state) {
        switch (letter) {
            case L'a':
                if (state.links.empty()) break;
                state.links.pop_back();
                PopKeepingBase(state.fonts);
                PopKeepingBase(state.colors);
                break;
            case L'b': case L'f': case L'i': case L'u': PopKeepingBase(state.fonts); break;
            case L'c': PopKeepingBase(state.colors); break;
            case L'p': PopKeepingBase(state.spacings); break;
            case L's': PopKeepingBase(state.selections); break;
            case L'r': state.raw = false; break;
            default: break;
        }
    }

    void OpenLink(const CUIString& arg, TFormatState& state, TLineWalk& walk) {
        TLinkState link;
        link.text = arg;
        link.serial = ++state.linkSerial;
        link.hover = m_links.WasHovered(arg, m_resources.LastMousePos());
        state.colors.push_back(link.hover ? m_resources.GetDefaultLinkHoverFontColor()
                                          : m_resources.GetDefaultLinkFontColor());
        state.links.push_back(link);
        PushFont(state, walk, DeriveFont(state.Font(), false, true, false));
    }

    void PushFont(TFormatState& state, TLineWalk& walk, HFONT font) {
        state.fonts.push_back(font != nullptr ? font : state.Font());
        walk.contentHeight = std::max(walk.contentHeight, FontHeight(state.Font()));
    }

    // The font like base with the given styles switched on, found by its properties or made.
    HFONT DeriveFont(HFONT base, bool bold, bool underline, bool italic) {
        const TFontData* info = m_resources.GetFontInfo(base);
        if (info == nullptr) return nullptr;
        return FindOrAddFont(info->strFaceName, info->nSize, info->bBold || bold,
                             info->bUnderline || underline, info->bItalic || italic);
    }

    // Null when the window has made as many fonts for formatted text as it may: the text then
    // keeps its current font.
    HFONT FindOrAddFont(LPCWSTR face, int size, bool bold, bool underline, bool italic) {
        if (HFONT found = m_resources.FindFont(face, size, bold, underline, italic)) return found;
        return m_resources.AddFormattedTextFont(face, size, bold, underline, italic);
    }

    // <f id> or <f face [size] [bold] [underline] [italic]>.
    HFONT FontFromTag(const CUIString& arg) {
        LPCWSTR p = arg;
        if (*p >= L'0' && *p <= L'9') return m_resources.GetFont(ParseAttrInt(p));
        std::vector<CUIString> words = SplitWords(p);
        if (words.empty()) return nullptr;
        int size = 10;
        bool bold = false;
        bool underline = false;
        bool italic = false;
        for (size_t i = 1; i < words.size(); ++i) {
            const CUIString& word = words[i];
            if (word[0] >= L'0' && word[0] <= L'9') {
                size = std::clamp(ParseAttrInt(word), 1, 1000);
            } else if (word.CompareNoCase(L"bold") == 0) {
                bold = true;
            } else if (word.CompareNoCase(L"underline") == 0) {
                underline = true;
            } else if (word.CompareNoCase(L"italic") == 0) {
                italic = true;
            }
        }
        return FindOrAddFont(words[0], size, bold, underline, italic);
    }

    static std::vector<CUIString> SplitWords(LPCWSTR p) {
        std::vector<CUIString> words;
        while (*p != L'\0') {
            while (*p == L' ') ++p;
            LPCWSTR start = p;
            while (*p != L'\0' && *p != L' ') ++p;
            if (p > start) words.emplace_back(start, static_cast<int>(p - start));
        }
        return words;
    }

    // <i name [count [index]]>: frame index of the picture cut into count frames side by side,
    // centred on the line. It wraps to the next line when it does not fit, unless single-line.
    bool PlacePicture(const CUIString& arg, int tagLength, TLineWalk& walk, size_t& pos,
                      const TFormatState& state) {
        const TInlinePicture picture = LoadPicture(arg);
        if (picture.image == nullptr) {
            pos += tagLength;
            return true;
        }
        const int width = picture.Width();
        if (walk.x + width > m_rc.right && !walk.atStart && !SingleLine()) return false;
        const int height = picture.image->nHeight;
        walk.contentHeight = std::max(walk.contentHeight, height);
        if (walk.known != nullptr) {
            const int x = walk.x + walk.shift;
            const int y = walk.top + (walk.known->height - height) / 2;
            const RECT dest{x, y, x + width, y + height};
            CUIRender::DrawImage(m_hDC, picture.image->hBitmap.Get(), dest, dest, picture.source,
                                 RECT{0, 0, 0, 0}, picture.image->bAlpha);
            RecordLink(state, walk, x, width);
        }
        Advance(walk, width);
        pos += tagLength;
        return true;
    }

    TInlinePicture LoadPicture(const CUIString& arg) {
        TImageSource source;
        LPCWSTR rest = ReadPictureName(arg, source);
        LPCWSTR end = rest;
        int count = ParseAttrInt(rest, &end);
        int index = ParseAttrInt(end);
        TInlinePicture picture;
        picture.image = m_resources.GetImageCached(
            source.name, source.fromResource ? source.resourceType.GetData() : nullptr);
        if (picture.image == nullptr || picture.image->nWidth <= 0) return TInlinePicture();
        count = std::clamp(count, 1, picture.image->nWidth);
        if (index < 0 || index >= count) index = 0;
        const int frame = picture.image->nWidth / count;
        picture.source = RECT{frame * index, 0, frame * (index + 1), picture.image->nHeight};
        return picture;
    }

    // The picture name: file='..' / res='..' restype='..' pairs, or the first word. Returns
    // where the frame numbers start.
    static LPCWSTR ReadPictureName(LPCWSTR arg, TImageSource& source) {
        CUIString key;
        CUIString value;
        LPCWSTR next = arg;
        LPCWSTR p = arg;
        bool paired = false;
        while (ReadDescriptionPair(p, key, value, &next)) {
            ApplyPictureSourcePair(key, value, source);
            paired = true;
            p = next;
        }
        if (paired) return p;
        while (*p == L' ') ++p;
        LPCWSTR start = p;
        while (*p != L'\0' && *p != L' ') ++p;
        source.name.Assign(start, static_cast<int>(p - start));
        return p;
    }

    HDC m_hDC;
    CWindowResourcesUI& m_resources;
    RECT m_rc;
    LPCWSTR m_pText;
    UINT m_nStyle;
    CLinkSlots& m_links;
    TFormatState m_initial;
    std::vector<std::pair<HFONT, TEXTMETRICW>> m_metrics;
};

}  // namespace

void CUIRender::DrawFormattedText(HDC hDC, CWindowResourcesUI* resources, RECT& rc, LPCWSTR text,
                                  DWORD argb, RECT* linkRects, CUIString* linkTexts,
                                  int& linkCount, UINT style) {
    CLinkSlots links(linkRects, linkTexts, linkCount);
    linkCount = 0;
    if (hDC == nullptr || resources == nullptr || text == nullptr || *text == L'\0') return;
    const bxutil::CSavedDC saved(hDC);
    ::SetTextAlign(hDC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const RECT area = ClampToDrawRange(rc);
    CFormattedText layout(hDC, *resources, area, text, argb, style, links);
    if (style & DT_CALCRECT) {
        const SIZE extent = layout.Run(false, 0);
        rc.right = std::min(area.right, area.left + extent.cx);
        rc.bottom = area.top + extent.cy;
        return;
    }
    int yOffset = 0;
    if (style & (DT_VCENTER | DT_BOTTOM)) {
        const int room = RectHeight(area) - layout.Run(false, 0).cy;
        yOffset = (style & DT_VCENTER) ? room / 2 : room;
    }
    ::IntersectClipRect(hDC, area.left, area.top, area.right, area.bottom);
    layout.Run(true, yOffset);
    linkCount = links.Used();
}

CUIString CUIRender::FormattedTextWords(LPCWSTR text) {
    CUIString words;
    bool raw = false;
    for (LPCWSTR p = text != nullptr ? text : L""; *p != L'\0';) {
        const TToken token = NextToken(p, raw);
        if (token.kind == TTokenKind::End || token.length <= 0) break;
        switch (token.kind) {
        case TTokenKind::Text:
        case TTokenKind::Space: words += CUIString(p, token.length); break;
        case TTokenKind::Literal: words += token.letter; break;
        case TTokenKind::LineFeed: words += L' '; break;
        case TTokenKind::OpenTag:
            if (token.letter == L'r') raw = true;
            else if (token.letter == L'n') words += L' ';
            break;
        case TTokenKind::CloseTag:
            if (token.letter == L'r') raw = false;
            break;
        default: break;
        }
        p += token.length;
    }
    return words;
}

}  // namespace SkinUI
