#include "app/player/stream_cache_trim.h"

#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A sparse file of `size` bytes whose last write lies `ageSeconds` in the past.
void makeFile(const fs::path& path, uintmax_t size, int ageSeconds)
{
    std::ofstream(path).put('x');
    fs::resize_file(path, size);
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
}

TEST(StreamCacheTrim, LimitIsInclusiveAndTheOldestGoesFirst)
{
    testing_support::TempDir dir;
    const fs::path root = dir.path();
    const uintmax_t quarter = cad::kStreamCacheLimit / 4;
    makeFile(root / "newest", quarter, 10);
    makeFile(root / "oldest", quarter, 300);
    makeFile(root / "middle", quarter, 100);
    makeFile(root / "older", quarter, 200);
    fs::create_directory(root / "subdir"); // not a file: never counted or removed

    EXPECT_EQ(cad::trimStreamCache(dir.path()), 0); // exactly 838,860,800 bytes
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 5);

    fs::resize_file(root / "newest", quarter + 1); // one byte over
    EXPECT_EQ(cad::trimStreamCache(dir.path()), 1);
    EXPECT_FALSE(fs::exists(root / "oldest"));
    EXPECT_TRUE(fs::exists(root / "older"));
    EXPECT_TRUE(fs::exists(root / "subdir"));
}

TEST(StreamCacheTrim, RemovesOldestUntilItFitsAndIgnoresAMissingDirectory)
{
    testing_support::TempDir dir;
    const fs::path root = dir.path();
    makeFile(root / "a", 400, 40);
    makeFile(root / "b", 300, 30);
    makeFile(root / "c", 200, 20);
    makeFile(root / "d", 100, 10);
    EXPECT_EQ(cad::trimStreamCache(dir.path(), 350), 2); // 1000 -> 600 -> 300
    EXPECT_TRUE(fs::exists(root / "c"));
    EXPECT_TRUE(fs::exists(root / "d"));

    EXPECT_EQ(cad::trimStreamCache(dir.path() + "/missing", 0), 0);
}

// During a session the file just fetched and every temporary of a running transfer
// stay; at start-up nothing runs, so leftovers go like any other file.
TEST(StreamCacheTrim, AfterAFetchKeepsTheNewFileAndTemporaries)
{
    testing_support::TempDir dir;
    const fs::path root = dir.path();
    makeFile(root / "fetched", 400, 50);
    makeFile(root / "a_0.mp3.3.fetch.part", 300, 40);
    makeFile(root / "a_0.mp3.4.fetch", 200, 30);
    makeFile(root / "older", 100, 20);
    makeFile(root / "newer", 100, 10);
    EXPECT_EQ(cad::trimStreamCache(dir.path(), 950, (root / "fetched").string()), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 3);
    EXPECT_EQ(cad::trimStreamCache(dir.path(), 0), 3);
}

} // namespace
