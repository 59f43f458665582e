#include "LM_style_check.h"

#include "LM_parameters.h"
#include "LM_stream.h"
#include "relight_filter.h"

namespace {

constexpr std::size_t kFixedBytes = 36;
constexpr std::size_t kLightBytes = 28;

// The fault of an opened style's fixed fields and length; null when they are sound. The reader
// itself would take a longer count as 16 and a file cut inside the lights as fewer lights, but a
// style that says one thing and holds another is damaged.
const char* layoutFault(LM_istream& in, std::size_t size) {
    LM_uint32 tag = 0;
    LM_sint16 channel = 0;
    LM_uint16 skipped = 0, count = 0;
    if (!in.ReadU32(tag) || tag != styleFormatTag)
        return "unknown style format";
    bool read = in.ReadS16(channel);
    for (int field = 0; read && field < 9; ++field)
        read = in.ReadU16(skipped);
    if (!read || !in.ReadU16(count))
        return "the style is cut off before its lights";
    if (count == 0 || count > LM_MAX_LIGHTS)
        return "the style must hold 1 to 16 lights";
    if (const char* fault = LM_TextureChannelFault(channel))
        return fault;
    const std::size_t whole = kFixedBytes + kLightBytes * count;
    if (size < whole)
        return "the style is cut off inside its lights";
    return size > whole ? "the style has bytes after its last light" : nullptr;
}

} // namespace

int LM_CheckStyle(const void* bytes, std::size_t size, const char** why) {
    LM_memory_istream in(bytes, size);
    const bool opens = in.Open();
    const char* fault = opens ? layoutFault(in, size) : "not a style file";
    if (why)
        *why = fault;
    return !opens ? styleNotAStyle : fault ? styleDamaged : styleNoErr;
}
