// Any bytes given as a style either load or are refused; a refusal leaves the settings as they
// were, and whatever loads saves and loads again to the same settings.
#include "LM_globals.h"
#include "LM_stream.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

struct Settings {
    LM_globals* g = LM_globals::New();
    Settings() {
        if (!g)
            std::abort();
        g->previewOrigin = {10, 10};
        g->previewCenter = {110, 90};
        g->previewSize = {200, 160};
        g->Default();
    }
    ~Settings() { LM_globals::Delete(g); }
};

std::vector<unsigned char> saved(const LM_globals& g) {
    LM_memory_ostream out;
    if (!out.Open() || !g.Write(out))
        std::abort();
    return out.Bytes();
}

// Whether `bytes` load into `g`.
bool load(LM_globals& g, const std::uint8_t* bytes, std::size_t size) {
    LM_memory_istream in(bytes, size);
    return in.Open() && g.Read(in);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Settings s;
    const std::vector<unsigned char> before = saved(*s.g);
    if (!load(*s.g, data, size)) {
        if (saved(*s.g) != before)
            std::abort(); // a refused style changed the settings
        return 0;
    }
    const std::vector<unsigned char> first = saved(*s.g);
    Settings again;
    if (!load(*again.g, first.data(), first.size()) || saved(*again.g) != first)
        std::abort(); // what loaded does not survive a save and load
    return 0;
}
