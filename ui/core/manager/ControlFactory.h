#pragma once
// The element vocabulary: the markup element names and the control classes they create. Every
// control family registers its own names from its own source file, with a CControlRegistration
// at namespace scope, so the dialog builder looks names up here and names no concrete control.
// Registration happens while the program starts (static initialisation, one thread); lookups
// come later, from the UI thread.

#include <windows.h>

#include <new>
#include <vector>

namespace SkinUI {

class CControlUI;

using ControlFactory = CControlUI* (*)();

// How an element name is compared with the markup's.
enum class EElementCase {
    kAnyCase,  // "button" and "BUTTON" create a Button
    kExact,    // the name must be written exactly as registered
};

// Registers one element name. A name registered twice keeps its first class.
class CControlRegistration {
public:
    CControlRegistration(LPCWSTR elementName, ControlFactory create,
                         EElementCase match = EElementCase::kAnyCase);
};

// A new control of the class registered for the element name; null for an unknown name or when
// memory runs out.
CControlUI* CreateRegisteredControl(LPCWSTR elementName);
// Every registered element name, in the order of registration (tests walk them).
std::vector<LPCWSTR> RegisteredElementNames();

// The factory every registration uses: a control of class T, or null without memory.
template <class T>
CControlUI* CreateControlOf() {
    return new (std::nothrow) T;
}

}  // namespace SkinUI
