#include "LM_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using B = std::vector<unsigned char>;

B Bytes(const unsigned char* p, std::size_t offset, std::size_t n) {
    return B(p + offset, p + offset + n);
}

// Three lights of every type, converted with full accuracy into a fresh block.
B GoodBlock(LM_bool preview) {
    LM_GlobalsPtr g = MakeThreeLights();
    BlockHandle block;
    g->ConvertToParameters(block.block(), preview);
    return Bytes(block.bytes(), 0, sizeof(foo));
}

} // namespace

TEST(ParameterBlock, FieldsSitAtTheirOffsetsBigEndian) {
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    g->gloss = 0x0102;
    g->material = -2;
    g->exposure = 0x0304;
    g->ambientColor = {65535, 32768, 0};
    g->SetBumpChannel(3);
    BlockHandle block;
    std::memset(*block.handle, 0xEE, sizeof(foo));
    LM_InitParameterBlock(block.block());
    g->ConvertToParameters(block.block(), false);
    const unsigned char* p = block.bytes();
    EXPECT_EQ(Bytes(p, 0, 10), (B{0x05, 0xBF, 0x44, 0xFD, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(Bytes(p, 10, 6), (B{0x01, 0x02, 0xFF, 0xFE, 0x03, 0x04}));
    EXPECT_EQ(Bytes(p, 16, 12), (B{0, 0, 0x3F, 0xFF, 0, 0, 0x20, 0, 0, 0, 0, 0})) << "16383, 8192, 0";
    EXPECT_EQ(Bytes(p, 28, 4), (B{0xEE, 0xEE, 0xEE, 0xEE})) << "not written";
    EXPECT_EQ(Bytes(p, 32, 4), (B{0x40, 0, 0, 0})) << "world width 120 / 60 = 2.0";
    EXPECT_EQ(Bytes(p, 36, 4), (B{0, 1, 0xEE, 0xEE}));
    EXPECT_EQ(Bytes(p, 40, 8), (B{0, 0, 0, 2, 0, 3, 0xF7, 0xFC})) << "spotlight, red 260092";
    EXPECT_EQ(Bytes(p, 40 + 44, 4), (B{0x3F, 0x34, 0xFD, 0xF4})) << "cutoff";
    EXPECT_EQ(Bytes(p, 40 + 48 + 4 * 1023, 4), (B{0x3F, 0x80, 0, 0})) << "last table entry 1.0";
    EXPECT_EQ(Bytes(p, 40 + 4148, 4), (B{0x3F, 0x35, 0x04, 0xF3})) << "spread base 0.70710677";
    EXPECT_EQ(Bytes(p, 40 + 4152, 16), B(16, 0)) << "no caches";
    EXPECT_EQ(Bytes(p, 40 + 4168, 4), (B{0xEE, 0xEE, 0xEE, 0xEE})) << "slot 1 untouched";
    EXPECT_EQ(Bytes(p, 66728, 8), (B{0, 3, 0xEE, 0xEE, 0, 0, 1, 0})) << "channel 3, height scale 256";
    g->SetWhiteIsHigh(false);
    g->ConvertToParameters(block.block(), false);
    EXPECT_EQ(Bytes(p, 66732, 4), (B{0xFF, 0xFF, 0xFF, 0x00})) << "-256";
}

TEST(ParameterBlock, CheckAcceptsWhatConversionWrites) {
    for (LM_bool preview : {0, 1}) {
        B bytes = GoodBlock(preview);
        const char* why = "unset";
        EXPECT_TRUE(LM_CheckParameterBlock(bytes.data(), bytes.size(), &why) && why == nullptr) << why;
        foo* b = reinterpret_cast<foo*>(bytes.data());
        // What lies past the count, or past a preview table's filled entries, is never read.
        b->lights[5].type = 99;
        b->lights[5].origin[0] = std::nanf("");
        b->lights[0].spreadTable[1023] = preview ? std::nanf("") : 1.0f;
        EXPECT_TRUE(LM_CheckParameterBlock(bytes.data(), bytes.size(), &why)) << why;
    }
    LM_GlobalsPtr g = MakeGlobals(60, 120);
    g->Default();
    g->CreateNewLight(100, 100);
    g->lights[0].majorAxis = {0, 0};
    g->lights[1].spread = -43;
    BlockHandle block;
    g->ConvertToParameters(block.block(), false);
    EXPECT_TRUE(LM_CheckParameterBlock(block.bytes(), sizeof(foo), nullptr)) << "unlit spotlights are sound";
}

TEST(ParameterBlock, CheckRefusesDamagedBlocks) {
    const B good = GoodBlock(false), preview = GoodBlock(true);
    const float nan = std::nanf("");
    const auto f = [](B& bytes) { return reinterpret_cast<foo*>(bytes.data()); };
    struct Case {
        const char* what;
        std::function<void(B&)> damage;
    } cases[] = {
        {"signature", [&](B& b) { f(b)->signature = 0x05BF44FC; }},
        {"version", [&](B& b) { f(b)->version = 2; }},
        {"light count", [&](B& b) { f(b)->lightCount = 17; }},
        {"type 3", [&](B& b) { f(b)->lights[1].type = 3; }},
        {"type -1", [&](B& b) { f(b)->lights[2].type = -1; }},
        {"spread scale", [&](B& b) { f(b)->lights[0].spreadScale = 1000.0f; }},
        {"spread base", [&](B& b) { f(b)->lights[0].spreadBase = 0.5f; }},
        {"table NaN", [&](B& b) { f(b)->lights[0].spreadTable[100] = nan; }},
        {"table infinity", [&](B& b) { f(b)->lights[0].spreadTable[1023] = INFINITY; }},
        {"last filled preview entry", [&](B& b) { b = preview, f(b)->lights[0].spreadTable[255] = nan; }},
        {"spot origin", [&](B& b) { f(b)->lights[0].origin[2] = nan; }},
        {"spot direction", [&](B& b) { f(b)->lights[0].direction[1] = nan; }},
        {"cutoff", [&](B& b) { f(b)->lights[0].cutoff = nan; }},
        {"omni origin", [&](B& b) { f(b)->lights[1].origin[0] = nan; }},
        {"directional", [&](B& b) { f(b)->lights[2].direction[2] = -INFINITY; }},
        {"world width", [&](B& b) { f(b)->worldWidth = nan; }},
        {"cache reference", [&](B& b) { f(b)->lights[1].diffuseCache = 17; }},
        {"texture channel", [&](B& b) { f(b)->textureChannel = -1; }},
        {"a byte short", [](B& b) { b.pop_back(); }},
    };
    for (const Case& c : cases) {
        B bytes = good;
        c.damage(bytes);
        const B before = bytes;
        const char* why = nullptr;
        EXPECT_FALSE(LM_CheckParameterBlock(bytes.data(), bytes.size(), &why)) << c.what;
        EXPECT_TRUE(why && *why) << c.what << ": a reason is given";
        EXPECT_EQ(bytes, before) << c.what << ": the check changes nothing";
    }
    const char* why = nullptr;
    EXPECT_FALSE(LM_CheckParameterBlock(nullptr, sizeof(foo), &why));
    EXPECT_TRUE(why != nullptr);
}
