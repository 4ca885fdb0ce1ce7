// Style records, class resolution order, state precedence and the restyle cache.

#include "ui_fixture.h"

#include "support/style_spots.h"
#include "vell/flex.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace vell;
using vell_testing::UiFixture;

namespace {

class TestButton : public ContainerT<TestButton, Flex> {
public:
    static constexpr const char* kTypeName = "button";
};

// Type class, then for each class its exact name and type.name, then inline.
TEST(StyleResolution, LayersApplyInOrder)
{
    UiFixture ui;
    ui.sheet.get("button").normal.radius = 1;
    ui.sheet.get("button").normal.gap = 1;
    ui.sheet.get("button").normal.textSize = 1;
    ui.sheet.get("a").normal.gap = 2;
    ui.sheet.get("a").normal.textSize = 2;
    ui.sheet.get("button.a").normal.textSize = 3;
    ui.sheet.get("button.a").normal.maxWidth = 3;
    ui.sheet.get("b").normal.maxWidth = 4;  // a later class beats an earlier type.class
    ui.sheet.get("button.b").normal.opacity = 5;

    auto w = std::make_shared<TestButton>();
    w->addClass("a");
    w->addClass("b");
    w->addClass("tonal");
    w->style().opacity = 6;
    w->restyle(ui.ctx);

    const Style& r = w->resolved;
    EXPECT_EQ(r.radius.value, 1);
    EXPECT_EQ(r.gap.value, 2);
    EXPECT_EQ(r.textSize.value, 3);
    EXPECT_EQ(r.maxWidth.value, 4);
    EXPECT_EQ(r.opacity.value, 6);
    EXPECT_EQ(ui.sheet.find("tonal"), nullptr); // resolution does not create classes
}

struct StateCase {
    const char* name;
    bool hovered, checked, focused, pressed, disabled, navMode;
    float expected; // each state record sets textSize to its index
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class StatePrecedence : public ::testing::TestWithParam<StateCase> { };

TEST_P(StatePrecedence, LaterStatesWin)
{
    const StateCase& c = GetParam();
    UiFixture ui;
    StyleStates& states = ui.sheet.get("button");
    for (int i = 0; i < kStyleStateCount; ++i)
        states[StyleState(i)].textSize = float(i);
    auto w = std::make_shared<TestButton>();
    w->hovered = c.hovered;
    w->checked = c.checked;
    w->focused = c.focused;
    w->pressed = c.pressed;
    w->disabled = c.disabled;
    ui.ctx.navMode = c.navMode;
    w->restyle(ui.ctx);
    EXPECT_EQ(w->resolved.textSize.value, c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, StatePrecedence,
    ::testing::Values(StateCase { "normal", false, false, false, false, false, true, 0 },
        StateCase { "hovered", true, false, false, false, false, true, 1 },
        StateCase { "checked beats hovered", true, true, false, false, false, true, 2 },
        StateCase { "focus shows only in nav mode", true, true, true, false, false, false, 2 },
        StateCase { "focused beats checked", true, true, true, false, false, true, 3 },
        StateCase { "pressed beats focused", false, true, true, true, false, true, 4 },
        StateCase { "disabled beats everything", true, true, true, true, true, true, 5 }),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

// Inline states layer over class states of every level.
TEST(StyleResolution, InlineNormalBeatsClassHovered)
{
    UiFixture ui;
    ui.sheet.get("button").hovered.gap = 10;
    auto w = std::make_shared<TestButton>();
    w->style().gap = 3;
    w->hovered = true;
    w->restyle(ui.ctx);
    EXPECT_EQ(w->resolved.gap.value, 3);
}

TEST(StyleResolution, RecomputedOnlyWhenMaskVersionOrDirtyChange)
{
    UiFixture ui;
    ui.sheet.get("button").hovered.gap = 10;
    auto w = std::make_shared<TestButton>();
    w->restyle(ui.ctx);
    w->restyle(ui.ctx);
    EXPECT_EQ(w->styleResolutions(), 1u);

    ui.ctx.navMode = false; // not focused: the mask does not change
    w->restyle(ui.ctx);
    EXPECT_EQ(w->styleResolutions(), 1u);

    w->hovered = true;
    w->restyle(ui.ctx);
    EXPECT_EQ(w->styleResolutions(), 2u);
    EXPECT_EQ(w->resolved.gap.value, 10);

    StyleStates extra;
    extra.hovered.gap = 12;
    ui.sheet.merge("button", extra);
    w->restyle(ui.ctx);
    EXPECT_EQ(w->styleResolutions(), 3u);
    EXPECT_EQ(w->resolved.gap.value, 12);

    w->style(StyleState::Hovered).gap = 14;
    w->restyle(ui.ctx);
    w->restyle(ui.ctx);
    EXPECT_EQ(w->styleResolutions(), 4u);
    EXPECT_EQ(w->resolved.gap.value, 14);
}

TEST(StyleSheet, VersionCountsCreationMergesAndWriteAccess)
{
    StyleSheet sheet;
    uint64_t v0 = sheet.version();
    sheet.get("x");
    EXPECT_GT(sheet.version(), v0);
    uint64_t v1 = sheet.version();
    EXPECT_NE(sheet.find("x"), nullptr);
    EXPECT_EQ(sheet.find("missing"), nullptr);
    EXPECT_EQ(sheet.version(), v1); // reading changes nothing
    sheet.merge("x", {});
    EXPECT_GT(sheet.version(), v1);
}

TEST(StyleSheet, StateAndOverlayLayers)
{
    UiFixture ui;
    ui.sheet.stateLayers("s", "primary", "onPrimary");
    ui.sheet.overlayLayers("o", "onSurface");
    const StyleStates& s = *ui.sheet.find("s");
    const Color base = ui.theme.color("primary");
    const Color content = ui.theme.color("onPrimary");
    Color hovered = s.hovered.background.value->resolve(ui.theme);
    EXPECT_FLOAT_EQ(hovered.r, base.r + (content.r - base.r) * 0.08f);
    Color pressed = s.pressed.background.value->resolve(ui.theme);
    EXPECT_FLOAT_EQ(pressed.g, base.g + (content.g - base.g) * 0.16f);
    EXPECT_EQ(s.pressed.scale.value, 0.95f);

    const StyleStates& o = *ui.sheet.find("o");
    EXPECT_FLOAT_EQ(o.focused.background.value->resolve(ui.theme).a, 255 * 0.12f);
    EXPECT_FALSE(o.pressed.scale.set);
}

TEST(StyleSheet, DefaultsGiveButtonVariantsTheirLook)
{
    UiFixture ui;
    ui.sheet.installDefaults();
    for (const char* name : { "title", "caption", "glyph", "button", "button.tonal", "button.outlined", "button.text",
             "button.icon", "button.icon-filled", "button.nav", "button.list", "card", "divider", "toggle",
             "checkbox", "radio", "progress", "circular-progress", "slider", "hintbar", "hint", "hint-key",
             "hint-label", "music-title", "view-title", "toast", "toast-title", "toast-body", "dialog", "shell-root",
             "shell-main", "shell-top", "shell-body", "shell-bottom", "shell-nav", "shell-nav-header",
             "shell-nav-body", "shell-drawer", "headline", "subtitle", "body" })
        EXPECT_NE(ui.sheet.find(name), nullptr) << name;

    auto tonal = std::make_shared<TestButton>();
    tonal->addClass("tonal");
    tonal->restyle(ui.ctx);
    EXPECT_EQ(tonal->resolved.background.value->token, "secondaryContainer");
    EXPECT_EQ(tonal->resolved.direction.value, Direction::Row);
    EXPECT_EQ(tonal->resolved.minHeight.value, 48);

    auto icon = std::make_shared<TestButton>();
    icon->addClass("icon");
    icon->pressed = true;
    icon->restyle(ui.ctx);
    EXPECT_EQ(icon->resolved.scale.value, 0.9f); // beats the base class's 0.95
    EXPECT_EQ(icon->resolved.radius.value, 14);
    EXPECT_FLOAT_EQ(icon->resolved.background.value->alpha, 0.16f);

    auto filled = std::make_shared<TestButton>();
    filled->addClass("icon-filled");
    filled->pressed = true;
    filled->restyle(ui.ctx);
    EXPECT_EQ(filled->resolved.scale.value, 0.9f);
}

// Spot values across the built-in class table, one or two per family.
TEST(StyleSheet, DefaultClassTableSpotValues)
{
    StyleSheet sheet;
    sheet.installDefaults();
    testing_support::expectStyleSpots(sheet, {
        { "title", 0, "textSize", 28 },
        { "caption", 0, "color", 0, "onSurfaceVariant" },
        { "button", 0, "minHeight", 48 },
        { "button", kStatePressed, "scale", 0.95f },
        { "button.outlined", kStateFocusVisible, "borderColor", 0, "primary" },
        { "button.outlined", kStateHovered, "background", 0, "primary", 0.08f },
        { "button.icon", kStateChecked, "color", 0, "onSecondaryContainer" },
        { "button.nav", kStateChecked | kStatePressed, "radius", 12 },
        { "button.nav", kStateChecked, "radius", 999 },
        { "button.list", kStateFocusVisible, "background", 0, "primaryContainer" },
        { "button.list", kStatePressed, "scale", 0.98f },
        { "toggle", kStateHovered, "borderColor", 0, "onSurfaceVariant" },
        { "toggle", kStateChecked, "thumbColor", 0, "onPrimary" },
        { "checkbox", 0, "radius", 6 },
        { "checkbox", kStateHovered, "background", 0, "onSurface", 0.08f },
        { "radio", 0, "fillColor", 0, "primary" },
        { "radio", kStateChecked, "borderColor", 0, "primary" },
        { "circular-progress", 0, "trackColor", 0, "secondaryContainer" },
        { "slider", 0, "thumbColor", 0, "primary" },
        { "hint-key", 0, "textSize", 12 },
        { "toast", 0, "maxWidth", 360 },
        { "dialog", 0, "minWidth", 320 },
        { "dialog", 0, "radius", 28 },
        { "shell-top", 0, "minHeight", 56 },
        { "shell-bottom", 0, "radius", 18 },
        { "shell-nav-body", 0, "radius", 32 },
        { "shell-drawer", 0, "gap", 6 },
    });
}

} // namespace
