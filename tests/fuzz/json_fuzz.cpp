// Feeds arbitrary bytes to the JSON parser and checks the properties the state files
// rely on: no crash or undefined behaviour, rejected input yields null, the parser never
// reads past the given length, and written text parses back to the same tree. Numbers are
// written with ten significant digits, so a number may change once (17004010000.23 is
// written as 1.700401e+10 and reads back as 17004010000); after that the text is stable.
#include "app/core/json.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Runs every accessor over the tree so conversions are checked by the sanitizers too.
void touch(const cad::Json& value, int depth)
{
    (void)value.asString("");
    (void)value.asNumber(0);
    (void)value.asBool(false);
    (void)cad::truncateToInt32(value.asNumber(0));
    require(value.kind != cad::Json::Object || value.keys.size() == value.items.size());
    for (size_t i = 0; i < value.items.size(); ++i) {
        touch(value.items[i], depth + 1);
        if (value.kind == cad::Json::Object)
            (void)value.get(value.keys[i]);
    }
}

bool sameNumber(double written, double reread)
{
    bool ok = false;
    cad::Json expected = cad::parse(cad::Json(written).dump(), ok);
    require(ok && expected.kind == cad::Json::Number);
    if (expected.number != expected.number)
        return reread != reread;
    return expected.number == reread;
}

// `reread` is what parsing the written text of `written` gave.
bool sameTree(const cad::Json& written, const cad::Json& reread)
{
    if (written.kind != reread.kind || written.boolean != reread.boolean || written.text != reread.text
        || written.keys != reread.keys || written.items.size() != reread.items.size())
        return false;
    if (written.kind == cad::Json::Number && !sameNumber(written.number, reread.number))
        return false;
    for (size_t i = 0; i < written.items.size(); ++i) {
        if (!sameTree(written.items[i], reread.items[i]))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The raw buffer has no terminator after it, so ASan sees any read past `size`.
    bool rawOk = false;
    cad::Json raw = cad::parse(reinterpret_cast<const char*>(data), size, rawOk);

    // The same bytes as a standard string, as callers hand them over.
    std::string text(reinterpret_cast<const char*>(data), size);
    bool ok = false;
    cad::Json first = cad::parse(text, ok);
    require(ok == rawOk);
    if (!ok) {
        require(first.kind == cad::Json::Null && first.items.empty() && raw.kind == cad::Json::Null);
        return 0;
    }
    std::string compact = first.dump(-1);
    require(raw.dump(-1) == compact);
    touch(first, 0);

    for (int indent : { -1, 2 }) {
        std::string once = first.dump(indent);
        bool again = false;
        cad::Json second = cad::parse(once, again);
        require(again);
        require(sameTree(first, second));
        std::string twice = second.dump(indent);
        cad::Json third = cad::parse(twice, again);
        require(again);
        require(third.dump(indent) == twice);
    }
    return 0;
}
