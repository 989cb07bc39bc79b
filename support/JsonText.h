#pragma once
// Reading members of parsed JSON replies as text.

#include <string>

#include "rapidjson/document.h"

// The first member called name of a JSON object, as narrow text: a string gives its bytes as
// stored (UTF-8); a number that fits a 32-bit signed or unsigned integer gives its decimal text.
// Anything else (no such member, not an object, null, true, false, a fraction, a number beyond
// 32 bits, an object, an array) gives an empty text.
std::string GetJsonString(const rapidjson::Value& object, const char* name);
