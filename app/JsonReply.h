#pragma once
// Parsing the JSON replies of the platform's services. A reply is hostile until checked: it is
// parsed without recursion (a deeply nested reply cannot exhaust the stack) and only up to a
// size no genuine reply comes near.

#include <cstddef>
#include <string>

#include "rapidjson/document.h"

// The largest reply text that is parsed at all.
constexpr size_t kMaxJsonReplyBytes = 1024 * 1024;

// Parses text (UTF-8) into doc; false when it is too long or not JSON. A reply may be any JSON
// value; callers look for the objects they need.
bool ParseJsonReply(const std::string& text, rapidjson::Document& doc);

// The object member called name of value, or null when value is no object or the member is
// missing or no object.
const rapidjson::Value* FindJsonObject(const rapidjson::Value& value, const char* name);
