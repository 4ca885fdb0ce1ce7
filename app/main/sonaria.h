#pragma once

namespace cad {

// Runs the whole program from engine start-up to shutdown: 0 after a normal
// run, 1 when the toolkit cannot start ("VellUI init failed: ..." on stderr).
int runSonaria();

} // namespace cad
