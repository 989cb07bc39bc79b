// GetJsonString: every kind of JSON value.

#include <gtest/gtest.h>

#include "support/JsonText.h"

TEST(GetJsonString, TextOfEachValueKind) {
    rapidjson::Document doc;
    doc.Parse(R"({"str":"\u4e2d\u6587 ok","raw":"a\u0000b","int":42,"neg":-2147483648,"big":4294967295,)"
              R"("over":4294967296,"neg64":-2147483649,"frac":1.5,"whole":2.0,"nul":null,"t":true,"f":false,)"
              R"("obj":{"a":1},"arr":[1],"dup":"first","dup":"second","empty":""})");
    ASSERT_FALSE(doc.HasParseError());
    const struct {
        const char* name;
        std::string expected;
    } cases[] = {
        {"str", "\xE4\xB8\xAD\xE6\x96\x87 ok"},  // UTF-8 bytes as stored
        {"raw", std::string("a\0b", 3)},
        {"int", "42"},
        {"neg", "-2147483648"},
        {"big", "4294967295"},  // beyond INT_MAX, still 32-bit unsigned
        {"over", ""},
        {"neg64", ""},
        {"frac", ""},
        {"whole", ""},
        {"nul", ""},
        {"t", ""},
        {"f", ""},
        {"obj", ""},
        {"arr", ""},
        {"missing", ""},
        {"dup", "first"},
        {"empty", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(GetJsonString(doc, c.name), c.expected) << c.name;
}

TEST(GetJsonString, NonObjectsAndNullNamesGiveEmptyText) {
    rapidjson::Document doc;
    doc.Parse(R"([{"a":"x"}])");
    EXPECT_EQ(GetJsonString(doc, "a"), "");
    EXPECT_EQ(GetJsonString(doc[0], "a"), "x");
    EXPECT_EQ(GetJsonString(doc[0], nullptr), "");
}
