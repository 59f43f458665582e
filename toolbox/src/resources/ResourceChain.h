// Internal: the code resources in front of the resource files.
#pragma once

#include "Types.h"

// Serves `code` (a code handle, or null to remove) as resource (type, id), disposing of the handle
// it replaces. True when there was one.
bool TBSetCodeResource(ResType type, std::int16_t id, Handle code);
