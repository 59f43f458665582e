// Developer tool: turns a style file into the parameter block a dialog with a 360 x 360 work area
// and preview frame would accept for an image of the given size. Used to make the demo's block and
// to look at styles before the dialog exists.
//
//   relight-style-block STYLE WIDTH HEIGHT OUT.block [CHANNEL AMPLITUDE]
// The optional pair sets a texture channel and height, for styles made without one.
#include "LM_dispatch.h"
#include "LM_globals.h"
#include "LM_mac_UI.h"
#include "LM_preview.h"
#include "LM_stream.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 5 && argc != 7) {
        std::fprintf(stderr, "usage: relight-style-block STYLE WIDTH HEIGHT OUT.block [CHANNEL AMPLITUDE]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<unsigned char> style{std::istreambuf_iterator<char>(in), {}};
    LM_globals* g = LM_globals::New();
    FilterRecord record{};
    record.filterArea = {0, 0, LM_sint16(std::atoi(argv[3])), LM_sint16(std::atoi(argv[2]))};
    Rect frame = {0, 0, 360, 360};
    const Rect work = {0, 0, 360, 360};
    LM_memory_istream stream(style.data(), style.size());
    if (LM_SetUpPreview(&record, g, work, frame) != 0 || !stream.Open() || !g->Read(stream)) {
        std::fprintf(stderr, "relight-style-block: cannot read %s\n", argv[1]);
        return 2;
    }
    if (argc == 7) {
        g->SetBumpChannel(LM_sint16(std::atoi(argv[5])));
        g->SetBumpAmplitude(LM_sint16(std::atoi(argv[6])));
    }
    std::vector<unsigned char> block(sizeof(foo));
    LM_InitParameterBlock(reinterpret_cast<foo*>(block.data()));
    g->ConvertToParameters(reinterpret_cast<foo*>(block.data()), false);
    std::ofstream(argv[4], std::ios::binary)
        .write(reinterpret_cast<const char*>(block.data()), long(block.size()));
    LM_DoFinish(g, LM_MacDialog());
    LM_globals::Delete(g);
    return 0;
}
