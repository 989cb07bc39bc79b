#include "ui/core/base/UIAttribute.h"

#include <cwchar>

namespace SkinUI {

namespace {

LPCWSTR OrEmpty(LPCWSTR text) { return text != nullptr ? text : L""; }

LPCWSTR SkipHash(LPCWSTR text) { return *text == L'#' ? text + 1 : text; }

// Reads count numbers with read(pos, &end) from a comma list: the next number starts one
// character after the previous one's end, but never beyond the terminating NUL.
template <class T, class Reader>
int ParseList(LPCWSTR text, T* values, int count, Reader read) {
    LPCWSTR pos = OrEmpty(text);
    int found = 0;
    for (int i = 0; i < count; ++i) {
        LPWSTR end = nullptr;
        values[i] = read(pos, &end);
        if (end != pos) ++found;
        pos = end;
        if (*pos != L'\0') ++pos;
    }
    return found;
}

}  // namespace

int ParseAttrInt(LPCWSTR text, LPCWSTR* end) {
    text = OrEmpty(text);
    LPWSTR stop = nullptr;
    long value = wcstol(text, &stop, 10);
    if (end != nullptr) *end = stop;
    return static_cast<int>(value);
}

DWORD ParseAttrHex(LPCWSTR text, LPCWSTR* end) {
    text = SkipHash(OrEmpty(text));
    LPWSTR stop = nullptr;
    unsigned long value = wcstoul(text, &stop, 16);
    if (end != nullptr) *end = stop;
    return static_cast<DWORD>(value);
}

bool ParseAttrBool(LPCWSTR text) { return text != nullptr && wcscmp(text, L"true") == 0; }

bool ParseAttrBoolNoCase(LPCWSTR text) { return text != nullptr && _wcsicmp(text, L"true") == 0; }

int ParseAttrIntList(LPCWSTR text, int* values, int count) {
    return ParseList(text, values, count, [](LPCWSTR pos, LPWSTR* end) {
        return static_cast<int>(wcstol(pos, end, 10));
    });
}

int ParseAttrDoubleList(LPCWSTR text, double* values, int count) {
    return ParseList(text, values, count, [](LPCWSTR pos, LPWSTR* end) { return wcstod(pos, end); });
}

RECT ParseAttrRect(LPCWSTR text) {
    int v[4];
    ParseAttrIntList(text, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseAttrSize(LPCWSTR text) {
    int v[2];
    ParseAttrIntList(text, v, 2);
    return SIZE{v[0], v[1]};
}

POINT ParseAttrPoint(LPCWSTR text) {
    int v[2];
    ParseAttrIntList(text, v, 2);
    return POINT{v[0], v[1]};
}

DWORD ParseAttrColor(LPCWSTR text, bool skipBlanks) {
    text = OrEmpty(text);
    return ParseAttrHex(skipBlanks ? SkipBlanks(text) : text);
}

}  // namespace SkinUI
