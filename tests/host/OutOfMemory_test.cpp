// Out of memory at each allocation of a textured run through the program: it fails with status 3
// and its one line, and writes nothing, neither the output nor the last settings.
#include "CliSupport.h"

#include <algorithm>
#include <cstdio>

namespace {

class OutOfMemory : public CliTest {};

TEST_F(OutOfMemory, EachFailingAllocationWritesNothing) {
    WritePng(Path("in.png"), Gradient(70, 40, 3));
    WritePng(Path("relief.png"), Gradient(70, 40, 1));
    WriteBytes(Path("textured.block"), LightingBlock(4));
    const std::vector<std::string> before = Listing();
    const std::vector<std::string> args = {
        "apply",    Path("in.png"),         "-o",        Path("out.png"),
        "--params", Path("textured.block"), "--channel", "Relief=" + Path("relief.png"),
        "--plugin", FAILING_PLUGIN};
    const std::string outOfMemory = "(out of memory): " + Path("in.png") + "\n";
    int failed = 0;
    for (int nth = 1; nth < 100; ++nth) {
        const RunResult r = Relight(args, {"RELIGHT_TEST_FAIL_ALLOCATION=" + std::to_string(nth)});
        if (r.status == 0)
            break;
        ++failed;
        EXPECT_EQ(r.status, 3) << "allocation " << nth << ": " << r.err;
        EXPECT_EQ(r.err.rfind("relight: filter failed at ", 0), 0u) << "allocation " << nth << ": " << r.err;
        EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), outOfMemory.size())), outOfMemory)
            << "allocation " << nth;
        EXPECT_EQ(Listing(), before) << "allocation " << nth;
    }
    EXPECT_GE(failed, 2) << "the object and the height map at least";
    EXPECT_TRUE(Exists("out.png")) << "the first run past every failure point writes its output";
    std::printf("relight apply with a texture: %d failure points, each written nothing\n", failed);
}

} // namespace
