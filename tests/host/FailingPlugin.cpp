// The lighting module behind a wrapper that makes the nth allocation from its first call fail
// (n from RELIGHT_TEST_FAIL_ALLOCATION), so that the host meets each of the module's
// out-of-memory paths as a user would.
#include "Memory.h"
#include "relight_filter.h"

#include <cstdlib>
#include <dlfcn.h>

namespace {

void* lighting() {
    static void* library = dlopen(LIGHTING_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    return library;
}

template <typename Entry> Entry entry(const char* name) {
    void* library = lighting();
    return library ? reinterpret_cast<Entry>(dlsym(library, name)) : nullptr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) void PluginMain(std::int32_t selector, void* record,
                                                                  std::intptr_t* slot, std::int16_t* result) {
    static bool armed = false;
    if (!armed) {
        armed = true;
        if (const char* nth = std::getenv("RELIGHT_TEST_FAIL_ALLOCATION"))
            TBFailAllocation(std::strtol(nth, nullptr, 10));
    }
    *result = filterBadSelector;
    if (const auto main = entry<PluginMainProc>(kPluginMainName))
        main(selector, record, slot, result);
}

extern "C" __attribute__((visibility("default"))) int
PluginCheckParameters(const void* block, std::size_t size, char* why, std::size_t whySize) {
    const auto check = entry<PluginCheckParametersProc>(kPluginCheckParametersName);
    return check ? check(block, size, why, whySize) : 1;
}
