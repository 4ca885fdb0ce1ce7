#include "app/main/test_hooks.h"

#ifdef SONARIA_TESTHOOKS
#include <cstdio>
#include <cstdlib>

namespace cad::testhooks {

float clockScale()
{
    static const float scale = [] {
        const char* value = std::getenv("SONARIA_TEST_CLOCK_SCALE");
        const float parsed = value ? std::strtof(value, nullptr) : 1.0f;
        return parsed > 0 ? parsed : 1.0f;
    }();
    return scale;
}

int frameDelayMs()
{
    static const int delay = [] {
        const char* value = std::getenv("SONARIA_TEST_FRAME_DELAY_MS");
        const long parsed = value ? std::strtol(value, nullptr, 10) : 0;
        return parsed > 0 && parsed < 10000 ? int(parsed) : 0;
    }();
    return delay;
}

void log(const char* kind, const std::string& text, const std::string& detail)
{
    const char* path = std::getenv("SONARIA_TEST_LOG");
    if (!path || !*path)
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\t%s\t%s\n", kind, text.c_str(), detail.c_str());
        std::fclose(f);
    }
}

} // namespace cad::testhooks
#endif
