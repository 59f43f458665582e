// Re-render times of the dialog's preview at the dialog's frame size (376 x 282 preview pixels of a
// 1500 x 1128 area), with three lights: cold, after a gloss change, after moving one light, and with
// a texture after moving a light.
#include "LM_preview.h"
#include "TestPreview.h"

#include <benchmark/benchmark.h>

namespace {

// The dialog's work area and largest preview frame.
constexpr Rect kWorkArea = {12, 12, 412, 412};
constexpr Rect kFrame = {24, 24, 400, 400};

std::unique_ptr<PreviewFixture> threeLights(bool texture) {
    auto p = std::make_unique<PreviewFixture>(1500, 1128, kWorkArea, kFrame);
    p->g->CreateNewLight(100, 150);
    p->g->lights[1].type = lightTypeOmni;
    p->g->CreateNewLight(300, 260);
    p->g->lights[2].type = lightTypeDirectional;
    if (texture) {
        p->g->SetBumpChannel(4);
        LM_GetPreviewBumpPixelMap(p->g.get());
    }
    p->render();
    return p;
}

void cold(benchmark::State& state) {
    auto p = threeLights(state.range(0) != 0);
    for (auto _ : state) {
        p->g->InvalidateCaches();
        benchmark::DoNotOptimize(LM_ShadePreview(p->g.get()));
    }
}

void afterGloss(benchmark::State& state) {
    auto p = threeLights(state.range(0) != 0);
    for (auto _ : state) {
        p->g->gloss = LM_sint16(p->g->gloss ^ 1);
        benchmark::DoNotOptimize(LM_ShadePreview(p->g.get()));
    }
}

void afterMovingOneLight(benchmark::State& state) {
    auto p = threeLights(state.range(0) != 0);
    LM_light_UI& light = p->g->lights[1];
    for (auto _ : state) {
        light.position.x = LM_sint16(light.position.x ^ 1);
        p->g->LightChanged(light);
        benchmark::DoNotOptimize(LM_ShadePreview(p->g.get()));
    }
}

BENCHMARK(cold)->ArgName("texture")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(afterGloss)->ArgName("texture")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(afterMovingOneLight)->ArgName("texture")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
