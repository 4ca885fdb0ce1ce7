#pragma once
// Hooks of the sonaria-testhooks build (SONARIA_TESTHOOKS defined): the
// end-to-end tests speed up the controller's clock, slow the frames down, read
// the toasts from a log file and drive the program with a virtual game
// controller. The shipped sonaria compiles them to nothing.

#include <functional>
#include <string>

namespace vell {
class Engine;
class Widget;
}

namespace cad::testhooks {

// What a "dump" line of the pad script logs: the texts on screen and of the focus.
struct Screen {
    std::function<std::string()> texts;
    std::function<std::string()> focus;
    // A pad-script line starting with "do " (the rest of the line), for the
    // controller: "nav <slot>", "album <id>", "size <w> <h>", "audit <name>", ...
    std::function<void(const std::string&)> command;
};

#ifdef SONARIA_TESTHOOKS
// SONARIA_TEST_CLOCK_SCALE: factor applied to the controller's timers (default 1).
float clockScale();
// SONARIA_TEST_FRAME_DELAY_MS: milliseconds every frame hook sleeps (default 0),
// to play a slow machine: more input then arrives within one frame.
int frameDelayMs();
// Appends "kind<TAB>text<TAB>detail" to the file named by SONARIA_TEST_LOG:
// kind "toast" for every toast, "view" for every view shown by the controller.
void log(const char* kind, const std::string& text, const std::string& detail = {});
// SONARIA_TEST_PAD names a script file or FIFO of controller presses. When it is set,
// attachPad() (called before the engine starts, so the engine opens the pad like a
// real one and the hint bar keeps the controller's names) plugs in an SDL virtual
// game controller, and padFrame() (every frame) reads the script: one line each,
//   Cross | Circle | Square | Triangle | Up | Down | Left | Right | L | R | Start | Select
//   wait <milliseconds>
// (blank lines and lines starting with '#' are skipped); "do <command>" hands the
// command to `screen.command`. A button is held for two
// frames and released; each press is logged as "pad<TAB>name". The line "dump" logs
// "screen<TAB>texts" and "focus<TAB>texts" from `screen`.
void attachPad();
void padFrame(float seconds, const Screen& screen);
// The visible label texts of a subtree in tree order, each followed by "|".
std::string texts(const vell::Widget& root);
// Logs "play<TAB>path" when the music player starts another file, "stopped<TAB>path" when
// it stops playing (paused, stopped or at the end).
void notePlaying(bool playing, const std::string& path);
// The screen commands every controller understands, for the layout walk:
//   size <w> <h>   leaves full screen and sizes the window
//   audit <name>   logs "layout<TAB>name<TAB>problem" for each problem of the shown
//                  tree (vell::auditLayout), then "audit<TAB>name<TAB>count"
//   shot <file>    saves the window's pixels as a PNG
// Returns false for any other command.
bool screenCommand(vell::Engine& engine, const std::string& command);
#else
inline float clockScale() { return 1.0f; }
inline int frameDelayMs() { return 0; }
inline void log(const char*, const std::string&, const std::string& = {}) {}
inline void attachPad() {}
inline void padFrame(float, const Screen&) {}
inline std::string texts(const vell::Widget&) { return {}; }
inline void notePlaying(bool, const std::string&) {}
#endif

} // namespace cad::testhooks
