#pragma once
#include <cstdint>
#include <string>

namespace cad {

// The outcome of one GET, handed by value to its callback on the UI thread.
struct HttpResult {
    bool ok = false;        // the transfer completed with a 2xx response code
    int64_t status = 0;     // HTTP response code; 0 when the transfer failed before a response
    std::string body;       // every byte received, also for an error response
    std::string error;      // empty when ok; otherwise why not
};

} // namespace cad
