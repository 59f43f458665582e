// The module's exported entry points: the run sequence with the Toolbox dialog, the block check,
// the thread count and the about box as text.
#include "LM_dispatch.h"
#include "LM_mac_UI.h"
#include "LM_parameters.h"
#include "LM_thread_pool.h"
#include "relight_filter.h"

#include <algorithm>
#include <cstring>
#include <string>

extern "C" __attribute__((visibility("default"))) void
PluginMain(std::int32_t selector, void* record, std::intptr_t* globalsSlot, std::int16_t* result) {
    LM_Main(LM_MacDialog(), selector, record, globalsSlot, result);
}

extern "C" __attribute__((visibility("default"))) int
PluginCheckParameters(const void* block, std::size_t size, char* why, std::size_t whySize) {
    const char* reason = nullptr;
    if (LM_CheckParameterBlock(block, size, &reason))
        return 0;
    if (why && whySize > 0) {
        std::size_t i = 0;
        for (; reason[i] && i + 1 < whySize; ++i)
            why[i] = reason[i];
        why[i] = 0;
    }
    return 1;
}

extern "C" __attribute__((visibility("default"))) void PluginSetThreads(int threads) {
    LM_SetThreadCount(threads);
}

extern "C" __attribute__((visibility("default"))) std::size_t PluginAboutText(char* text, std::size_t size) {
    const std::string about = LM_AboutText();
    if (size > 0) {
        const std::size_t n = std::min(size - 1, about.size());
        std::memcpy(text, about.data(), n);
        text[n] = 0;
    }
    return about.size();
}
