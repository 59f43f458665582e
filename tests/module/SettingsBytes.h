// Every setting a style keeps, as the bytes of the style written from them: two records hold the
// same settings exactly when these agree.
#pragma once

#include "LM_globals.h"
#include "LM_stream.h"

#include <gtest/gtest.h>

#include <vector>

inline std::vector<unsigned char> SettingsBytes(const LM_globals& g) {
    LM_memory_ostream out;
    EXPECT_TRUE(out.Open() && g.Write(out));
    return out.Bytes();
}
