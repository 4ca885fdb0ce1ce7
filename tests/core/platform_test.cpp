#include "app/core/platform.h"

#include "support/file_observer.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform = cad::platform;
using testing_support::TempDir;
using testing_support::TempHome;

namespace {

// Sets environment variables for one test and puts the old values back afterwards.
class EnvScope {
public:
    ~EnvScope()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

    void set(const std::string& name, const char* value)
    {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

void writePlain(const std::string& path, const std::string& content)
{
    ASSERT_TRUE(platform::writeFileAtomic(path, content));
}

} // namespace

TEST(Platform, EnvironmentChoosesDataAndCacheDirectories)
{
    struct Case {
        const char* caddisHome;
        const char* xdgData;
        const char* xdgCache;
        const char* home;
        const char* data;
        const char* cache;
    };
    const Case cases[] = {
        { "/x", "/xd", "/xc", "/h", "/x/data", "/x/cache" },
        { "", "/xd", "/xc", "/h", "/xd/caddis", "/xc/caddis" },
        { nullptr, "", "", "/h", "/h/.local/share/caddis", "/h/.cache/caddis" },
        { nullptr, "/xd", nullptr, "/h", "/xd/caddis", "/h/.cache/caddis" },
        { nullptr, nullptr, "/xc", "/h", "/h/.local/share/caddis", "/xc/caddis" },
        { nullptr, nullptr, nullptr, nullptr, "./.local/share/caddis", "./.cache/caddis" },
        { nullptr, nullptr, nullptr, "", "/.local/share/caddis", "/.cache/caddis" },
    };
    for (const Case& c : cases) {
        EnvScope env;
        env.set("CADDIS_HOME", c.caddisHome);
        env.set("XDG_DATA_HOME", c.xdgData);
        env.set("XDG_CACHE_HOME", c.xdgCache);
        env.set("HOME", c.home);
        EXPECT_EQ(platform::dataDir(), c.data) << (c.caddisHome ? c.caddisHome : "(unset)");
        EXPECT_EQ(platform::cacheDir(), c.cache) << (c.caddisHome ? c.caddisHome : "(unset)");
    }
}

// offline.json keeps absolute paths: a relative data directory would make them
// depend on the working directory of each run.
TEST(Platform, PinningMakesTheDirectoriesAbsolute)
{
    const std::string cwd = std::filesystem::current_path().string();
    struct Case {
        const char* caddisHome;
        const char* home;
        std::string data;
    };
    const Case cases[] = {
        { "rel/x", "/h", cwd + "/rel/x/data" },
        { nullptr, nullptr, cwd + "/.local/share/caddis" },
        { nullptr, "h", cwd + "/h/.local/share/caddis" },
        { "/abs", "/h", "/abs/data" },
    };
    for (const Case& c : cases) {
        EnvScope env;
        env.set("CADDIS_HOME", c.caddisHome);
        env.set("XDG_DATA_HOME", nullptr);
        env.set("XDG_CACHE_HOME", nullptr);
        env.set("HOME", c.home);
        platform::pinDirectories();
        EXPECT_EQ(platform::dataDir(), c.data);
    }
}

TEST(Platform, PackagedAssetsComeFromAppDir)
{
    TempDir image;
    EnvScope env;
    env.set("APPDIR", image.path().c_str());
    EXPECT_EQ(platform::assetPath("logo.png"), image.path() + "/usr/share/sonaria/logo.png");
    EXPECT_EQ(platform::appRootPath("lib"), image.path() + "/lib");

    ASSERT_TRUE(platform::makeDirs(image.path() + "/opt/usr/share/sonaria"));
    writePlain(image.path() + "/opt/usr/share/sonaria/logo.png", "png");
    EXPECT_EQ(platform::assetPath("logo.png"), image.path() + "/opt/usr/share/sonaria/logo.png");
}

TEST(Platform, AssetsBesideTheExecutableWithoutAppDir)
{
    if (platform::fileExists("/opt/sonaria/logo.png"))
        GTEST_SKIP() << "an installed copy takes precedence";
    EnvScope env;
    env.set("APPDIR", nullptr);
    auto executableDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(platform::assetPath("fonts/font.ttf"), (executableDir / "data/fonts/font.ttf").string());
    EXPECT_EQ(platform::appRootPath("x"), (std::filesystem::current_path() / "x").string());
}

TEST(Platform, UserFontReplacesTheShippedFont)
{
    TempHome home;
    EXPECT_NE(platform::fontPath(), home.dataDir() + "/font.ttf");
    writePlain(home.dataDir() + "/font.ttf", "font");
    EXPECT_EQ(platform::fontPath(), home.dataDir() + "/font.ttf");
}

TEST(Platform, AtomicWriteCreatesDirectoriesAndReplacesContent)
{
    TempDir dir;
    std::string path = dir.path() + "/a/b/state.json";
    writePlain(path, std::string("first\0line\r\n", 12));
    EXPECT_EQ(platform::readFile(path), std::string("first\0line\r\n", 12));
    writePlain(path, "second");
    EXPECT_EQ(platform::readFile(path), "second");
    EXPECT_FALSE(platform::fileExists(path + ".tmp"));
}

TEST(Platform, AtomicWriteThatCannotOpenKeepsTheOldFile)
{
    TempDir dir;
    std::string path = dir.file("config.json");
    writePlain(path, "old");
    ASSERT_TRUE(platform::makeDirs(path + ".tmp"));
    EXPECT_FALSE(platform::writeFileAtomic(path, "new"));
    EXPECT_EQ(platform::readFile(path), "old");
}

// A write that really fails half-way (file size limit) must leave the old file whole
// and no temporary file behind.
TEST(Platform, AtomicWriteCutShortKeepsTheOldFile)
{
    TempDir dir;
    std::string path = dir.file("queue.json");
    std::string old(3000, 'o');
    writePlain(path, old);

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{ 1024, 1024 };
        setrlimit(RLIMIT_FSIZE, &limit);
        bool written = platform::writeFileAtomic(path, std::string(200000, 'n'));
        _exit(written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut write was reported as success";
    EXPECT_EQ(platform::readFile(path), old);
    EXPECT_FALSE(platform::fileExists(path + ".tmp"));
}

// A power loss must find either the old or the new content: the temporary reaches the
// disk before it replaces the file, and the folder's new entry after.
TEST(Platform, AtomicWriteFlushesBeforeTheRenameAndTheFolderAfter)
{
    TempDir dir;
    const std::string path = dir.file("offline.json");
    writePlain(path, "old");
    std::vector<std::string> lines;
    {
        testing_support::FileOperations operations;
        ASSERT_TRUE(platform::writeFileAtomic(path, "new"));
        lines = operations.lines();
    }
    const std::vector<std::string> expected { "fsync " + path + ".tmp", "rename " + path, "fsync-dir " + dir.path() };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(platform::readFile(path), "new");
    EXPECT_EQ(platform::parentDir("name"), ".");
    EXPECT_EQ(platform::parentDir("/top"), "/");
}

TEST(Platform, FileHelpersReportFailureByValue)
{
    TempDir dir;
    std::string file = dir.file("f.bin");
    EXPECT_EQ(platform::readFile(file), "");
    EXPECT_EQ(platform::fileSize(file), 0);
    EXPECT_FALSE(platform::removeFile(file));
    EXPECT_FALSE(platform::touchFile(file));
    EXPECT_FALSE(platform::renameFile(file, dir.file("g.bin")));

    writePlain(file, "12345");
    EXPECT_TRUE(platform::fileExists(file));
    EXPECT_EQ(platform::fileSize(file), 5);
    EXPECT_EQ(platform::fileSize(dir.path()), 0);
    EXPECT_TRUE(platform::renameFile(file, dir.file("g.bin")));
    EXPECT_FALSE(platform::fileExists(file));
    EXPECT_TRUE(platform::removeFile(dir.file("g.bin")));

    std::string tree = dir.file("t");
    ASSERT_TRUE(platform::makeDirs(tree + "/x/y"));
    EXPECT_TRUE(platform::makeDirs(tree + "/x"));
    writePlain(tree + "/x/y/z", "z");
    EXPECT_FALSE(platform::removeFile(tree));
    EXPECT_TRUE(platform::removeTree(tree));
    EXPECT_FALSE(platform::fileExists(tree));
    EXPECT_FALSE(platform::makeDirs(""));
}

TEST(Platform, ListsOneLevelWithSizes)
{
    TempDir dir;
    writePlain(dir.file("a.mp3"), "abc");
    ASSERT_TRUE(platform::makeDirs(dir.file("sub")));
    writePlain(dir.file("sub/inner"), "ignored");

    auto entries = platform::listFiles(dir.path());
    ASSERT_EQ(entries.size(), 2u);
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.path < b.path; });
    EXPECT_EQ(entries[0].path, dir.file("a.mp3"));
    EXPECT_EQ(entries[0].size, 3);
    EXPECT_TRUE(entries[0].regular);
    EXPECT_NE(entries[0].modified, 0);
    EXPECT_EQ(entries[1].path, dir.file("sub"));
    EXPECT_EQ(entries[1].size, 0);
    EXPECT_FALSE(entries[1].regular);

    EXPECT_TRUE(platform::listFiles(dir.file("missing")).empty());
    EXPECT_TRUE(platform::listFiles(dir.file("a.mp3")).empty());
}
