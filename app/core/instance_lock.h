#pragma once
// cad::InstanceLock — one running Sonaria per data folder. An flock on the folder's
// "sonaria.lock" decides it; the kernel drops the lock when its holder ends, a crash
// included, so a stale lock file never blocks the next start.
//
//   InstanceLock lock;
//   if (lock.acquire(platform::dataDir()) == InstanceLock::Held) { ask the other; exit }
//   lock.setNote(busName);    // how a later start can reach this one
//
// The note is the holder's word to later starts, read without the lock by readNote.

#include <string>

namespace cad {

class InstanceLock {
public:
    enum Result { Acquired, Held, Failed };

    InstanceLock() = default;
    ~InstanceLock(); // release()
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates `dir` when missing and locks dir/"sonaria.lock" without waiting. Held when
    // another process (or another InstanceLock) has it; Failed with `error` when the file
    // cannot be created or locked at all.
    Result acquire(const std::string& dir);
    void release();
    bool held() const { return m_fd >= 0; }

    // Replaces the lock file's text (while held).
    bool setNote(const std::string& text);
    // The text the holder left in dir/"sonaria.lock", "" when none.
    static std::string readNote(const std::string& dir);

    std::string error;

private:
    int m_fd = -1;
};

} // namespace cad
