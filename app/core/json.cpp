#include "app/core/json.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

namespace cad {

namespace {

// Numbers are always read in the C locale, whatever the process has set.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Bytes strtod may consume after its leading white space: signs, digits, letters (hex
// digits, exponents, inf, nan), the point, and the parentheses and underscore of nan(...).
bool isNumberByte(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' || c == '-'
        || c == '.' || c == '_' || c == '(' || c == ')';
}

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Recursive descent over [p, end), one pass, no backtracking.
class Parser {
public:
    Parser(const char* begin, const char* end)
        : m_p(begin)
        , m_end(end)
    {
    }

    bool document(Json& out)
    {
        skipSpace();
        value(out, 0);
        skipSpace();
        if (m_p != m_end)
            m_ok = false;
        return m_ok;
    }

private:
    static constexpr int kMaxDepth = 64;

    bool fail()
    {
        m_ok = false;
        return false;
    }

    bool atEnd() const { return m_p >= m_end; }
    bool at(char c) const { return m_p < m_end && *m_p == c; }
    size_t remaining() const { return static_cast<size_t>(m_end - m_p); }

    void skipSpace()
    {
        while (m_p < m_end && isJsonSpace(*m_p))
            ++m_p;
    }

    bool value(Json& out, int depth)
    {
        if (depth > kMaxDepth || atEnd())
            return fail();
        switch (*m_p) {
        case '{':
            return object(out, depth);
        case '[':
            return array(out, depth);
        case '"':
            ++m_p;
            out.kind = Json::String;
            return string(out.text);
        default:
            break;
        }
        if (literal("true", 4)) {
            out.kind = Json::Boolean;
            out.boolean = true;
            return true;
        }
        if (literal("false", 5)) {
            out.kind = Json::Boolean;
            return true;
        }
        if (literal("null", 4))
            return true;
        return number(out);
    }

    // A literal is recognised by its bytes alone; what follows is the caller's concern.
    bool literal(const char* word, size_t length)
    {
        if (remaining() < length || std::memcmp(m_p, word, length) != 0)
            return false;
        m_p += length;
        return true;
    }

    bool object(Json& out, int depth)
    {
        ++m_p;
        out.kind = Json::Object;
        skipSpace();
        if (at('}')) {
            ++m_p;
            return true;
        }
        for (;;) {
            skipSpace();
            if (!at('"'))
                return fail();
            ++m_p;
            out.keys.emplace_back();
            if (!string(out.keys.back()))
                return false;
            skipSpace();
            if (!at(':'))
                return fail();
            ++m_p;
            skipSpace();
            out.items.emplace_back();
            if (!value(out.items.back(), depth + 1))
                return false;
            skipSpace();
            if (at(',')) {
                ++m_p;
                continue;
            }
            if (at('}')) {
                ++m_p;
                return true;
            }
            return fail();
        }
    }

    bool array(Json& out, int depth)
    {
        ++m_p;
        out.kind = Json::Array;
        skipSpace();
        if (at(']')) {
            ++m_p;
            return true;
        }
        for (;;) {
            skipSpace();
            out.items.emplace_back();
            if (!value(out.items.back(), depth + 1))
                return false;
            skipSpace();
            if (at(',')) {
                ++m_p;
                continue;
            }
            if (at(']')) {
                ++m_p;
                return true;
            }
            return fail();
        }
    }

    // After the opening quotation mark. Runs of plain bytes are appended at once,
    // which gives the same bytes as copying them one by one.
    bool string(std::string& out)
    {
        for (;;) {
            const char* run = m_p;
            while (m_p < m_end && *m_p != '"' && *m_p != '\\')
                ++m_p;
            out.append(run, static_cast<size_t>(m_p - run));
            if (atEnd())
                return fail();
            if (*m_p == '"') {
                ++m_p;
                return true;
            }
            ++m_p;
            if (atEnd())
                return fail();
            char c = *m_p++;
            switch (c) {
            case 'b': out.push_back('\b'); break;
            case 'f': out.push_back('\f'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'u':
                if (!unicodeEscape(out))
                    return false;
                break;
            default: out.push_back(c); break;
            }
        }
    }

    bool hex4(uint32_t& code)
    {
        if (remaining() < 4)
            return fail();
        code = 0;
        for (int i = 0; i < 4; ++i) {
            int digit = hexValue(m_p[i]);
            if (digit < 0)
                return fail();
            code = code * 16 + static_cast<uint32_t>(digit);
        }
        m_p += 4;
        return true;
    }

    // After backslash u. A high surrogate swallows a directly following \u escape;
    // lone surrogates are encoded as they are.
    bool unicodeEscape(std::string& out)
    {
        uint32_t code = 0;
        if (!hex4(code))
            return false;
        if (code >= 0xD800 && code <= 0xDBFF && remaining() >= 2 && m_p[0] == '\\' && m_p[1] == 'u') {
            m_p += 2;
            uint32_t low = 0;
            if (!hex4(low))
                return false;
            code = code * 1024 + low - 56613888u;
        }
        appendUtf8(out, code);
        return true;
    }

    bool number(Json& out)
    {
        if (fastNumber(out))
            return true;
        return strtodNumber(out);
    }

    // Plain decimal numbers followed by a separator: from_chars rounds exactly as
    // strtod does, and the grammar below consumes exactly what strtod would.
    bool fastNumber(Json& out)
    {
        const char* q = m_p;
        if (q < m_end && *q == '-')
            ++q;
        const char* digits = q;
        while (q < m_end && isDigit(*q))
            ++q;
        if (q == digits)
            return false;
        if (q < m_end && *q == '.') {
            const char* fraction = ++q;
            while (q < m_end && isDigit(*q))
                ++q;
            if (q == fraction)
                return false;
        }
        if (q < m_end && (*q == 'e' || *q == 'E')) {
            ++q;
            if (q < m_end && (*q == '+' || *q == '-'))
                ++q;
            const char* exponent = q;
            while (q < m_end && isDigit(*q))
                ++q;
            if (q == exponent)
                return false;
        }
        if (q < m_end && !isJsonSpace(*q) && *q != ',' && *q != ']' && *q != '}')
            return false;
        double parsed = 0;
        auto result = std::from_chars(m_p, q, parsed);
        if (result.ec != std::errc() || result.ptr != q)
            return false;
        out.kind = Json::Number;
        out.number = parsed;
        m_p = q;
        return true;
    }

    // Everything else strtod accepts (leading +, hex, inf, nan, out-of-range values).
    // The candidate bytes are copied so the conversion never reads past the input.
    bool strtodNumber(Json& out)
    {
        const char* q = m_p;
        while (q < m_end && isCSpace(*q))
            ++q;
        while (q < m_end && isNumberByte(*q))
            ++q;
        std::string token(m_p, q);
        char* stop = nullptr;
        double parsed = strtod_l(token.c_str(), &stop, cLocale());
        size_t consumed = static_cast<size_t>(stop - token.c_str());
        if (consumed == 0)
            return fail();
        out.kind = Json::Number;
        out.number = parsed;
        m_p += consumed;
        return true;
    }

    const char* m_p;
    const char* m_end;
    bool m_ok = true;
};

bool fitsInt64(double value)
{
    return value >= -9223372036854775808.0 && value < 9223372036854775808.0;
}

void dumpNumber(std::string& out, double value)
{
    char buffer[40];
    if (fitsInt64(value) && static_cast<double>(static_cast<int64_t>(value)) == value) {
        auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<int64_t>(value));
        out.append(buffer, result.ptr);
        return;
    }
    int length = std::snprintf(buffer, sizeof buffer, "%.10g", value);
    out.append(buffer, static_cast<size_t>(length));
}

bool needsEscape(unsigned char c)
{
    return c < 0x20 || c == '"' || c == '\\';
}

void dumpString(std::string& out, const std::string& text)
{
    out.push_back('"');
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* run = p;
        while (p < end && !needsEscape(static_cast<unsigned char>(*p)))
            ++p;
        out.append(run, static_cast<size_t>(p - run));
        if (p == end)
            break;
        unsigned char c = static_cast<unsigned char>(*p++);
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default: {
            static const char digits[] = "0123456789abcdef";
            char escape[6] = { '\\', 'u', '0', '0', digits[c >> 4], digits[c & 15] };
            out.append(escape, 6);
            break;
        }
        }
    }
    out.push_back('"');
}

void newline(std::string& out, int indent, int level)
{
    out.push_back('\n');
    out.append(static_cast<size_t>(indent) * static_cast<size_t>(level), ' ');
}

void dumpValue(const Json& value, std::string& out, int indent, int level);

void dumpContainer(const Json& value, std::string& out, int indent, int level)
{
    bool isObject = value.kind == Json::Object;
    out.push_back(isObject ? '{' : '[');
    for (size_t i = 0; i < value.items.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        if (indent >= 0)
            newline(out, indent, level + 1);
        if (isObject) {
            static const std::string unnamed;
            dumpString(out, i < value.keys.size() ? value.keys[i] : unnamed);
            out += indent >= 0 ? ": " : ":";
        }
        dumpValue(value.items[i], out, indent, level + 1);
    }
    if (!value.items.empty() && indent >= 0)
        newline(out, indent, level);
    out.push_back(isObject ? '}' : ']');
}

void dumpValue(const Json& value, std::string& out, int indent, int level)
{
    switch (value.kind) {
    case Json::Boolean: out += value.boolean ? "true" : "false"; return;
    case Json::Number: dumpNumber(out, value.number); return;
    case Json::String: dumpString(out, value.text); return;
    case Json::Array:
    case Json::Object: dumpContainer(value, out, indent, level); return;
    default: out += "null"; return;
    }
}

} // namespace

// Index of the first member named `key` in an object, or npos.
size_t Json::find(std::string_view key) const
{
    if (kind != Object)
        return npos;
    size_t count = std::min(keys.size(), items.size());
    for (size_t i = 0; i < count; ++i) {
        if (keys[i] == key)
            return i;
    }
    return npos;
}

const Json& Json::get(std::string_view key) const
{
    static const Json null;
    size_t index = find(key);
    return index == npos ? null : items[index];
}

bool Json::has(std::string_view key) const
{
    return find(key) != npos;
}

Json& Json::set(std::string_view key, Json value)
{
    if (kind != Object)
        *this = object();
    size_t index = find(key);
    if (index != npos) {
        items[index] = std::move(value);
        return *this;
    }
    // Keep names and values paired even if a caller filled one list by hand.
    size_t count = std::min(keys.size(), items.size());
    keys.resize(count);
    items.resize(count);
    keys.emplace_back(key);
    items.push_back(std::move(value));
    return *this;
}

Json& Json::push(Json value)
{
    if (kind == Null)
        kind = Array;
    items.push_back(std::move(value));
    return *this;
}

std::string Json::asString(const std::string& fallback) const
{
    if (kind == String)
        return text;
    if (kind == Number)
        return std::to_string(truncateToInt64(number));
    return fallback;
}

double Json::asNumber(double fallback) const
{
    switch (kind) {
    case Number: return number;
    case String: return leadingNumber(text.c_str());
    case Boolean: return boolean ? 1 : 0;
    default: return fallback;
    }
}

bool Json::asBool(bool fallback) const
{
    switch (kind) {
    case Boolean: return boolean;
    case Number: return number != 0;
    case String: return text == "true";
    default: return fallback;
    }
}

void Json::dump(std::string& out, int indent) const
{
    dumpValue(*this, out, indent, 0);
}

std::string Json::dump(int indent) const
{
    std::string out;
    dump(out, indent);
    return out;
}

Json parse(const char* text, size_t length, bool& ok)
{
    Json value;
    Parser parser(text, text + length);
    ok = parser.document(value);
    if (!ok)
        return Json();
    return value;
}

Json parse(const std::string& text, bool& ok)
{
    return parse(text.data(), text.size(), ok);
}

int64_t truncateToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775808.0)
        return std::numeric_limits<int64_t>::max();
    if (value < -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

int32_t truncateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

double leadingNumber(const char* text)
{
    return strtod_l(text, nullptr, cLocale());
}

} // namespace cad
