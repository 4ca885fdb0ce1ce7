// vell-gallery: every VellUI control in the desktop profile, driven by
// keyboard, mouse, touch or a controller. Closing the window exits with 0.

#include "gallery_views.h"

#include "vell/box.h"
#include "vell/button.h"
#include "vell/engine.h"
#include "vell/glyph.h"
#include "vell/label.h"
#include "vell/pad_button.h"

#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string assetPath(const std::string& relative)
{
    char* base = SDL_GetBasePath();
    std::string dir = base ? base : "./";
    SDL_free(base);
    return dir + "data/" + relative;
}

struct Page {
    const char* name;
    int32_t glyph;
    vell::ViewPtr view;
};

} // namespace

int main(int, char**)
{
    vell::Settings settings;
    settings.title = "VellUI Gallery";
    settings.windowWidth = settings.logicalWidth = 1280;
    settings.windowHeight = settings.logicalHeight = 720;
    settings.fontPath = assetPath("fonts/font.ttf");
    settings.iconFontPath = assetPath("fonts/MaterialIcons-Regular.ttf");
    settings.audio = false;

    vell::Engine engine;
    if (!engine.init(settings)) {
        std::fprintf(stderr, "VellUI init failed: %s\n", SDL_GetError());
        return 1;
    }
    // Without a controller the hint bar names the keyboard keys that press each button.
    if (!engine.input().controller) {
        engine.input().mergeButtonNames(vell::keyboardButtonNames());
    }
    vell::Shell& shell = engine.shell();

    gallery::GalleryContext g { &engine };
    std::vector<Page> pages = {
        { "Controls", 0xE429, gallery::controlsView(g) },
        { "Progress", 0xE863, gallery::progressView(g) },
        { "List", 0xE896, gallery::listView(g) },
        { "Shell", 0xE8F4, gallery::shellView(g) },
    };

    // Navigation rail: one radio item per page.
    auto current = std::make_shared<size_t>(0);
    shell.navHeader->add(vell::glyph(0xE3B7));
    for (size_t i = 0; i < pages.size(); ++i) {
        auto item = vell::iconButton(pages[i].glyph, "nav");
        item->group = "pages";
        item->checked = i == 0;
        item->onChange = [&shell, &pages, current, i](bool on) {
            if (!on || *current == i)
                return;
            const int direction = i > *current ? 1 : -1;
            *current = i;
            shell.viewStack = { pages[i].view };
            shell.show(pages[i].view, direction);
        };
        shell.navBody->add(item);
    }

    // Top bar: theme switch and drawer.
    auto themeButton = vell::iconButton(0xE518);
    themeButton->onClick = [&engine] { engine.theme().setMode(engine.theme().mode() == 0 ? 1 : 0); };
    // The icon shows the mode a press switches to.
    engine.theme().onModeChange = [themeButton](int32_t mode) {
        if (auto* icon = dynamic_cast<vell::Glyph*>(themeButton->children.front().get()))
            icon->setCodePoint(mode == 0 ? 0xE518 : 0xE51C);
    };
    auto drawerButton = vell::iconButton(0xE5D2);
    drawerButton->onClick = [&shell] { shell.openDrawer(); };
    shell.top->add({ themeButton, drawerButton });

    // Drawer.
    shell.drawer->add(vell::label("Drawer", "headline"));
    for (const char* entry : { "Library", "Downloads", "Settings" }) {
        auto item = vell::button(entry, 0xE5CC, "list");
        item->style().width = vell::SizeSpec::fill();
        shell.drawer->add(item);
    }
    auto closeDrawer = vell::button("Close", 0xE5CD, "list");
    closeDrawer->style().width = vell::SizeSpec::fill();
    closeDrawer->onClick = [&shell] { shell.closeDrawer(); };
    shell.drawer->add(closeDrawer);

    engine.bindings() = {
        { vell::Triangle, "Theme", [&engine] { engine.theme().setMode(engine.theme().mode() == 0 ? 1 : 0); }, true },
        { vell::Start, "Drawer", [&shell] { shell.openDrawer(); }, true },
        { vell::Square, "Toast", [&shell] { shell.toast("Hello", "From the Square button", 0xE86C, 3.5f); }, true },
    };

    shell.push(pages[0].view);
    while (engine.frame()) { }
    return 0;
}
