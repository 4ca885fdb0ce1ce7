#include "app/core/instance_lock.h"

#include "app/core/platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cad {

namespace {

std::string lockPath(const std::string& dir)
{
    return dir + "/sonaria.lock";
}

} // namespace

InstanceLock::~InstanceLock()
{
    release();
}

InstanceLock::Result InstanceLock::acquire(const std::string& dir)
{
    if (m_fd >= 0)
        return Acquired;
    platform::makeDirs(dir);
    const std::string path = lockPath(dir);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return Failed;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int cause = errno;
        ::close(fd);
        if (cause == EWOULDBLOCK)
            return Held;
        error = "cannot lock " + path + ": " + std::strerror(cause);
        return Failed;
    }
    m_fd = fd;
    // A crashed holder's note is stale.
    setNote({});
    return Acquired;
}

void InstanceLock::release()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
}

bool InstanceLock::setNote(const std::string& text)
{
    if (m_fd < 0 || ::ftruncate(m_fd, 0) != 0)
        return false;
    return ::pwrite(m_fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

std::string InstanceLock::readNote(const std::string& dir)
{
    return platform::readFile(lockPath(dir));
}

} // namespace cad
