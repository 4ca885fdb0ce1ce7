#pragma once
// The few things sonaria does before it opens a window: --help, --version, a
// one-line error for anything else on the command line, and a clear message
// instead of an SDL error when there is no display to open a window on.

namespace cad {

// Handles the command line and the display check. Returns the exit status when
// the program must stop here (0 for --help and --version, 2 for a bad
// argument, 1 without a display), or -1 to go on and run.
int handleCommandLine(int argc, const char* const* argv);

} // namespace cad
