// The program entry: runs Quorvan in the current folder, which holds
// "cfg.txt" and the "data" folder, with the command line's words joined as
// the one line the program reads.
#include <string>

#include "core/services.h"

// For the sanitizer build: memory that the window system's and OpenGL's
// libraries keep until the process ends is not ours to free. Their
// allocations are told apart by full stacks.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libSDL2\nleak:libdbus-1\nleak:swrast_dri\nleak:libGLX_mesa\nleak:libX11\n";
}

int main(int argc, char** argv)
{
    std::string commandLine = JoinCommandLine(argc, argv);
    return RunProgram(commandLine.c_str());
}
