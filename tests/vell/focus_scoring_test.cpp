#include <gtest/gtest.h>

#include "vell/focus_scoring.h"
#include "vell/pad_button.h"

using namespace vell;

namespace {

// A 3 x 2 grid of 100 x 100 tiles with 10 px gaps, in tree (reading) order.
std::vector<Rect> grid() {
    std::vector<Rect> tiles;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            tiles.push_back({col * 110.0f, row * 110.0f, 100, 100});
    return tiles;
}

} // namespace

TEST(FocusScoringTest, GridMovesStayInRowsAndColumns) {
    auto tiles = grid();
    EXPECT_EQ(pickDirectional(tiles[0], tiles, Right), 1);
    EXPECT_EQ(pickDirectional(tiles[1], tiles, Down), 4);
    EXPECT_EQ(pickDirectional(tiles[4], tiles, Up), 1);
    EXPECT_EQ(pickDirectional(tiles[4], tiles, Left), 3);
    // The last tile of a row has nothing to its right: the next row starts left.
    EXPECT_EQ(pickDirectional(tiles[2], tiles, Right), -1);
    EXPECT_EQ(pickDirectional(tiles[3], tiles, Down), -1);
    EXPECT_EQ(pickDirectional(tiles[0], tiles, Up), -1);
}

TEST(FocusScoringTest, EqualScoresGoToTheEarlierCandidate) {
    Rect focus{100, 100, 50, 50};
    std::vector<Rect> candidates = {{200, 40, 50, 50}, {200, 160, 50, 50}};
    EXPECT_EQ(pickDirectional(focus, candidates, Right), 0);
    std::swap(candidates[0], candidates[1]);
    EXPECT_EQ(pickDirectional(focus, candidates, Right), 0);
}

TEST(FocusScoringTest, OverlapOnTheCrossAxisOutweighsDistance) {
    Rect focus{0, 0, 100, 40};
    // Nearer, but below the focus with no vertical overlap: the cross distance counts 3x.
    Rect near{102, 41, 100, 40};
    // Slightly further, overlapping by 2 px: the cross distance counts 1.2x.
    Rect overlapping{110, 38, 100, 40};
    EXPECT_NEAR(directionalScore(focus, near, Right), 0.35 * 102 + 2 + 3 * 41, 1e-4);
    EXPECT_NEAR(directionalScore(focus, overlapping, Right), 0.35 * 110 + 10 + 1.2 * 38, 1e-4);
    EXPECT_EQ(pickDirectional(focus, {near, overlapping}, Right), 1);
    // The same rule on the other axis.
    Rect tall{0, 0, 40, 100};
    EXPECT_EQ(pickDirectional(tall, {{41, 102, 40, 100}, {38, 110, 40, 100}}, Down), 1);
}

TEST(FocusScoringTest, CandidatesMustLieBeyondTheFocusEdge) {
    Rect focus{0, 0, 100, 100};
    // Centre further right but the right edge does not pass the focus's.
    EXPECT_LT(directionalScore(focus, {60, 0, 40, 40}, Right), 0);
    // Centre only 1 px further: not a move.
    EXPECT_LT(directionalScore(focus, {1, 200, 100, 100}, Right), 0);
    EXPECT_GE(directionalScore(focus, {1, 200, 100, 100}, Down), 0);
}

TEST(FocusScoringTest, FirstIsTopLeftWithOnePixelRows) {
    EXPECT_EQ(pickFirst({}), -1);
    std::vector<Rect> candidates = {{300, 10, 10, 10}, {50, 11, 10, 10}, {0, 40, 10, 10}};
    EXPECT_EQ(pickFirst(candidates), 1) << "10 and 11 are one row";
    candidates.push_back({200, 8.5f, 10, 10});
    EXPECT_EQ(pickFirst(candidates), 3) << "8.5 starts a row above";
}
