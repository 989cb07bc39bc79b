#pragma once
// TImageSpec: one image slot of a control (background image, normal image, hot image, ...). It
// keeps the image description as written in the markup and caches what reading it gave: the
// picture (owned by the window resources's image table) and the drawing options.
//
// An image description is either a bare picture name ("bg.png", "my picture.png") or a list of
// key='value' pairs separated by one space ("file='Min.png' source='0,60,30,90'"):
//   file     picture name, read through the skin        res / restype  resource number and type
//   dest     l,t,r,b inside the control (all 0: whole)  source         l,t,r,b of the picture
//   corner   nine-slice border widths                   mask           colour made transparent
//   fade     constant opacity 0..255                    hole           "true": no middle part
//   xtiled   "true": middle repeated horizontally       ytiled         the same vertically
//   hsl      accepted, no effect
// Reading stops at the first deviation from the pair syntax; what was read so far stays.

#include <windows.h>

#include "ui/core/base/UIString.h"

namespace SkinUI {

struct TImageData;

struct TImageSpec {
    CUIString description;          // as written in the markup
    bool tried = false;             // parsed and a load attempted (a failed load is not retried)
    CUIString imageName;            // picture name or resource number
    const TImageData* image = nullptr;  // not owned: the resources's image table owns it
    RECT dest = {0, 0, 0, 0};       // offsets inside the control, see CUIRender::DrawImageSpec
    RECT source = {0, 0, 0, 0};     // part of the picture; all 0 means the whole picture
    RECT corner = {0, 0, 0, 0};     // left, top, right, bottom border widths
    BYTE fade = 255;                // constant opacity
    bool hole = false;              // leave the middle of a nine-slice empty
    bool xtiled = false;            // tile the middle horizontally instead of stretching
    bool ytiled = false;            // tile the middle vertically instead of stretching
    int dpi = 0;                    // the window density dest, source and corner were scaled for

    // Clears every field to its default (what a control does before taking a new description).
    void Reset();
    // Reset, then keep text as the new description (nothing is parsed or loaded yet).
    void Reset(LPCWSTR text);
};

// Where the picture of a description comes from; filled by ParseImageDescription.
struct TImageSource {
    CUIString name;          // "file" or "res" value, or the whole description
    CUIString resourceType;  // "restype", used only together with "res"
    bool fromResource = false;
    DWORD mask = 0;          // ARGB colour made transparent when the picture is first loaded
};

// Reads a description into the drawing fields of spec (only keys present in the text change a
// field) and into source. Never fails: malformed text is read up to the first fault.
void ParseImageDescription(LPCWSTR text, TImageSpec& spec, TImageSource& source);

// Applies a pair that says where the picture comes from ("file", "res", "restype") to source;
// false, leaving source alone, for any other key.
bool ApplyPictureSourcePair(const CUIString& key, const CUIString& value, TImageSource& source);

// One key='value' pair of a description at text (blanks before the key are skipped). On success
// key and value are set and *next points just after the closing quote; false on any deviation
// from the syntax (missing "=", missing or unterminated quote, end of text).
bool ReadDescriptionPair(LPCWSTR text, CUIString& key, CUIString& value, LPCWSTR* next);

}  // namespace SkinUI
