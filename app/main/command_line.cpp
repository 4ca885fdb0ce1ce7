#include "app/main/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#ifndef SONARIA_VERSION
#define SONARIA_VERSION "unknown"
#endif

namespace cad {
namespace {

constexpr const char* kUsage = R"(Usage: sonaria [--help] [--version]

A music player for Navidrome and other Subsonic servers. It opens a window and
asks for the server address, user name and password at the first start.

Options:
  -h, --help     show this help and exit
  --version      show the version and exit

Environment:
  CADDIS_HOME      keep settings, downloads and the song cache under this folder
  XDG_DATA_HOME    settings and downloads go to $XDG_DATA_HOME/caddis
  XDG_CACHE_HOME   streamed songs are cached in $XDG_CACHE_HOME/caddis
  SDL_VIDEODRIVER  the SDL video driver to use (x11, wayland, kmsdrm, ...)
  SDL_AUDIODRIVER  the SDL audio driver to use (pulseaudio, pipewire, alsa, ...)
)";

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

int handleCommandLine(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("Sonaria %s\n", SONARIA_VERSION);
            return 0;
        }
        const char* what = arg.size() > 1 && arg[0] == '-' ? "unknown option" : "unexpected argument";
        std::fprintf(stderr, "sonaria: %s '%s'\n%s", what, argv[i], kUsage);
        return 2;
    }
    // Without this SDL would fail later with a message naming none of these.
    // A driver the user asked for (offscreen, kmsdrm, ...) needs no display server.
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY") && !isSet("SDL_VIDEODRIVER")) {
        std::fputs("no display found\n", stderr);
        return 1;
    }
    return -1;
}

} // namespace cad
