// Helpers for Toolbox tests that need the headless screen and scripted input.
#pragma once

#include "Backend.h"
#include "Events.h"
#include "PascalString.h"
#include "Windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The next event in `mask`, polling at most a thousand times (script time passes meanwhile).
inline EventRecord nextEvent(EventMask mask) {
    EventRecord e{};
    for (int i = 0; i < 1000 && !GetNextEvent(mask, &e); ++i) {
    }
    return e;
}

// A fresh headless screen for each test; the windows it opens close with it.
class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(TBInitBackend(TBBackendOptions{}, &error)) << error;
    }
    void TearDown() override {
        for (WindowPtr w : windows_)
            DisposeWindow(w);
        TBShutdownBackend();
    }

    static void script(const std::string& text) {
        std::string error;
        ASSERT_TRUE(TBLoadInputScript(text, &error)) << error;
    }
    // A visible window in front of the others.
    WindowPtr window(Rect bounds, std::int16_t proc = movableDBoxProc) {
        windows_.push_back(NewCWindow(nullptr, &bounds, PString("").s, true, proc, WindowPtr(-1), false, 0));
        return windows_.back();
    }

  private:
    std::vector<WindowPtr> windows_;
};
