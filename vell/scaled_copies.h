#pragma once
#include <SDL_rect.h>
#include <SDL_stdinc.h>

#include <cstddef>
#include <cstdint>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;

namespace vell {

// Pictures already scaled to the size they are shown at. A software renderer
// scales a picture on every draw (into a scratch surface when it blends); drawn
// from a copy at its shown size, the picture is a straight row copy instead. The
// copy is scaled by the renderer itself from the same source rectangle into a
// texture of the picture's own format, which is exactly the scratch surface a
// scaled draw would have made, so an opaque copy drawn 1:1 puts the same pixels
// on screen.
//
//   SDL_Texture* copy = copies.find(asset->serial, src, dst.w, dst.h, frame);
//   if (!copy) copy = copies.add(renderer, texture, asset->serial, src, dst.w, dst.h, frame);
//   if (copy) SDL_RenderCopy(renderer, copy, nullptr, &dst);
// Where a software renderer's scaled draw of `src` (texture pixels of a picture
// `textureW` x `textureH`) into `dst` lands under the surface clip `clip` (already
// inside the output): `from`, the part of the picture it resamples, and `to`, the
// pixels it writes, rounded exactly as SDL2 does. A cut draw resamples `from` onto `to`
// afresh, so its pixels differ from those of the whole picture cut afterwards; a copy
// of `from` scaled to `to`'s size and drawn 1:1 at `to` gives the same pixels. `to` is
// empty when nothing would be drawn.
struct ScaledCut {
    SDL_Rect from {}, to {};
};
ScaledCut scaledCut(const SDL_Rect& src, const SDL_Rect& dst, int textureW, int textureH, const SDL_Rect& clip);

class ScaledCopies {
public:
    // A copy not drawn for this many frames is dropped at the next upkeep: on screen a
    // picture is drawn every frame the area around it changes, and while a list scrolls
    // fast, copies of the pictures gone by would otherwise pile up to the budget.
    static constexpr uint32_t kMaxIdleFrames = 8;
    // Above budget() bytes the least recently drawn copies make room first. The
    // renderer sets it to one screen's worth: pictures shown at once never cover more.
    static constexpr int64_t kBudgetBytes = 12 << 20;
    // Dropped copies kept for reuse: pictures of a list share a size, so a new copy
    // mostly takes the place of one gone by instead of fresh memory.
    static constexpr size_t kMaxSpares = 8;

    ScaledCopies() = default;
    ~ScaledCopies() { clear(); }
    ScaledCopies(const ScaledCopies&) = delete;
    ScaledCopies& operator=(const ScaledCopies&) = delete;

    // The copy of `src` (texture pixels) of the picture `identity` at w x h, stamped
    // with `frame`; null when there is none. `identity` names the source texture for
    // its whole life and is never reused, since a texture's address can be.
    SDL_Texture* find(uint64_t identity, const SDL_Rect& src, int w, int h, uint32_t frame);
    // Makes that copy from `source`, first dropping the least recently drawn copies
    // (never one drawn this frame) until it fits the budget. Draws through the render
    // target, so the caller re-applies its clip afterwards. Null when SDL fails.
    SDL_Texture* add(SDL_Renderer* renderer, SDL_Texture* source, uint64_t identity, const SDL_Rect& src, int w, int h,
                     uint32_t frame);
    // Drops copies unused for more than kMaxIdleFrames.
    void evict(uint32_t frame);
    void clear();

    void setBudget(int64_t bytes) { m_budget = bytes; }
    int64_t budget() const { return m_budget; }
    size_t size() const { return m_copies.size(); }
    int64_t bytes() const { return m_bytes; }
    size_t spares() const { return m_spares.size(); }
    int64_t spareBytes() const;

private:
    struct Copy {
        uint64_t identity;
        SDL_Rect src;
        int w, h;
        SDL_Texture* texture;
        int64_t bytes;
        uint32_t lastUse;
    };
    SDL_Texture* make(SDL_Renderer* renderer, SDL_Texture* source, const SDL_Rect& src, int w, int h);
    SDL_Texture* takeSpare(Uint32 format, int w, int h);
    void makeRoom(int64_t bytes, uint32_t frame);
    void drop(size_t index);

    std::vector<Copy> m_copies;
    std::vector<Copy> m_spares; // textures only: identity and source mean nothing
    int64_t m_bytes = 0;
    int64_t m_budget = kBudgetBytes;
};

} // namespace vell
