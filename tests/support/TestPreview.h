// A dialog's preview without the dialog, for tests and benchmarks: the geometry, the buffers and
// the gathered source of a test image with a relief channel (channel 4).
#pragma once

#include "LM_globals.h"
#include "LM_test_support.h"
#include "TestBlocks.h"
#include "TestHost.h"

#include <vector>

// A relief of ridges and grain, one byte a pixel.
std::vector<std::uint8_t> relief(int w, int h);

struct PreviewFixture {
    TestHost host;
    LM_GlobalsPtr g = MakeGlobals();
    Rect frame;

    PreviewFixture(int width, int height, Rect work, Rect maxFrame);
    ~PreviewFixture();

    // The rendered preview, row by row.
    std::vector<std::uint8_t> shown() const;
    std::vector<std::uint8_t> render();
    Pixels subsampled() const;
    std::vector<std::uint8_t> previewBlock() const { return BlockOf(*g, true); }
};
