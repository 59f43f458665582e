// A dialog's preview without the dialog, for tests and benchmarks: the geometry, the buffers and
// the gathered source of a test image with a relief channel (channel 4).
#pragma once

#include "LM_globals.h"
#include "TestHost.h"

#include <memory>
#include <vector>

struct LM_globals_deleter {
    void operator()(LM_globals* g) const { LM_globals::Delete(g); }
};

// A relief of ridges and grain, one byte a pixel.
std::vector<std::uint8_t> relief(int w, int h);

struct PreviewFixture {
    TestHost host;
    std::unique_ptr<LM_globals, LM_globals_deleter> g{LM_globals::New()};
    Rect frame;

    PreviewFixture(int width, int height, Rect work, Rect maxFrame);
    ~PreviewFixture();

    // The rendered preview, row by row.
    std::vector<std::uint8_t> shown() const;
    std::vector<std::uint8_t> render();
    Image subsampled() const;
    std::vector<std::uint8_t> previewBlock();
};
