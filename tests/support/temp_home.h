#pragma once
#include <string>

namespace testing_support {

// A fresh temporary directory, removed with everything below it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A temporary CADDIS_HOME for one test, with the SDL drivers every test uses
// (offscreen video, software renderer, dummy audio). Restores CADDIS_HOME on destruction.
class TempHome : public TempDir {
public:
    TempHome();
    ~TempHome();

    std::string dataDir() const { return path() + "/data"; }
    std::string cacheDir() const { return path() + "/cache"; }

private:
    std::string m_previous;
    bool m_hadPrevious = false;
};

// Sets the SDL environment for headless, deterministic tests.
void useHeadlessSdl();

} // namespace testing_support
