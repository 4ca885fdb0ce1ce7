#include "app/main/resume_offer.h"

#include "app/main/test_hooks.h"
#include "app/ui/playback_view.h"
#include "vell/engine.h"
#include "vell/pad_button.h"
#include "vell/shell.h"

#include <algorithm>

namespace cad {
namespace {

constexpr unsigned kSyncIcon = 0xE627;
constexpr const char* kLabel = "Resume";

bool isOfferBinding(const vell::Binding& b)
{
    return b.first && b.button == vell::Triangle && b.label == kLabel;
}

} // namespace

void ResumeOffer::show(vell::Engine& engine, const Subsonic::PlayQueue& queue, std::function<void()> accept)
{
    close(engine);
    std::string detail;
    for (const Song& song : queue.songs) {
        if (song.id == queue.current)
            detail = song.title + " · " + timeText(static_cast<double>(queue.positionMs) / 1000.0);
    }
    const std::string title = "Resume from " + queue.changedBy;
    auto run = [this, &engine, accept] {
        close(engine);
        accept();
    };
    m_toast = engine.shell().toast(title, detail, kSyncIcon, kSeconds, run);
    engine.bindings().push_back({ vell::Triangle, kLabel, run, true, true });
    testhooks::log("toast", title, detail);
}

void ResumeOffer::tick(vell::Engine& engine)
{
    if (m_toast && !engine.shell().toastShown(m_toast.get()))
        close(engine);
}

void ResumeOffer::close(vell::Engine& engine)
{
    if (m_toast)
        engine.shell().closeToast(m_toast.get());
    m_toast.reset();
    std::erase_if(engine.bindings(), isOfferBinding);
}

} // namespace cad
