// CDateTimeUI: the date, its text in the user's locale and the native picker.

#include "ui/controls/DateTimeUI.h"

#include <commctrl.h>

#include <cwchar>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"

namespace SkinUI {

namespace {

// The picker's class is registered by the common controls only on request.
void RegisterDateClasses() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

// Only the date counts: the picker hands back the time of day it was given, and a change of
// it alone is no change of the date.
bool SameDate(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

}  // namespace

CDateTimeUI::CDateTimeUI()
    : CNativeFieldUI([](CNativeFieldUI& control) {
          return static_cast<CDateTimeUI&>(control).OpenPicker();
      }) {
    UseAttributes(Attributes());
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER;
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    SetTime(today);
}

CDateTimeUI::~CDateTimeUI() = default;

LPCWSTR CDateTimeUI::ClassName() const { return L"DateTimeUI"; }

LPVOID CDateTimeUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"DateTime") == 0) return this;
    return CNativeFieldUI::InterfaceByName(name);
}

bool CDateTimeUI::SetTime(const SYSTEMTIME& time) {
    // GetDateFormatW checks the date (month, day in month, year range) as well as writing it.
    wchar_t text[96] = {};
    if (::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text,
                         static_cast<int>(sizeof(text) / sizeof(text[0]))) == 0)
        return false;
    m_time = time;
    SetText(text);
    if (HWND picker = NativeWindow())
        ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&m_time));
    return true;
}

void CDateTimeUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    if (readOnly) EndEditing();
}

bool CDateTimeUI::OpenPicker() {
    if (m_bReadOnly) return false;
    RegisterDateClasses();
    m_bDroppedDown = false;
    HWND picker = OpenNative(TextRect(), DATETIMEPICK_CLASSW, DTS_SHORTDATEFORMAT);
    if (picker == nullptr) return false;
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&m_time));
    return true;
}

void CDateTimeUI::OnHostNotify(const NMHDR& header) {
    switch (header.code) {
    case DTN_DROPDOWN:
        m_bDroppedDown = true;
        break;
    case DTN_CLOSEUP:
        m_bDroppedDown = false;
        m_native.RequestClose(true);
        break;
    case NM_KILLFOCUS:
        if (!m_bDroppedDown) m_native.RequestClose(true);
        break;
    case DTN_DATETIMECHANGE: {
        const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
        if (change.dwFlags != GDT_VALID || SameDate(change.st, m_time)) break;
        if (!SetTime(change.st)) break;
        // Last: a listener may end this control's life.
        if (m_pManager != nullptr) m_pManager->SendNotification(this, L"datetimechange");
        break;
    }
    default:
        break;
    }
}

// ---- Attributes -------------------------------------------------------------------------------

const CAttributeTable<CDateTimeUI>& CDateTimeUI::Attributes() {
    using C = CDateTimeUI;
    static const TAttributeRow<C> rows[] = {
        AttrBool::Row<&C::SetReadOnly, &C::IsReadOnly>(L"readonly"),
    };
    static const CAttributeTable<C> table(rows, &CLabelUI::Attributes());
    return table;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"DateTime", &CreateControlOf<CDateTimeUI>);
}  // namespace

}  // namespace SkinUI
