// The resource compiler: readable resource text (docs/resources.md) to the big-endian bytes the
// Toolbox managers read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CompiledResource {
    std::uint32_t type;
    std::int16_t id;
    std::string name;
    std::vector<std::uint8_t> data;
};

// Appends the resources of `text` to `out`. False with "FILE:LINE: message" on the first error.
bool CompileResources(const std::string& text, const std::string& fileName,
                      std::vector<CompiledResource>* out, std::string* error);
