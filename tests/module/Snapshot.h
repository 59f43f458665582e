// The screen as a script's snapshot step saved it.
#pragma once

#include "Backend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct Snapshot {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;

    explicit Snapshot(const std::string& path) {
        std::string error;
        EXPECT_TRUE(TBReadPNG(path, &width, &height, &pixels, &error)) << error;
    }
    bool operator==(const Snapshot&) const = default;
};
