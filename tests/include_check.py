#!/usr/bin/env python3
"""Reads every #include of the sources and fails when one reaches into
another subsystem's internals: across subsystems only "<name>/services.h"
may be included, and only the platform layer may include SDL or OpenGL."""
import os
import re
import sys

SUBSYSTEMS = {"core", "vehicle", "world", "session", "graphics", "devices", "ui", "net"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
PLATFORM_ONLY = ("SDL", "GL/", "windows.h", "d3d", "dinput", "dsound", "winsock")


def check(root):
    faults = []
    for top in ("src", "tools", "tests", "bench"):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, root)
                parts = rel.split(os.sep)
                own = parts[1] if parts[0] == "src" and len(parts) > 2 else None
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        head = target.split("/")[0]
                        if head in SUBSYSTEMS and head != own and target != head + "/services.h":
                            # Tests of a subsystem may reach its own internals.
                            is_own_test = parts[0] == "tests" and len(parts) > 2 and parts[1] == head
                            if not is_own_test:
                                faults.append(f"{rel}:{number}: includes {target}")
                        if own != "platform" and target.startswith(PLATFORM_ONLY) and parts[0] == "src":
                            faults.append(f"{rel}:{number}: only the platform layer includes {target}")
    return faults


if __name__ == "__main__":
    faults = check(sys.argv[1] if len(sys.argv) > 1 else ".")
    for fault in faults:
        print(fault)
    print(f"include check: {len(faults)} faults")
    sys.exit(1 if faults else 0)
