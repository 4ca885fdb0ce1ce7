#include "app/player/download_toasts.h"

#include <utility>

namespace cad {

namespace {

constexpr unsigned kIconCheck = 0xE86C;
constexpr unsigned kIconError = 0xE000;

} // namespace

DownloadToasts::DownloadToasts(std::function<int()> pending, ToastFunction toast)
    : m_pending(std::move(pending))
    , m_toast(std::move(toast))
{
}

void DownloadToasts::operator()(const Song& song, bool ok, const std::string& error)
{
    if (ok) {
        ++m_successes;
        m_lastTitle = song.title;
    } else if (error != "cancelled" && m_toast) {
        m_toast("Download failed", song.title + ": " + error, kIconError, 5.0f);
    }
    if (m_pending && m_pending() > 0)
        return;
    // The batch is over however its last item ended, so the next batch counts from zero.
    const int count = m_successes;
    m_successes = 0;
    if (count == 0 || !m_toast)
        return;
    if (count == 1)
        m_toast("Download complete", m_lastTitle, kIconCheck, 3.5f);
    else
        m_toast("Downloads complete", std::to_string(count) + " songs saved offline", kIconCheck, 3.5f);
}

} // namespace cad
