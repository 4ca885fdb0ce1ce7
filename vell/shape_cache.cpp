#include "vell/shape_cache.h"

#include <SDL.h>

namespace vell {

uint64_t ShapeCache::key(int kind, int radius, int thickness)
{
    constexpr uint64_t mask = (uint64_t(1) << 24) - 1;
    return uint64_t(kind) << 48 | (uint64_t(radius) & mask) << 24 | (uint64_t(thickness) & mask);
}

static SDL_Texture* createShapeTexture(SDL_Renderer* renderer, int kind, int radius, int thickness)
{
    const std::vector<uint8_t> alpha = shapeAlpha(kind, radius, thickness);
    if (alpha.empty())
        return nullptr;
    const int side = shapeSide(kind, radius);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_ABGR8888);
    if (!surface)
        return nullptr;
    SDL_LockSurface(surface);
    for (int row = 0; row < side; ++row) {
        auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + size_t(row) * surface->pitch);
        for (int col = 0; col < side; ++col)
            line[col] = uint32_t(alpha[size_t(row) * side + col]) << 24 | 0x00FFFFFFu; // ABGR: white, alpha on top
    }
    SDL_UnlockSurface(surface);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    if (texture)
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    return texture;
}

SDL_Texture* ShapeCache::get(SDL_Renderer* renderer, int kind, int radius, int thickness)
{
    if (!renderer || radius <= 0)
        return nullptr;
    const uint64_t k = key(kind, radius, thickness);
    if (auto it = m_textures.find(k); it != m_textures.end())
        return it->second;
    SDL_Texture* texture = createShapeTexture(renderer, kind, radius, thickness);
    if (!texture)
        return nullptr;
    if (m_textures.size() > kMaxEntries)
        clear();
    m_textures.emplace(k, texture);
    return texture;
}

void ShapeCache::clear()
{
    for (auto& [k, texture] : m_textures)
        SDL_DestroyTexture(texture);
    m_textures.clear();
}

} // namespace vell
