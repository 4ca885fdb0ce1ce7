#include "app/player/download_toasts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Finish {
    std::string title;
    bool ok = true;
    std::string error;
    int pendingAfter = 0; // downloads still waiting or running once this one ended
};

std::vector<Finish> successes(int count)
{
    std::vector<Finish> batch;
    for (int i = 0; i < count; ++i)
        batch.push_back({ "Song " + std::to_string(i), true, "", count - 1 - i });
    return batch;
}

TEST(DownloadToasts, ABatchIsAnnouncedOnceAndFailuresAtOnce)
{
    struct Case {
        const char* name;
        std::vector<Finish> finishes;
        std::vector<std::string> toasts; // "title|detail|icon|seconds"
    };
    const Case cases[] = {
        { "one success", { { "Dawn", true, "", 0 } }, { "Download complete|Dawn|e86c|3.5" } },
        { "ten successes", successes(10), { "Downloads complete|10 songs saved offline|e86c|3.5" } },
        { "a failure last does not inflate the next batch",
            { { "A", true, "", 2 }, { "B", true, "", 1 }, { "C", false, "HTTP 500", 0 }, { "D", true, "", 0 } },
            { "Download failed|C: HTTP 500|e000|5.0", "Downloads complete|2 songs saved offline|e86c|3.5",
                "Download complete|D|e86c|3.5" } },
        { "a batch of one names the song that succeeded",
            { { "A", true, "", 1 }, { "B", false, "cannot write file", 0 } },
            { "Download failed|B: cannot write file|e000|5.0", "Download complete|A|e86c|3.5" } },
        { "cancels are silent", { { "A", false, "cancelled", 1 }, { "B", false, "cancelled", 0 } }, {} },
        { "a cancel can close a batch", { { "A", true, "", 1 }, { "B", false, "cancelled", 0 } },
            { "Download complete|A|e86c|3.5" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int pending = 0;
        std::vector<std::string> shown;
        cad::DownloadToasts toasts([&] { return pending; },
            [&](const std::string& title, const std::string& detail, unsigned icon, float seconds) {
                char tail[32];
                std::snprintf(tail, sizeof tail, "|%x|%.1f", icon, seconds);
                shown.push_back(title + "|" + detail + tail);
            });
        for (const Finish& finish : c.finishes) {
            pending = finish.pendingAfter;
            cad::Song song;
            song.title = finish.title;
            toasts(song, finish.ok, finish.error);
        }
        EXPECT_EQ(shown, c.toasts);
        EXPECT_EQ(toasts.successes(), 0);
    }
}

} // namespace
