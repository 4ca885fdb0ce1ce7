#include "vell/image_asset.h"

#include <SDL.h>

#include <atomic>

namespace vell {

ImageAsset::~ImageAsset()
{
    releaseTexture();
}

void ImageAsset::releaseTexture()
{
    if (texture)
        SDL_DestroyTexture(texture);
    texture = nullptr;
}

uint64_t ImageAsset::nextSerial()
{
    static std::atomic<uint64_t> next { 1 };
    return next.fetch_add(1, std::memory_order_relaxed);
}

} // namespace vell
