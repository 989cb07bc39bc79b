#include "support/JsonText.h"

std::string GetJsonString(const rapidjson::Value& object, const char* name) {
    if (!name || !object.IsObject()) return {};
    // FindMember walks the members in document order, so a duplicate name yields the first one.
    const auto member = object.FindMember(name);
    if (member == object.MemberEnd()) return {};
    const rapidjson::Value& value = member->value;
    if (value.IsString()) return std::string(value.GetString(), value.GetStringLength());
    if (value.IsInt()) return std::to_string(value.GetInt());
    if (value.IsUint()) return std::to_string(value.GetUint());
    return {};
}
