#pragma once
// CWebBrowserUI: the system's web browser control ("Shell.Explorer", IWebBrowser2) hosted by
// CActiveXUI.
//
// Attributes: "homepage" (the address NavigateHomePage opens), "autonavi" (open the home page as
// soon as the browser is up), "contextmenu" and "scripterrors" (show the page's context menu and
// script error dialogs; both off unless "true"), and "text" (the message shown when no page can
// be shown; a default one otherwise).
//
// Addresses: the browser goes only to http and https addresses (and the empty page
// "about:blank") unless its owner allows more schemes (AllowScheme). Any other navigation, the
// skin's home page, a page's link or script, a redirect or a frame, is cancelled before it
// starts, and a new window for it is refused: "file:" would show the player's files,
// "javascript:" run script in whatever page is shown, and other schemes reach other programs.
//
// The browser's events (DWebBrowserEvents2 through its connection point) go to the owner's
// handler and each becomes a notification: "beforenavigate", "navigatecomplete",
// "documentcomplete", "navigateerror" (wParam the status code) and "newwindow"; lParam points to
// the address (valid during the notification). New windows are refused unless the handler
// allows them.
//
// Where the browser engine cannot start, the browser is closed, the control shows the message
// in its rectangle and sends "navigateerror" once, wParam the failure's HRESULT. That is when
// the browser's class is missing or fails to activate, when the HTML engine's document class
// cannot be made (Wine without its HTML engine: the browser itself activates, and a navigation
// ends in NavigateError with REGDB_E_CLASSNOTREG), when Navigate2 fails, when a navigation ends
// with such a class error, or when a navigation has no end at all within kEngineDeadlineMs.

#include <windows.h>
#include <exdisp.h>

#include <string>
#include <vector>

#include "support/ComHolders.h"
#include "ui/controls/ActiveXUI.h"

namespace SkinUI {

class CWebBrowserUI;
class CWebBrowserSink;

// The browser control's class, CLSID_WebBrowser ("Shell.Explorer.2"): a program that shows
// browsers in its skins allows it (SetAllowedActiveXClasses).
constexpr CLSID kWebBrowserClass = {
    0x8856f961, 0x340a, 0x11d0, {0xa9, 0x6b, 0x00, 0xc0, 0x4f, 0xd7, 0x05, 0xa2}};

// What the owner of a browser hears; every operation has a default.
class IWebBrowserEventHandler {
public:
    // Before a navigation: set cancel to stop it.
    virtual void BeforeNavigate(CWebBrowserUI& browser, LPCWSTR url, bool& cancel);
    virtual void NavigateComplete(CWebBrowserUI& browser, LPCWSTR url);
    virtual void DocumentComplete(CWebBrowserUI& browser, LPCWSTR url);
    // A navigation failed (status: an HTTP status or an HRESULT); set cancel to keep the
    // browser's own error page away.
    virtual void NavigateError(CWebBrowserUI& browser, LPCWSTR url, LONG status, bool& cancel);
    // A page asks for a new window: true opens it (the default refuses).
    virtual bool AllowNewWindow(CWebBrowserUI& browser, LPCWSTR url);

protected:
    ~IWebBrowserEventHandler() = default;
};

class CWebBrowserUI : public CActiveXUI {
public:
    // How long a navigation may go without any event before the engine counts as missing.
    static constexpr UINT kEngineDeadlineMs = 5000;
    static constexpr const wchar_t* kDefaultMessage =
        L"This page cannot be shown: the system's web browser engine is not available.";

    CWebBrowserUI();
    ~CWebBrowserUI() override;

    LPCWSTR ClassName() const override;             // "WebBrowserUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "WebBrowser"
    void ProcessEvent(TControlEvent& event) override;
    void PaintTextContent(HDC hDC) override;

    void SetEventHandler(IWebBrowserEventHandler* handler) { m_pHandler = handler; }
    IWebBrowserEventHandler* EventHandler() const { return m_pHandler; }

    const CUIString& HomePage() const { return m_strHomePage; }
    void SetHomePage(LPCWSTR url) { m_strHomePage = url != nullptr ? url : L""; }
    bool IsAutoNavigate() const { return m_bAutoNavigate; }
    void SetAutoNavigate(bool autoNavigate) { m_bAutoNavigate = autoNavigate; }
    bool IsContextMenuShown() const { return m_bContextMenu; }
    void SetContextMenuShown(bool shown) { m_bContextMenu = shown; }
    bool AreScriptErrorsShown() const { return m_bScriptErrors; }
    void SetScriptErrorsShown(bool shown);

    // Lets the browser go to addresses of one more scheme ("file"); http and https are always
    // allowed. Only the program's code calls it, never a skin.
    void AllowScheme(LPCWSTR scheme);
    // Whether the browser may go to the address: its scheme is allowed, or it is "about:blank".
    bool IsAddressAllowed(LPCWSTR url) const;

    // The browser's operations; false when there is no browser or it refused (also an address
    // that is not allowed).
    bool Navigate2(LPCWSTR url);
    bool NavigateHomePage();
    bool Refresh();
    bool GoBack();
    bool GoForward();
    // The browser's interface (empty without a browser).
    bxutil::CComRef<IWebBrowser2> WebBrowser() const;

    // The engine could not show pages: the message is shown instead.
    bool IsEngineMissing() const { return m_bEngineMissing; }
    // The message shown then: the "text" attribute, else kDefaultMessage.
    CUIString UnavailableMessage() const;

    // The sink's events (CWebBrowserSink calls these).
    void OnBeforeNavigate(LPCWSTR url, bool& cancel);
    void OnNavigateComplete(LPCWSTR url);
    void OnDocumentComplete(LPCWSTR url);
    void OnNavigateError(LPCWSTR url, LONG status, bool& cancel);
    bool OnNewWindow(LPCWSTR url);
    bool HostShowsContextMenu() const { return m_bContextMenu; }
    bool HostShowsScriptErrors() const { return m_bScriptErrors; }

protected:
    HRESULT OnControlCreated() override;
    void OnCreateFinished(HRESULT result) override;
    void OnControlClosing() override;
    HRESULT SiteQueryExtra(REFIID iid, void** object) override;

private:
    static const CAttributeTable<CWebBrowserUI>& Attributes();

    // The browser has shown it cannot work: closed, the message shown, "navigateerror" sent.
    void EngineMissing(HRESULT reason);
    // Any event proves the engine alive: the deadline goes.
    void EventArrived();
    void StartDeadline();
    void StopDeadline();
    void Notify(LPCWSTR type, LPCWSTR url, WPARAM wParam = 0);

    std::vector<std::wstring> m_vSchemes{L"http", L"https"};  // lower case
    CUIString m_strHomePage;
    bool m_bAutoNavigate = false;
    bool m_bContextMenu = false;
    bool m_bScriptErrors = false;
    bool m_bEngineMissing = false;
    bool m_bDeadline = false;
    HRESULT m_hrEngine = S_OK;  // the engine's failure seen in an event, acted on at the timer
    IWebBrowserEventHandler* m_pHandler = nullptr;  // not owned
    bxutil::CComRef<CWebBrowserSink> m_sink;        // while the browser is up
    DWORD m_dwCookie = 0;                           // the sink's connection (0: none)
};

}  // namespace SkinUI
