// The start that the shell sessions of the window tests share: run under
// xvfb-run in the test's game folder with the program as "$1", it starts
// the program (ended after five minutes at the latest; its output in
// program.out, its process in $pid), waits until the log says that its
// initialisation ended, waits for its main window to be shown ($window,
// also written to session.txt as "window=...") and stops the program when
// there is none.
// Then WIDTH and HEIGHT hold the window's size, and "pixel V SIZE" turns
// screen units (-1..1) into pixels of a side of that size.
#pragma once

#include <cstdlib>
#include <string>

#include "support/process.h"
#include "support/temp_folder.h"

inline constexpr const char* WindowSessionStart = R"SH(program="$1"
timeout 300 "$program" > program.out 2>&1 &
pid=$!
for i in $(seq 1 1200); do
  grep -q "end of initialisation" deb.log 2>/dev/null && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
window=
for i in $(seq 1 300); do
  window=$(xdotool search --onlyvisible --classname QVN 2>/dev/null | tail -1)
  [ -n "$window" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
echo "window=$window" > session.txt
[ -n "$window" ] || { kill $pid; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
pixel() { awk -v v="$1" -v s="$2" 'BEGIN { printf "%d", (v + 1) / 2 * s }'; }
)SH";

// Runs a session script that begins with WindowSessionStart under xvfb-run
// in the folder, the program started with the settings file "cfg.txt";
// session holds what the script wrote to session.txt. Answers "" or why
// there was no session: the tools are missing, or no window showed (with
// the program's output and log).
inline std::string RunWindowSession(const TempFolder& folder, const char* settings, const std::string& script,
                                    const char* program, std::string& session)
{
    if (std::system("command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0)
        return "xvfb-run or xdotool is missing: scripts/setup.sh installs them";
    folder.WriteFile("cfg.txt", settings);
    folder.WriteFile("session.sh", script);
    const ProcessResult run = RunProcess("/usr/bin/xvfb-run",
                                         {"-a", "-s", "-screen 0 1280x1024x24", "bash", "session.sh", program},
                                         folder.Path());
    session = folder.ReadFile("session.txt");
    if (session.find("window=\n") != std::string::npos)
        return "no window\n" + run.output + folder.ReadFile("program.out") + folder.ReadFile("deb.log");
    return "";
}
