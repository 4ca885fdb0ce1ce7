#include "app/ui/pages/settings_page.h"

#include "app/core/platform.h"
#include "app/player/stream_cache_trim.h"
#include "app/ui/interface_size.h"
#include "app/ui/nav.h"
#include "app/ui/pages/offline_page.h"
#include "app/ui/services.h"
#include "app/ui/storage_text.h"
#include "app/ui/widgets/chip_row.h"
#include "vell/box.h"
#include "vell/button.h"
#include "vell/engine.h"
#include "vell/label.h"
#include "vell/scroll_view.h"
#include "vell/slider.h"
#include "vell/toggle.h"

#include <algorithm>
#include <array>

namespace cad {
namespace {

constexpr int32_t kDelete = 0xE872;

struct Quality {
    const char* label;
    int32_t kbps;
};
constexpr std::array<Quality, 4> kQualities { { { "Original", 0 }, { "320k", 320 }, { "192k", 192 }, { "128k", 128 } } };

std::shared_ptr<vell::Box> card(const std::string& title)
{
    auto c = vell::box("card");
    c->style().width = vell::SizeSpec::fill();
    c->add(vell::label(title, "section-title"));
    return c;
}

std::shared_ptr<vell::Box> buttonRow()
{
    auto r = vell::box();
    r->style().direction = vell::Direction::Row;
    r->style().gap = 10;
    return r;
}

void saveStore()
{
    services().store.save();
}

// A toggle writing `field` and saving, then running `after`.
std::shared_ptr<vell::Toggle> storeToggle(bool Store::*field, std::function<void(bool)> after = {})
{
    auto t = vell::toggle(services().store.*field);
    t->onChange = [field, after = std::move(after)](bool on) {
        services().store.*field = on;
        saveStore();
        if (after)
            after(on);
    };
    return t;
}

// A row of radio chips of group `group`; `select(i)` runs when chip i is selected.
std::shared_ptr<ChipRow> chipRow(const std::string& group, const std::vector<std::string>& names, int selected,
    std::function<void(int)> select)
{
    std::vector<vell::WidgetPtr> chips;
    for (int i = 0; i < int(names.size()); ++i) {
        auto chip = vell::button(names[size_t(i)], 0, "chip");
        chip->group = group;
        chip->setChecked(i == selected);
        chip->onChange = [select, i](bool on) {
            if (on)
                select(i);
        };
        chips.push_back(chip);
    }
    auto r = std::make_shared<ChipRow>();
    r->setChips(std::move(chips));
    return r;
}

vell::Theme* theme()
{
    vell::Engine* engine = services().engine;
    return engine ? &engine->theme() : nullptr;
}

vell::WidgetPtr appearanceCard()
{
    auto dark = storeToggle(&Store::dark, [](bool on) {
        if (vell::Theme* t = theme())
            t->setMode(on ? 0 : 1);
    });
    std::vector<std::string> palettes;
    for (const char* name : vell::Theme::accentNames())
        palettes.push_back(name);
    auto accents = chipRow("palette", palettes, services().store.palette, [count = int(palettes.size())](int i) {
        i = std::min(i, count - 1);
        if (vell::Theme* t = theme())
            t->setAccent(i);
        services().store.palette = i;
        saveStore();
    });
    std::vector<std::string> sizes;
    int sizeIndex = 0;
    for (size_t i = 0; i < kInterfaceSizes.size(); ++i) {
        sizes.push_back(interfaceSizeLabel(kInterfaceSizes[i]));
        if (kInterfaceSizes[i] == services().store.uiScale)
            sizeIndex = int(i);
    }
    auto size = chipRow("interface-size", sizes, sizeIndex, [](int i) {
        services().store.uiScale = kInterfaceSizes[size_t(i)];
        if (vell::Engine* engine = services().engine)
            engine->setUiScale(interfaceScale(services().store.uiScale));
        saveStore();
    });
    return card("Appearance")->add({ settingRow("Dark mode", "Switch between the dark and light theme", dark),
        settingRow("Accent color", "Swaps the color palette", accents),
        settingRow("Interface size", "Auto fits the screen", size) });
}

vell::WidgetPtr playbackCard()
{
    std::vector<std::string> names;
    int selected = -1;
    for (size_t i = 0; i < kQualities.size(); ++i) {
        names.push_back(kQualities[i].label);
        if (kQualities[i].kbps == services().store.streamKbps)
            selected = int(i);
    }
    auto quality = chipRow("quality", names, selected, [](int i) {
        services().store.streamKbps = kQualities[size_t(i)].kbps;
        saveStore();
    });
    // The player applies a new choice to the song it plays at its next tick.
    auto normalisation = chipRow("normalisation", { "Off", "Track", "Album" },
        std::clamp(int(services().store.normalisation), 0, 2), [](int i) {
            services().store.normalisation = i;
            saveStore();
        });
    auto volume = vell::slider(0, 1, std::clamp(services().store.volume, 0.0f, 1.0f));
    volume->onChange = [](float value) {
        const float v = std::clamp(value, 0.0f, 1.0f);
        if (vell::Engine* engine = services().engine)
            engine->music().setVolume(v);
        services().store.volume = v; // saved with the next change or at exit
    };
    return card("Playback")->add({
        settingRow("Streaming quality", "Transcodes to MP3 on the server when not Original", quality),
        settingRow("Scrobbling", "Report plays to your server", storeToggle(&Store::scrobble)),
        settingRow("Sync play queue", "Go on from where you left off on another device",
            storeToggle(&Store::syncPlayQueue)),
        settingRow("Volume normalisation", "Evens out loudness with ReplayGain", normalisation),
        settingRow("Volume", "", volume),
    });
}

void callNav(const std::function<void()>& hook)
{
    if (hook)
        hook();
}

vell::Shell* shell()
{
    vell::Engine* engine = services().engine;
    return engine ? &engine->shell() : nullptr;
}

} // namespace

namespace {

// A "setting-row" that puts its control under its text when the two do not fit
// side by side with room to read the text.
class SettingRow : public vell::ContainerT<SettingRow, vell::Flex> {
public:
    static constexpr const char* kTypeName = "box";
    static constexpr float kTextMin = 260;

    void update(vell::UiContext& ctx, float) override
    {
        // Decided again only when the row's width changes.
        if (rect.w <= 0 || children.size() < 2 || rect.w == m_fittedWidth)
            return;
        m_fittedWidth = rect.w;
        // Chips are weighed on one line, so that breaking them never turns the row back.
        auto* chips = dynamic_cast<ChipRow*>(children.back().get());
        const float control = chips ? chips->lineWidth(ctx)
                                    : children.back()->measureConstrained(ctx, vell::kUnbounded, vell::kUnbounded).w;
        const bool stacked = rect.w < kTextMin + control;
        const vell::Direction direction = stacked ? vell::Direction::Column : vell::Direction::Row;
        if (style().direction.valueOr(vell::Direction::Row) == direction)
            return;
        style().direction = direction;
        style().align = stacked ? vell::Align::Start : vell::Align::Center;
        if (stacked)
            style().gap = 8.0f;
        else
            style().gap.reset();
        markStyleDirty();
    }

private:
    float m_fittedWidth = -1;
};

} // namespace

vell::WidgetPtr settingRow(const std::string& title, const std::string& caption, vell::WidgetPtr control)
{
    auto text = vell::box();
    text->style().gap = 1;
    text->style().width = vell::SizeSpec::fill();
    text->add(vell::label(title));
    if (!caption.empty())
        text->add(vell::label(caption, "caption"));
    auto r = std::make_shared<SettingRow>();
    r->addClass("setting-row");
    r->style().direction = vell::Direction::Row;
    r->style().align = vell::Align::Center;
    r->add({ text, control });
    return r;
}

SettingsPage::SettingsPage()
    : Page("Settings", true)
{
    downloadsLabel = vell::label("", "caption");
    cacheLabel = vell::label("", "caption");
    connectionLabel = vell::label("", "caption");
    scrobbleLabel = vell::label("", "caption");

    auto clearCache = vell::button("Clear stream cache", 0, "tonal");
    auto deleteDownloads = vell::button("Delete downloads", 0, "outlined");
    deleteDownloads->onClick = [] { askDeleteDownloads(); };
    auto storage = card("Storage")->add({ downloadsLabel, cacheLabel, buttonRow()->add({ clearCache, deleteDownloads }) });

    auto reconnect = vell::button("Reconnect", 0, "tonal");
    reconnect->onClick = [] { callNav(nav().checkServer); };
    auto logOut = vell::button("Log out", 0, "outlined");
    logOut->onClick = [] {
        if (vell::Shell* s = shell())
            s->dialog("Log out?", "Your downloads stay on this device.",
                { { "Cancel", [] {} }, { "Log out", [] { callNav(nav().signOut); } } });
    };
    auto connection = card("Connection")->add({
        connectionLabel,
        scrobbleLabel,
        settingRow("Offline mode", "Only use downloaded music",
            storeToggle(&Store::offlineForced, [](bool) { callNav(nav().refreshOnline); })),
        settingRow("Allow self-signed certificates", "For servers with a private certificate",
            storeToggle(&Store::insecure, [](bool on) { services().net.insecure = on; })),
        buttonRow()->add({ reconnect, logOut }),
    });

    auto column = vell::box();
    column->style().width = vell::SizeSpec::fill();
    column->style().gap = 16;
    column->style().padding = vell::Edges { 20, 16, 20, 16 };
    column->add({ appearanceCard(), playbackCard(), storage, connection,
        card("About")->add(vell::label("Sonaria · a Navidrome client built with VellUI", "caption")) });
    auto scroll = vell::scrollView();
    scroll->style().width = vell::SizeSpec::fill();
    scroll->style().height = vell::SizeSpec::fill();
    root->add(scroll->add(column));

    m_clearCache = clearCache;
}

void SettingsPage::start()
{
    updateStorage();
    std::weak_ptr<Page> weak = weakSelf();
    m_clearCache->onClick = [weak] {
        clearStreamCache(platform::cacheDir() + "/tracks");
        cad::toast("Stream cache cleared", "", kDelete, 3.5f);
        if (auto page = std::static_pointer_cast<SettingsPage>(weak.lock()))
            page->updateStorage();
    };
    if (auto v = viewRef.lock())
        v->onShow = [weak] {
            if (auto page = std::static_pointer_cast<SettingsPage>(weak.lock()))
                page->updateStorage();
        };
}

void SettingsPage::updateStorage()
{
    const Services& s = services();
    downloadsLabel->setText(downloadsLine(s.store));
    cacheLabel->setText(streamCacheLine());
    connectionLabel->setText(connectionLine(s.store, s.online));
    scrobbleLabel->setText(scrobblesLine(s.store));
}

} // namespace cad
