#pragma once
#include <atomic>
#include <string>

namespace cad {

// Live state of one download, shared by the caller (UI thread) and the worker.
// The worker writes received/total/ok/done; the owner may set cancel at any time and
// the worker gives up at its next progress report. `ok` is written before `done`.
struct Transfer {
    std::atomic<double> received{0.0}; // bytes received so far
    std::atomic<double> total{0.0};    // expected size; 0 until the server announced it
    std::atomic<bool> cancel{false};   // set by the owner to abort
    std::atomic<bool> done{false};     // set once the transfer has ended, either way
    std::atomic<bool> ok{false};       // the file is complete at its final path
    // The temporary file a download writes before moving it to its final path; set before the
    // transfer is shared and never changed, so a reader may follow the file as it grows.
    std::string partPath;
};

} // namespace cad
