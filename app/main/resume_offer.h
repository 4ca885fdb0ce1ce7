#pragma once
// cad::ResumeOffer — the toast "Resume from <client>" for a play queue another client
// saved: a tap on it or Triangle (listed in the hint bar while it stands, ahead of the
// page's own Triangle) accepts; it goes away by itself after 15 s.
//
//   offer.show(engine, queue, [&] { sync.accept(); });
//   ... each frame: offer.tick(engine);

#include "app/net/subsonic.h"
#include "vell/widget.h"

#include <functional>

namespace vell {
class Engine;
}

namespace cad {

class ResumeOffer {
public:
    static constexpr float kSeconds = 15;

    void show(vell::Engine& engine, const Subsonic::PlayQueue& queue, std::function<void()> accept);
    // Removes the binding once the toast has gone.
    void tick(vell::Engine& engine);
    void close(vell::Engine& engine);
    bool shown() const { return m_toast != nullptr; }

private:
    vell::WidgetPtr m_toast;
};

} // namespace cad
