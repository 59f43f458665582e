// Helpers for Toolbox tests that need the headless screen and scripted input.
#pragma once

#include "Backend.h"
#include "Events.h"
#include "PascalString.h"
#include "Windows.h"

#include <gtest/gtest.h>

#include <string>

// The next event in `mask`, polling at most a thousand times (script time passes meanwhile).
inline EventRecord nextEvent(EventMask mask) {
    EventRecord e{};
    for (int i = 0; i < 1000 && !GetNextEvent(mask, &e); ++i) {
    }
    return e;
}

// A fresh headless screen for each test.
class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(TBInitBackend(TBBackendOptions{}, &error)) << error;
    }
    void TearDown() override { TBShutdownBackend(); }

    static void script(const std::string& text) {
        std::string error;
        ASSERT_TRUE(TBLoadInputScript(text, &error)) << error;
    }
};
