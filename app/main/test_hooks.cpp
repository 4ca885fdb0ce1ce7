#include "app/main/test_hooks.h"

#ifdef SONARIA_TESTHOOKS
#include "vell/engine.h"
#include "vell/label.h"
#include "vell/layout_audit.h"
#include "vell/shell.h"

#include <SDL.h>
#include <SDL_image.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <sstream>
#include <string_view>

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

namespace {

struct Pad {
    SDL_Joystick* joystick = nullptr;
    int fd = -1;
    std::string pending; // bytes after the last complete line
    std::deque<std::string> lines;
    float waitLeft = 0;
    int held = -1; // the SDL button being held
    int holdFrames = 0;
};

Pad& pad()
{
    static Pad p;
    return p;
}

int padButton(std::string_view name)
{
    static constexpr std::pair<std::string_view, int> kNames[] = {
        { "Cross", SDL_CONTROLLER_BUTTON_A }, { "Circle", SDL_CONTROLLER_BUTTON_B },
        { "Square", SDL_CONTROLLER_BUTTON_X }, { "Triangle", SDL_CONTROLLER_BUTTON_Y },
        { "Up", SDL_CONTROLLER_BUTTON_DPAD_UP }, { "Down", SDL_CONTROLLER_BUTTON_DPAD_DOWN },
        { "Left", SDL_CONTROLLER_BUTTON_DPAD_LEFT }, { "Right", SDL_CONTROLLER_BUTTON_DPAD_RIGHT },
        { "L", SDL_CONTROLLER_BUTTON_LEFTSHOULDER }, { "R", SDL_CONTROLLER_BUTTON_RIGHTSHOULDER },
        { "Start", SDL_CONTROLLER_BUTTON_START }, { "Select", SDL_CONTROLLER_BUTTON_BACK },
    };
    for (const auto& [text, button] : kNames)
        if (text == name)
            return button;
    return -1;
}

// Moves the complete lines the script has written so far into the queue.
void readScript(Pad& p)
{
    char buffer[512];
    ssize_t got;
    while ((got = ::read(p.fd, buffer, sizeof buffer)) > 0)
        p.pending.append(buffer, size_t(got));
    size_t end;
    while ((end = p.pending.find('\n')) != std::string::npos) {
        std::string line = p.pending.substr(0, end);
        p.pending.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            p.lines.push_back(line);
    }
}

} // namespace

void attachPad()
{
    const char* path = std::getenv("SONARIA_TEST_PAD");
    Pad& p = pad();
    if (!path || !*path || p.joystick)
        return;
    // The test window may never have the input focus under a bare X server.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0)
        return;
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Sonaria test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        return;
    p.joystick = SDL_JoystickOpen(index);
    // Non-blocking, so a FIFO without a writer yet does not stop the program.
    p.fd = ::open(path, O_RDONLY | O_NONBLOCK);
    log("pad", p.joystick && p.fd >= 0 ? "attached" : "failed", SDL_GetError());
}

std::string texts(const vell::Widget& root)
{
    if (!root.visible)
        return {};
    std::string out;
    if (auto label = dynamic_cast<const vell::Label*>(&root); label && !label->text().empty())
        out += label->text() + "|";
    for (const auto& child : root.children)
        out += texts(*child);
    return out;
}

void notePlaying(bool playing, const std::string& path)
{
    static std::string last;
    if (!playing) {
        if (!last.empty())
            log("stopped", last);
        last.clear();
        return;
    }
    if (path == last)
        return;
    last = path;
    log("play", path);
}

namespace {

void auditScreen(vell::Engine& engine, const std::string& name)
{
    vell::Shell& shell = engine.shell();
    std::vector<const vell::Widget*> roots { shell.root.get() };
    if (shell.drawerOpen())
        roots.push_back(shell.drawer.get());
    for (const auto& layer : shell.layers)
        roots.push_back(layer.panel.get());
    size_t count = 0;
    for (const vell::Widget* root : roots)
        for (const vell::LayoutProblem& problem : vell::auditLayout(*root, engine.logicalSize(), engine.letterbox().scale, 10)) {
            log("layout", name, problem.what);
            ++count;
        }
    log("audit", name, std::to_string(count));
}

bool saveShot(vell::Engine& engine, const std::string& file)
{
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(engine.sdlRenderer(), &w, &h) != 0)
        return false;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return false;
    const bool ok = SDL_RenderReadPixels(engine.sdlRenderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, surface->pixels, surface->pitch) == 0
        && IMG_SavePNG(surface, file.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

} // namespace

bool screenCommand(vell::Engine& engine, const std::string& command)
{
    std::istringstream words(command);
    std::string verb, arg;
    words >> verb;
    if (verb == "size") {
        int w = 0, h = 0;
        words >> w >> h;
        SDL_SetWindowFullscreen(engine.window(), 0);
        SDL_SetWindowSize(engine.window(), w, h);
        return true;
    }
    std::getline(words >> std::ws, arg);
    if (verb == "audit") {
        auditScreen(engine, arg);
        return true;
    }
    if (verb == "shot") {
        log("shot", arg, saveShot(engine, arg) ? "saved" : SDL_GetError());
        return true;
    }
    return false;
}

void padFrame(float seconds, const Screen& screen)
{
    Pad& p = pad();
    if (!p.joystick || p.fd < 0)
        return;
    if (p.held >= 0) {
        if (--p.holdFrames > 0)
            return;
        SDL_JoystickSetVirtualButton(p.joystick, p.held, SDL_RELEASED);
        p.held = -1;
        return; // one frame released before the next press
    }
    if (p.waitLeft > 0) {
        p.waitLeft -= seconds;
        return;
    }
    readScript(p);
    if (p.lines.empty())
        return;
    const std::string line = p.lines.front();
    p.lines.pop_front();
    if (line == "dump") {
        log("screen", screen.texts ? screen.texts() : std::string());
        log("focus", screen.focus ? screen.focus() : std::string());
        return;
    }
    if (line.rfind("do ", 0) == 0) {
        log("do", line.substr(3));
        if (screen.command)
            screen.command(line.substr(3));
        return;
    }
    if (line.rfind("wait ", 0) == 0) {
        p.waitLeft = std::strtof(line.c_str() + 5, nullptr) / 1000.0f;
        return;
    }
    const int button = padButton(line);
    if (button < 0) {
        log("pad", "unknown", line);
        return;
    }
    SDL_JoystickSetVirtualButton(p.joystick, button, SDL_PRESSED);
    p.held = button;
    p.holdFrames = 2;
    log("pad", line);
}

} // namespace cad::testhooks
#endif
