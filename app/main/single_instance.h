#pragma once
// One Sonaria per data folder. Called at start-up before anything in the data folder
// is read, swept or written: the first start keeps the folder's lock for its whole run;
// a second one asks the first to show its window and ends.

#include <string>

namespace cad {

class InstanceLock;

// -1: this process holds `lock` (or the folder cannot be locked at all, which is logged)
// and goes on. Otherwise the exit status after one line: 0 when the running Sonaria was
// asked to show its window, 1 when it could not be reached.
int claimDataFolder(InstanceLock& lock);

// The note a running instance leaves for later starts: its bus name, or kNoBusNote.
inline constexpr char kNoBusNote[] = "none";

} // namespace cad
