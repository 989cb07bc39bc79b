#pragma once
// The gallery's window: any skin's markup opened by the skinned window base. It does what a
// skin cannot do alone: an option whose "userdata" is "TABLAYOUT:INDEX" shows that page of the
// named tab layout when it is selected, and the caption's "status" label tells the last thing
// that happened (a click, a selection, a value, a scroll).
//
// With a log (the --log option) the window also writes what it does, one event a line, for the
// gallery's window tests and for a skin author who wants to see the notifications:
//   window L T R B                  the window on the screen at the first layout
//   ready                           the first layout is done
//   control NAME CLASS L T R B V    every named control, after each layout (client coordinates)
//   notify TYPE SENDER WPARAM       every notification of the window's manager
//   value NAME VALUE                a switch, slider or scroll bar after its change
//   scroll NAME X Y                 a scrolled container's offset after input moved it
//   timer                           every timer message the window receives
//   exit RESULT                     the modal loop's result

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/core/base/UIString.h"
#include "ui/core/window/WindowImplBase.h"

namespace gallery {

// One event a line to a file, flushed at once (the tests read it while the window runs).
class CEventLog {
public:
    explicit CEventLog(LPCWSTR path);
    ~CEventLog();
    CEventLog(const CEventLog&) = delete;
    CEventLog& operator=(const CEventLog&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    void Line(const char* format, ...);

private:
    FILE* m_file = nullptr;
};

// Where the window's skin comes from.
struct TSkinSource {
    UINT kind = SkinUI::kSkinFromZipResource;  // kSkinFrom... of the window base
    SkinUI::CUIString markup = L"gallery.xml";
    SkinUI::CUIString archive;  // the ZIP file's name in the skin folder (kSkinFromZipFile)
};

class CGalleryWindow : public SkinUI::WindowImplBase {
public:
    static constexpr UINT kSkinResourceId = 146;

    CGalleryWindow(const TSkinSource& source, CEventLog& log);

    LPCWSTR WindowClassName() const override { return L"SkinUIGallery"; }
    SkinUI::CUIString SkinFolder() override { return L""; }
    SkinUI::CUIString SkinFileName() override { return m_source.markup; }
    UINT SkinSourceKind() const override { return m_source.kind; }
    SkinUI::CUIString SkinArchiveName() override { return m_source.archive; }
    LPCWSTR SkinResourceId() const override { return MAKEINTRESOURCEW(kSkinResourceId); }

    void Notify(SkinUI::TNotifyMsg& msg) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Shows the tab page an option names in its user data ("TABLAYOUT:INDEX").
    void FollowTabOption(SkinUI::CControlUI* option);
    void ShowStatus(const SkinUI::TNotifyMsg& msg);
    void LogValue(SkinUI::CControlUI* sender);
    void LogControls();
    void LogScrolledContainers();
    void FindScrolledContainers();

    TSkinSource m_source;
    CEventLog& m_log;
    bool m_bLayoutPending = false;
    // Named containers with scroll bars, and the offsets last logged for them.
    std::vector<SkinUI::CUIString> m_scrolled;
    std::vector<SIZE> m_loggedOffsets;
};

}  // namespace gallery
