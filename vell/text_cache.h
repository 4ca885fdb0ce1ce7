#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

struct SDL_Renderer;
struct SDL_Texture;
typedef struct _TTF_Font TTF_Font;

namespace vell {

// A cached text texture and its size in device pixels. The cache owns the texture.
struct TextTexture {
    SDL_Texture* texture = nullptr;
    int w = 0, h = 0;
};

// Fonts opened per (kind, pixel size) and text rasterised once per
// (font, pixel size, wrap width, text), stamped with the frame of last use.
class TextCache {
public:
    // Upkeep rule: every kEvictEvery frames, above kEvictAbove entries, drop entries
    // unused for more than kMaxIdleFrames.
    static constexpr uint32_t kEvictEvery = 90;
    static constexpr size_t kEvictAbove = 299;
    static constexpr uint32_t kMaxIdleFrames = 120;

    TextCache() = default;
    ~TextCache() { clear(); }
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    void setFontPaths(std::string textFont, std::string iconFont);

    // "t" (text font) or "g" (icon font), pixel size, "|", wrap px, "|", text: "t16|0|Home".
    static std::string key(int fontKind, int pixelSize, int wrapPx, std::string_view text);
    // pixelSize | (1 << 20 for the icon font).
    static int fontKey(int fontKind, int pixelSize);

    // Opens on first use with light hinting; a failed open is remembered as null.
    // Null for a non-positive size.
    TTF_Font* font(int fontKind, int pixelSize);
    // Cached texture, rendered on a miss; stamps the entry with `frame`.
    TextTexture texture(SDL_Renderer* renderer, std::string_view text, int fontKind, int pixelSize, int wrapPx,
                        uint32_t frame);

    // Destroys entries unused for more than kMaxIdleFrames when above kEvictAbove entries.
    void evict(uint32_t frame);
    // Destroys every text texture and closes every font.
    void clear();

    size_t size() const { return m_entries.size(); }
    size_t fontCount() const { return m_fonts.size(); }
    bool contains(const std::string& key) const { return m_entries.count(key) != 0; }
    bool hasFont(int fontKind, int pixelSize) const { return m_fonts.count(fontKey(fontKind, pixelSize)) != 0; }

private:
    struct Entry {
        SDL_Texture* texture = nullptr;
        int w = 0, h = 0;
        uint32_t lastUsed = 0;
    };

    std::string m_textFont, m_iconFont;
    std::unordered_map<int, TTF_Font*> m_fonts;
    std::unordered_map<std::string, Entry> m_entries;
};

} // namespace vell
