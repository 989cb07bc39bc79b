// CRichEditUI: rich text edited by windowless Text Services inside a scrolling container.

#include "ui/controls/RichEditUI.h"

#include <oleacc.h>

#include <algorithm>
#include <string>

#include "support/GdiHandles.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ScrollBarUI.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

// The property bits that announce a change rather than carry a setting: they are passed set.
constexpr DWORD kChangeBits = TXTBIT_CHARFORMATCHANGE | TXTBIT_PARAFORMATCHANGE |
                              TXTBIT_CLIENTRECTCHANGE | TXTBIT_MAXLENGTHCHANGE |
                              TXTBIT_SCROLLBARCHANGE;

constexpr WORD kMouseKeyBits = MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL;

// Skin colours are 0xAARRGGBB; the services take 0x00BBGGRR.
COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// The services measure character heights in twips (1/1440 inch).
LONG PixelsToTwips(LONG pixels) {
    const bxutil::CWindowDC screen(nullptr);
    const int dpi = screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    return ::MulDiv(std::abs(pixels), 1440, dpi > 0 ? dpi : 96);
}

}  // namespace

CRichEditUI::CRichEditUI() {
    UseAttributes(Attributes());
    m_charFormat.cbSize = sizeof(m_charFormat);
    m_paraFormat.cbSize = sizeof(m_paraFormat);
    m_paraFormat.dwMask = PFM_ALIGNMENT;
    m_paraFormat.wAlignment = PFA_LEFT;
    UpdateCharFormat();
    m_link = CTextServicesLink::Create(this);
    if (m_link != nullptr) {
        m_link->Send(EM_SETEVENTMASK, 0, ENM_CHANGE);
        m_link->Send(EM_EXLIMITTEXT, 0, m_nMaxChar);
    }
}

// The services go before anything they may call back into; a focused control first lets them
// take their caret off the window, which lives on.
CRichEditUI::~CRichEditUI() {
    if (m_link != nullptr && m_bFocused) m_link->Send(WM_KILLFOCUS);
    m_link.reset();
}

LPCWSTR CRichEditUI::ClassName() const { return L"RichEditUI"; }

LPVOID CRichEditUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"RichEdit") == 0) return this;
    return CContainerUI::InterfaceByName(name);
}

UINT CRichEditUI::ControlFlags() const {
    return IsEnabled() ? kControlFlagTabStop | kControlFlagSetCursor : 0;
}

// ---- Text ----------------------------------------------------------------------------------

CUIString CRichEditUI::Text() const {
    if (m_link == nullptr) return CContainerUI::Text();
    const int length = GetTextLength();
    if (length <= 0) return CUIString();
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX request{};
    request.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    request.flags = GT_USECRLF;
    request.codepage = 1200;  // UTF-16
    m_link->Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                 reinterpret_cast<LPARAM>(buffer.data()));
    return CUIString(buffer.c_str());
}

void CRichEditUI::SetText(LPCWSTR text) {
    if (m_link == nullptr) {
        CContainerUI::SetText(text);
        return;
    }
    m_bRtfText = m_bRich && text != nullptr && wcsncmp(text, L"{\\rtf", 5) == 0;
    if (m_bRtfText)
        SetRtf(text);
    else
        m_link->Services()->TxSetText(text != nullptr ? text : L"");
    SyncScrollBar();
    InvalidateSelf();
}

// RTF is 7-bit text (other characters are escaped in it); the services read it only from
// 8-bit input, so the markup's wide text is narrowed first.
void CRichEditUI::SetRtf(LPCWSTR rtf) {
    const size_t length = std::min(wcslen(rtf), static_cast<size_t>(kMaxCharLimit));
    std::string narrow(length, '\0');
    for (size_t i = 0; i < length; ++i)
        narrow[i] = rtf[i] < 0x80 ? static_cast<char>(rtf[i]) : '?';
    SETTEXTEX request{ST_DEFAULT, CP_ACP};
    m_link->Send(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&request),
                 reinterpret_cast<LPARAM>(narrow.c_str()));
}

int CRichEditUI::GetTextLength() const {
    if (m_link == nullptr) return CContainerUI::Text().GetLength();
    GETTEXTLENGTHEX request{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    const LRESULT length = m_link->Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request));
    // Line breaks double in the "\r\n" form: twice the limit bounds every answer.
    return static_cast<int>(std::clamp<LRESULT>(length, 0, 2LL * kMaxCharLimit));
}

// ---- Settings --------------------------------------------------------------------------------

void CRichEditUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    PropertyChanged(TXTBIT_READONLY);
}

void CRichEditUI::SetMultiLine(bool multiLine) {
    m_bMultiLine = multiLine;
    PropertyChanged(TXTBIT_MULTILINE | TXTBIT_WORDWRAP | TXTBIT_SCROLLBARCHANGE);
}

void CRichEditUI::SetMaxChar(int count) {
    m_nMaxChar = count <= 0 || count > kMaxCharLimit ? kMaxCharLimit : count;
    if (m_link != nullptr) m_link->Send(EM_EXLIMITTEXT, 0, m_nMaxChar);
    PropertyChanged(TXTBIT_MAXLENGTHCHANGE);
}

void CRichEditUI::SetRich(bool rich) {
    m_bRich = rich;
    PropertyChanged(TXTBIT_RICHTEXT);
}

void CRichEditUI::SetAutoVScroll(bool autoScroll) {
    m_bAutoVScroll = autoScroll;
    PropertyChanged(TXTBIT_SCROLLBARCHANGE);
}

void CRichEditUI::SetFont(int index) {
    m_iFont = index;
    UpdateCharFormat();
}

void CRichEditUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    UpdateCharFormat();
}

void CRichEditUI::SetTextPadding(const RECT& padding) {
    m_rcTextPadding = ClampRectCoordinates(padding);
    PropertyChanged(TXTBIT_CLIENTRECTCHANGE);
    InvalidateSelf();
}

void CRichEditUI::UpdateCharFormat() {
    HFONT font = m_pManager != nullptr ? m_pManager->GetFont(m_iFont)
                                       : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW face{};
    if (font == nullptr || ::GetObjectW(font, sizeof(face), &face) == 0)
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
    CHARFORMAT2W& cf = m_charFormat;
    cf.dwMask = CFM_SIZE | CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC |
                CFM_UNDERLINE | CFM_OFFSET;
    cf.dwEffects = 0;
    if (face.lfWeight >= FW_BOLD) cf.dwEffects |= CFE_BOLD;
    if (face.lfItalic) cf.dwEffects |= CFE_ITALIC;
    if (face.lfUnderline) cf.dwEffects |= CFE_UNDERLINE;
    cf.yHeight = PixelsToTwips(face.lfHeight);
    cf.yOffset = 0;
    cf.crTextColor = ToColorRef(m_dwTextColor);
    cf.bCharSet = face.lfCharSet;
    cf.bPitchAndFamily = face.lfPitchAndFamily;
    wcsncpy(cf.szFaceName, face.lfFaceName, LF_FACESIZE - 1);
    cf.szFaceName[LF_FACESIZE - 1] = L'\0';
    PropertyChanged(TXTBIT_CHARFORMATCHANGE);
    // Not every implementation reads the host's format again on that bit: the default and the
    // text in place take it directly, unless the text brought formats of its own (RTF).
    if (m_link != nullptr) {
        m_link->Send(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
        if (!m_bRtfText) m_link->Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    }
    InvalidateSelf();
}

void CRichEditUI::PropertyChanged(DWORD mask) {
    if (m_link == nullptr) return;
    m_link->Services()->OnTxPropertyBitsChange(mask, (HostPropertyBits() & mask) |
                                                         (mask & kChangeBits));
    SyncScrollBar();
}

// ---- Attributes ------------------------------------------------------------------------------

const CAttributeTable<CRichEditUI>& CRichEditUI::Attributes() {
    using C = CRichEditUI;
    static const TAttributeRow<C> rows[] = {
        {L"text", [](C& c, LPCWSTR v) { c.SetText(v); }, [](C& c) { return c.Text(); }},
        AttrBool::Row<&C::SetReadOnly, &C::IsReadOnly>(L"readonly"),
        AttrBool::Row<&C::SetMultiLine, &C::IsMultiLine>(L"multiline"),
        AttrBool::Row<&C::SetWantReturn, &C::IsWantReturn>(L"wantreturn"),
        AttrBool::Row<&C::SetWantTab, &C::IsWantTab>(L"wanttab"),
        AttrInt::Row<&C::SetMaxChar, &C::MaxChar>(L"maxchar"),
        AttrBool::Row<&C::SetRich, &C::IsRich>(L"rich"),
        AttrBool::Row<&C::SetAutoVScroll, &C::IsAutoVScroll>(L"autovscroll"),
        AttrInt::Row<&C::SetFont, &C::Font>(L"font"),
        AttrColor::Row<&C::SetTextColor, &C::TextColor>(L"textcolor"),
        AttrLengthRect::Row<&C::SetTextPadding, &C::TextPadding>(L"textpadding"),
    };
    static const CAttributeTable<C> table(rows, &CContainerUI::Attributes());
    return table;
}

// ---- Geometry and scrolling ------------------------------------------------------------------

RECT CRichEditUI::TextRect() const {
    RECT rc = InnerRect();
    rc = RectDeflate(rc, m_rcTextPadding);
    rc.right = std::max(rc.right, rc.left);
    rc.bottom = std::max(rc.bottom, rc.top);
    return rc;
}

void CRichEditUI::Place(const RECT& rect, bool invalidate) {
    CContainerUI::Place(rect, invalidate);
    if (m_link == nullptr) return;
    if (!m_bActive && m_pManager != nullptr) {
        // In place from the first placing in a window: the services draw and show a caret.
        const RECT text = TextRect();
        m_bActive = SUCCEEDED(m_link->Services()->OnTxInPlaceActivate(&text));
        // The font table is the window's: a font index means something only now.
        UpdateCharFormat();
    }
    PropertyChanged(TXTBIT_CLIENTRECTCHANGE);
}

void CRichEditUI::MoveBy(SIZE offset, bool invalidate) {
    CContainerUI::MoveBy(offset, invalidate);
    PropertyChanged(TXTBIT_CLIENTRECTCHANGE);
}

void CRichEditUI::SyncScrollBar() {
    CScrollBarUI* bar = m_pVerticalScrollBar;
    if (m_link == nullptr || bar == nullptr || m_bSyncing) return;
    m_bSyncing = true;
    LONG minPos = 0, maxPos = 0, pos = 0, page = 0;
    BOOL enabled = FALSE;
    m_link->Services()->TxGetVScroll(&minPos, &maxPos, &pos, &page, &enabled);
    // The last position shows the last page: the range ends a page before the maximum.
    const long long range = std::clamp<long long>(
        static_cast<long long>(maxPos) - minPos - page, 0, kMaxControlCoordinate);
    const bool show = enabled && range > 0;
    if (show != bar->IsVisible()) {
        // The bar takes or gives back its width: the services wrap the lines again, once.
        bar->SetVisible(show);
        m_link->Services()->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE,
                                                    TXTBIT_CLIENTRECTCHANGE);
    }
    bar->SetRange(static_cast<int>(range));
    bar->SetPosition(static_cast<int>(std::clamp<long long>(
        static_cast<long long>(pos) - minPos, 0, range)));
    PlaceScrollBar();
    m_bSyncing = false;
}

void CRichEditUI::PlaceScrollBar() {
    CScrollBarUI* bar = m_pVerticalScrollBar;
    if (!BarShown(bar)) return;
    const RECT inner = RectDeflate(m_rcItem, m_rcInset);
    bar->Place(RECT{inner.right - bar->FixedWidth(), inner.top, inner.right, inner.bottom},
               false);
}

void CRichEditUI::SetScrollOffset(SIZE offset) {
    if (m_link == nullptr) {
        CContainerUI::SetScrollOffset(offset);
        return;
    }
    LONG minPos = 0, maxPos = 0, pos = 0, page = 0;
    BOOL enabled = FALSE;
    m_link->Services()->TxGetVScroll(&minPos, &maxPos, &pos, &page, &enabled);
    const int range = m_pVerticalScrollBar != nullptr ? m_pVerticalScrollBar->Range() : 0;
    POINT target{0, minPos + std::clamp<LONG>(offset.cy, 0, range)};
    Forward(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&target));
    InvalidateSelf();
}

// ---- Events ---------------------------------------------------------------------------------

LRESULT CRichEditUI::Forward(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = m_link->Send(message, wParam, lParam);
    SyncScrollBar();
    return result;
}

void CRichEditUI::ProcessEvent(TControlEvent& event) {
    const bool mouseEvent = IsMouseEvent(event.nKind);
    if (m_link == nullptr || (mouseEvent && !IsMouseEnabled())) {
        CContainerUI::ProcessEvent(event);
        return;
    }
    switch (event.nKind) {
    case kEventSetFocus:
    case kEventKillFocus:
        OnFocusChange(event.nKind == kEventSetFocus);
        return;
    case kEventKeyDown:
        if (ForwardKey(event, WM_KEYDOWN)) return;
        break;
    case kEventKeyUp:
        if (ForwardKey(event, WM_KEYUP)) return;
        break;
    case kEventChar:
        if (ForwardKey(event, WM_CHAR)) return;
        break;
    case kEventTimer:
        Forward(WM_TIMER, event.wParam, 0);
        return;
    case kEventSetCursor:
        if (RectContains(TextRect(), event.ptMouse)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    default:
        if (ForwardMouse(event)) return;
        break;
    }
    CContainerUI::ProcessEvent(event);
}

bool CRichEditUI::ForwardKey(const TControlEvent& event, UINT message) {
    const wchar_t key = event.chKey;
    if (key == VK_TAB && !m_bWantTab) return false;
    if (key == VK_RETURN && !(m_bMultiLine && m_bWantReturn)) {
        // The key stays with the control; the character announces it once.
        if (message == WM_CHAR && m_pManager != nullptr)
            m_pManager->SendNotification(this, L"return");
        return true;
    }
    Forward(message, key, event.lParam);
    return true;
}

bool CRichEditUI::ForwardMouse(const TControlEvent& event) {
    const UINT message = MouseMessageOfEvent(event.nKind);
    if (message == 0 || !IsEnabled()) return false;
    if (message == WM_LBUTTONDOWN && !IsFocused()) RequestFocus();
    Forward(message, event.wKeyState & kMouseKeyBits,
            MAKELPARAM(event.ptMouse.x, event.ptMouse.y));
    return true;
}

void CRichEditUI::OnFocusChange(bool focused) {
    m_bFocused = focused;
    ITextServices* services = m_link->Services();
    if (focused) {
        services->OnTxUIActivate();
        Forward(WM_SETFOCUS, 0, 0);
    } else {
        Forward(WM_KILLFOCUS, 0, 0);
        services->OnTxUIDeactivate();
    }
    InvalidateSelf();
}

// ---- Painting -------------------------------------------------------------------------------

void CRichEditUI::PaintTextContent(HDC hDC) {
    if (m_link == nullptr) return;
    const RECT text = TextRect();
    RECT update;
    if (!RectIntersect(update, text, m_rcPaint)) return;
    CPaintClip clip;
    CUIRender::ClipToRect(hDC, update, clip);
    const RECTL bounds{text.left, text.top, text.right, text.bottom};
    m_link->Services()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hDC, nullptr, &bounds,
                               nullptr, &update, nullptr, 0, TXTVIEW_ACTIVE);
}

// ---- The host's questions and requests -------------------------------------------------------

HWND CRichEditUI::HostWindow() const {
    return m_pManager != nullptr ? m_pManager->GetPaintWindow() : nullptr;
}

DWORD CRichEditUI::HostPropertyBits() const {
    DWORD bits = 0;
    if (m_bRich) bits |= TXTBIT_RICHTEXT;
    if (m_bMultiLine) bits |= TXTBIT_MULTILINE | TXTBIT_WORDWRAP;
    if (m_bReadOnly) bits |= TXTBIT_READONLY;
    return bits;
}

DWORD CRichEditUI::HostScrollBars() const {
    if (!m_bMultiLine) return ES_AUTOHSCROLL;
    return WS_VSCROLL | (m_bAutoVScroll ? ES_AUTOVSCROLL : 0);
}

bool CRichEditUI::HostSetTimer(UINT id, UINT elapse) {
    return m_pManager != nullptr && m_pManager->SetTimer(this, id, elapse);
}

void CRichEditUI::HostKillTimer(UINT id) {
    if (m_pManager != nullptr) m_pManager->KillTimer(this, id);
}

void CRichEditUI::HostFocus() {
    if (!IsFocused()) RequestFocus();
}

void CRichEditUI::HostNotify(DWORD code) {
    if (code == EN_CHANGE && m_pManager != nullptr)
        m_pManager->SendNotification(this, L"textchanged");
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"RichEdit", &CreateControlOf<CRichEditUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CRichEditUI::AccessibleRole() const { return ROLE_SYSTEM_TEXT; }
CUIString CRichEditUI::AccessibleValue() const { return Text(); }
CUIString CRichEditUI::AccessibleName() const { return ToolTip(); }

}  // namespace SkinUI
