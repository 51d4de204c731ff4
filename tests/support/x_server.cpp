// The private X server of the OpenGL tests.
#include "support/x_server.h"

#include <cstdlib>
#include <string>

#include "platform/gfx.h"

// No leak check at exit in the programs that draw with OpenGL (this file is
// linked only into those): the software renderer's worker threads are still
// winding down then, and the leak checker's thread tracer can crash on them
// (a fatal error that would fail a passing test). The null device's tests
// check the same resource code for leaks.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace {
platform::GfxSystem* volatile KeptSystem = nullptr;
}

platform::GfxSystem* KeptGlSystem() { return KeptSystem; }

void PrivateXServer::SetUp()
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    std::string failure = display.Start(1024, 768);
    ASSERT_EQ(failure, "");
    KeptSystem = platform::CreateGfxSystem(platform::GfxBackEnd::OpenGl);
}

void PrivateXServer::TearDown() { display.Stop(); }
