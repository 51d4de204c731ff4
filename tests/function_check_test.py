#!/usr/bin/env python3
"""Plants long functions and step-number comments in a small tree and
checks that the function check finds them, and only them."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import function_check  # noqa: E402


def function(name, lines, above="", signature="int {name}(int a)", indent=""):
    """A function of exactly `lines` lines from its name to its closing
    brace, with a comment block above it."""
    body = [f"{indent}    a += {k};" for k in range(lines - 3)]
    text = [f"{indent}{signature.format(name=name)}", f"{indent}{{"] + body + [f"{indent}}}"]
    head = [f"{indent}{line}" for line in above.splitlines()]
    return "\n".join(head + text) + "\n"


class FunctionCheckTest(unittest.TestCase):
    def faults_in(self, text, name="src/vehicle/car.cpp"):
        with tempfile.TemporaryDirectory() as root:
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path))
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            return [fault for _, fault in function_check.check(root)]

    def test_long_functions(self):
        cases = [
            ("at the limit", function("Step", 120), []),
            ("one line over", function("Step", 121), ["src/vehicle/car.cpp:Step:121"]),
            ("with a reason", function("Step", 300, "// Long function: one table of cases reads best whole.\n"), []),
            ("with the marker but no reason", function("Step", 130, "// Steps the car.\n// Long function:\n"),
             ["src/vehicle/car.cpp:Step:130"]),
            ("reason above a template line",
             function("Hold", 200, "// Long function: a table.\ntemplate <typename T>\n", "void {name}(T& v) const"), []),
            ("a member in a class in a namespace",
             "namespace qv {\nstruct Car {\n" + function("Integrate", 150, signature="void {name}(float dt) override",
                                                         indent="    ") + "};\n}\n",
             ["src/vehicle/car.cpp:Integrate:150"]),
            ("a constructor with initialisers",
             function("Car", 140, signature="Car::{name}(int a) : mass(a), speed{{0}}"),
             ["src/vehicle/car.cpp:Car:140"]),
            ("braces in strings and comments",
             function("Text", 125, signature='const char* {name}(int a = "{{".size()) // {{ {{ {{'),
             ["src/vehicle/car.cpp:Text:125"]),
            ("a long table is no function",
             "const int Table[] = {\n" + "    1,\n" * 200 + "};\nenum class Kind {\n" + "    A,\n" * 150 + "};\n", []),
            ("two short functions around a long one",
             function("A", 10) + function("B", 122) + function("C", 10), ["src/vehicle/car.cpp:B:122"]),
        ]
        for what, text, expected in cases:
            with self.subTest(what):
                self.assertEqual(self.faults_in(text), expected)

    def test_step_number_comments(self):
        flagged = ["// 1.", "// 1, 2.", "// 3 to 7.", "// Step 4", "// Steps 3-5.", "// Items 23 on.",
                   "// 11.", "// 7, 8. The setup and colours in use.", "// Item 27: the family",
                   "// 2. Open roof.", "    /* 4. */"]
        for comment in flagged:
            with self.subTest(comment):
                faults = self.faults_in(f"int x;\n{comment}\nint y;\n")
                self.assertEqual(len(faults), 1, faults)
                self.assertTrue(faults[0].startswith("src/vehicle/car.cpp:2: "), faults)
        allowed = ["// 16.16 fixed point", "// 49.7 days: take differences", "// 0.5 m above the ground",
                   "// 2 wheels a side", "// Part 1 is the wing", "// 255, and the pages of each lead byte",
                   "int z = 1; // 3.", 'const char* s = "// 1.";', "// Returns 1. Otherwise 0."]
        for line in allowed:
            with self.subTest(line):
                self.assertEqual(self.faults_in(f"int x;\n{line}\nint y;\n"), [])

    def test_only_src_is_read(self):
        self.assertEqual(self.faults_in(function("Step", 200) + "// 3 to 7.\n", "tests/car_test.cpp"), [])


if __name__ == "__main__":
    unittest.main()
