#pragma once
// The windowless text host of CRichEditUI: the system's Text Services (msftedit.dll, else
// riched20.dll) edit and draw the text, and call back through ITextHost for everything a window
// would give them (client rectangle, caret, timers, capture, repaint, formats, notifications).
//
// mingw-w64 declares ITextHost and ITextServices as plain C++ classes, so on i686 their
// methods use the thiscall convention, which is what the system's text services call and
// export on x86: no thunks are needed.
//
// Lifetime: the text services hold references to the host, and a release may come after the
// control is gone, so the host counts its references and deletes itself; the control detaches
// it first, after which every callback answers without touching the control.

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include <memory>

#include "support/ComHolders.h"

namespace SkinUI {

// What the host needs from its control; the control implements it.
class ITextHostSite {
public:
    virtual HWND HostWindow() const = 0;  // null while the control is not in a window
    virtual RECT HostTextRect() const = 0;
    virtual const CHARFORMAT2W& HostCharFormat() const = 0;
    virtual const PARAFORMAT2& HostParaFormat() const = 0;
    virtual DWORD HostPropertyBits() const = 0;  // TXTBIT_*
    virtual DWORD HostScrollBars() const = 0;    // WS_VSCROLL, ES_AUTOVSCROLL
    virtual DWORD HostMaxLength() const = 0;
    virtual void HostInvalidate() = 0;
    virtual bool HostSetTimer(UINT id, UINT elapse) = 0;
    virtual void HostKillTimer(UINT id) = 0;
    virtual void HostFocus() = 0;
    virtual void HostNotify(DWORD code) = 0;

protected:
    ~ITextHostSite() = default;
};

using bxutil::CComRef;

class CTxtWinHost final : public ITextHost {
public:
    explicit CTxtWinHost(ITextHostSite* site);
    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;

    // The control is going: later callbacks answer with neutral values.
    void Detach() { m_site = nullptr; }
    // Hosts not yet deleted in this process (UI thread only): a leaked reference shows here.
    static int LiveCount();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT bar, WINBOOL show) override;
    WINBOOL TxEnableScrollBar(INT flags, INT arrows) override;
    WINBOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL redraw) override;
    WINBOOL TxSetScrollPos(INT bar, INT pos, WINBOOL redraw) override;
    void TxInvalidateRect(LPCRECT rc, WINBOOL mode) override;
    void TxViewChange(WINBOOL update) override;
    WINBOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
    WINBOOL TxShowCaret(WINBOOL show) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT id, UINT timeout) override;
    void TxKillTimer(UINT id) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update,
                          LPRECT updateRect, UINT flags) override;
    void TxSetCapture(WINBOOL capture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR cursor, WINBOOL text) override;
    WINBOOL TxScreenToClient(LPPOINT pt) override;
    WINBOOL TxClientToScreen(LPPOINT pt) override;
    HRESULT TxActivate(LONG* oldState) override;
    HRESULT TxDeactivate(LONG newState) override;
    HRESULT TxGetClientRect(LPRECT rc) override;
    HRESULT TxGetViewInset(LPRECT rc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
    COLORREF TxGetSysColor(int index) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
    HRESULT TxGetMaxLength(DWORD* length) override;
    HRESULT TxGetScrollBars(DWORD* bars) override;
    HRESULT TxGetPasswordChar(TCHAR* ch) override;
    HRESULT TxGetAcceleratorPos(LONG* cp) override;
    HRESULT TxGetExtent(LPSIZEL extent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
    HRESULT TxNotify(DWORD code, void* data) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC context) override;
    HRESULT TxGetSelectionBarWidth(LONG* width) override;

private:
    ~CTxtWinHost();  // only through Release
    HWND Window() const { return m_site != nullptr ? m_site->HostWindow() : nullptr; }

    LONG m_refs = 1;
    ITextHostSite* m_site;  // not owned; null once detached
};

// A control's text services: the host and the services made for it, released in the order the
// services need (they may still call the host while they shut down).
class CTextServicesLink {
public:
    // Null, with a log line, when no text services library or creation works.
    static std::unique_ptr<CTextServicesLink> Create(ITextHostSite* site);
    ~CTextServicesLink();
    CTextServicesLink(const CTextServicesLink&) = delete;
    CTextServicesLink& operator=(const CTextServicesLink&) = delete;

    ITextServices* Services() const { return m_services.Get(); }
    // TxSendMessage's answer (0 when the services refuse the message).
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

private:
    CTextServicesLink() = default;

    CComRef<CTxtWinHost> m_host;       // one reference of ours, released last
    CComRef<IUnknown> m_unknown;       // the object CreateTextServices made
    CComRef<ITextServices> m_services; // the same object through its editing interface
};

}  // namespace SkinUI
