#include "vell/label.h"

#include "vell/renderer.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vell {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6"; // "…"

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

std::string ellipsize(std::string_view text, float maxWidth, const std::function<float(std::string_view)>& measure)
{
    if (text.empty() || measure(text) <= maxWidth)
        return std::string(text);
    // Every place a cut may land: never before a continuation byte.
    std::vector<size_t> cuts;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!isContinuationByte(text[i]))
            cuts.push_back(i);
    }
    auto withEllipsis = [&](size_t length) {
        std::string s(text.substr(0, length));
        s += kEllipsis;
        return s;
    };
    // Largest cut index whose prefix plus "…" fits; cut 0 (empty prefix) is the floor.
    size_t lo = 0, hi = cuts.size() - 1;
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (measure(withEllipsis(cuts[mid])) <= maxWidth)
            lo = mid;
        else
            hi = mid - 1;
    }
    return withEllipsis(cuts[lo]);
}

void Label::setText(std::string text)
{
    if (text == m_text)
        return;
    m_text = std::move(text);
    m_layout.valid = m_previous.valid = false;
}

float Label::pixelSize() const { return std::max(4.0f, std::round(textSize)); }

Label::LayoutKey Label::keyFor(const UiContext& ctx, float availW) const
{
    LayoutKey key;
    key.width = isUnbounded(availW) ? kUnbounded : availW;
    key.size = pixelSize();
    key.font = resolved.font.valueOr(defaultFont);
    key.generation = ctx.renderer ? ctx.renderer->generation() : 0;
    key.wrap = resolved.wrap.valueOr(false);
    return key;
}

Label::Layout Label::compute(UiContext& ctx, const LayoutKey& key) const
{
    Layout out;
    out.key = key;
    out.valid = true;
    out.shown = m_text;
    if (!ctx.renderer)
        return out;
    Renderer& r = *ctx.renderer;
    const bool bounded = !isUnbounded(key.width);
    if (key.wrap && bounded) {
        out.wrapped = true;
        out.wrapWidth = std::max(1.0f, key.width);
        out.size = r.measureText(m_text, key.font, key.size, out.wrapWidth);
        return out;
    }
    out.size = r.measureText(m_text, key.font, key.size);
    if (bounded && key.width > 0 && key.width < out.size.w) {
        out.shown = ellipsize(m_text, key.width,
            [&](std::string_view s) { return r.measureText(s, key.font, key.size).w; });
        out.size.w = r.measureText(out.shown, key.font, key.size).w;
    }
    return out;
}

const Label::Layout& Label::layout(UiContext& ctx, float availW)
{
    const LayoutKey key = keyFor(ctx, availW);
    if (m_layout.valid && m_layout.key == key)
        return m_layout;
    if (m_previous.valid && m_previous.key == key) {
        std::swap(m_layout, m_previous);
        return m_layout;
    }
    m_previous = std::move(m_layout);
    m_layout = compute(ctx, key);
    return m_layout;
}

Size Label::measure(UiContext& ctx, float availW, float)
{
    return layout(ctx, availW).size;
}

void Label::update(UiContext& ctx, float)
{
    // Fonts were reopened at a new pixel scale: measured sizes are stale.
    if (ctx.renderer && m_layout.valid && m_layout.key.generation != ctx.renderer->generation())
        m_layout.valid = m_previous.valid = false;
}

void Label::draw(UiContext& ctx)
{
    if (!ctx.renderer || m_text.empty())
        return;
    const Rect content = contentRect();
    // The parent may give a width other than the one measured (stretch,
    // fill); keep the measured layout when the whole text still fits.
    const bool reuse = m_layout.valid
        && (std::abs(m_layout.key.width - content.w) < 0.01f
            || (!m_layout.wrapped && m_layout.shown == m_text && m_layout.size.w <= content.w + 0.5f));
    const Layout* use = reuse ? &m_layout : &layout(ctx, content.w);

    float x = content.x;
    const int32_t align = resolved.textAlign.valueOr(kTextAlignStart);
    if (align == kTextAlignCenter)
        x += (content.w - use->size.w) / 2;
    else if (align == kTextAlignEnd)
        x += content.w - use->size.w;
    const float y = content.y + (content.h - use->size.h) / 2;

    const bool clipTall = use->wrapped && use->size.h > content.h + 0.5f;
    if (clipTall)
        ctx.renderer->pushClip(content);
    ctx.renderer->drawText(use->shown, use->key.font, use->key.size, use->wrapped ? use->wrapWidth : 0, x,
        clipTall ? content.y : y, textColor());
    if (clipTall)
        ctx.renderer->popClip();
}

std::shared_ptr<Label> label(std::string text)
{
    auto l = std::make_shared<Label>();
    l->setText(std::move(text));
    return l;
}

std::shared_ptr<Label> label(std::string text, const std::string& className)
{
    auto l = label(std::move(text));
    if (!className.empty())
        l->addClass(className);
    return l;
}

} // namespace vell
