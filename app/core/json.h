#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// The one JSON value of the program: server replies are parsed into it and state
// files are built from it. A plain value: copying copies the whole tree.
//
// Every number is held as a double. Objects keep their members in document order
// and duplicate names stay separate members; `keys[i]` names `items[i]`.
//
//     bool ok = false;
//     Json reply = parse(body.data(), body.size(), ok);
//     std::string id = reply.get("album").get("id").asString("");
//
//     Json config;
//     config.set("url", url).set("volume", 0.8);
//     std::string text;
//     config.dump(text, 2);
struct Json {
    enum Kind : int32_t { Null = 0, Boolean = 1, Number = 2, String = 3, Array = 4, Object = 5 };

    int32_t kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::string> keys;

    Json() = default;
    Json(std::nullptr_t) {}
    Json(bool value) : kind(Boolean), boolean(value) {}
    Json(double value) : kind(Number), number(value) {}
    Json(int value) : kind(Number), number(value) {}
    Json(long value) : kind(Number), number(static_cast<double>(value)) {}
    Json(long long value) : kind(Number), number(static_cast<double>(value)) {}
    Json(unsigned value) : kind(Number), number(value) {}
    Json(unsigned long value) : kind(Number), number(static_cast<double>(value)) {}
    Json(unsigned long long value) : kind(Number), number(static_cast<double>(value)) {}
    Json(const char* value) : kind(String), text(value) {}
    Json(std::string value) : kind(String), text(std::move(value)) {}

    static Json array() { Json value; value.kind = Array; return value; }
    static Json object() { Json value; value.kind = Object; return value; }

    bool isNull() const { return kind == Null; }
    bool isArray() const { return kind == Array; }
    bool isObject() const { return kind == Object; }

    // The first member named `key` (byte for byte). A missing member, or a value that
    // is not an object, gives a shared null, so lookups chain safely.
    const Json& get(std::string_view key) const;
    // True when the object has a member named `key`, whatever its value.
    bool has(std::string_view key) const;

    // Turns the value into an object if it is not one (dropping its content), then
    // replaces the first member named `key` or appends a new one. Returns *this.
    Json& set(std::string_view key, Json value);
    // Appends an element to `items`; meant for arrays. A null becomes an empty array
    // first, so a list built from a default value is not written as null. Returns *this.
    Json& push(Json value);

    // A string as is; a number as the decimal text of its integer part (saturated to
    // 64 bits, NaN as 0); anything else `fallback`.
    std::string asString(const std::string& fallback) const;
    // A number as is; a string through strtod (0 when it does not start with a number);
    // a boolean as 1 or 0; anything else `fallback`.
    double asNumber(double fallback) const;
    // A boolean as is; a number as != 0; a string is true only when it is exactly "true";
    // anything else `fallback`.
    bool asBool(bool fallback) const;

    // Appends the text of the value to `out`. `indent` < 0 writes compactly; otherwise one
    // member or element per line, indented by `indent` spaces per level. No final newline.
    void dump(std::string& out, int indent) const;
    std::string dump(int indent = -1) const;

private:
    static constexpr size_t npos = static_cast<size_t>(-1);
    size_t find(std::string_view key) const;
};

// Parses a whole document. On any error `ok` is false and the result is null.
// Never reads past `text + length`.
Json parse(const char* text, size_t length, bool& ok);
Json parse(const std::string& text, bool& ok);

// Truncation toward zero that saturates at the target range; NaN gives 0.
int64_t truncateToInt64(double value);
int32_t truncateToInt32(double value);

// strtod in the C locale: the leading number of `text`, 0 when there is none.
double leadingNumber(const char* text);

} // namespace cad
