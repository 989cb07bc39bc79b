#pragma once
// CDateTimeUI: a date. While idle the control paints the date as the user's locale writes a
// short date, in the control's font; when it gets the focus or a click and is enabled (and not
// read-only), a native date picker ("SysDateTimePick32") is put over it, and every date picked
// there comes back into the control with a "datetimechange" notification. The picker goes when
// the focus leaves it (not while its calendar is dropped down) and whenever CNativeFieldUI
// closes it.

#include <windows.h>

#include "ui/controls/NativeFieldUI.h"

namespace SkinUI {

class CDateTimeUI : public CNativeFieldUI {
public:
    CDateTimeUI();  // today
    ~CDateTimeUI() override;                                    // 0

    LPCWSTR ClassName() const override;                         // 3: "DateTimeUI"
    LPVOID InterfaceByName(LPCWSTR name) override;              // 4: "DateTime"

    // The date; the text becomes its short-date form. A date the system cannot write (out of
    // range) leaves the control unchanged: false then.
    const SYSTEMTIME& GetTime() const { return m_time; }
    bool SetTime(const SYSTEMTIME& time);

    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);

protected:
    void OnHostNotify(const NMHDR& header) override;

private:
    static const CAttributeTable<CDateTimeUI>& Attributes();

    // The picker over the control, set to the date and focused; false when it cannot be made.
    bool OpenPicker();

    SYSTEMTIME m_time{};
    bool m_bReadOnly = false;
    bool m_bDroppedDown = false;  // the picker's calendar is open: its focus is elsewhere
};

}  // namespace SkinUI
