#include "vell/scaled_copies.h"

#include <SDL.h>

#include <algorithm>

namespace vell {

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
    SDL_Texture* copy = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_TARGET, w, h);
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
    while (m_bytes + bytes > kBudgetBytes && !m_copies.empty()) {
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

void ScaledCopies::drop(size_t index)
{
    SDL_DestroyTexture(m_copies[index].texture);
    m_bytes -= m_copies[index].bytes;
    m_copies[index] = m_copies.back();
    m_copies.pop_back();
}

void ScaledCopies::clear()
{
    while (!m_copies.empty())
        drop(m_copies.size() - 1);
}

} // namespace vell
