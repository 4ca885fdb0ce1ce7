#include "support/media_files.h"

#include "support/temp_home.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdlib>
#include <fstream>

namespace testing_support {

namespace {

const std::string kTone = "-f lavfi -i sine=frequency=440:duration=1 -ac 2 -ar 44100";

bool ffmpeg(const std::string& args, const std::string& out)
{
    const std::string command = "ffmpeg -nostdin -v error -y " + args + " '" + out + "'";
    return std::system(command.c_str()) == 0;
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A gradient, so scaling and compression have something to work on.
SDL_Surface* gradient(int w, int h)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return nullptr;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < w; ++x)
            row[x] = SDL_MapRGBA(surface->format, Uint8(x * 255 / w), Uint8(y * 255 / h), 128, 255);
    }
    return surface;
}

bool saveImage(int w, int h, const std::string& path, bool jpeg)
{
    SDL_Surface* surface = gradient(w, h);
    if (!surface)
        return false;
    const int rc = jpeg ? IMG_SaveJPG(surface, path.c_str(), 90) : IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
    return rc == 0;
}

TempDir& mediaDir()
{
    static TempDir dir;
    return dir;
}

AudioFiles makeAudio()
{
    const TempDir& dir = mediaDir();
    AudioFiles files{dir.file("plain.mp3"), dir.file("tagged.ogg"), dir.file("ab12_0.flac"),
                     dir.file("broken.mp3"), {}};
    writeText(files.broken, "this is not an mp3 file\n");
    if (!ffmpeg(kTone + " -c:a libmp3lame -b:a 64k", files.mp3)
        || !ffmpeg(kTone + " -c:a libvorbis -metadata title='Tagged Title'", files.ogg)
        || !ffmpeg(kTone + " -c:a flac", files.flac))
        files.error = "ffmpeg could not make the audio files";
    return files;
}

ImageFiles makeImages()
{
    const TempDir& dir = mediaDir();
    ImageFiles files{dir.file("wide.png"), dir.file("square.jpg"), dir.file("small.png"),
                     dir.file("broken.png"), {}};
    writeText(files.broken, "this is not a png file\n");
    IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG);
    if (!saveImage(3000, 1500, files.wide, false) || !saveImage(1024, 1024, files.square, true)
        || !saveImage(64, 32, files.small, false))
        files.error = std::string("could not write the images: ") + SDL_GetError();
    return files;
}

} // namespace

const AudioFiles& audioFiles()
{
    static const AudioFiles files = makeAudio();
    return files;
}

const ImageFiles& imageFiles()
{
    static const ImageFiles files = makeImages();
    return files;
}

} // namespace testing_support
