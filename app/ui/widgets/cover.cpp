#include "app/ui/widgets/cover.h"

#include "app/net/covers.h"
#include "app/ui/services.h"
#include "vell/renderer.h"
#include "vell/ui_context.h"

namespace cad {

namespace {

constexpr int32_t kMusicNote = 0xE405;
constexpr float kPlaceholderShare = 0.42f;

} // namespace

void Cover::copyRadius()
{
    if (!resolved.radius || resolved.radius.value == m_radius)
        return;
    m_radius = resolved.radius.value;
    if (image)
        image->style().radius = m_radius;
}

void Cover::update(vell::UiContext&, float)
{
    copyRadius();
    if (m_snapBackground) {
        bgSpring.snap(); // the placeholder returns at once, not fading in over old art
        m_snapBackground = false;
    }
    if (!image)
        return;
    image->fadeIn = m_seen;
    if (m_requested) {
        const auto& asset = image->asset();
        if (!m_revealed && asset && asset->ready()) {
            m_revealed = true;
            image->visible = true;
            // The picture (or the image's opaque placeholder while it fades in) hides
            // the background from now on, so it goes at once instead of fading out
            // underneath: the same pixels without a blended fill per frame.
            style().background = vell::transparentColor();
            m_snapBackground = true;
        }
        return;
    }
    Covers& covers = services().covers;
    if (m_coverId.empty() || !covers.ready(m_coverId, fetchSize))
        return;
    image->setPath(Covers::path(m_coverId, fetchSize));
    m_requested = true;
}

void Cover::draw(vell::UiContext& ctx)
{
    ContainerT::draw(ctx);
    if (!m_seen && ctx.renderer && ctx.renderer->reaches(rect))
        m_seen = true;
}

void Cover::setCoverId(const std::string& id)
{
    if (id == m_coverId)
        return;
    m_coverId = id;
    m_requested = false;
    m_revealed = false;
    if (image) {
        image->setPath({});
        image->visible = false;
    }
    inlineStyle.normal.background.reset();
    markStyleDirty();
    m_snapBackground = true;
}

void Cover::resize(float side)
{
    style().width = vell::SizeSpec::fixed(side);
    style().height = vell::SizeSpec::fixed(side);
    if (placeholder) {
        placeholder->style().textSize = kPlaceholderShare * side;
        placeholder->markStyleDirty();
    }
    markStyleDirty();
}

std::shared_ptr<Cover> coverImage(const std::string& id, int fetchSize, float displaySize)
{
    auto cover = std::make_shared<Cover>();
    cover->fetchSize = fetchSize;
    cover->style().width = vell::SizeSpec::fixed(displaySize);
    cover->style().height = vell::SizeSpec::fixed(displaySize);

    cover->placeholder = vell::glyph(kMusicNote)->withClass("cover-placeholder");
    cover->placeholder->style().textSize = kPlaceholderShare * displaySize;
    cover->image = std::make_shared<vell::Image>();
    cover->image->addClass("cover-image");
    cover->image->visible = false;
    cover->add({ cover->placeholder, cover->image });
    cover->setCoverId(id);
    return cover;
}

} // namespace cad
