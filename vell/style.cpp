#include "vell/style.h"

namespace vell {

void Style::merge(const Style& o)
{
    width.mergeFrom(o.width);
    height.mergeFrom(o.height);
    minWidth.mergeFrom(o.minWidth);
    minHeight.mergeFrom(o.minHeight);
    maxWidth.mergeFrom(o.maxWidth);
    maxHeight.mergeFrom(o.maxHeight);
    margin.mergeFrom(o.margin);
    padding.mergeFrom(o.padding);
    gap.mergeFrom(o.gap);
    direction.mergeFrom(o.direction);
    align.mergeFrom(o.align);
    justify.mergeFrom(o.justify);
    alignSelf.mergeFrom(o.alignSelf);
    alignSelfY.mergeFrom(o.alignSelfY);
    offsetX.mergeFrom(o.offsetX);
    offsetY.mergeFrom(o.offsetY);
    background.mergeFrom(o.background);
    color.mergeFrom(o.color);
    borderColor.mergeFrom(o.borderColor);
    fillColor.mergeFrom(o.fillColor);
    trackColor.mergeFrom(o.trackColor);
    thumbColor.mergeFrom(o.thumbColor);
    borderWidth.mergeFrom(o.borderWidth);
    radius.mergeFrom(o.radius);
    opacity.mergeFrom(o.opacity);
    textSize.mergeFrom(o.textSize);
    font.mergeFrom(o.font);
    textAlign.mergeFrom(o.textAlign);
    scale.mergeFrom(o.scale);
    wrap.mergeFrom(o.wrap);
    clip.mergeFrom(o.clip);
    fit.mergeFrom(o.fit);
}

namespace {

constexpr Style StyleStates::* kStateMembers[kStyleStateCount] = {
    &StyleStates::normal, &StyleStates::hovered, &StyleStates::checked,
    &StyleStates::focused, &StyleStates::pressed, &StyleStates::disabled,
};

// The mask bit that enables each state record; normal is always applied.
constexpr uint32_t kStateBits[kStyleStateCount] = {
    0, kStateHovered, kStateChecked, kStateFocusVisible, kStatePressed, kStateDisabled,
};

} // namespace

Style& StyleStates::operator[](StyleState state)
{
    return this->*kStateMembers[int(state)];
}

const Style& StyleStates::operator[](StyleState state) const
{
    return this->*kStateMembers[int(state)];
}

void StyleStates::merge(const StyleStates& other)
{
    for (auto member : kStateMembers)
        (this->*member).merge(other.*member);
}

void StyleStates::applyTo(Style& out, uint32_t mask) const
{
    for (int i = 0; i < kStyleStateCount; ++i) {
        if (kStateBits[i] == 0 || (mask & kStateBits[i]))
            out.merge(this->*kStateMembers[i]);
    }
}

} // namespace vell
