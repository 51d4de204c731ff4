// The private X server of the OpenGL tests.
#include "support/x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/gfx.h"

extern char** environ;

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
    int fds[2];
    if (pipe(fds) != 0)
        return;
    std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                          "-noreset", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    int failed = posix_spawnp(&child, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (failed) {
        close(fds[0]);
        return;
    }
    pid = child;
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (!number.empty())
        setenv("DISPLAY", (":" + number).c_str(), 1);
    KeptSystem = platform::CreateGfxSystem(platform::GfxBackEnd::OpenGl);
}

void PrivateXServer::TearDown()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}
