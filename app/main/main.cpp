#include "app/core/platform_hooks.h"
#include "app/main/command_line.h"
#include "app/main/sonaria.h"

// Only --help and --version: directories come from the environment, settings from config.json.
int main(int argc, char** argv)
{
    if (const int status = cad::handleCommandLine(argc, argv); status >= 0)
        return status;
    cad::platform::start();
    const int status = cad::runSonaria();
    cad::platform::end();
    return status;
}
