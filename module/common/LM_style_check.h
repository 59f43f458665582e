// The one rule for a style's bytes, wherever they come from: a file of the style folder (listed,
// chosen in the dialog, applied), an import, the last settings a host keeps.
#pragma once

#include <cstddef>

// A style file with all of its 16 lights: nothing longer is a style.
constexpr std::size_t LM_MAX_STYLE_BYTES = 36 + 28 * 16;

// styleNoErr when `bytes` (a whole style file) are a style the filter accepts; else
// styleNotAStyle or styleDamaged with the reason in `why` (when not null).
int LM_CheckStyle(const void* bytes, std::size_t size, const char** why);
