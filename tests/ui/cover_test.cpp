#include "app/net/covers.h"
#include "app/ui/app_styles.h"
#include "app/ui/widgets/cover.h"
#include "app/ui/services.h"
#include "support/media_files.h"
#include "vell/engine_fixture.h"
#include "vell/list_view.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using cad::Covers;

// Covers on a real engine: files are put where the cover cache looks, the cache is kept
// offline so nothing is fetched.
class CoverWidget : public vell_testing::EngineTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(testing_support::imageFiles().error, "");
        vell::Settings settings = vell_testing::headlessSettings();
        settings.styleOverrides = cad::appStyles();
        start(settings);
        cad::services().covers.reset();
        cad::services().covers.offline = true;
    }

    void TearDown() override
    {
        cad::services().covers.reset();
        cad::services().covers.offline = false;
        EngineTest::TearDown();
    }

    static void putOnDisk(const std::string& id)
    {
        const std::string path = Covers::path(id, 300);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::copy_file(testing_support::imageFiles().small, path);
    }

    // Frames until `done` holds; the image decodes on the asset thread meanwhile.
    bool stepUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 3000 && !done(); ++i) {
            step();
            SDL_Delay(1);
        }
        return done();
    }
};

TEST_F(CoverWidget, ShowsThePlaceholderUntilTheFileIsOnDiskThenThePictureAlone)
{
    auto cover = cad::coverImage("al-1", 300, 120);
    showView(cover);
    step(5);
    EXPECT_FALSE(cover->requested());
    EXPECT_FALSE(cover->image->visible);
    EXPECT_GT(cover->backgroundColor().a, 250);
    EXPECT_EQ(cover->image->resolved.radius.value, 14); // copied from the cover's class
    EXPECT_NEAR(cover->placeholder->lastSize.h, 0.42f * 120, 20);

    putOnDisk("al-1");
    ASSERT_TRUE(stepUntil([&] { return cover->revealed(); }));
    EXPECT_EQ(cover->image->path(), Covers::path("al-1", 300));
    EXPECT_TRUE(cover->image->visible);
    step(60);
    EXPECT_LT(cover->backgroundColor().a, 1);

    cover->style().radius = 24;
    step();
    EXPECT_EQ(cover->image->resolved.radius.value, 24);
}

TEST_F(CoverWidget, ANewIdDropsTheOldPictureAtOnceAndShowsTheNewOne)
{
    putOnDisk("al-1");
    putOnDisk("al-2");
    auto cover = cad::coverImage("al-1", 300, 120);
    showView(cover);
    ASSERT_TRUE(stepUntil([&] { return cover->revealed(); }));
    const std::shared_ptr<vell::ImageAsset> old = cover->image->asset();

    cover->setCoverId("al-2");
    EXPECT_FALSE(cover->revealed());
    EXPECT_EQ(cover->image->path(), "");
    EXPECT_EQ(cover->image->asset(), nullptr);
    EXPECT_FALSE(cover->image->visible);
    step();
    EXPECT_GT(cover->backgroundColor().a, 250) << "the placeholder is back in the first frame";

    ASSERT_TRUE(stepUntil([&] { return cover->revealed(); }));
    EXPECT_EQ(cover->image->path(), Covers::path("al-2", 300));
    EXPECT_NE(cover->image->asset(), old);

    cover->setCoverId("");
    step(5);
    EXPECT_FALSE(cover->requested());
    EXPECT_FALSE(cover->image->visible);
}

TEST_F(CoverWidget, OnlyAPictureThatArrivesWhileThePlaceholderShowsFadesIn)
{
    // Covers in a list taller than the screen: the rows past its bottom are built ahead.
    auto list = vell::listView([](int32_t i) { return cad::coverImage("al-" + std::to_string(i), 300, 120); }, 40, 130);
    showView(list);
    step(3);
    auto coverAt = [&](int32_t row) { return std::static_pointer_cast<cad::Cover>(list->rows.at(row)); };
    const int32_t ahead = list->rows.rbegin()->first;
    ASSERT_TRUE(coverAt(0)->seen());
    ASSERT_FALSE(coverAt(ahead)->seen()) << "row " << ahead << " lies below the screen";

    putOnDisk("al-0");
    putOnDisk("al-" + std::to_string(ahead));
    ASSERT_TRUE(stepUntil([&] { return coverAt(0)->revealed(); }));
    EXPECT_LT(coverAt(0)->image->fade.value, 0.5f) << "arrived over the placeholder: fades in";
    ASSERT_TRUE(stepUntil([&] { return coverAt(ahead)->revealed(); }));
    EXPECT_EQ(coverAt(ahead)->image->fade.value, 1.0f) << "ready before it was on screen: shown at once";
    EXPECT_FALSE(coverAt(ahead)->seen());
}

} // namespace
