#include "vell/scaled_copies.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace vell {

// SDL2's scaled blit (SDL_UpperBlitScaled) step by step: source clipped to the
// picture, destination to the clip with the source following in proportion, both
// rounded half away from zero, then intersected once more.
ScaledCut scaledCut(const SDL_Rect& src, const SDL_Rect& dst, int textureW, int textureH, const SDL_Rect& clip)
{
    ScaledCut out;
    if (src.w <= 0 || src.h <= 0 || dst.w <= 0 || dst.h <= 0)
        return out;
    const double scaleW = double(dst.w) / src.w, scaleH = double(dst.h) / src.h;
    double dx0 = dst.x, dy0 = dst.y, dx1 = dx0 + dst.w, dy1 = dy0 + dst.h;
    double sx0 = src.x, sy0 = src.y, sx1 = sx0 + src.w, sy1 = sy0 + src.h;
    if (sx0 < 0) {
        dx0 -= sx0 * scaleW;
        sx0 = 0;
    }
    if (sx1 > textureW) {
        dx1 -= (sx1 - textureW) * scaleW;
        sx1 = textureW;
    }
    if (sy0 < 0) {
        dy0 -= sy0 * scaleH;
        sy0 = 0;
    }
    if (sy1 > textureH) {
        dy1 -= (sy1 - textureH) * scaleH;
        sy1 = textureH;
    }
    dx0 -= clip.x;
    dx1 -= clip.x;
    dy0 -= clip.y;
    dy1 -= clip.y;
    if (dx0 < 0) {
        sx0 -= dx0 / scaleW;
        dx0 = 0;
    }
    if (dx1 > clip.w) {
        sx1 -= (dx1 - clip.w) / scaleW;
        dx1 = clip.w;
    }
    if (dy0 < 0) {
        sy0 -= dy0 / scaleH;
        dy0 = 0;
    }
    if (dy1 > clip.h) {
        sy1 -= (dy1 - clip.h) / scaleH;
        dy1 = clip.h;
    }
    dx0 += clip.x;
    dx1 += clip.x;
    dy0 += clip.y;
    dy1 += clip.y;
    auto round = [](double v) { return int(std::round(v)); };
    SDL_Rect from { round(sx0), round(sy0), round(sx1 - sx0), round(sy1 - sy0) };
    SDL_Rect to { round(dx0), round(dy0), round(dx1 - dx0), round(dy1 - dy0) };
    const SDL_Rect picture { 0, 0, textureW, textureH };
    if (!SDL_IntersectRect(&picture, &from, &out.from) || !SDL_IntersectRect(&clip, &to, &out.to))
        return {};
    return out;
}

SDL_Texture* ScaledCopies::find(uint64_t identity, const SDL_Rect& src, int w, int h, uint32_t frame)
{
    for (Copy& copy : m_copies) {
        if (copy.identity == identity && copy.w == w && copy.h == h && SDL_RectEquals(&copy.src, &src)) {
            copy.lastUse = frame;
            return copy.texture;
        }
    }
    return nullptr;
}

SDL_Texture* ScaledCopies::add(SDL_Renderer* renderer, SDL_Texture* source, uint64_t identity, const SDL_Rect& src,
                               int w, int h, uint32_t frame)
{
    const int64_t bytes = int64_t(w) * h * 4;
    makeRoom(bytes, frame);
    SDL_Texture* texture = make(renderer, source, src, w, h);
    if (!texture)
        return nullptr;
    m_copies.push_back({ identity, src, w, h, texture, bytes, frame });
    m_bytes += bytes;
    return texture;
}

SDL_Texture* ScaledCopies::make(SDL_Renderer* renderer, SDL_Texture* source, const SDL_Rect& src, int w, int h)
{
    Uint32 format = 0;
    if (w <= 0 || h <= 0 || SDL_QueryTexture(source, &format, nullptr, nullptr, nullptr) != 0)
        return nullptr;
    SDL_Texture* copy = takeSpare(format, w, h);
    if (!copy)
        copy = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!copy)
        return nullptr;
    SDL_Texture* target = SDL_GetRenderTarget(renderer);
    SDL_SetTextureBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_SetTextureColorMod(source, 255, 255, 255);
    SDL_SetTextureAlphaMod(source, 255);
    const bool drawn = SDL_SetRenderTarget(renderer, copy) == 0 && SDL_RenderCopy(renderer, source, &src, nullptr) == 0;
    SDL_SetRenderTarget(renderer, target);
    if (drawn)
        return copy;
    SDL_DestroyTexture(copy);
    return nullptr;
}

void ScaledCopies::makeRoom(int64_t bytes, uint32_t frame)
{
    while (m_bytes + bytes > m_budget && !m_copies.empty()) {
        const auto oldest = std::min_element(m_copies.begin(), m_copies.end(),
                                             [](const Copy& a, const Copy& b) { return a.lastUse < b.lastUse; });
        if (oldest->lastUse == frame)
            return;
        drop(size_t(oldest - m_copies.begin()));
    }
}

void ScaledCopies::evict(uint32_t frame)
{
    for (size_t i = m_copies.size(); i-- > 0;)
        if (frame - m_copies[i].lastUse > kMaxIdleFrames)
            drop(i);
}

SDL_Texture* ScaledCopies::takeSpare(Uint32 format, int w, int h)
{
    for (size_t i = 0; i < m_spares.size(); ++i) {
        Uint32 spareFormat = 0;
        SDL_QueryTexture(m_spares[i].texture, &spareFormat, nullptr, nullptr, nullptr);
        if (m_spares[i].w != w || m_spares[i].h != h || spareFormat != format)
            continue;
        SDL_Texture* texture = m_spares[i].texture;
        m_spares[i] = m_spares.back();
        m_spares.pop_back();
        return texture;
    }
    return nullptr;
}

int64_t ScaledCopies::spareBytes() const
{
    int64_t bytes = 0;
    for (const Copy& spare : m_spares)
        bytes += spare.bytes;
    return bytes;
}

void ScaledCopies::drop(size_t index)
{
    if (m_spares.size() < kMaxSpares)
        m_spares.push_back(m_copies[index]);
    else
        SDL_DestroyTexture(m_copies[index].texture);
    m_bytes -= m_copies[index].bytes;
    m_copies[index] = m_copies.back();
    m_copies.pop_back();
}

void ScaledCopies::clear()
{
    while (!m_copies.empty())
        drop(m_copies.size() - 1);
    for (const Copy& spare : m_spares)
        SDL_DestroyTexture(spare.texture);
    m_spares.clear();
}

} // namespace vell
