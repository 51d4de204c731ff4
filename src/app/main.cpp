// The program entry: runs Quorvan in the current folder, which holds
// "cfg.txt" and the "data" folder, with the command line's words joined as
// the one line the program reads.
#include <string>

#include "core/services.h"

int main(int argc, char** argv)
{
    std::string commandLine = JoinCommandLine(argc, argv);
    return RunProgram(commandLine.c_str());
}
