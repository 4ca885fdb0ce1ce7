#pragma once
// cad::ServerPage — base of the navigation pages whose content comes from the
// server. refresh() records when and in which online state the page loaded;
// start() loads once and installs the view's onShow, which reloads by the page's
// RefreshRule. Subclasses override load() for their content.

#include "app/ui/page.h"
#include "app/ui/refresh_rule.h"

#include <cstdint>

namespace cad {

class ServerPage : public Page {
public:
    ServerPage(const std::string& title, bool miniPlayer, RefreshRule rule);

    void start() override;
    void refresh() override;

    bool loadedOnline = false;
    uint32_t loadedAt = 0;
    // How many times refresh() ran (diagnostics and tests).
    int loads = 0;

protected:
    // The page's own loading; the base does nothing.
    virtual void load() {}

private:
    RefreshRule m_rule;
};

} // namespace cad
