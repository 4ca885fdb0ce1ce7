#include "app/core/safe_name.h"

#include <cstdint>
#include <cstdio>

namespace cad {

namespace {

bool isAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

uint64_t fnv1a(const std::string& text)
{
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace

std::string safeFileStem(const std::string& id)
{
    constexpr size_t kMaxKept = 100;
    constexpr size_t kMaxPrefix = 64;
    bool plain = !id.empty() && id.size() <= kMaxKept;
    for (unsigned char c : id)
        plain = plain && (isAlnum(c) || c == '-' || c == '_');
    if (plain)
        return id;
    std::string stem;
    for (size_t i = 0; i < id.size() && i < kMaxPrefix; ++i) {
        const unsigned char c = static_cast<unsigned char>(id[i]);
        stem += isAlnum(c) || c == '-' ? static_cast<char>(c) : '_';
    }
    char hash[20];
    std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(fnv1a(id)));
    return stem + hash;
}

std::string safeSuffix(const std::string& suffix)
{
    if (suffix.empty() || suffix.size() > 10)
        return "audio";
    for (unsigned char c : suffix) {
        if (!isAlnum(c))
            return "audio";
    }
    return suffix;
}

} // namespace cad
