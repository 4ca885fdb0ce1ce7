#pragma once
// cad::DownloadToasts — what the user hears about finished downloads. A batch of
// successes is announced once, when nothing is left waiting or downloading; every
// failure other than a cancel is announced at once. The controller installs it as
// Downloads::onFinished:
//
//   downloads.onFinished = DownloadToasts([&] { return downloads.pending(); },
//       [](auto& title, auto& detail, unsigned icon, float seconds) { toast(...); });

#include "app/core/library.h"

#include <functional>
#include <string>

namespace cad {

class DownloadToasts {
public:
    using ToastFunction = std::function<void(const std::string& title, const std::string& detail,
                                             unsigned icon, float seconds)>;

    // `pending` counts the downloads still waiting or running after the one that finished.
    DownloadToasts(std::function<int()> pending, ToastFunction toast);

    void operator()(const Song& song, bool ok, const std::string& error);

    // Successes since the last "Download(s) complete" toast.
    int successes() const { return m_successes; }

private:
    std::function<int()> m_pending;
    ToastFunction m_toast;
    int m_successes = 0;
    std::string m_lastTitle; // of the last success, for a batch of one
};

} // namespace cad
