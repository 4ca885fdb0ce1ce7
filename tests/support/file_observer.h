#pragma once
// Records the flushes and renames the file helpers make (platform::setFileObserver), in
// order, from any thread, for as long as it lives.
#include "app/core/platform.h"

#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

class FileOperations {
public:
    FileOperations()
    {
        {
            std::lock_guard<std::mutex> lock(mutex());
            log().clear();
        }
        cad::platform::setFileObserver(&record);
    }
    ~FileOperations() { cad::platform::setFileObserver(nullptr); }
    FileOperations(const FileOperations&) = delete;
    FileOperations& operator=(const FileOperations&) = delete;

    // "operation path" lines in the order they happened.
    std::vector<std::string> lines() const
    {
        std::lock_guard<std::mutex> lock(mutex());
        return log();
    }

private:
    static void record(const char* operation, const std::string& path)
    {
        std::lock_guard<std::mutex> lock(mutex());
        log().push_back(std::string(operation) + " " + path);
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::vector<std::string>& log()
    {
        static std::vector<std::string> lines;
        return lines;
    }
};

} // namespace testing_support
