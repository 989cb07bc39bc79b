// The resource tables of a window manager and the process-wide tables behind them.

#include "ui/core/skin/WindowResources.h"

#include <climits>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <utility>

#include "ui/core/base/UIDpi.h"
#include "ui/core/skin/SkinImage.h"
#include "ui/core/skin/SkinState.h"

namespace SkinUI {

namespace {

CUIString IdKey(int id) {
    CUIString key;
    key.Format(L"%d", id);
    return key;
}

LOGFONTW StockGuiLogFont() {
    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return lf;
}

// A font record made from the stock GUI font with the given face, pixel height and styles.
// The size is in skin units: the font is made dpi / 96 times as high.
std::unique_ptr<TFontData> CreateFontData(LPCWSTR faceName, int size, bool bold, bool underline,
                                          bool italic, int dpi) {
    LOGFONTW lf = StockGuiLogFont();
    // LOGFONT holds 31 characters and the terminator.
    wcsncpy(lf.lfFaceName, faceName != nullptr ? faceName : L"", LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -ScaleByDpi(size, dpi);
    if (bold) lf.lfWeight += FW_BOLD;
    if (underline) lf.lfUnderline = TRUE;
    if (italic) lf.lfItalic = TRUE;
    bxutil::CFontHandle font(::CreateFontIndirectW(&lf));
    if (!font) return nullptr;
    auto data = std::make_unique<TFontData>();
    data->hFont = std::move(font);
    data->strFaceName = faceName;
    data->nSize = size;
    data->bBold = bold;
    data->bUnderline = underline;
    data->bItalic = italic;
    return data;
}

// The process-wide default font: the stock GUI font re-created with DEFAULT_CHARSET.
void InitSharedDefaultFont(TSkinState& state) {
    if (state.defaultFont != nullptr && !state.defaultFont->strFaceName.IsEmpty()) return;
    LOGFONTW lf = StockGuiLogFont();
    lf.lfCharSet = DEFAULT_CHARSET;
    bxutil::CFontHandle font(::CreateFontIndirectW(&lf));
    if (!font) return;
    auto data = std::make_unique<TFontData>();
    data->hFont = std::move(font);
    data->strFaceName = lf.lfFaceName;
    data->nSize = -lf.lfHeight;
    data->bBold = lf.lfWeight >= FW_BOLD;
    data->bUnderline = lf.lfUnderline != 0;
    data->bItalic = lf.lfItalic != 0;
    state.defaultFont = std::move(data);
}

TFontData* FindFontByHandle(const CUIOwnedMap<TFontData>& table, HFONT font) {
    TFontData* found = nullptr;
    table.ForEach([&](LPCWSTR, TFontData* data) {
        if (found == nullptr && data->hFont.Get() == font) found = data;
    });
    return found;
}

TFontData* FindFontByStyle(const CUIOwnedMap<TFontData>& table, LPCWSTR faceName, int size,
                           bool bold, bool underline, bool italic) {
    TFontData* found = nullptr;
    table.ForEach([&](LPCWSTR, TFontData* data) {
        if (found == nullptr && data->strFaceName == faceName && data->nSize == size &&
            data->bBold == bold && data->bUnderline == underline && data->bItalic == italic)
            found = data;
    });
    return found;
}

// Ids of fonts made for formatted text come from this counter (process-wide, UI thread only).
constexpr int kFirstFormattedTextFontId = 30000;
int g_nextFormattedTextFontId = kFirstFormattedTextFontId;

int TakeFormattedTextFontId() {
    const int id = g_nextFormattedTextFontId;
    g_nextFormattedTextFontId = id < INT_MAX ? id + 1 : kFirstFormattedTextFontId;
    return id;
}

// Length of a "%{digits}" token at text, or 0 when text holds none.
int TokenLength(LPCWSTR text) {
    if (text[0] != L'%' || text[1] != L'{' || !iswdigit(text[2])) return 0;
    int pos = 2;
    while (text[pos] >= L'0' && text[pos] <= L'9') ++pos;
    return text[pos] == L'}' ? pos + 1 : 0;
}

}  // namespace

TSkinState& SkinState() {
    static TSkinState state;
    return state;
}

// ---- Construction ---------------------------------------------------------------------------

CWindowResourcesUI::CWindowResourcesUI() {
    TSkinState& state = SkinState();
    InitSharedDefaultFont(state);
    m_colors = state.colors;
}

CWindowResourcesUI::~CWindowResourcesUI() = default;  // the tables delete their entries

// ---- Fonts ------------------------------------------------------------------------------------

HFONT CWindowResourcesUI::AddFont(int id, LPCWSTR faceName, int size, bool bold, bool underline,
                                  bool italic, bool shared) {
    std::unique_ptr<TFontData> data = CreateFontData(faceName, size, bold, underline, italic, m_nDpi);
    if (data == nullptr) return nullptr;
    if (GetPaintDC() != nullptr) EnsureMetrics(*data);
    CUIOwnedMap<TFontData>& table = shared ? SkinState().fonts : m_fonts;
    TFontData* stored = table.Set(IdKey(id), std::move(data));
    return stored != nullptr ? stored->hFont.Get() : nullptr;
}

TFontData* CWindowResourcesUI::LookupFont(int id) const {
    if (id < 0) return nullptr;
    CUIString key = IdKey(id);
    if (TFontData* data = m_fonts.Find(key)) return data;
    return SkinState().fonts.Find(key);
}

TFontData* CWindowResourcesUI::LookupFont(HFONT font) const {
    if (font == nullptr) return nullptr;
    if (TFontData* data = FindFontByHandle(m_fonts, font)) return data;
    return FindFontByHandle(SkinState().fonts, font);
}

TFontData* CWindowResourcesUI::DefaultFont() {
    if (m_pDefaultFont != nullptr && !m_pDefaultFont->strFaceName.IsEmpty())
        return m_pDefaultFont.get();
    TFontData* common = SkinState().defaultFont.get();
    if (m_nDpi == kBaseDpi || common == nullptr) return common;
    // The process-wide font is made for 96; a denser window uses its own copy, scaled.
    if (m_pScaledDefaultFont == nullptr)
        m_pScaledDefaultFont = CreateFontData(common->strFaceName, common->nSize, common->bBold,
                                              common->bUnderline, common->bItalic, m_nDpi);
    return m_pScaledDefaultFont != nullptr ? m_pScaledDefaultFont.get() : common;
}

HFONT CWindowResourcesUI::GetFont(int id) {
    if (TFontData* data = LookupFont(id)) return data->hFont.Get();
    TFontData* fallback = DefaultFont();
    return fallback != nullptr ? fallback->hFont.Get() : nullptr;
}

HFONT CWindowResourcesUI::FindFont(LPCWSTR faceName, int size, bool bold, bool underline,
                                   bool italic) {
    if (TFontData* data = FindFontByStyle(m_fonts, faceName, size, bold, underline, italic))
        return data->hFont.Get();
    TFontData* data = FindFontByStyle(SkinState().fonts, faceName, size, bold, underline, italic);
    return data != nullptr ? data->hFont.Get() : nullptr;
}

bool CWindowResourcesUI::RemoveFont(int id, bool shared) {
    return (shared ? SkinState().fonts : m_fonts).Remove(IdKey(id));
}

void CWindowResourcesUI::RemoveAllFonts(bool shared) {
    (shared ? SkinState().fonts : m_fonts).RemoveAll();
    if (!shared) m_nFormattedTextFonts = 0;
}

HFONT CWindowResourcesUI::AddFormattedTextFont(LPCWSTR faceName, int size, bool bold,
                                               bool underline, bool italic) {
    if (m_nFormattedTextFonts >= kMaxFormattedTextFonts) return nullptr;
    // Every font in use holds at most one id, so this ends after that many steps at most.
    int id = TakeFormattedTextFontId();
    while (LookupFont(id) != nullptr) id = TakeFormattedTextFontId();
    HFONT font = AddFont(id, faceName, size, bold, underline, italic);
    if (font != nullptr) ++m_nFormattedTextFonts;
    return font;
}

void CWindowResourcesUI::EnsureMetrics(TFontData& font) const {
    if (font.HasMetrics() || !font.hFont) return;
    // Measured through the window's context; before the window exists, through the screen's.
    std::optional<bxutil::CWindowDC> screen;
    HDC dc = GetPaintDC();
    if (dc == nullptr) dc = screen.emplace(nullptr).Get();
    if (dc == nullptr) return;
    const bxutil::CSelectObject select(dc, font.hFont.Get());
    ::GetTextMetricsW(dc, &font.tm);
}

const TFontData* CWindowResourcesUI::GetFontInfo(int id) {
    TFontData* data = LookupFont(id);
    if (data == nullptr) return GetDefaultFontInfo();
    EnsureMetrics(*data);
    return data;
}

const TFontData* CWindowResourcesUI::GetFontInfo(HFONT font) {
    TFontData* data = LookupFont(font);
    if (data == nullptr) return GetDefaultFontInfo();
    EnsureMetrics(*data);
    return data;
}

const TFontData* CWindowResourcesUI::GetDefaultFontInfo() {
    TFontData* data = DefaultFont();
    if (data != nullptr) EnsureMetrics(*data);
    return data;
}

void CWindowResourcesUI::SetDefaultFont(LPCWSTR faceName, int size, bool bold, bool underline,
                                        bool italic, bool shared) {
    // The process-wide default stays at 96: each window scales its own copy (DefaultFont).
    std::unique_ptr<TFontData> data =
        CreateFontData(faceName, size, bold, underline, italic, shared ? kBaseDpi : m_nDpi);
    if (data == nullptr) return;
    if (GetPaintDC() != nullptr) EnsureMetrics(*data);
    (shared ? SkinState().defaultFont : m_pDefaultFont) = std::move(data);
}

// ---- Colours ----------------------------------------------------------------------------------

void CWindowResourcesUI::SetDefaultColor(DWORD TDefaultColors::*which, DWORD color, bool shared) {
    if (shared) {
        DWORD& common = SkinState().colors.*which;
        if (m_colors.*which == common) m_colors.*which = color;
        common = color;
    } else {
        m_colors.*which = color;
    }
}

void CWindowResourcesUI::SetDefaultDisabledColor(DWORD color, bool shared) {
    SetDefaultColor(&TDefaultColors::disabledText, color, shared);
}
void CWindowResourcesUI::SetDefaultFontColor(DWORD color, bool shared) {
    SetDefaultColor(&TDefaultColors::normalText, color, shared);
}
void CWindowResourcesUI::SetDefaultLinkFontColor(DWORD color, bool shared) {
    SetDefaultColor(&TDefaultColors::linkText, color, shared);
}
void CWindowResourcesUI::SetDefaultLinkHoverFontColor(DWORD color, bool shared) {
    SetDefaultColor(&TDefaultColors::linkHoverText, color, shared);
}
void CWindowResourcesUI::SetDefaultSelectedBkColor(DWORD color, bool shared) {
    SetDefaultColor(&TDefaultColors::selectedBk, color, shared);
}

// ---- Images -----------------------------------------------------------------------------------

const TImageData* CWindowResourcesUI::AddImage(LPCWSTR name, LPCWSTR resourceType, DWORD mask,
                                               bool shared) {
    if (name == nullptr || *name == L'\0') return nullptr;
    std::unique_ptr<TImageData> image = LoadSkinImageForDpi(name, resourceType, mask, m_nDpi);
    if (image == nullptr) return nullptr;
    return (shared ? SkinState().images : m_images).Set(name, std::move(image));
}

const TImageData* CWindowResourcesUI::AddImageFromFile(LPCWSTR name, LPCWSTR file, DWORD mask) {
    if (name == nullptr || *name == L'\0' || file == nullptr || *file == L'\0') return nullptr;
    std::unique_ptr<TImageData> image = LoadImageFile(file, mask);
    if (image == nullptr) return nullptr;
    image->strSourceFile = file;
    return AddDecodedImage(name, std::move(image));
}

const TImageData* CWindowResourcesUI::AddDecodedImage(LPCWSTR name, std::unique_ptr<TImageData> image) {
    if (name == nullptr || *name == L'\0' || image == nullptr) return nullptr;
    return m_images.Set(name, ScaleSkinImageToDpi(std::move(image), m_nDpi));
}

const TImageData* CWindowResourcesUI::GetImage(LPCWSTR name) const {
    if (name == nullptr) return nullptr;
    if (const TImageData* image = m_images.Find(name)) return image;
    return SkinState().images.Find(name);
}

const TImageData* CWindowResourcesUI::GetImageCached(LPCWSTR name, LPCWSTR resourceType,
                                                     DWORD mask) {
    if (name == nullptr) return nullptr;
    if (const TImageData* image = m_images.Find(name)) return image;
    // A shared picture made for another density is loaded again for this window.
    const TImageData* common = SkinState().images.Find(name);
    if (common != nullptr && common->nDpi == m_nDpi) return common;
    return AddImage(name, resourceType, mask, false);
}

bool CWindowResourcesUI::RemoveImage(LPCWSTR name, bool shared) {
    return (shared ? SkinState().images : m_images).Remove(name);
}

void CWindowResourcesUI::RemoveAllImages(bool shared) {
    (shared ? SkinState().images : m_images).RemoveAll();
}

// ---- Screen density ---------------------------------------------------------------------------

void CWindowResourcesUI::SetDpi(int dpi) {
    dpi = ClampDpi(dpi);
    if (dpi == m_nDpi) return;
    m_nDpi = dpi;
    // Records are changed in place: controls and image descriptions keep pointing at them.
    m_fonts.ForEach([&](LPCWSTR, TFontData* font) { RecreateFont(*font); });
    if (m_pDefaultFont != nullptr && !m_pDefaultFont->strFaceName.IsEmpty())
        RecreateFont(*m_pDefaultFont);
    m_pScaledDefaultFont.reset();
    m_images.ForEach([&](LPCWSTR name, TImageData* image) { ReloadImage(name, *image); });
}

void CWindowResourcesUI::RecreateFont(TFontData& font) const {
    std::unique_ptr<TFontData> fresh = CreateFontData(font.strFaceName, font.nSize, font.bBold,
                                                      font.bUnderline, font.bItalic, m_nDpi);
    if (fresh == nullptr) return;
    font.hFont = std::move(fresh->hFont);
    font.tm = TEXTMETRICW{};
}

void CWindowResourcesUI::ReloadImage(LPCWSTR name, TImageData& image) const {
    // From its source again (a variant may suit the new density better); when that is gone, the
    // picture in hand is resampled.
    std::unique_ptr<TImageData> fresh;
    if (image.strSourceFile.IsEmpty()) {
        LPCWSTR type = image.strResType.IsEmpty() ? nullptr : image.strResType.GetData();
        fresh = LoadSkinImageForDpi(name, type, image.dwMask, m_nDpi);
    } else {
        fresh = ScaleSkinImageToDpi(LoadImageFile(image.strSourceFile, image.dwMask), m_nDpi);
    }
    if (fresh == nullptr || fresh->nDpi != m_nDpi) fresh = ScaledSkinImageCopy(image, m_nDpi);
    if (fresh == nullptr) return;
    image.hBitmap = std::move(fresh->hBitmap);
    image.pBits = fresh->pBits;
    image.nWidth = fresh->nWidth;
    image.nHeight = fresh->nHeight;
    image.bAlpha = fresh->bAlpha;
    image.nDpi = fresh->nDpi;
}

// ---- Default attribute lists ------------------------------------------------------------------

void CWindowResourcesUI::AddClassDefaults(LPCWSTR elementName, LPCWSTR attributeList,
                                          bool shared) {
    if (elementName == nullptr || *elementName == L'\0') return;
    (shared ? SkinState().classDefaults : m_classDefaults)
        .Set(elementName, std::make_unique<CUIString>(attributeList));
}

LPCWSTR CWindowResourcesUI::ClassDefaults(LPCWSTR elementName) const {
    if (elementName == nullptr) return nullptr;
    const CUIString* list = m_classDefaults.Find(elementName);
    if (list == nullptr) list = SkinState().classDefaults.Find(elementName);
    return list != nullptr ? list->GetData() : nullptr;
}

void CWindowResourcesUI::RemoveAllClassDefaults(bool shared) {
    (shared ? SkinState().classDefaults : m_classDefaults).RemoveAll();
}

// ---- Texts ------------------------------------------------------------------------------------

void CWindowResourcesUI::AddTextById(int id, LPCWSTR text) {
    SkinState().texts.Set(IdKey(id), std::make_unique<CUIString>(text));
}

LPCWSTR CWindowResourcesUI::TextById(int id) {
    const CUIString* text = SkinState().texts.Find(IdKey(id));
    return text != nullptr ? text->GetData() : nullptr;
}

// One pass from left to right: a known token is replaced by its text, which is not scanned
// again (a text that contains its own token must not expand forever).
void CWindowResourcesUI::ExpandTextTokens(CUIString& text) {
    if (text.Find(L"%{") < 0) return;
    CUIString result;
    LPCWSTR source = text.GetData();
    int copiedUpTo = 0;
    for (int pos = 0; source[pos] != L'\0'; ++pos) {
        int length = TokenLength(source + pos);
        if (length == 0) continue;
        LPCWSTR replacement = TextById(static_cast<int>(wcstol(source + pos + 2, nullptr, 10)));
        if (replacement == nullptr) continue;
        result.Append(source + copiedUpTo, pos - copiedUpTo);
        result.Append(replacement);
        pos += length - 1;
        copiedUpTo = pos + 1;
    }
    if (copiedUpTo == 0) return;
    result.Append(source + copiedUpTo);
    text = std::move(result);
}

}  // namespace SkinUI
