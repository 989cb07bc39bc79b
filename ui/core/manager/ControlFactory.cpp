#include "ui/core/manager/ControlFactory.h"

#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

struct TElementClass {
    LPCWSTR name;
    ControlFactory create;
    EElementCase match;
};

// Built during static initialisation: a function-local table is ready whichever source file
// registers first.
std::vector<TElementClass>& ElementClasses() {
    static std::vector<TElementClass> classes;
    return classes;
}

bool SameName(const TElementClass& element, LPCWSTR name) {
    return element.match == EElementCase::kExact ? wcscmp(element.name, name) == 0
                                                 : _wcsicmp(element.name, name) == 0;
}

}  // namespace

CControlRegistration::CControlRegistration(LPCWSTR elementName, ControlFactory create,
                                           EElementCase match) {
    ElementClasses().push_back({elementName, create, match});
}

CControlUI* CreateRegisteredControl(LPCWSTR elementName) {
    if (elementName == nullptr) return nullptr;
    for (const TElementClass& element : ElementClasses()) {
        if (SameName(element, elementName)) return element.create();
    }
    return nullptr;
}

std::vector<LPCWSTR> RegisteredElementNames() {
    std::vector<LPCWSTR> names;
    for (const TElementClass& element : ElementClasses()) names.push_back(element.name);
    return names;
}

}  // namespace SkinUI
