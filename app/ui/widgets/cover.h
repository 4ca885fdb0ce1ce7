#pragma once
// cad::Cover ("cover") — server cover art in a rounded square. Shows a music-note
// placeholder on the "cover" background until the cover cache has the file on disk and
// the image has decoded, then the picture alone. Asks the cache (cad::services().covers)
// every frame until the file is there, so a cover that appears on screen is fetched.
//
//   auto art = cad::coverImage(album.coverArt, 300, 180);   // fetch 300 px, show 180 px
//   art->style().radius = 24;                               // the image follows the radius
//   art->setCoverId(song.coverArt);                          // now playing: another song

#include "vell/flex.h"
#include "vell/glyph.h"
#include "vell/image.h"
#include "vell/widget_t.h"

#include <memory>
#include <string>

namespace cad {

class Cover : public vell::ContainerT<Cover, vell::Flex> {
public:
    static constexpr const char* kTypeName = "cover";

    void update(vell::UiContext& ctx, float dt) override;
    void draw(vell::UiContext& ctx) override;

    // Shows the cover `id` instead. A different id drops the current picture at once
    // (no frame of the old art) and brings back the placeholder until the new one is
    // ready; an empty id keeps the placeholder.
    void setCoverId(const std::string& id);
    const std::string& coverId() const { return m_coverId; }
    // Shown `side` x `side` from now on (the placeholder note follows).
    void resize(float side);

    // Whether the file was on disk and handed to the image / the picture shows.
    bool requested() const { return m_requested; }
    bool revealed() const { return m_revealed; }
    // Whether the cover has been drawn on screen. A picture that is ready before then
    // (a row built ahead of the viewport, art already decoded) shows at once; one
    // that arrives while the placeholder shows fades in.
    bool seen() const { return m_seen; }

    int fetchSize = 300; // pixel size asked of the server (300 for rows and tiles, 600 for headers)
    std::shared_ptr<vell::Glyph> placeholder;
    std::shared_ptr<vell::Image> image; // hidden until its picture is ready

private:
    void copyRadius();

    std::string m_coverId;
    bool m_requested = false;
    bool m_revealed = false;
    bool m_seen = false;
    bool m_snapBackground = true;
    float m_radius = -1;
};

// A cover of `displaySize` square showing `id` fetched at `fetchSize` pixels, with the
// placeholder glyph at 0.42 of its side. Styled by the classes "cover" (radius 14,
// background surfaceContainerHigh), "cover-placeholder" and "cover-image".
std::shared_ptr<Cover> coverImage(const std::string& id, int fetchSize, float displaySize);

} // namespace cad
