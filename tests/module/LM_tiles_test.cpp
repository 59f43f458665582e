#include "LM_test_support.h"
#include "LM_tiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

struct TilesTest : ::testing::Test {
    LM_GlobalsPtr globals = MakeGlobals();
    FilterRecord record{};
    foo block{};
    foo* blockPtr = &block;

    TilesTest() { record.parameterHandle = reinterpret_cast<Handle>(&blockPtr); }

    // The planes asked for and written, the source code and the absolute-planes flag.
    std::array<int, 6> planes() const {
        return {record.requestFirstPlane, record.requestLastPlane, record.writeFirstPlane,
                record.writeLastPlane,    record.planeSourceCode,  record.absolutePlanesWanted};
    }

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

std::array<int, 4> box(const Rect& r) {
    return {r.top, r.left, r.bottom, r.right};
}

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
    // Other sizes' counts are RunSequence's (its progress and continue calls); these are its edges.
    for (const auto& [width, height, tiles] : {std::tuple{129, 1, 3}, {0, 10, 0}}) {
        setArea(0, 0, width, height);
        EXPECT_EQ(LM_NumTilesNeeded(&record), tiles) << width << "x" << height;
        EXPECT_EQ(int(realWalk().size()), tiles) << width << "x" << height;
    }
}

TEST_F(TilesTest, PreviewTilesAreWholeSteps) {
    setArea(0, 0, 500, 300);
    // Steps above 64 use one step a tile so the walk always advances.
    for (const auto& [step, size] :
         {std::pair{1, 64}, {3, 63}, {5, 60}, {7, 63}, {64, 64}, {65, 65}, {200, 200}}) {
        globals->previewStep = std::int16_t(step);
        globals->previewGathered = 0;
        LM_SetFirstPreviewTileRects(&record, globals.get());
        EXPECT_EQ(globals->tileSize, size) << "step " << step;
        int tiles = 1;
        while (!globals->previewGathered && tiles < 10000) {
            LM_SetNextPreviewTileRects(&record, globals.get());
            tiles += globals->previewGathered ? 0 : 1;
        }
        EXPECT_EQ(tiles, ((500 + size - 1) / size) * ((300 + size - 1) / size)) << "step " << step;
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
    EXPECT_EQ(box(record.writeRect), box({r.top, r.left, std::int16_t(r.top + 1), r.right}));
    EXPECT_EQ(box(record.maskRequestRect), box(r));
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
    // The texture: the tile and 3 pixels round it, absolute plane 4, nothing written.
    EXPECT_EQ(box(record.requestRect), box(LM_GrowRect(tile, 3)));
    EXPECT_EQ(box(record.writeRect), box({tile.top, tile.left, tile.top, tile.left}));
    EXPECT_EQ(planes(), (std::array{4, 4, 0, 0, -1, 1}));
    LM_BumpToRealRects(&record, globals.get());
    EXPECT_EQ(box(record.requestRect), box(tile));
    EXPECT_EQ(box(record.writeRect), box(tile));
    EXPECT_EQ(planes(), (std::array{0, 2, 0, 2, -2, 0}));

    // Past the last tile no texture block is asked for.
    setArea(0, 0, 10, 10);
    LM_SetFirstRealTileRects(&record, globals.get());
    LM_SetNextRealTileRects(&record, globals.get());
    LM_RealToBumpRects(&record, globals.get());
    EXPECT_TRUE(isEmpty(record.requestRect));
    EXPECT_TRUE(isEmpty(record.writeRect));
    // A preview's margin is three preview steps, in the first plane of the texture.
    setArea(0, 0, 300, 300);
    globals->previewStep = 4;
    globals->SetBumpChannel(2);
    LM_SetFirstPreviewTileRects(&record, globals.get());
    const Rect preview = record.requestRect;
    LM_PreviewToBumpRects(&record, globals.get());
    EXPECT_EQ(box(record.requestRect), box(LM_GrowRect(preview, 12)));
    EXPECT_EQ(record.requestFirstPlane, 1);
    LM_BumpToPreviewRects(&record, globals.get());
    EXPECT_EQ(box(record.requestRect), box(preview));
    EXPECT_EQ(box(record.writeRect), box(preview));
    // Growing stays inside sixteen bits.
    EXPECT_EQ(box(LM_GrowRect({32766, -32767, 32767, 32767}, 3)), (std::array{32763, -32768, 32767, 32767}));
}

} // namespace
