// Frame cost of the widget tree: style, springs, layout and painting of a
// realistic 1280 x 720 screen on the software renderer, and layout alone of
// a 10,000-widget tree.

#include "app/ui/app_styles.h"
#include "vell/action_bus.h"
#include "vell/box.h"
#include "vell/renderer.h"
#include "vell/spacer.h"
#include "vell/style_sheet.h"
#include "vell/theme.h"
#include "vell/ui_context.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>

using namespace vell;

namespace {

constexpr float kWidth = 1280;
constexpr float kHeight = 720;

std::shared_ptr<Box> fixedBox(float w, float h, const char* background = nullptr)
{
    auto b = box();
    b->style().width = SizeSpec::fixed(w);
    b->style().height = SizeSpec::fixed(h);
    if (background)
        b->style().background = colorToken(background);
    return b;
}

// Stand-in for a label until text widgets exist: a box of text-like size.
std::shared_ptr<Box> textBlock(float w, float h) { return fixedBox(w, h, "onSurfaceVariant"); }

std::shared_ptr<Box> row(float gap)
{
    auto b = box();
    b->style().direction = Direction::Row;
    b->style().align = Align::Center;
    b->style().gap = gap;
    return b;
}

std::shared_ptr<Box> button(const char* variant, float labelWidth)
{
    auto b = box("button");
    b->addClass(variant);
    b->focusable = true;
    b->add(fixedBox(24, 24, "onSurface"));
    if (labelWidth > 0)
        b->add(textBlock(labelWidth, 16));
    return b;
}

std::shared_ptr<Box> tile(int index)
{
    auto t = box("button");
    t->addClass("tile");
    t->focusable = true;
    auto cover = box();
    cover->style().direction = Direction::Stack;
    cover->add(fixedBox(180, 180, "surfaceContainerHighest"));
    auto badge = fixedBox(28, 28, "primaryContainer");
    badge->style().alignSelf = Align::End;
    badge->style().alignSelfY = Align::End;
    badge->style().radius = 14;
    badge->add(fixedBox(16, 16, "onPrimaryContainer"));
    cover->add(badge);
    auto meta = row(6);
    meta->add({ textBlock(40, 12), textBlock(60, 12) });
    t->add({ cover, textBlock(150 + float(index % 3) * 10, 16), textBlock(100, 14), meta });
    return t;
}

std::shared_ptr<Box> songRow(int index)
{
    auto r = box("button");
    r->addClass("list");
    r->focusable = true;
    r->style().width = SizeSpec::fill();
    auto titles = box();
    titles->style().gap = 2;
    titles->add({ textBlock(220 + float(index % 4) * 20, 17), textBlock(160, 13) });
    auto number = textBlock(20, 16);
    r->add({ number, fixedBox(44, 44, "surfaceContainerHighest"), titles, spacer(), textBlock(40, 14),
        button("icon", 0), button("icon", 0) });
    return r;
}

std::shared_ptr<Box> navRail()
{
    auto nav = box("shell-nav");
    auto header = box("shell-nav-header");
    header->add(fixedBox(40, 40, "primary"));
    auto body = box("shell-nav-body");
    for (int i = 0; i < 7; ++i)
        body->add(button("nav", 0));
    nav->add({ header, body });
    return nav;
}

std::shared_ptr<Box> topBar()
{
    auto top = box("shell-top");
    top->add({ button("icon", 0), textBlock(200, 22), spacer(), button("tonal", 80), button("icon", 0),
        button("icon", 0) });
    return top;
}

std::shared_ptr<Box> bottomBar()
{
    auto bottom = box("shell-bottom");
    auto hints = box("hintbar");
    for (int i = 0; i < 5; ++i) {
        auto hint = box("hint");
        auto key = box("hint-key");
        key->add(textBlock(12, 12));
        hint->add({ key, textBlock(50, 13) });
        hints->add(hint);
    }
    bottom->add(hints);
    return bottom;
}

std::shared_ptr<Box> content()
{
    auto body = box("shell-body");
    body->style().padding = uniformEdges(16);
    body->style().gap = 12;
    auto grid = box();
    grid->style().gap = 12;
    for (int r = 0; r < 5; ++r) {
        auto line = row(12);
        for (int c = 0; c < 8; ++c)
            line->add(tile(r * 8 + c));
        grid->add(line);
    }
    auto list = box("card");
    list->style().width = SizeSpec::fill();
    for (int i = 0; i < 12; ++i)
        list->add(songRow(i));
    body->add({ grid, list });
    return body;
}

std::shared_ptr<Box> screen()
{
    auto root = box("shell-root");
    root->style().width = SizeSpec::fixed(kWidth);
    root->style().height = SizeSpec::fixed(kHeight);
    auto main = box("shell-main");
    main->add({ topBar(), content(), bottomBar() });
    root->add({ navRail(), main });
    return root;
}

int countWidgets(const Widget& w)
{
    int n = 1;
    for (const auto& c : w.children)
        n += countWidgets(*c);
    return n;
}

struct Toolkit {
    Theme theme;
    StyleSheet sheet;
    ActionBus actions;
    Widget* focus = nullptr;
    UiContext ctx;

    Toolkit()
    {
        theme.buildPalettes();
        sheet.installDefaults();
        for (const auto& c : cad::appStyles())
            sheet.merge(c);
        ctx.theme = &theme;
        ctx.sheet = &sheet;
        ctx.actions = &actions;
        ctx.focus = &focus;
        ctx.logicalSize = { kWidth, kHeight };
    }

    void layout(Widget& root)
    {
        Size size = root.measureConstrained(ctx, kWidth, kHeight);
        root.place(ctx, { 0, 0 }, size);
    }
};

void BM_ScreenFrame(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    SDL_Init(0);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, int(kWidth), int(kHeight), 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* sdl = SDL_CreateSoftwareRenderer(surface);
    Renderer renderer;
    renderer.attach(sdl, "", "");
    renderer.setScale(1, 0, 0, kWidth, kHeight);

    Toolkit kit;
    kit.ctx.renderer = &renderer;
    auto root = screen();
    for (int i = 0; i < 60; ++i) { // settle springs and radii
        root->tickTree(kit.ctx, 1.0f / 60);
        kit.layout(*root);
    }
    for (auto _ : state) {
        root->tickTree(kit.ctx, 1.0f / 60);
        kit.layout(*root);
        renderer.beginFrame();
        SDL_RenderClear(sdl);
        root->paint(kit.ctx);
    }
    state.counters["widgets"] = countWidgets(*root);
    renderer.shutdown();
    SDL_DestroyRenderer(sdl);
    SDL_FreeSurface(surface);
}
BENCHMARK(BM_ScreenFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// 100 rows of 99 fixed boxes with flexible gaps between some of them.
std::shared_ptr<Box> bigTree()
{
    auto root = box();
    root->style().width = SizeSpec::fixed(kWidth);
    root->style().height = SizeSpec::fixed(kHeight);
    for (int r = 0; r < 100; ++r) {
        auto line = row(2);
        line->style().width = SizeSpec::fill();
        for (int c = 0; c < 99; ++c)
            line->add(c % 10 == 9 ? std::static_pointer_cast<Widget>(spacer()) : fixedBox(10, 6));
        root->add(line);
    }
    return root;
}

void BM_Layout10k(benchmark::State& state)
{
    Toolkit kit;
    auto root = bigTree();
    root->tickTree(kit.ctx, 1.0f / 60);
    for (auto _ : state)
        kit.layout(*root);
    state.counters["widgets"] = countWidgets(*root);
}
BENCHMARK(BM_Layout10k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The per-frame walk that precedes layout: restyle checks, spring targets and steps.
void BM_Tick10k(benchmark::State& state)
{
    Toolkit kit;
    auto root = bigTree();
    for (auto _ : state)
        root->tickTree(kit.ctx, 1.0f / 60);
    state.counters["widgets"] = countWidgets(*root);
}
BENCHMARK(BM_Tick10k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
