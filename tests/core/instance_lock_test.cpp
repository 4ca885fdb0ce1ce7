#include "app/core/instance_lock.h"
#include "app/core/platform.h"

#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using cad::InstanceLock;
using testing_support::TempDir;

TEST(InstanceLock, OneHolderPerFolderAndTheNoteIsReadWithoutTheLock)
{
    TempDir dir;
    const std::string data = dir.file("data");
    InstanceLock first;
    ASSERT_EQ(first.acquire(data), InstanceLock::Acquired) << first.error;
    EXPECT_TRUE(cad::platform::fileExists(data + "/sonaria.lock"));
    EXPECT_TRUE(first.setNote("org.mpris.MediaPlayer2.sonaria"));
    EXPECT_TRUE(first.setNote("short"));
    EXPECT_EQ(InstanceLock::readNote(data), "short");

    InstanceLock second;
    EXPECT_EQ(second.acquire(data), InstanceLock::Held);
    EXPECT_FALSE(second.held());
    EXPECT_FALSE(second.setNote("mine"));
    EXPECT_EQ(InstanceLock::readNote(data), "short");

    InstanceLock elsewhere;
    EXPECT_EQ(elsewhere.acquire(dir.file("other")), InstanceLock::Acquired);

    first.release();
    ASSERT_EQ(second.acquire(data), InstanceLock::Acquired);
    EXPECT_EQ(InstanceLock::readNote(data), "") << "the last holder's note is stale";
}

// A holder that dies without letting go (a crash, a kill) never blocks the next start.
TEST(InstanceLock, ADeadHoldersLockIsFree)
{
    TempDir dir;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock held;
        const char byte = held.acquire(dir.path()) == InstanceLock::Acquired ? 'y' : 'n';
        [[maybe_unused]] const ssize_t n = write(ready[1], &byte, 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    InstanceLock lock;
    EXPECT_EQ(lock.acquire(dir.path()), InstanceLock::Held);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.acquire(dir.path()), InstanceLock::Acquired);
    close(ready[0]);
    close(ready[1]);
}

TEST(InstanceLock, AFolderThatCannotHoldTheLockIsAFailure)
{
    TempDir dir;
    ASSERT_TRUE(cad::platform::writeFileAtomic(dir.file("file"), "x"));
    InstanceLock lock;
    EXPECT_EQ(lock.acquire(dir.file("file")), InstanceLock::Failed);
    EXPECT_NE(lock.error.find("sonaria.lock"), std::string::npos) << lock.error;
}
