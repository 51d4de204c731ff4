#!/usr/bin/env python3
"""The link check: programs that never open a window (the data builder, the
tyre and car-step benchmarks) must not load SDL2 or OpenGL. Reads the
shared libraries each program loads with ldd and fails when one of them is
SDL2 or an OpenGL library.

A control program that does draw (the game itself) must show SDL2: it
proves that the reading of ldd's output finds what it looks for.

Usage: link_check.py [--control <program that draws>] <program>...
"""
import re
import subprocess
import sys

WINDOW_SYSTEM = re.compile(r"^\s*(libSDL2[\w.-]*|libGL[\w.-]*|libOpenGL[\w.-]*|libEGL[\w.-]*)\.so")


def window_system_libraries(program):
    """The SDL2 and OpenGL libraries the program loads, or None when ldd
    cannot read it."""
    result = subprocess.run(["ldd", program], capture_output=True, text=True)
    if result.returncode != 0:
        return None
    found = []
    for line in result.stdout.splitlines():
        m = WINDOW_SYSTEM.match(line)
        if m:
            found.append(m.group(1))
    return found


def main(argv):
    control = None
    if len(argv) >= 2 and argv[0] == "--control":
        control, argv = argv[1], argv[2:]
    failed = False
    if control:
        found = window_system_libraries(control)
        if not found:
            print(f"{control}: the control shows no SDL2 or OpenGL; the check cannot see them")
            failed = True
    for program in argv:
        found = window_system_libraries(program)
        if found is None:
            print(f"{program}: ldd cannot read it")
            failed = True
        elif found:
            print(f"{program}: loads {', '.join(found)}")
            failed = True
        else:
            print(f"{program}: no SDL2 or OpenGL")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
