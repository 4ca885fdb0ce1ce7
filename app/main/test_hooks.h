#pragma once
// Hooks of the sonaria-testhooks build (SONARIA_TESTHOOKS defined): the
// end-to-end tests speed up the controller's clock, slow the frames down and
// read the toasts from a log file. The shipped sonaria compiles them to nothing.

#include <string>

namespace cad::testhooks {

#ifdef SONARIA_TESTHOOKS
// SONARIA_TEST_CLOCK_SCALE: factor applied to the controller's timers (default 1).
float clockScale();
// SONARIA_TEST_FRAME_DELAY_MS: milliseconds every frame hook sleeps (default 0),
// to play a slow machine: more input then arrives within one frame.
int frameDelayMs();
// Appends "kind<TAB>text<TAB>detail" to the file named by SONARIA_TEST_LOG:
// kind "toast" for every toast, "view" for every view shown by the controller.
void log(const char* kind, const std::string& text, const std::string& detail = {});
#else
inline float clockScale() { return 1.0f; }
inline int frameDelayMs() { return 0; }
inline void log(const char*, const std::string&, const std::string& = {}) {}
#endif

} // namespace cad::testhooks
