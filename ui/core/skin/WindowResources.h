#pragma once
// CWindowResourcesUI: the resource side of a window manager. Every window manager owns its own
// font, image and default-attribute tables and its own default font and colours; the static
// members hold what the whole process shares: the skin location and archive, the shared tables,
// the texts for "%{N}" tokens and the process-wide default font and colours.
// Lookups go to the window's table first, then to the shared one. All of it runs on the UI
// thread only and takes no locks.

#include <windows.h>

#include <memory>

#include "ui/core/base/UIOwnedMap.h"
#include "ui/core/base/UIString.h"
#include "ui/core/skin/ResourceData.h"

namespace SkinUI {

class CZipReader;

class CWindowResourcesUI {
public:
    CWindowResourcesUI(const CWindowResourcesUI&) = delete;
    CWindowResourcesUI& operator=(const CWindowResourcesUI&) = delete;

    // ---- Process-wide settings ----------------------------------------------------------
    static THslSetting GetHSL();
    // Stores the application module and runs every module-instance hook with it.
    static void SetModuleInstance(HINSTANCE instance);
    // Start-up work that needs the module instance (the window shadow registers its window
    // class this way, so that the skin code does not depend on it). SetModuleInstance runs every
    // hook with the new instance; a hook added after the instance was set runs at once. A hook
    // added twice is kept once.
    using ModuleInstanceHook = TModuleInstanceHook;
    static void AddModuleInstanceHook(ModuleInstanceHook hook);
    static HINSTANCE ModuleInstance();
    // The module file's directory with its trailing backslash (empty without an instance).
    static CUIString ModuleDirectory();
    static HINSTANCE ResourceModule();  // the resource module, or else the instance
    static void SetResourceModule(HINSTANCE module);
    // The skin folder; a backslash is appended when the path ends in neither "\" nor "/".
    static void SetSkinPath(LPCWSTR path);
    static const CUIString& SkinPath();
    // Where skin files are read from (ResourceData.h): kPackageAndFolder by default; a program
    // that carries its skin in its executable sets kPackageOnly at start.
    static void SetSkinFileSource(ESkinFileSource source);
    static ESkinFileSource SkinFileSource();
    // Names the skin archive (relative to the skin folder; empty: plain files). With cache the
    // archive is opened now and kept open.
    static void SetSkinArchive(LPCWSTR name, bool cache = true);
    // Uses an archive held in memory (named "membuffer"); the first memory archive stays, and
    // the bytes must stay valid while it is in use.
    static void SetSkinArchive(const BYTE* bytes, DWORD size);
    // Copies the archive resource (type, id) of the resource module into the process-wide
    // buffer (once) and uses it as the memory archive. False when the resource is missing. The
    // id is a resource name or a number made with MAKEINTRESOURCE.
    static bool SetSkinArchiveResource(LPCWSTR type, LPCWSTR id);
    static const CUIString& SkinArchive();
    static bool IsSkinArchiveCached();
    static CZipReader* SkinArchiveHandle();  // the kept archive, or null

    // ---- Fonts --------------------------------------------------------------------------
    // Creates a font and stores it under id (replacing and deleting an older one); null when
    // the font cannot be created (the table is then unchanged).
    HFONT AddFont(int id, LPCWSTR faceName, int size, bool bold, bool underline, bool italic,
                  bool shared = false);
    HFONT GetFont(int id);  // window table, shared table, else the default font
    HFONT FindFont(LPCWSTR faceName, int size, bool bold, bool underline, bool italic);
    bool RemoveFont(int id, bool shared = false);
    void RemoveAllFonts(bool shared = false);
    // Font records with their text metrics filled in; unknown ids give the default font.
    const TFontData* GetFontInfo(int id);
    const TFontData* GetFontInfo(HFONT font);
    const TFontData* GetDefaultFontInfo();
    void SetDefaultFont(LPCWSTR faceName, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    // A font made for formatted text, stored in the window's table under the first id of a
    // process-wide counter (from 30000 up) that no table uses yet, so that it never replaces a
    // skin font. A window makes at most kMaxFormattedTextFonts of them (the text keeps its
    // current font beyond that: hostile tags cannot pile up fonts); null then.
    static constexpr int kMaxFormattedTextFonts = 64;
    HFONT AddFormattedTextFont(LPCWSTR faceName, int size, bool bold, bool underline,
                               bool italic);

    // ---- Default colours (shared: the process-wide value, and the window's value when it
    // still equalled the old process-wide one) ------------------------------------------------
    DWORD GetDefaultDisabledColor() const { return m_colors.disabledText; }
    DWORD GetDefaultFontColor() const { return m_colors.normalText; }
    DWORD GetDefaultLinkFontColor() const { return m_colors.linkText; }
    DWORD GetDefaultLinkHoverFontColor() const { return m_colors.linkHoverText; }
    DWORD GetDefaultSelectedBkColor() const { return m_colors.selectedBk; }
    void SetDefaultDisabledColor(DWORD color, bool shared = false);
    void SetDefaultFontColor(DWORD color, bool shared = false);
    void SetDefaultLinkFontColor(DWORD color, bool shared = false);
    void SetDefaultLinkHoverFontColor(DWORD color, bool shared = false);
    void SetDefaultSelectedBkColor(DWORD color, bool shared = false);

    // ---- Images -------------------------------------------------------------------------
    // Loads the picture now (resourceType: null or empty for skin files) and stores it,
    // replacing an older picture of that name; null when it cannot be loaded.
    const TImageData* AddImage(LPCWSTR name, LPCWSTR resourceType = nullptr, DWORD mask = 0,
                               bool shared = false);
    // Loads the picture of file and stores it in the window's table under name, replacing an
    // older picture of that name (whose users must take the new one up again). Image
    // descriptions then name the picture by name: a file path may hold characters that the
    // description syntax reserves (an apostrophe ends a value). Null when it cannot be loaded.
    // The file is a path as given (never looked up in the skin).
    const TImageData* AddImageFromFile(LPCWSTR name, LPCWSTR file, DWORD mask = 0);
    // Stores a picture decoded elsewhere (a worker thread decodes what takes time; this thread
    // only stores it) in the window's table under name, replacing an older picture of that name
    // as AddImageFromFile does. A picture made for another density (its nDpi) is resampled for
    // the window's. Null when there is no picture or no name.
    const TImageData* AddDecodedImage(LPCWSTR name, std::unique_ptr<TImageData> image);
    const TImageData* GetImage(LPCWSTR name) const;  // window table, then shared; or null
    // GetImage, else AddImage into the window's table. A cached picture is returned as it is,
    // whatever mask it was loaded with.
    const TImageData* GetImageCached(LPCWSTR name, LPCWSTR resourceType = nullptr,
                                     DWORD mask = 0);
    bool RemoveImage(LPCWSTR name, bool shared = false);
    void RemoveAllImages(bool shared = false);

    // ---- Default attribute lists (keys: element names as written, case-sensitive) ------------
    void AddClassDefaults(LPCWSTR elementName, LPCWSTR attributeList, bool shared = false);
    LPCWSTR ClassDefaults(LPCWSTR elementName) const;  // or null
    void RemoveAllClassDefaults(bool shared = false);

    // ---- Texts for "%{N}" tokens (process-wide) ------------------------------------------
    static void AddTextById(int id, LPCWSTR text);
    static LPCWSTR TextById(int id);  // or null
    // Replaces in place every token "%{N}" whose id N has a text.
    static void ExpandTextTokens(CUIString& text);

    // ---- Screen density (96: the skin's own units) ------------------------------------------
    // Fonts are made and pictures read for this density: a skin size of n pixels becomes
    // n * dpi / 96. Changing it re-creates the window's fonts and pictures in place (their
    // records stay where they are); shared fonts stay as they were made.
    int Dpi() const { return m_nDpi; }
    void SetDpi(int dpi);

    // The device context text metrics are measured through: the window's, owned by the window
    // manager; null before the window exists.
    virtual HDC GetPaintDC() const = 0;
    // The last mouse position the window saw, in client coordinates, (-1, -1) before any:
    // formatted texts paint their links hot under it.
    POINT LastMousePos() const { return m_ptLastMousePos; }

protected:
    CWindowResourcesUI();
    ~CWindowResourcesUI();

    POINT m_ptLastMousePos{-1, -1};  // written by the window manager's input dispatch

private:
    TFontData* LookupFont(int id) const;
    TFontData* LookupFont(HFONT font) const;
    TFontData* DefaultFont();
    void EnsureMetrics(TFontData& font) const;
    void RecreateFont(TFontData& font) const;
    void ReloadImage(LPCWSTR name, TImageData& image) const;
    void SetDefaultColor(DWORD TDefaultColors::*which, DWORD color, bool shared);

    TDefaultColors m_colors;
    std::unique_ptr<TFontData> m_pDefaultFont;  // empty face name: the process-wide one is used
    std::unique_ptr<TFontData> m_pScaledDefaultFont;  // the process-wide one, made for m_nDpi
    int m_nDpi = 96;
    CUIOwnedMap<TFontData> m_fonts;
    CUIOwnedMap<TImageData> m_images;
    CUIOwnedMap<CUIString> m_classDefaults;
    int m_nFormattedTextFonts = 0;  // fonts this window made for formatted text
};

}  // namespace SkinUI
