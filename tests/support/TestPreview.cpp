#include "TestPreview.h"

#include "LM_dispatch.h"
#include "LM_mac_UI.h"
#include "LM_preview.h"
#include "LM_tiles.h"

#include <cstring>
#include <stdexcept>

std::vector<std::uint8_t> relief(int w, int h) {
    std::vector<std::uint8_t> plane(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            plane[std::size_t(y) * w + x] = std::uint8_t((x / 9 + y / 6) % 3 * 100 + (x ^ y) % 17);
    return plane;
}

PreviewFixture::PreviewFixture(int width, int height, Rect work, Rect maxFrame)
    : host(MakeTestImage(width, height)), frame(maxFrame) {
    host.AddChannel(relief(width, height));
    std::vector<std::uint8_t> block(sizeof(foo));
    LM_InitParameterBlock(reinterpret_cast<foo*>(block.data()));
    host.SetParameterBlock(block.data(), block.size());
    host.MakeCurrent();
    g->filterRecord = &host.Record();
    if (LM_SetUpPreview(&host.Record(), g.get(), work, frame) != 0)
        throw std::runtime_error("no memory for the preview");
    g->Default();
    LM_SetFirstPreviewTileRects(&host.Record(), g.get());
    while (!g->previewGathered) {
        host.Deliver();
        LM_CalcTilePreview(&host.Record(), g.get());
        LM_SetNextPreviewTileRects(&host.Record(), g.get());
    }
}

PreviewFixture::~PreviewFixture() {
    LM_DoFinish(g.get(), LM_MacDialog());
}

std::vector<std::uint8_t> PreviewFixture::shown() const {
    const QXPixelMap& map = g->previewMap;
    std::vector<std::uint8_t> out;
    for (int y = 0; y < g->previewSize.y; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(map.baseAddr) +
                          (g->previewOffset.y + y) * map.rowBytes + g->previewOffset.x * 3;
        out.insert(out.end(), row, row + g->previewSize.x * 3);
    }
    return out;
}

std::vector<std::uint8_t> PreviewFixture::render() {
    if (LM_ShadePreview(g.get()) != 0)
        throw std::runtime_error("the preview failed to render");
    return shown();
}

Pixels PreviewFixture::subsampled() const {
    const int s = g->previewStep;
    Pixels image = Pixels::Rgb(g->previewSize.x, g->previewSize.y);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            std::memcpy(image.at(x, y), host.Source().at(x * s, y * s), 3);
    return image;
}
