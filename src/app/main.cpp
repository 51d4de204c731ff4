// The program entry: runs Quorvan in the current folder, which holds
// "cfg.txt" and the "data" folder, with the command line's words joined as
// the one line the program reads.
#include <string>

#include "app/services.h"
#include "platform/window.h"

// For the sanitizer build: the window system's and OpenGL's libraries keep
// memory until the process ends, and their stacks cannot be told apart
// without slow unwinding inside malloc (which can deadlock), so the whole
// program is not leak-checked; the unit tests check our own code for leaks.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv)
{
    platform::CatchCloseSignals();
    std::string commandLine = JoinCommandLine(argc, argv);
    return RunProgram(commandLine.c_str());
}
