#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Where the program keeps its files, and the file helpers every writer and reader uses.
// All functions take plain path strings, report failure by their result and never throw.
namespace cad::platform {

// The per-user data directory (settings, state files, downloads, cover art):
// $CADDIS_HOME/data, else $XDG_DATA_HOME/caddis, else $HOME/.local/share/caddis
// (an unset HOME counts as "."). Empty variables are ignored. Nothing is created.
std::string dataDir();
// Makes relative directory variables (HOME, CADDIS_HOME, XDG_DATA_HOME, XDG_CACHE_HOME)
// absolute, and sets HOME to the working directory when it is unset. Called once at
// start-up: offline.json records absolute paths, which must stay valid.
void pinDirectories();
// The per-user cache directory (stream cache): $CADDIS_HOME/cache, else
// $XDG_CACHE_HOME/caddis, else $HOME/.cache/caddis. Nothing is created.
std::string cacheDir();

// A shipped read-only asset such as "fonts/font.ttf" or "logo.png": inside a packaged
// image ($APPDIR) under usr/share/sonaria, else under /opt/sonaria when present, else
// in "data" beside the executable.
std::string assetPath(const std::string& relative);
// `relative` below the packaged image root ($APPDIR, preferring $APPDIR/opt), or below
// the working directory when APPDIR is unset.
std::string appRootPath(const std::string& relative);
// The text font: a user's dataDir()/font.ttf when it exists, else the shipped one.
std::string fontPath();

// The whole file as bytes; empty when it cannot be opened.
std::string readFile(const std::string& path);
// Writes `path` + ".tmp", flushes it to the disk and renames it over `path` only when
// every byte was written, flushed and the file closed cleanly; otherwise the ".tmp" is
// removed and the old file stays as it was. The folder is flushed after the rename, so a
// power loss leaves either the old or the new content, never an empty file. Creates the
// parent directory first. Returns whether `path` now holds `content`.
bool writeFileAtomic(const std::string& path, const std::string& content);

// fsync of an open descriptor; `path` only names it to the observer.
bool syncDescriptor(int fd, const std::string& path);
// fsync of a directory, so a rename or a new entry in it survives a power loss.
bool syncDirectory(const std::string& path);
// The directory part of `path` ("." when it has none).
std::string parentDir(const std::string& path);

// Test seam: when set, called with "fsync", "fsync-dir" or "rename" and the path (the
// rename's target) just before each of those operations, from whichever thread does it.
using FileObserver = void (*)(const char* operation, const std::string& path);
void setFileObserver(FileObserver observer);

// Creates the directory and its missing parents; an existing directory is fine.
bool makeDirs(const std::string& path);
// The path exists, whatever its type.
bool fileExists(const std::string& path);
// Size in bytes, 0 on any error.
int64_t fileSize(const std::string& path);
// Removes one file or empty directory.
bool removeFile(const std::string& path);
// Removes a directory and everything below it.
bool removeTree(const std::string& path);
bool renameFile(const std::string& from, const std::string& to);
// Sets the last-write time to now.
bool touchFile(const std::string& path);

struct FileEntry {
    std::string path;  // full path
    int64_t size = 0;  // bytes; 0 when it cannot be read
    int64_t modified = 0;  // last-write time in ticks of the file clock
    bool regular = false;  // a regular file
};

// One entry per directory entry, not recursive, in the directory's own order.
// A missing or unreadable directory gives an empty list.
std::vector<FileEntry> listFiles(const std::string& directory);

} // namespace cad::platform
