#include "vell/image_asset.h"

#include <SDL.h>

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

} // namespace vell
