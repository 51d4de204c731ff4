#!/usr/bin/env python3
"""Plants each kind of layering break in a small tree and checks that the
include check finds it, and that what the layering allows passes."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import include_check  # noqa: E402

# A tree that keeps every rule: each subsystem has its door and a local
# header, the platform a public header and a back end's internal one.
CLEAN_TREE = {
    "src/platform/files.h": "#pragma once\n",
    "src/platform/window_local.h": '#include "platform/window.h"\n',
    "src/platform/window.h": "#pragma once\n",
    "src/platform/gfx_gl_local.h": "#include <GL/gl.h>\n",
    "src/platform/gfx_null.h": "#pragma once\n",
    "src/platform/window_sdl.cpp": '#include <SDL.h>\n#include "window_local.h"\n',
    "src/core/services.h": '#include "core/plain_text.h"\n#include "platform/files.h"\n',
    "src/core/plain_text.h": "#pragma once\n",
    "src/core/local.h": '#include "core/services.h"\n',
    "src/vehicle/services.h": '#include "core/services.h"\n#include "vehicle/hooks.h"\n',
    "src/vehicle/hooks.h": "#pragma once\n",
    "src/vehicle/local.h": '#include "services.h"\n',
    "src/vehicle/car.cpp": '#include "vehicle/local.h"\n#include <vector>\n',
    "src/world/services.h": '#include "vehicle/services.h"\n',
    "src/world/local.h": "#pragma once\n",
    "src/session/services.h": '#include "world/services.h"\n',
    "src/graphics/services.h": '#include "session/services.h"\n',
    "src/graphics/vehicle_hooks.cpp": '#include "vehicle/services.h"\n#include "local.h"\n',
    "src/graphics/local.h": "#pragma once\n",
    "src/devices/services.h": '#include "graphics/services.h"\n',
    "src/ui/services.h": '#include "devices/services.h"\n',
    "src/net/services.h": '#include "ui/services.h"\n',
    "src/app/main.cpp": '#include "net/services.h"\n#include "platform/gfx_null.h"\n',
    "tests/support/x_display.cpp": "#include <X11/Xlib.h>\n#include \"platform/window.h\"\n",
    "tests/support/helpers.h": '#include "ui/services.h"\n',
    "tests/platform/window_test.cpp": '#include <SDL.h>\n#include "platform/window_local.h"\n',
    "tests/vehicle/car_test.cpp": ('#include "vehicle/local.h"\n#include "core/services.h"\n'
                                  '#include "support/helpers.h"\n#include "ground.h"\n'
                                  '#include "platform/gfx_null.h"\n'),
    "tests/vehicle/ground.h": '#include "vehicle/local.h"\n',
    "tests/system/run_test.cpp": '#include "net/services.h"\n#include "support/helpers.h"\n',
    "tools/mkdata/cars.cpp": '#include "builder.h"\n#include "vehicle/services.h"\n#include "ui/services.h"\n',
    "tools/mkdata/builder.h": "#pragma once\n",
    "bench/car_bench.cpp": '#include "vehicle/services.h"\n#include "../tests/support/helpers.h"\n',
    "fuzz/car_fuzz.cpp": '#include "vehicle/services.h"\n#include <cstdint>\n',
}


def make_tree(root, files):
    for rel, text in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)


class IncludeCheckTest(unittest.TestCase):
    def faults_with(self, planted):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, {**CLEAN_TREE, **planted})
            return [text for _, text in include_check.check(root)]

    def test_a_tree_that_keeps_the_layering_passes(self):
        self.assertEqual(self.faults_with({}), [])

    def test_every_planted_break_is_found(self):
        breaks = [
            ("an upward include", "src/core/text.cpp", '#include "vehicle/services.h"\n'),
            ("an upward include through a door's area header", "src/vehicle/hooks.h",
             '#include "graphics/services.h"\n'),
            ("a reach into another subsystem's internals", "src/world/path.cpp", '#include "vehicle/local.h"\n'),
            ("a reach by ../", "src/world/path.cpp", '#include "../vehicle/local.h"\n'),
            ("a reach by ../ to an upper door", "src/vehicle/car2.cpp", '#include "../graphics/services.h"\n'),
            ("an include in angle brackets", "src/world/path.cpp", "#include <vehicle/local.h>\n"),
            ("an upward include in angle brackets", "src/core/text.cpp", "#  include <net/services.h>\n"),
            ("a platform internal", "src/graphics/draw.cpp", '#include "platform/gfx_gl_local.h"\n'),
            ("a platform internal by ../", "src/graphics/draw.cpp", '#include "../platform/window_local.h"\n'),
            ("the null device's controls in a subsystem", "src/graphics/draw.cpp",
             '#include "platform/gfx_null.h"\n'),
            ("SDL outside the platform", "src/ui/screen.cpp", "#include <SDL.h>\n"),
            ("SDL2 by folder outside the platform", "src/devices/input.cpp", "#include <SDL2/SDL_joystick.h>\n"),
            ("OpenGL outside the platform", "src/graphics/draw.cpp", "#include <GL/gl.h>\n"),
            ("X11 in a subsystem's tests", "tests/graphics/draw_test.cpp", "#include <X11/Xlib.h>\n"),
            ("a Windows header", "src/net/socket.cpp", "#include <winsock2.h>\n"),
            ("the platform including a subsystem", "src/platform/files.cpp", '#include "core/services.h"\n'),
            ("a subsystem's tests above its layer", "tests/vehicle/draw_test.cpp", '#include "graphics/services.h"\n'),
            ("a subsystem's tests in another's internals", "tests/core/car_test.cpp", '#include "vehicle/local.h"\n'),
            ("whole-program tests in internals", "tests/system/run_test.cpp", '#include "session/local.h"\n'),
            ("a test reaching into another folder's tests", "tests/world/drive_test.cpp",
             '#include "../vehicle/ground.h"\n'),
            ("a benchmark in internals", "bench/car_bench.cpp", '#include "vehicle/local.h"\n'),
            ("a benchmark reaching into a subsystem's tests", "bench/car_bench.cpp",
             '#include "../tests/vehicle/ground.h"\n'),
            ("a fuzz target in internals by ../", "fuzz/car_fuzz.cpp", '#include "../src/vehicle/local.h"\n'),
            ("a fuzz target with SDL", "fuzz/car_fuzz.cpp", "#include <SDL.h>\n"),
            ("the data builder including the program shell", "tools/mkdata/cars.cpp", '#include "app/services.h"\n'),
            ("the data builder with OpenGL", "tools/mkdata/cars.cpp", "#include <GL/gl.h>\n"),
            ("a subsystem including a test file", "src/vehicle/car2.cpp",
             '#include "../../tests/support/helpers.h"\n'),
            ("a subsystem including the data builder", "src/vehicle/car2.cpp",
             '#include "../../tools/mkdata/builder.h"\n'),
            ("a path out of the tree", "src/vehicle/car2.cpp", '#include "../../../elsewhere/x.h"\n'),
        ]
        for what, rel, text in breaks:
            with self.subTest(what):
                faults = self.faults_with({rel: text})
                self.assertEqual(len(faults), 1, faults)
                self.assertTrue(faults[0].startswith(rel + ":"), faults)

    def test_what_the_layering_allows_passes(self):
        allowed = [
            ("a lower door", "src/session/race.cpp", '#include "vehicle/services.h"\n#include "core/services.h"\n'),
            ("its own internals beside it", "src/world/path.cpp", '#include "local.h"\n#include "world/local.h"\n'),
            ("its own internals by ../", "src/world/path.cpp", '#include "../world/local.h"\n'),
            ("a public platform header", "src/core/text.cpp", "#include <platform/window.h>\n"),
            ("a system header", "src/core/text.cpp", "#include <cstdint>\n#include <sys/wait.h>\n"),
            ("an include in a comment", "src/core/text.cpp",
             '// #include "net/services.h"\n/* #include "ui/services.h"\n #include <SDL.h> */\n'),
            ("a door from the program shell", "src/app/start.cpp", '#include "app/local.h"\n#include "ui/services.h"\n'),
        ]
        for what, rel, text in allowed:
            with self.subTest(what):
                self.assertEqual(self.faults_with({rel: text}), [])


if __name__ == "__main__":
    unittest.main()
