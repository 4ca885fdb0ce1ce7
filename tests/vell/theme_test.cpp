// Hex colours, tokens, accents, colour references and mode switching.

#include "ui_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>

using namespace vell;
using vell_testing::UiFixture;

namespace {

struct HexCase {
    const char* text;
    std::optional<Color> expected;
};

void PrintTo(const HexCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class HexParsing : public ::testing::TestWithParam<HexCase> { };

TEST_P(HexParsing, Parses)
{
    EXPECT_EQ(parseHexColor(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, HexParsing,
    ::testing::Values(HexCase { "#abc", Color { 0xaa, 0xbb, 0xcc, 255 } },
        HexCase { "#a1b2c3", Color { 0xa1, 0xb2, 0xc3, 255 } }, HexCase { "A1B2C3", Color { 0xa1, 0xb2, 0xc3, 255 } },
        HexCase { "#10203080", Color { 16, 32, 48, 128 } }, HexCase { "#000000ff", Color { 0, 0, 0, 255 } },
        HexCase { "#12345", std::nullopt }, HexCase { "#ggg", std::nullopt }, HexCase { "", std::nullopt },
        HexCase { "#", std::nullopt }, HexCase { "#12 456", std::nullopt }),
    [](const auto& info) {
        // "#a1b2c3" becomes "a1b2c3"; every other character but letters and digits becomes "_".
        std::string name = std::to_string(info.index) + "_";
        for (const char* p = info.param.text; *p; ++p)
            if (*p != '#')
                name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(Theme, TokensFollowTheMode)
{
    Theme theme;
    theme.buildPalettes();
    EXPECT_EQ(theme.color("background"), hexColor("#130f18"));
    EXPECT_EQ(theme.color("background", kThemeLight), hexColor("#f8f5fd"));
    EXPECT_EQ(theme.color("ashDarkest", kThemeLight), hexColor("#0e0713"));
    EXPECT_EQ(theme.color("errorBack"), (Color { 250, 117, 125, 38 }));
    EXPECT_EQ(theme.color("primary"), hexColor("#c6c1f0"));
    theme.setMode(kThemeLight);
    EXPECT_EQ(theme.color("background"), hexColor("#f8f5fd"));
}

// Spot values across the semantic, translucent and raw tables, in both modes.
TEST(Theme, TokenTableSpotValues)
{
    struct Spot {
        const char* token;
        Color dark, light;
    };
    const Spot spots[] = {
        { "surfaceContainerHighest", hexColor("#3a3246"), hexColor("#d9d1ea") },
        { "onSurfaceVariant", hexColor("#a399c8"), hexColor("#5b4f6b") },
        { "onTertiaryContainer", hexColor("#d8e6ff"), hexColor("#0e2a57") },
        { "errorContainer", hexColor("#5a2a2c"), hexColor("#f9d6d5") },
        { "glow", hexColor("#58336e"), hexColor("#cbb8f5") },
        { "warnBack", { 250, 179, 135, 38 }, { 250, 179, 135, 38 } },
        { "successBack", { 166, 227, 161, 38 }, { 166, 227, 161, 38 } },
        { "purpleAshSpectrum2", hexColor("#6f5873"), hexColor("#6f5873") },
        { "hYellow", hexColor("#f1c949"), hexColor("#f1c949") },
        { "warnRaw", hexColor("#fab78e"), hexColor("#fab78e") },
    };
    Theme theme;
    theme.buildPalettes();
    for (const Spot& spot : spots) {
        EXPECT_EQ(theme.color(spot.token, kThemeDark), spot.dark) << spot.token;
        EXPECT_EQ(theme.color(spot.token, kThemeLight), spot.light) << spot.token;
    }
}

TEST(Theme, UnknownTokensAreMagentaAndBadHexChangesNothing)
{
    Theme theme;
    theme.buildPalettes();
    EXPECT_EQ(theme.color("noSuchToken"), (Color { 255, 0, 255, 255 }));
    EXPECT_EQ(colorToken("noSuchToken")->resolve(theme), (Color { 255, 0, 255, 255 }));

    uint64_t before = theme.changeCounter();
    EXPECT_FALSE(theme.setToken("primary", "#zzzzzz", "#ffffff"));
    EXPECT_EQ(theme.color("primary"), hexColor("#c6c1f0"));
    EXPECT_EQ(theme.changeCounter(), before);
    EXPECT_TRUE(theme.setToken("brand", "#112233", "#445566"));
    EXPECT_EQ(theme.color("brand", kThemeLight), hexColor("#445566"));
    EXPECT_GT(theme.changeCounter(), before);
}

TEST(Theme, AccentsAreClamped)
{
    Theme theme;
    theme.buildPalettes();
    theme.setAccent(7);
    EXPECT_EQ(theme.accent(), 3);
    EXPECT_STREQ(Theme::accentNames()[size_t(theme.accent())], "Ocean");
    EXPECT_EQ(theme.color("primary"), hexColor("#9bc4ff"));
    EXPECT_EQ(theme.color("focusRing", kThemeLight), hexColor("#1f5fbf"));
    EXPECT_EQ(theme.color("onSecondaryContainer"), hexColor("#dae5f8"));
    theme.setAccent(-2);
    EXPECT_EQ(theme.accent(), 0);
    EXPECT_EQ(theme.color("primary"), hexColor("#c6c1f0"));
    theme.setAccent(1);
    EXPECT_EQ(theme.color("primaryContainer", kThemeLight), hexColor("#ffd9e3"));
}

TEST(Theme, ModeListenerRunsOnlyOnChange)
{
    Theme theme;
    std::vector<int32_t> calls;
    theme.onModeChange = [&](int32_t mode) { calls.push_back(mode); };
    uint64_t before = theme.changeCounter();
    theme.setMode(kThemeDark);
    theme.setMode(kThemeLight);
    theme.setMode(kThemeLight);
    EXPECT_EQ(calls, (std::vector<int32_t> { kThemeLight }));
    EXPECT_GT(theme.changeCounter(), before);
}

TEST(ColorRef, LiteralMixAndAlpha)
{
    Theme theme;
    theme.setToken("a", Color { 100, 0, 0, 255 }, Color { 0, 0, 0, 255 });
    theme.setToken("b", Color { 200, 100, 0, 55 }, Color { 0, 0, 0, 255 });
    auto mixed = colorMix(colorToken("a", 0.5f), colorToken("b"), 0.25f);
    EXPECT_EQ(mixed->resolve(theme), (Color { 125, 25, 0, 102.5f }));
    EXPECT_EQ(transparentColor()->resolve(theme), (Color { 0, 0, 0, 0 }));
    EXPECT_EQ(colorLiteral({ 1, 2, 3, 4 })->resolve(theme), (Color { 1, 2, 3, 4 }));
    EXPECT_EQ(ColorRef {}.resolve(theme), (Color {})); // unset
}

// A mode switch shows on the next frame, animated through the colour springs.
TEST(Theme, ModeSwitchRecoloursThroughSprings)
{
    UiFixture ui;
    auto w = box();
    w->style().background = colorToken("surface");
    w->style().width = SizeSpec::fixed(10);
    w->style().height = SizeSpec::fixed(10);
    for (int i = 0; i < 120; ++i)
        ui.frame(w, { 100, 100 });
    const Color dark = ui.theme.color("surface", kThemeDark);
    const Color light = ui.theme.color("surface", kThemeLight);
    EXPECT_EQ(w->backgroundColor(), dark);

    ui.theme.setMode(kThemeLight);
    ui.frame(w, { 100, 100 });
    Color midway = w->backgroundColor();
    EXPECT_GT(midway.r, dark.r);
    EXPECT_LT(midway.r, light.r);
    EXPECT_EQ(w->styleResolutions(), 1u); // no restyle needed

    for (int i = 0; i < 120; ++i)
        ui.frame(w, { 100, 100 });
    EXPECT_EQ(w->backgroundColor(), light);
}

} // namespace

// The track of sliders and progress bars: unchanged in the dark mode (it is the
// secondary container there), and in the light mode clearly apart from every
// light surface it sits on, with each accent.
TEST(Theme, TrackStandsOutInLightMode)
{
    auto luminance = [](Color c) {
        auto channel = [](float v) {
            v /= 255;
            return v <= 0.03928f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
        };
        return 0.2126f * channel(c.r) + 0.7152f * channel(c.g) + 0.0722f * channel(c.b);
    };
    auto contrast = [&](Color a, Color b) {
        const float la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
    };
    Theme theme;
    theme.buildPalettes();
    for (int accent = 0; accent < 4; ++accent) {
        theme.setAccent(accent);
        SCOPED_TRACE(accent);
        EXPECT_EQ(theme.color("track", kThemeDark), theme.color("secondaryContainer", kThemeDark));
        for (const char* surface : { "background", "surface", "surfaceContainer", "surfaceContainerHigh" })
            EXPECT_GT(contrast(theme.color("track", kThemeLight), theme.color(surface, kThemeLight)), 1.39f) << surface;
        EXPECT_GT(contrast(theme.color("track", kThemeLight), theme.color("primary", kThemeLight)), 2.2f);
    }
}
