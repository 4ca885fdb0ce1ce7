#include "app/ui/app_styles.h"

#include "support/style_spots.h"

#include "vell/style_sheet.h"
#include "vell/theme.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(AppStyles, EveryClassOnceAndMergedOverTheDefaults)
{
    auto classes = cad::appStyles();
    std::set<std::string> names;
    for (const auto& c : classes)
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
    for (const char* name : { "button.tile", "button.chip", "button.mini", "textfield", "wavyseek", "row-title",
             "tile-title", "section-title", "hero-title", "banner", "error-banner", "setting-row" })
        EXPECT_EQ(names.count(name), 1u) << name;

    vell::StyleSheet sheet;
    sheet.installDefaults();
    for (const auto& c : classes)
        sheet.merge(c);

    vell::Style tile;
    sheet.find("button")->applyTo(tile, vell::kStatePressed);
    sheet.find("button.tile")->applyTo(tile, vell::kStatePressed);
    EXPECT_EQ(tile.width.value, vell::SizeSpec::fixed(200));
    EXPECT_EQ(tile.direction.value, vell::Direction::Column);
    EXPECT_EQ(tile.minHeight.value, 0);   // overrides the button's 48
    EXPECT_EQ(tile.scale.value, 0.96f);   // overrides the button's pressed 0.95
    EXPECT_EQ(tile.background.value->token, "surfaceContainerHighest");

    vell::Theme theme;
    theme.buildPalettes();
    vell::Style mini;
    sheet.find("button.mini")->applyTo(mini, vell::kStateHovered);
    EXPECT_FLOAT_EQ(mini.background.value->resolve(theme).a, 255 * 0.08f);
}

// Spot values across the application's class table.
TEST(AppStyles, ClassTableSpotValues)
{
    vell::StyleSheet sheet;
    for (const auto& c : cad::appStyles())
        sheet.merge(c);
    using vell::kStateChecked, vell::kStateFocusVisible, vell::kStateHovered, vell::kStatePressed;
    testing_support::expectStyleSpots(sheet, {
        { "button.tile", kStatePressed, "radius", 16 },
        { "button.tile", kStateHovered, "background", 0, "surfaceContainerHigh" },
        { "button.chip", 0, "minHeight", 38 },
        { "button.chip", kStateChecked, "color", 0, "onPrimary" },
        { "button.mini", kStatePressed, "background", 0, "onSurface", 0.16f },
        { "button.mini", kStatePressed, "scale", 0.97f },
        { "textfield", 0, "textSize", 17 },
        { "textfield", kStateFocusVisible, "borderColor", 0, "primary" },
        { "wavyseek", kStateFocusVisible, "scale", 1 },
        { "row-title", 0, "textSize", 17 },
        { "hero-title", 0, "textSize", 34 },
        { "banner", 0, "background", 0, "tertiaryContainer" },
        { "error-banner", 0, "color", 0, "error" },
        { "setting-row", 0, "gap", 14 },
        { "cover", 0, "radius", 14 },
        { "cover", 0, "background", 0, "surfaceContainerHigh" },
        { "cover-placeholder", 0, "color", 0, "onSurfaceVariant", 0.45f },
    });
}

} // namespace
