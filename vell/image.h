#pragma once
// vell::Image ("image") — a picture loaded through the asset loader. Shows a
// pulsing placeholder while it loads (a tinted one when it failed), fades the
// picture in, places it by the style's `fit` (cover by default) and rounds its
// corners by painting them in the colour behind it.
//   auto cover = image("data/logo.png");
//   cover->style().width = SizeSpec::fixed(160);
//   cover->style().height = SizeSpec::fixed(160);
//   cover->style().radius = 16.0f;

#include "vell/image_asset.h"
#include "vell/widget_t.h"

#include <memory>
#include <string>

namespace vell {

class Image : public WidgetT<Image, Widget> {
public:
    static constexpr const char* kTypeName = "image";

    Image();

    Size measure(UiContext& ctx, float availW, float availH) override;
    void update(UiContext& ctx, float dt) override;
    void draw(UiContext& ctx) override;

    // Changes the picture; the next measure or update requests it.
    void setPath(std::string path);
    const std::string& path() const { return m_path; }
    const std::shared_ptr<ImageAsset>& asset() const { return m_asset; }

    Spring fade;
    float time = 0;
    // Whether a picture that becomes ready fades in (the default) or shows at once.
    // Holders that know the picture was never on screen before it was ready (a list
    // row built ahead of the viewport) turn it off: only a picture that arrives late
    // needs the fade, and a settled one draws much faster.
    bool fadeIn = true;

private:
    void request(UiContext& ctx);
    void drawPlaceholder(UiContext& ctx);
    void drawPicture(UiContext& ctx);
    void roundCorners(UiContext& ctx);

    std::string m_path;
    std::shared_ptr<ImageAsset> m_asset;
    bool m_wasReady = false;
};

std::shared_ptr<Image> image(std::string path);

// Source and destination rectangles (in any one unit) placing a picture of
// `source` size into `area` by a `fit` value: contain, cover (cropped around
// the centre), natural size centred, or stretched for any other value.
void fitImage(int32_t fit, Size source, const Rect& area, Rect& src, Rect& dst);

} // namespace vell
