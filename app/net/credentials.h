#pragma once
#include <string>

namespace cad {

// What a Subsonic client needs to sign its requests. The password is never kept: the
// token is md5Hex(password + salt) and the salt is fresh for every sign-in.
struct Credentials {
    std::string url;   // base address, e.g. "https://music.example.org/navidrome"
    std::string user;
    std::string salt;  // 10 characters from "0123456789abcdef"
    std::string token; // 32 lower-case hex characters
};

// A fresh 10-character salt from the process-wide generator. Called on the UI thread.
std::string makeSalt();

// The Subsonic token for `password` and `salt`: md5Hex of the two concatenated.
std::string makeToken(const std::string& password, const std::string& salt);

} // namespace cad
