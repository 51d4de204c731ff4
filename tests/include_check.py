#!/usr/bin/env python3
"""The include check: reads every #include of src, tests, tools, bench and
fuzz and fails when one breaks the layering of the program.

The subsystems are built in this order, and a folder may include only what
lies below it (src/app may include everything):

    platform < core < vehicle < world < session < graphics < devices < ui < net < app

Across subsystems only the door "<sub>/services.h" is included; the door
includes the subsystem's own area headers. The platform layer has no door:
outside it, any of its public headers may be included, but not its
internals (the "*_local.h" headers and the headers of one back end).
Only the platform layer, its own tests and the test support (which runs a
private X server) include SDL, OpenGL or X11 headers; no file includes a
Windows header.

Beyond src:
  tests/<sub>         its subsystem's internals, plus the doors that subsystem
                      may include, plus tests/support;
  tests/app, tests/system, tests/support, bench, fuzz
                      the doors of every subsystem and tests/support;
  tools/mkdata        the doors of every subsystem but app; no SDL or OpenGL.
Nothing outside tests includes a test's files, and nothing outside
tools/mkdata includes the data builder's.

Every form of include is resolved to the file it names before it is judged:
"x/y.h" and <x/y.h> through the folder of the including file and the
include roots (src, tests), and relative paths with "../" by their place in
the tree, so that a reach into another subsystem cannot hide behind a path.

Usage: include_check.py [--summary] [root]
Prints one line per fault ("file:line: what") and a count; exits 1 when
there is a fault. --summary adds the faults counted by the folder that
holds the including file.
"""
import os
import posixpath
import re
import sys

# The order of building: each subsystem may include those before it.
LAYERS = ["platform", "core", "vehicle", "world", "session", "graphics", "devices", "ui", "net", "app"]
SUBSYSTEMS = set(LAYERS)
DOOR = "services.h"

# Folders of tests that are not a subsystem's own: they see only doors.
DOOR_ONLY_TESTS = {"system", "support"}

SOURCE_EXTENSIONS = (".h", ".hh", ".hpp", ".c", ".cc", ".cpp", ".cxx", ".inc", ".ipp")
SCANNED_TOPS = ("src", "tests", "tools", "bench", "fuzz")
INCLUDE_ROOTS = ("src", "tests")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')

# System headers of the window system and the graphics library, and the
# Windows headers we never use.
WINDOW_SYSTEM = re.compile(r"^(SDL2?[/_.]|SDL\.h$|GL/|GLES\d*/|EGL/|KHR/|X11/|xcb/|wayland-)")
WINDOWS = re.compile(r"^(windows\.h|winsock2?\.h|ws2tcpip\.h|d3dx?\d*\w*\.h|dinput\.h|dsound\.h|mmsystem\.h|imm\.h)$",
                     re.IGNORECASE)

# Platform headers that belong to one back end. gfx_null.h is the null
# device's own controls, offered to tests and to the program's start-up.
PLATFORM_BACK_END = re.compile(r"^(.*_local\.h|gfx_gl\w*\.h|window_sdl\w*\.h|keys_sdl\w*\.h|gfx_null\.h)$")
PLATFORM_NULL_CONTROLS = "gfx_null.h"


def below(subsystem):
    """The subsystems a subsystem may include the doors of."""
    if subsystem == "app":
        return set(LAYERS) - {"app"}
    return set(LAYERS[:LAYERS.index(subsystem)])


class Place:
    """Where a file lies: its top folder (src, tests, tools, bench, fuzz)
    and the folder under it (a subsystem, a test folder, mkdata)."""

    def __init__(self, rel):
        parts = rel.split("/")
        self.rel = rel
        self.top = parts[0]
        self.folder = parts[1] if len(parts) > 2 else ""
        self.name = parts[-1]

    def label(self):
        return f"{self.top}/{self.folder}" if self.folder else self.top


def strip_block_comments(lines):
    """The lines with /* ... */ comments blanked, so that an include inside
    one is not read."""
    inside = False
    for line in lines:
        out = []
        i = 0
        while i < len(line):
            if inside:
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                else:
                    inside = False
                    i = end + 2
            else:
                start = line.find("/*", i)
                comment = line.find("//", i)
                if start < 0 or (0 <= comment < start):
                    out.append(line[i:])
                    break
                out.append(line[i:start])
                inside = True
                i = start + 2
        yield "".join(out)


def resolve(root, including, quote, target):
    """The path (relative to root, with "/") of the file an include names,
    or None for a header from outside the tree. A quoted include is looked
    for beside the including file first, then in the include roots; a path
    that leaves the folder with "../" is taken where it points even when no
    file is there, and a name under a subsystem's folder is taken as that
    subsystem's even when the file does not exist (yet)."""
    here = posixpath.dirname(including)
    if quote == '"':
        beside = posixpath.normpath(posixpath.join(here, target))
        if target.startswith(("./", "../")) or os.path.isfile(os.path.join(root, beside)):
            return beside
    for include_root in INCLUDE_ROOTS:
        candidate = posixpath.normpath(posixpath.join(include_root, target))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    head = target.split("/")[0]
    if head in SUBSYSTEMS:
        return posixpath.normpath(posixpath.join("src", target))
    if head == "support":
        return posixpath.normpath(posixpath.join("tests", target))
    if quote == '"' and "/" not in target:
        return posixpath.normpath(posixpath.join(here, target))
    return None


def door_rule(source, target):
    """The fault of including a subsystem's file from another place, or
    None. source and target are Places; target lies in src."""
    sub = target.folder
    if source.top == "src":
        own = source.folder
        allowed = below(own)
        who = f"src/{own}"
    elif source.top == "tests" and source.folder in SUBSYSTEMS:
        own = source.folder
        allowed = below(own)
        who = f"tests/{own}"
    elif source.top == "tools":
        own = None
        allowed = set(LAYERS) - {"app"}
        who = f"tools/{source.folder}"
    else:
        own = None
        allowed = set(LAYERS)
        who = source.label()
    if sub == own:
        return None
    if sub not in allowed:
        sees = ", ".join(layer for layer in LAYERS if layer in allowed) or "only itself"
        return f"includes {target.rel}: {who} may not include {sub} ({who} sees {sees})"
    if sub == "platform":
        if PLATFORM_BACK_END.match(target.name):
            tests_or_start = source.top == "tests" or (source.top == "src" and source.folder == "app")
            if target.name == PLATFORM_NULL_CONTROLS and tests_or_start:
                return None
            return f"includes the platform's internal {target.name} (only its public headers are for others)"
        return None
    if target.rel != f"src/{sub}/{DOOR}":
        return f"reaches into {sub}'s internals ({target.rel}); across subsystems only {sub}/{DOOR} is included"
    return None


def judge(root, source, quote, target):
    """The fault of one include line, or None."""
    resolved = resolve(root, source.rel, quote, target)
    if resolved is None:
        if WINDOWS.match(target):
            return f"includes the Windows header {target}"
        if WINDOW_SYSTEM.match(target):
            if (source.top == "src" and source.folder == "platform") or \
               (source.top == "tests" and source.folder in ("platform", "support")):
                return None
            return f"includes {target}: only the platform layer uses SDL, OpenGL or X11"
        return None
    if resolved.startswith("../") or resolved == "..":
        return f"includes {target}, outside the source tree"
    dest = Place(resolved)
    if dest.top == "src" and dest.folder in SUBSYSTEMS:
        return door_rule(source, dest)
    if dest.top == "src":
        return None if source.top == "src" and posixpath.dirname(resolved) == posixpath.dirname(source.rel) \
            else f"includes {resolved}, which belongs to no subsystem"
    if dest.top == "tests":
        if source.top not in ("tests", "bench", "fuzz"):
            return f"includes the test file {resolved}"
        if dest.folder == "support" or (source.top == "tests" and dest.folder == source.folder):
            return None
        return f"reaches into another folder's tests ({resolved}); shared test helpers live in tests/support"
    if dest.top == "tools":
        if source.top == "tools" and dest.folder == source.folder:
            return None
        return f"includes the data builder's {resolved}"
    if dest.top in ("bench", "fuzz"):
        return None if source.top == dest.top else f"includes {resolved}"
    return None


def check(root):
    faults = []
    for top in SCANNED_TOPS:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(SOURCE_EXTENSIONS):
                    continue
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                source = Place(rel)
                with open(path, encoding="utf-8", errors="replace") as f:
                    lines = f.read().splitlines()
                for number, line in enumerate(strip_block_comments(lines), 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    fault = judge(root, source, m.group(1), m.group(2))
                    if fault:
                        faults.append((source.label(), f"{rel}:{number}: {fault}"))
    return faults


def main(argv):
    summary = "--summary" in argv
    args = [a for a in argv if a != "--summary"]
    root = args[0] if args else "."
    faults = check(root)
    for _, text in faults:
        print(text)
    if summary:
        counts = {}
        for label, _ in faults:
            counts[label] = counts.get(label, 0) + 1
        for label in sorted(counts):
            print(f"  {label}: {counts[label]}")
    print(f"include check: {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
