#pragma once
#include "app/net/http_result.h"
#include "app/net/transfer.h"

#include <atomic>
#include <cstddef>
#include <string>

// The worker-side bodies of Net's two transfer kinds. They block, so they run on pool
// threads only; each sets up its own easy handle and reports through its return value.
namespace cad {

// A GET keeps its body in memory, so a runaway or hostile reply must not exhaust it.
inline constexpr std::size_t kMaxGetBody = std::size_t(256) << 20;
inline constexpr const char* kTooLargeError = "Server response too large (over 256 MiB)";

// Performs a GET into memory. Never throws. A body beyond `maxBody` bytes aborts the
// transfer with kTooLargeError and an empty body. When `cancel` is given and becomes true,
// the transfer gives up at its next progress report with the error "cancelled".
HttpResult performGet(const std::string& url, long timeoutSeconds, bool insecure,
                      std::size_t maxBody = kMaxGetBody, const std::atomic<bool>* cancel = nullptr);

struct FetchOutcome {
    bool ok = false;
    std::string error;
};

// A temporary name beside `path` that no other transfer of this process shares:
// path + "." + pid + "-" + serial + ".part". Two transfers to one path (a prefetch still
// running when its song is fetched again) must never write or delete each other's bytes.
std::string temporaryPath(const std::string& path);

// Streams `url` into temporaryPath(path) and renames it onto `path` when the reply is a
// complete 2xx file. On any failure `path` is left as it was and the temporary file is
// removed (except when only the final rename fails). Updates `transfer` as it goes,
// storing ok and then done before returning.
FetchOutcome fetchToFile(const std::string& url, const std::string& path, Transfer& transfer,
                         bool insecure);
// The same through a temporary file chosen by the caller.
FetchOutcome fetchToFile(const std::string& url, const std::string& path, const std::string& partPath,
                         Transfer& transfer, bool insecure);

// The last step of a good download: moves `partPath` onto `path`. A transfer cancelled by
// now reports "cancelled" and leaves nothing at `path` from this transfer (its owner has
// already given up on it); a failed rename reports "cannot finalize file".
FetchOutcome finalizeDownload(const std::string& partPath, const std::string& path,
                              const Transfer& transfer);

// The download speed cap from CADDIS_THROTTLE in bytes per second; 0 means unlimited.
long long downloadThrottle();

} // namespace cad
