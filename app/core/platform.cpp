#include "app/core/platform.h"

#include <SDL.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace cad::platform {

namespace {

// The variable's value when it is set and non-empty.
bool nonEmptyEnv(const char* name, std::string& value)
{
    const char* raw = std::getenv(name);
    if (!raw || !*raw)
        return false;
    value = raw;
    return true;
}

std::string home()
{
    const char* raw = std::getenv("HOME");
    return raw ? raw : ".";
}

std::string userDir(const char* caddisLeaf, const char* xdgName, const char* homeLeaf)
{
    std::string base;
    if (nonEmptyEnv("CADDIS_HOME", base))
        return base + caddisLeaf;
    if (nonEmptyEnv(xdgName, base))
        return base + "/caddis";
    return home() + homeLeaf;
}

bool present(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::status(path, ec));
}

std::atomic<FileObserver> g_observer{nullptr};

void observe(const char* operation, const std::string& path)
{
    if (FileObserver observer = g_observer.load())
        observer(operation, path);
}

// Every byte of `content` to `fd`, retrying short and interrupted writes.
bool writeAll(int fd, const std::string& content)
{
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string executableDir()
{
    char* base = SDL_GetBasePath();
    if (!base)
        return "./";
    std::string dir = base;
    SDL_free(base);
    return dir;
}

} // namespace

void pinDirectories()
{
    for (const char* name : { "HOME", "CADDIS_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" }) {
        const char* raw = std::getenv(name);
        const bool unsetHome = (!raw || !*raw) && std::string(name) == "HOME";
        if (!unsetHome && (!raw || !*raw || fs::path(raw).is_absolute()))
            continue;
        std::error_code ec;
        const fs::path absolute = unsetHome ? fs::current_path(ec) : fs::absolute(raw, ec);
        if (!ec)
            setenv(name, absolute.lexically_normal().string().c_str(), 1);
    }
}

std::string dataDir()
{
    return userDir("/data", "XDG_DATA_HOME", "/.local/share/caddis");
}

std::string cacheDir()
{
    return userDir("/cache", "XDG_CACHE_HOME", "/.cache/caddis");
}

std::string assetPath(const std::string& relative)
{
    if (std::getenv("APPDIR"))
        return appRootPath("usr/share/sonaria/" + relative);
    fs::path installed = fs::path("/opt/sonaria") / relative;
    if (present(installed))
        return installed.string();
    return (fs::path(executableDir()) / "data" / relative).string();
}

std::string appRootPath(const std::string& relative)
{
    const char* appDir = std::getenv("APPDIR");
    if (!appDir) {
        std::error_code ec;
        return (fs::current_path(ec) / relative).string();
    }
    fs::path underOpt = fs::path(appDir) / "opt" / relative;
    if (present(underOpt))
        return underOpt.string();
    return (fs::path(appDir) / relative).string();
}

std::string fontPath()
{
    std::string userFont = dataDir() + "/font.ttf";
    if (present(userFont))
        return userFont;
    return assetPath("fonts/font.ttf");
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFileAtomic(const std::string& path, const std::string& content)
{
    const std::string dir = parentDir(path);
    makeDirs(dir);
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // A short write (full disk, size limit) or a failed flush must not replace a good
    // file with a cut one.
    bool ok = writeAll(fd, content) && syncDescriptor(fd, temporary);
    ok = ::close(fd) == 0 && ok;
    if (!ok || !renameFile(temporary, path)) {
        removeFile(temporary);
        return false;
    }
    syncDirectory(dir);
    return true;
}

bool syncDescriptor(int fd, const std::string& path)
{
    observe("fsync", path);
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

bool syncDirectory(const std::string& path)
{
    observe("fsync-dir", path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok;
}

std::string parentDir(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void setFileObserver(FileObserver observer)
{
    g_observer.store(observer);
}

bool makeDirs(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

bool fileExists(const std::string& path)
{
    return present(path);
}

int64_t fileSize(const std::string& path)
{
    std::error_code ec;
    uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<int64_t>(size);
}

bool removeFile(const std::string& path)
{
    std::error_code ec;
    bool removed = fs::remove(path, ec);
    return removed && !ec;
}

bool removeTree(const std::string& path)
{
    std::error_code ec;
    fs::remove_all(path, ec);
    return !ec;
}

bool renameFile(const std::string& from, const std::string& to)
{
    observe("rename", to);
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
}

bool touchFile(const std::string& path)
{
    std::error_code ec;
    fs::last_write_time(path, fs::file_time_type::clock::now(), ec);
    return !ec;
}

std::vector<FileEntry> listFiles(const std::string& directory)
{
    std::vector<FileEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec)
        return entries;
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        FileEntry entry;
        entry.path = it->path().string();
        std::error_code entryError;
        uintmax_t size = it->file_size(entryError);
        entry.size = entryError ? 0 : static_cast<int64_t>(size);
        auto modified = it->last_write_time(entryError);
        entry.modified = entryError ? 0 : static_cast<int64_t>(modified.time_since_epoch().count());
        entry.regular = it->is_regular_file(entryError);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace cad::platform
