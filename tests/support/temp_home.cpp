#include "support/temp_home.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace testing_support {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sonaria-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void useHeadlessSdl()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}

TempHome::TempHome()
{
    if (const char* old = std::getenv("CADDIS_HOME")) {
        m_previous = old;
        m_hadPrevious = true;
    }
    setenv("CADDIS_HOME", path().c_str(), 1);
    useHeadlessSdl();
}

TempHome::~TempHome()
{
    if (m_hadPrevious)
        setenv("CADDIS_HOME", m_previous.c_str(), 1);
    else
        unsetenv("CADDIS_HOME");
}

} // namespace testing_support
