#include "vell/text_cache.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <vector>

namespace vell {

void TextCache::setFontPaths(std::string textFont, std::string iconFont)
{
    m_textFont = std::move(textFont);
    m_iconFont = std::move(iconFont);
}

std::string TextCache::key(int fontKind, int pixelSize, int wrapPx, std::string_view text)
{
    std::string k = fontKind == 1 ? "g" : "t";
    k += std::to_string(pixelSize);
    k += '|';
    k += std::to_string(wrapPx);
    k += '|';
    k += text;
    return k;
}

int TextCache::fontKey(int fontKind, int pixelSize)
{
    return pixelSize | (fontKind == 1 ? 1 << 20 : 0);
}

TTF_Font* TextCache::font(int fontKind, int pixelSize)
{
    if (pixelSize <= 0)
        return nullptr;
    const int k = fontKey(fontKind, pixelSize);
    if (auto it = m_fonts.find(k); it != m_fonts.end())
        return it->second;
    const std::string& path = fontKind == 1 ? m_iconFont : m_textFont;
    TTF_Font* opened = path.empty() ? nullptr : TTF_OpenFont(path.c_str(), pixelSize);
    if (opened)
        TTF_SetFontHinting(opened, TTF_HINTING_LIGHT);
    m_fonts.emplace(k, opened); // a failed open stays remembered as null
    return opened;
}

TextTexture TextCache::texture(SDL_Renderer* renderer, std::string_view text, int fontKind, int pixelSize, int wrapPx,
                               uint32_t frame)
{
    if (!renderer || text.empty())
        return {};
    std::string k = key(fontKind, pixelSize, wrapPx, text);
    if (auto it = m_entries.find(k); it != m_entries.end()) {
        it->second.lastUsed = frame;
        return { it->second.texture, it->second.w, it->second.h };
    }
    TTF_Font* f = font(fontKind, pixelSize);
    if (!f)
        return {};
    // SDL_ttf wants a terminated string; the key already holds the text at its end.
    const char* utf8 = k.c_str() + (k.size() - text.size());
    const SDL_Color white { 255, 255, 255, 255 };
    SDL_Surface* surface = wrapPx > 0 ? TTF_RenderUTF8_Blended_Wrapped(f, utf8, white, Uint32(wrapPx))
                                      : TTF_RenderUTF8_Blended(f, utf8, white);
    if (!surface)
        return {};
    SDL_Texture* tex = SDL_CreateTextureFromSurface(renderer, surface);
    const int w = surface->w, h = surface->h;
    SDL_FreeSurface(surface);
    if (!tex)
        return {};
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    m_entries.emplace(std::move(k), Entry { tex, w, h, frame });
    return { tex, w, h };
}

void TextCache::evict(uint32_t frame)
{
    if (m_entries.size() <= kEvictAbove)
        return;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (frame - it->second.lastUsed > kMaxIdleFrames) {
            SDL_DestroyTexture(it->second.texture);
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
}

void TextCache::clear()
{
    for (auto& [k, entry] : m_entries)
        SDL_DestroyTexture(entry.texture);
    m_entries.clear();
    for (auto& [k, f] : m_fonts)
        if (f)
            TTF_CloseFont(f);
    m_fonts.clear();
}

} // namespace vell
