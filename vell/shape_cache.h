#pragma once
#include "vell/shape_coverage.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>

struct SDL_Renderer;
struct SDL_Texture;

namespace vell {

// Coverage textures by (kind, radius, thickness), white with the coverage as alpha,
// tinted at draw time. Flushed wholesale rather than tracked per entry.
class ShapeCache {
public:
    // Above this many entries the whole cache is emptied before the next insert.
    static constexpr size_t kMaxEntries = 600;

    ShapeCache() = default;
    ~ShapeCache() { clear(); }
    ShapeCache(const ShapeCache&) = delete;
    ShapeCache& operator=(const ShapeCache&) = delete;

    static uint64_t key(int kind, int radius, int thickness);

    // Cached texture, created on a miss; null when the size is not positive or SDL fails.
    SDL_Texture* get(SDL_Renderer* renderer, int kind, int radius, int thickness);
    void clear();
    size_t size() const { return m_textures.size(); }
    bool contains(int kind, int radius, int thickness) const { return m_textures.count(key(kind, radius, thickness)) != 0; }

private:
    std::unordered_map<uint64_t, SDL_Texture*> m_textures;
};

} // namespace vell
