#include "app/net/credentials.h"

#include "app/net/md5.h"

#include <chrono>
#include <cstdint>
#include <random>

namespace cad {

namespace {

// Created on first use and kept for the process, so each sign-in draws a new salt.
std::mt19937_64& saltEngine()
{
    static std::mt19937_64 engine = [] {
        try {
            std::random_device device("default");
            return std::mt19937_64(device());
        } catch (...) {
            // No entropy source: the clock still gives every process a different salt stream.
            return std::mt19937_64(uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
        }
    }();
    return engine;
}

} // namespace

std::string makeSalt()
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::mt19937_64& engine = saltEngine();
    std::string salt;
    for (int i = 0; i < 10; ++i)
        salt += kHex[engine() & 0x0f];
    return salt;
}

std::string makeToken(const std::string& password, const std::string& salt)
{
    return md5Hex(password + salt);
}

} // namespace cad
