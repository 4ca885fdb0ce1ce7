#pragma once
#include <cstdint>

struct SDL_Texture;

namespace vell {

// A decoded image handed out by AssetLoader::image. The loader's cache and every widget that
// shows the image share it by shared_ptr; the loader only evicts assets nobody else holds.
// All fields are written on the UI thread only.
//
//   auto logo = ctx->assets->image("data/logo.png");
//   if (logo->ready()) SDL_RenderCopy(renderer, logo->texture, nullptr, &dst);
struct ImageAsset {
    static constexpr int Loading = 0; // decode or upload still pending
    static constexpr int Ready = 1;   // texture holds the picture
    static constexpr int Failed = 2;  // file unreadable, undecodable, or texture creation failed

    // Names this picture for as long as the process runs (a texture address can be reused).
    const uint64_t serial = nextSerial();
    int state = Loading;
    SDL_Texture* texture = nullptr; // owned; null until Ready
    int width = 0;                  // texture pixels (after downscaling)
    int height = 0;
    int64_t bytes = 0;              // width * height * 4 once Ready
    uint64_t lastUse = 0;           // loader frame count at the last request

    ImageAsset() = default;
    ~ImageAsset();
    ImageAsset(const ImageAsset&) = delete;
    ImageAsset& operator=(const ImageAsset&) = delete;

    bool ready() const { return state == Ready && texture; }

    // Destroys the texture now (the loader does this before its renderer goes away).
    void releaseTexture();

private:
    static uint64_t nextSerial();
};

} // namespace vell
