#pragma once
// Finding and creating the class an ActiveX host names.
//
// The system's COM does it: CLSIDFromString / CLSIDFromProgID and CoCreateInstance. Windows
// also reads the classes a user registered without administrator rights (under
// HKCU\Software\Classes) there; Wine 8 does not (its classes root is the machine's only), so
// when the system answers that a class or ProgID is not registered, the user's registration is
// read here and its in-process server asked directly (DllGetClassObject), as COM would.

#include <windows.h>
#include <unknwn.h>

#include <vector>

namespace SkinUI {

// The classes a skin may host in this program. A skin is data from outside the program, and
// COM classes are code: a skin naming "WScript.Shell" must not get a shell object. So the
// program names the classes its skins may use, once at start before its first window, and no
// other class is made nor its server loaded (the host fails with E_ACCESSDENIED). None are
// allowed until the program names them: the installer names none.
void SetAllowedActiveXClasses(std::vector<CLSID> classes);
bool IsActiveXClassAllowed(const CLSID& clsid);

// The class a text names: "{GUID}" or a ProgID (at most 255 characters).
HRESULT ActiveXClassOf(LPCWSTR text, CLSID& clsid);

// A new object of the class (E_ACCESSDENIED for a class the program does not allow), through
// COM, or from the user's registration of an in-process server whose threading model suits a
// single-threaded apartment. The servers loaded that way
// stay loaded until the process ends (COM keeps its own until CoFreeUnusedLibraries).
HRESULT CreateActiveXObject(const CLSID& clsid, IUnknown** object);

}  // namespace SkinUI
