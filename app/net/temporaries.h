#pragma once
// Clean-up of download leftovers. Every download writes a ".part" file beside its target
// (see temporaryPath in curl_transfer.h); one cut short by a crash or a power loss stays
// behind. No transfer is running at start-up, so the controller sweeps the download
// folders then, before the worker pools start:
//
//   cad::removeTemporaries(platform::cacheDir() + "/tracks");

#include <string>

namespace cad {

// Deletes every regular file whose name ends in `suffix` directly inside `dir` (not in
// its subfolders; links are left alone). A missing folder or a file that cannot be
// removed is skipped. The state files' temporaries ("<file>.json.tmp", left by a kill
// inside writeFileAtomic) go the same way, before the store reads anything:
//
//   cad::removeTemporaries(platform::dataDir(), ".tmp");
void removeTemporaries(const std::string& dir, const std::string& suffix = ".part");

} // namespace cad
