// A private X server for the tests that draw with OpenGL (the private
// display of the window tests), started once for the test program, with Mesa's
// software renderer, and an OpenGL graphics system kept for the whole run
// (so that the GL driver stays loaded and what it keeps at exit is
// reported against it).
#pragma once

#include <gtest/gtest.h>

#include "support/x_display.h"

namespace platform {
class GfxSystem;
}

class PrivateXServer : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    PrivateDisplay display;
};

// The kept OpenGL system; null when the server or OpenGL could not start.
platform::GfxSystem* KeptGlSystem();
