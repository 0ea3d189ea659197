#pragma once

// Reads the one-line JSON answers of the automation socket (`windows`, `texts`). Malformed input
// gives a null value, never an exception.

#include <map>
#include <string>
#include <vector>

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text; // UTF-8
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    static JsonValue Parse(const std::string& text);
    // The member of that name, or a null value.
    const JsonValue& operator[](const std::string& name) const;
    int Int() const { return int(number); }
};
