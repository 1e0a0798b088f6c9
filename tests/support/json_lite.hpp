// A small JSON reader for test data such as the corpus manifest: the whole text is parsed
// into a tree of values. Objects keep their members in file order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;                 // Kind::String
    std::vector<JsonValue> items;     // Kind::Array
    std::vector<JsonMember> members;  // Kind::Object, in file order

    bool isNull() const { return kind == Kind::Null; }
    // The member named `key`, or null when there is none or this is not an object.
    const JsonValue* find(std::string_view key) const;
    // The value when it is of that kind (a number only when it is a whole number that fits).
    std::optional<std::string> asString() const;
    std::optional<int64_t> asInt() const;
    std::optional<bool> asBool() const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// Parses `text`, which must hold exactly one value (blanks around it allowed). On failure
// returns false and describes the fault, with its byte offset, in `error`.
bool parseJson(std::string_view text, JsonValue& out, std::string& error);

}  // namespace testsupport
