#include "gallery_views.h"

#include "gallery_list.h"

#include "vell/box.h"
#include "vell/button.h"
#include "vell/checkbox.h"
#include "vell/circular_progress.h"
#include "vell/engine.h"
#include "vell/glyph.h"
#include "vell/image.h"
#include "vell/label.h"
#include "vell/progress_bar.h"
#include "vell/scroll_view.h"
#include "vell/slider.h"
#include "vell/spacer.h"
#include "vell/toggle.h"

#include <SDL.h>

#include <cstdio>

using namespace vell;

namespace gallery {

namespace {

std::shared_ptr<Box> row(float gap = 12)
{
    auto r = box();
    r->style().direction = Direction::Row;
    r->style().align = Align::Center;
    r->style().gap = gap;
    return r;
}

std::shared_ptr<Box> column(float gap = 8)
{
    auto c = box();
    c->style().gap = gap;
    return c;
}

// A card with a caption naming what it shows.
std::shared_ptr<Box> section(const std::string& name, const WidgetPtr& content)
{
    auto card = box("card");
    card->style().width = SizeSpec::fill();
    card->add({ label(name, "subtitle"), content });
    return card;
}

// A view whose whole content scrolls vertically.
ViewPtr scrollingView(const std::string& title, const std::vector<WidgetPtr>& sections)
{
    auto view = std::make_shared<View>();
    view->title = title;
    auto scroller = scrollView();
    scroller->style().width = SizeSpec::fill();
    scroller->style().height = SizeSpec::fill();
    scroller->style().padding = Edges { 16, 16, 16, 16 };
    scroller->style().gap = 12.0f;
    scroller->addAll(sections);
    view->root = scroller;
    view->body = scroller;
    return view;
}

std::string assetDir()
{
    char* base = SDL_GetBasePath();
    std::string dir = base ? base : "./";
    SDL_free(base);
    return dir + "data/";
}

} // namespace

ViewPtr controlsView(GalleryContext&)
{
    auto buttons = row(10);
    buttons->add({ button("Filled"), button("Tonal", 0, "tonal"), button("Outlined", 0, "outlined"),
        button("Text", 0, "text"), button("Play", 0xE037, "tonal"), iconButton(0xE8B8),
        iconButton(0xE037, "icon-filled") });
    auto disabled = button("Disabled");
    disabled->disabled = true;
    buttons->add(disabled);

    auto radios = row(6);
    auto choice = label("Radio: Albums", "caption");
    for (const char* name : { "Albums", "Artists", "Playlists" }) {
        auto item = button(name, 0, "list");
        item->group = "kind";
        item->style().minHeight = 44.0f;
        item->onChange = [choice, name = std::string(name)](bool on) {
            if (on)
                choice->setText("Radio: " + name);
        };
        item->checked = std::string(name) == "Albums";
        radios->add(item);
    }
    auto favourite = iconButton(0xE87D);
    favourite->toggleable = true;
    auto favLabel = label("Toggle button: off", "caption");
    favourite->onChange = [favLabel](bool on) { favLabel->setText(on ? "Toggle button: on" : "Toggle button: off"); };
    radios->add({ spacer(16), favourite, favLabel, spacer(16), choice });

    auto value = label("Slider: 40", "caption");
    auto stepped = slider(0, 100, 40, 10);
    stepped->onChange = [value](float v) {
        char text[32];
        std::snprintf(text, sizeof text, "Slider: %.0f", v);
        value->setText(text);
    };
    auto continuous = slider(0, 1, 0.3f);
    auto sliders = column(4);
    sliders->add({ value, stepped, label("Continuous", "caption"), continuous });

    auto toggles = row(16);
    auto toggleState = label("Toggle: on", "caption");
    auto t1 = toggle(true);
    t1->onChange = [toggleState](bool on) { toggleState->setText(on ? "Toggle: on" : "Toggle: off"); };
    auto t3 = toggle(false);
    t3->disabled = true;
    toggles->add({ t1, toggle(false), t3, toggleState });

    auto checks = row(12);
    for (const char* name : { "Downloads", "Scrobbling", "Offline" }) {
        auto pair = row(8);
        auto box = checkbox(std::string(name) != "Offline");
        pair->add({ box, label(name, "body") });
        checks->add(pair);
    }

    auto narrow = label("A label far too long for the narrow box it sits in — Ünïcödé tëxt …", "body");
    narrow->style().maxWidth = 260.0f;
    auto wrapped = label("Wrapped text flows onto several lines when the style sets wrap, and stays inside its "
                         "box however long the sentence grows.",
        "body");
    wrapped->style().wrap = true;
    wrapped->style().maxWidth = 420.0f;
    auto centred = label("Centred", "body");
    centred->style().width = SizeSpec::fixed(200);
    centred->style().textAlign = kTextAlignCenter;
    centred->style().background = colorToken("surfaceContainerHighest");
    auto labels = column(6);
    labels->add({ label("Title", "title"), narrow, wrapped, centred });

    return scrollingView("Controls",
        { section("Button", buttons), section("Radio group and toggle button", radios), section("Slider", sliders),
            section("Toggle", toggles), section("Checkbox", checks), section("Label", labels) });
}

ViewPtr progressView(GalleryContext& g)
{
    auto bars = column(14);
    auto plain = progressBar(0.35f);
    auto wavy = progressBar(0.6f);
    wavy->wavy = true;
    auto full = progressBar(1.0f);
    full->wavy = true;
    auto busy = progressBar();
    busy->indeterminate = true;
    auto busyWavy = progressBar();
    busyWavy->indeterminate = true;
    busyWavy->wavy = true;
    bars->add({ label("Determinate", "caption"), plain, label("Wavy", "caption"), wavy,
        label("Wavy at 100 % (straight)", "caption"), full, label("Indeterminate", "caption"), busy,
        label("Indeterminate wavy", "caption"), busyWavy });

    auto control = slider(0, 1, 0.6f, 0.05f);
    control->onChange = [plain, wavy](float v) {
        plain->progress = v;
        wavy->progress = v;
    };
    bars->add({ label("Drive the determinate bars", "caption"), control });

    auto circles = row(28);
    auto ring = circularProgress(0.7f);
    auto spinner = circularProgress();
    spinner->indeterminate = true;
    auto wavyRing = circularProgress(0.45f);
    wavyRing->wavy = true;
    auto wavySpinner = circularProgress();
    wavySpinner->indeterminate = true;
    wavySpinner->wavy = true;
    circles->add({ ring, spinner, wavyRing, wavySpinner });

    // The animated ring's value follows time so the spring is visible.
    if (g.engine) {
        auto previous = g.engine->onFrame;
        g.engine->onFrame = [previous, ring](float dt) {
            if (previous)
                previous(dt);
            ring->progress += dt * 0.1f;
            if (ring->progress > 1.05f)
                ring->progress = 0;
        };
    }

    return scrollingView("Progress", { section("Progress", bars), section("Circular progress", circles) });
}

ViewPtr listView(GalleryContext&)
{
    auto view = std::make_shared<View>();
    view->title = "List";
    auto list = longList();
    view->root = list;
    view->body = list;
    return view;
}

ViewPtr shellView(GalleryContext& g)
{
    Engine* engine = g.engine;
    auto actions = row(10);
    auto openDialog = button("Dialog", 0xE8F4, "tonal");
    openDialog->onClick = [engine] {
        engine->shell().dialog("Delete playlist?", "The playlist and its order are removed from the server. "
                                                   "Songs stay in your library.",
            { { "Cancel", {} },
                { "Delete", [engine] { engine->shell().toast("Deleted", "Playlist removed", 0xE872, 3.5f); } } });
    };
    int counter = 0;
    auto showToast = button("Toast", 0xE7F4, "tonal");
    showToast->onClick = [engine, counter]() mutable {
        ++counter;
        engine->shell().toast("Toast " + std::to_string(counter), "A short confirmation", 0xE86C, 3.5f);
    };
    auto drawer = button("Drawer", 0xE5D2, "tonal");
    drawer->onClick = [engine] { engine->shell().openDrawer(); };
    actions->add({ openDialog, showToast, drawer });

    const std::string logo = assetDir() + "logo.png";
    auto images = row(16);
    const std::pair<int32_t, const char*> fits[] = { { kFitCover, "cover" }, { kFitContain, "contain" },
        { kFitNatural, "natural" }, { 2, "stretch" } };
    for (const auto& [fit, name] : fits) {
        auto img = image(logo);
        img->style().width = SizeSpec::fixed(120);
        img->style().height = SizeSpec::fixed(90);
        img->style().radius = 18.0f;
        img->style().fit = fit;
        auto cell = column(4);
        cell->add({ img, label(name, "caption") });
        images->add(cell);
    }
    auto broken = image(assetDir() + "missing.png");
    broken->style().width = SizeSpec::fixed(90);
    broken->style().height = SizeSpec::fixed(90);
    broken->style().radius = 45.0f;
    auto brokenCell = column(4);
    brokenCell->add({ broken, label("failed", "caption") });
    images->add(brokenCell);

    return scrollingView("Shell", { section("Dialog, toast and drawer", actions), section("Image", images) });
}

} // namespace gallery
