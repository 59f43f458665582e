#include "LM_test_support.h"
#include "LM_tiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct TilesTest : ::testing::Test {
    LM_GlobalsPtr globals = MakeGlobals();
    FilterRecord record{};
    foo block{};
    foo* blockPtr = &block;

    TilesTest() { record.parameterHandle = reinterpret_cast<Handle>(&blockPtr); }

    void setArea(int left, int top, int width, int height) {
        record.filterArea = {std::int16_t(top), std::int16_t(left), std::int16_t(top + height),
                             std::int16_t(left + width)};
    }

    // Every tile of a real walk, as (left, top, width, height).
    std::vector<std::vector<int>> realWalk() {
        std::vector<std::vector<int>> tiles;
        LM_SetFirstRealTileRects(&record, globals.get());
        for (const Rect* r = &record.requestRect; r->right > r->left && r->bottom > r->top;
             LM_SetNextRealTileRects(&record, globals.get())) {
            EXPECT_EQ(std::memcmp(&record.writeRect, r, sizeof(Rect)), 0);
            tiles.push_back({r->left, r->top, r->right - r->left, r->bottom - r->top});
        }
        EXPECT_EQ(record.writeRect.right - record.writeRect.left, 0);
        return tiles;
    }
};

bool isEmpty(const Rect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

TEST_F(TilesTest, RealTilesRunLeftToRightThenDown) {
    setArea(10, 20, 100, 150);
    const std::vector<std::vector<int>> expected = {{10, 20, 64, 64}, {74, 20, 36, 64},  {10, 84, 64, 64},
                                                    {74, 84, 36, 64}, {10, 148, 64, 22}, {74, 148, 36, 22}};
    EXPECT_EQ(realWalk(), expected);
    LM_SetFirstRealTileRects(&record, globals.get());
    EXPECT_EQ(globals->progressTotal, 6);
    EXPECT_EQ(globals->progressDone, 0);
    EXPECT_TRUE(isEmpty(record.maskRequestRect));
}

TEST_F(TilesTest, TileCountsMatchTheWalk) {
    struct Case {
        int w, h, tiles;
    };
    for (const Case c :
         {Case{128, 128, 4}, Case{1, 1, 1}, Case{64, 65, 2}, Case{129, 1, 3}, Case{0, 10, 0}}) {
        setArea(0, 0, c.w, c.h);
        EXPECT_EQ(LM_NumTilesNeeded(&record), c.tiles) << c.w << "x" << c.h;
        EXPECT_EQ(realWalk().size(), std::size_t(c.tiles)) << c.w << "x" << c.h;
    }
}

TEST_F(TilesTest, PreviewTilesAreWholeSteps) {
    setArea(0, 0, 500, 300);
    struct Case {
        int step, size;
    };
    // Steps above 64 use one step a tile so the walk always advances.
    for (const Case c :
         {Case{1, 64}, Case{3, 63}, Case{5, 60}, Case{7, 63}, Case{64, 64}, Case{65, 65}, Case{200, 200}}) {
        globals->previewStep = std::int16_t(c.step);
        globals->previewGathered = 0;
        LM_SetFirstPreviewTileRects(&record, globals.get());
        EXPECT_EQ(globals->tileSize, c.size) << "step " << c.step;
        int tiles = 1;
        while (!globals->previewGathered && tiles < 10000) {
            LM_SetNextPreviewTileRects(&record, globals.get());
            tiles += globals->previewGathered ? 0 : 1;
        }
        EXPECT_EQ(tiles, ((500 + c.size - 1) / c.size) * ((300 + c.size - 1) / c.size)) << "step " << c.step;
        EXPECT_TRUE(isEmpty(record.requestRect));
    }
}

TEST_F(TilesTest, PreviewTileAsksForOneWriteRowAndTheMask) {
    setArea(5, 5, 100, 100);
    record.inputDelivery = 7;
    globals->previewStep = 2;
    LM_SetFirstPreviewTileRects(&record, globals.get());
    const Rect r = record.requestRect;
    EXPECT_EQ(r.right - r.left, 64);
    EXPECT_EQ(record.writeRect.top, r.top);
    EXPECT_EQ(record.writeRect.bottom, r.top + 1);
    EXPECT_EQ(record.writeRect.left, r.left);
    EXPECT_EQ(record.writeRect.right, r.right);
    EXPECT_EQ(std::memcmp(&record.maskRequestRect, &r, sizeof r), 0);
    EXPECT_EQ(record.maskDelivery, 7);
    // After the last tile the write and mask rectangles stay as they were.
    while (!globals->previewGathered)
        LM_SetNextPreviewTileRects(&record, globals.get());
    EXPECT_FALSE(isEmpty(record.writeRect));
}

TEST_F(TilesTest, TextureSwitchGrowsTheTileAndComesBackExactly) {
    setArea(0, 0, 100, 150);
    block.textureChannel = 5;
    LM_SetFirstRealTileRects(&record, globals.get());
    LM_SetNextRealTileRects(&record, globals.get());
    const Rect tile = record.requestRect;
    LM_RealToBumpRects(&record, globals.get());
    EXPECT_EQ(record.requestRect.top, tile.top - 3);
    EXPECT_EQ(record.requestRect.left, tile.left - 3);
    EXPECT_EQ(record.requestRect.bottom, tile.bottom + 3);
    EXPECT_EQ(record.requestRect.right, tile.right + 3);
    EXPECT_TRUE(isEmpty(record.writeRect));
    EXPECT_EQ(record.writeRect.top, tile.top);
    EXPECT_EQ(record.writeRect.left, tile.left);
    EXPECT_EQ(record.requestFirstPlane, 4);
    EXPECT_EQ(record.requestLastPlane, 4);
    EXPECT_EQ(record.planeSourceCode, -1);
    EXPECT_EQ(record.absolutePlanesWanted, 1);
    LM_BumpToRealRects(&record, globals.get());
    EXPECT_EQ(std::memcmp(&record.requestRect, &tile, sizeof tile), 0);
    EXPECT_EQ(std::memcmp(&record.writeRect, &tile, sizeof tile), 0);
    EXPECT_EQ(record.requestFirstPlane, 0);
    EXPECT_EQ(record.requestLastPlane, 2);
    EXPECT_EQ(record.writeFirstPlane, 0);
    EXPECT_EQ(record.writeLastPlane, 2);
    EXPECT_EQ(record.planeSourceCode, -2);
    EXPECT_EQ(record.absolutePlanesWanted, 0);

    // Past the last tile no texture block is asked for.
    setArea(0, 0, 10, 10);
    LM_SetFirstRealTileRects(&record, globals.get());
    LM_SetNextRealTileRects(&record, globals.get());
    LM_RealToBumpRects(&record, globals.get());
    EXPECT_TRUE(isEmpty(record.requestRect));
    EXPECT_TRUE(isEmpty(record.writeRect));
}

TEST_F(TilesTest, PreviewTextureMarginIsThreeSteps) {
    setArea(0, 0, 300, 300);
    globals->previewStep = 4;
    globals->SetBumpChannel(2);
    LM_SetFirstPreviewTileRects(&record, globals.get());
    const Rect tile = record.requestRect;
    LM_PreviewToBumpRects(&record, globals.get());
    EXPECT_EQ(record.requestRect.left, tile.left - 12);
    EXPECT_EQ(record.requestRect.bottom, tile.bottom + 12);
    EXPECT_EQ(record.requestFirstPlane, 1);
    LM_BumpToPreviewRects(&record, globals.get());
    EXPECT_EQ(std::memcmp(&record.requestRect, &tile, sizeof tile), 0);
    EXPECT_EQ(std::memcmp(&record.writeRect, &tile, sizeof tile), 0);
}

TEST_F(TilesTest, RectanglesStayInsideSixteenBits) {
    const Rect grown = LM_GrowRect({32766, -32767, 32767, 32767}, 3);
    EXPECT_EQ(grown.top, 32763);
    EXPECT_EQ(grown.left, -32768);
    EXPECT_EQ(grown.bottom, 32767);
    EXPECT_EQ(grown.right, 32767);
}

} // namespace
