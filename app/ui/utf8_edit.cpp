#include "app/ui/utf8_edit.h"

#include <algorithm>

namespace cad::utf8 {
namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

constexpr std::string_view kDot = "\xE2\x80\xA2"; // U+2022

} // namespace

size_t previous(std::string_view text, size_t offset)
{
    offset = std::min(offset, text.size());
    if (offset == 0)
        return 0;
    size_t i = offset - 1;
    // At most three continuation bytes belong to one lead byte.
    size_t steps = 0;
    while (i > 0 && isContinuation(text[i]) && steps < 3) {
        --i;
        ++steps;
    }
    return i;
}

size_t next(std::string_view text, size_t offset)
{
    if (offset >= text.size())
        return text.size();
    size_t i = offset + 1;
    size_t steps = 0;
    while (i < text.size() && isContinuation(text[i]) && steps < 3) {
        ++i;
        ++steps;
    }
    return i;
}

size_t countCodePoints(std::string_view text)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i = next(text, i))
        ++count;
    return count;
}

std::string masked(std::string_view text)
{
    std::string out;
    const size_t n = countCodePoints(text);
    out.reserve(n * kDot.size());
    for (size_t i = 0; i < n; ++i)
        out += kDot;
    return out;
}

std::string_view firstLine(std::string_view text)
{
    text = text.substr(0, text.find('\n'));
    return text.substr(0, text.find('\r'));
}

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

} // namespace cad::utf8
