#pragma once
#include "app/net/net.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace net_testing {

// Pumps the Net's completion queue, as the UI thread's frame does, until `condition` holds
// or `seconds` pass. Returns whether it held.
template <class Condition>
bool pollUntil(cad::Net& net, Condition condition, double seconds = 15)
{
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    for (;;) {
        net.poll();
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The download temporaries (".part" files) directly inside `dir`.
inline std::vector<std::string> temporaries(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().string().ends_with(".part"))
            found.push_back(entry.path().string());
    }
    return found;
}

// A loopback port that nothing listens on (bound once by the kernel's choice, then released).
inline int unusedPort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

// A Net with its pools started as the application starts them.
struct StartedNet : cad::Net {
    StartedNet()
    {
        requestPool.start(3);
        downloadPool.start(2);
    }
};

// Runs one GET to completion and returns its result.
inline cad::HttpResult getNow(cad::Net& net, const std::string& url, long timeoutSeconds = 25)
{
    cad::HttpResult out;
    bool delivered = false;
    net.get(url, [&](cad::HttpResult result) { out = std::move(result); delivered = true; }, timeoutSeconds);
    if (!pollUntil(net, [&] { return delivered; }, 60))
        out.error = "test: no completion";
    return out;
}

struct DownloadOutcome {
    bool delivered = false;
    bool ok = false;
    std::string error;
};

// Runs one download to completion and returns what its callback reported.
inline DownloadOutcome downloadNow(cad::Net& net, const std::string& url, const std::string& path,
                                   bool interactive = false)
{
    DownloadOutcome out;
    net.download(url, path, [&](bool ok, const std::string& error) {
        out = {true, ok, error};
    }, interactive);
    pollUntil(net, [&] { return out.delivered; }, 60);
    return out;
}

} // namespace net_testing
