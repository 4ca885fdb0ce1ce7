#pragma once
#include <SDL_rect.h>

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
class ScaledCopies {
public:
    // A copy not drawn for this many frames is dropped at the next upkeep.
    static constexpr uint32_t kMaxIdleFrames = 30;
    // Above this many bytes the least recently drawn copies make room first.
    static constexpr int64_t kBudgetBytes = 12 << 20;

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

    size_t size() const { return m_copies.size(); }
    int64_t bytes() const { return m_bytes; }

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
    void makeRoom(int64_t bytes, uint32_t frame);
    void drop(size_t index);

    std::vector<Copy> m_copies;
    int64_t m_bytes = 0;
};

} // namespace vell
