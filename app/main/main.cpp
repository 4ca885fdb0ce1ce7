#include "app/core/platform_hooks.h"
#include "app/main/sonaria.h"

// No command-line options: directories come from the environment, settings from config.json.
int main()
{
    cad::platform::start();
    const int status = cad::runSonaria();
    cad::platform::end();
    return status;
}
