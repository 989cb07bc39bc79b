#include "app/JsonReply.h"

bool ParseJsonReply(const std::string& text, rapidjson::Document& doc) {
    if (text.size() > kMaxJsonReplyBytes) return false;
    doc.Parse<rapidjson::kParseIterativeFlag>(text.c_str(), text.size());
    return !doc.HasParseError();
}

const rapidjson::Value* FindJsonObject(const rapidjson::Value& value, const char* name) {
    if (!value.IsObject()) return nullptr;
    const auto member = value.FindMember(name);
    if (member == value.MemberEnd() || !member->value.IsObject()) return nullptr;
    return &member->value;
}
