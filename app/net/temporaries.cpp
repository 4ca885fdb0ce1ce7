#include "app/net/temporaries.h"

#include <filesystem>
#include <system_error>

namespace cad {

namespace fs = std::filesystem;

void removeTemporaries(const std::string& dir, const std::string& suffix)
{
    std::error_code error;
    fs::directory_iterator it(dir, error);
    if (error)
        return;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            return;
        const bool temporary = it->path().filename().string().ends_with(suffix);
        if (temporary && !it->is_symlink(error) && it->is_regular_file(error)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

} // namespace cad
