#pragma once
// cad::HomePage — the "Home" navigation page: "Shuffle all" and "Offline library"
// shortcuts, then four album shelves (recently played, newest, most played,
// discover) while online, or the offline banner. Reloads on show after a minute
// or after an online/offline change.

#include "app/ui/server_page.h"
#include "vell/button.h"
#include "vell/scroll_view.h"

namespace cad {

class HomePage : public ServerPage {
public:
    HomePage();
    void start() override;

    // Starts the queue with 100 random songs from the server.
    static void shuffleAll();

    std::shared_ptr<vell::ScrollView> scroller;
    std::shared_ptr<vell::Box> content;
    std::shared_ptr<vell::Button> reloadButton;

protected:
    void load() override;

private:
    void addShelf(const std::string& title, const std::string& type);
};

} // namespace cad
