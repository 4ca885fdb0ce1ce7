#pragma once
// Spot checks of style-class tables: each row names a class, the state mask to
// resolve it for, one property and the value that class must give it.
//
//   expectStyleSpots(sheet, { { "card", 0, "radius", 24 },
//                             { "toggle", vell::kStateChecked, "thumbColor", 0, "onPrimary" } });

#include "vell/style_sheet.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>

namespace testing_support {

struct StyleSpot {
    const char* className;
    uint32_t mask;
    const char* property;
    float value = 0;              // scalar properties
    const char* token = nullptr;  // colour properties: the token they name
    float alpha = 1;              // colour properties: the alpha multiplier
};

inline const vell::Optional<float>* spotScalar(const vell::Style& s, std::string_view name)
{
    struct Entry {
        const char* name;
        vell::Optional<float> vell::Style::* member;
    };
    static constexpr Entry kScalars[] = { { "minWidth", &vell::Style::minWidth },
        { "minHeight", &vell::Style::minHeight }, { "maxWidth", &vell::Style::maxWidth },
        { "maxHeight", &vell::Style::maxHeight }, { "gap", &vell::Style::gap },
        { "borderWidth", &vell::Style::borderWidth }, { "radius", &vell::Style::radius },
        { "opacity", &vell::Style::opacity }, { "textSize", &vell::Style::textSize }, { "scale", &vell::Style::scale } };
    for (const Entry& e : kScalars)
        if (name == e.name)
            return &(s.*e.member);
    return nullptr;
}

inline const vell::Optional<vell::ColorRefPtr>* spotColor(const vell::Style& s, std::string_view name)
{
    struct Entry {
        const char* name;
        vell::Optional<vell::ColorRefPtr> vell::Style::* member;
    };
    static constexpr Entry kColors[] = { { "background", &vell::Style::background }, { "color", &vell::Style::color },
        { "borderColor", &vell::Style::borderColor }, { "fillColor", &vell::Style::fillColor },
        { "trackColor", &vell::Style::trackColor }, { "thumbColor", &vell::Style::thumbColor } };
    for (const Entry& e : kColors)
        if (name == e.name)
            return &(s.*e.member);
    return nullptr;
}

inline void expectStyleSpots(const vell::StyleSheet& sheet, std::initializer_list<StyleSpot> spots)
{
    for (const StyleSpot& spot : spots) {
        SCOPED_TRACE(std::string(spot.className) + " " + spot.property + " mask " + std::to_string(spot.mask));
        const vell::StyleStates* states = sheet.find(spot.className);
        if (!states) {
            ADD_FAILURE() << "missing class";
            continue;
        }
        vell::Style s;
        states->applyTo(s, spot.mask);
        if (const auto* scalar = spotScalar(s, spot.property)) {
            EXPECT_TRUE(scalar->set);
            EXPECT_FLOAT_EQ(scalar->value, spot.value);
        } else if (const auto* color = spotColor(s, spot.property)) {
            ASSERT_TRUE(color->set && color->value);
            EXPECT_EQ(color->value->token, spot.token ? spot.token : "");
            EXPECT_FLOAT_EQ(color->value->alpha, spot.alpha);
        } else {
            ADD_FAILURE() << "unknown property";
        }
    }
}

} // namespace testing_support
