// What a tile server waits on and reports to while it serves a run: source rows still arriving,
// result rows leaving, and the progress the module reports. The program decodes and encodes files
// on a second thread; an editor hands over a document that is whole in memory.
#pragma once

#include "Types.h"

#include <cstdint>

class TileTraffic {
  public:
    virtual ~TileTraffic() = default;

    // Blocks until source rows [0, rows) are there.
    virtual void AwaitRows(int rows) = 0;
    // Before the filter's result pixels of `rect` are stored, and after.
    virtual void Writing(const Rect& rect) = 0;
    virtual void Written(const Rect& rect) = 0;
    virtual void Report(std::uint16_t done, std::uint16_t total) = 0;
};
