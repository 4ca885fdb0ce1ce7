#pragma once
#include "app/net/http_result.h"
#include "app/net/transfer.h"

#include <cstddef>
#include <string>

// The worker-side bodies of Net's two transfer kinds. They block, so they run on pool
// threads only; each sets up its own easy handle and reports through its return value.
namespace cad {

// A GET keeps its body in memory, so a runaway or hostile reply must not exhaust it.
inline constexpr std::size_t kMaxGetBody = std::size_t(256) << 20;
inline constexpr const char* kTooLargeError = "Server response too large (over 256 MiB)";

// Performs a GET into memory. Never throws. A body beyond `maxBody` bytes aborts the
// transfer with kTooLargeError and an empty body.
HttpResult performGet(const std::string& url, long timeoutSeconds, bool insecure,
                      std::size_t maxBody = kMaxGetBody);

struct FetchOutcome {
    bool ok = false;
    std::string error;
};

// Streams `url` into `path` + ".part" and renames it onto `path` when the reply is a
// complete 2xx file. On any failure `path` is left as it was and the ".part" file is
// removed (except when only the final rename fails). Updates `transfer` as it goes,
// storing ok and then done before returning.
FetchOutcome fetchToFile(const std::string& url, const std::string& path, Transfer& transfer,
                         bool insecure);

// The download speed cap from CADDIS_THROTTLE in bytes per second; 0 means unlimited.
long long downloadThrottle();

} // namespace cad
