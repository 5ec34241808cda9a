#!/usr/bin/env python3
"""scripts/check-structure over small trees: long files, circles of includes and long functions.
Usage: check_structure_test.py PATH-OF-check-structure"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SCRIPT = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../scripts/check-structure")


def write(root, files):
    for path, text in files.items():
        os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
        with open(os.path.join(root, path), "w", encoding="utf-8") as file:
            file.write(text)


def reported(files, build=None):
    with tempfile.TemporaryDirectory() as root:
        write(root, files)
        arguments = [sys.executable, SCRIPT, "--root", root] + ([build(root)] if build else [])
        run = subprocess.run(arguments, capture_output=True, text=True)
    return run.stdout.splitlines(), run.returncode


class CheckStructure(unittest.TestCase):
    def test_reports_long_files_and_circles_between_units(self):
        cases = [
            ("a long source and a long script", {"OrvaneCore/a/A.cpp": "\n" * 501, "scripts/run": "x\n" * 501,
                                                 "OrvaneCore/a/B.cpp": "\n" * 500},
             ["OrvaneCore/a/A.cpp: 501 lines (at most 500)", "scripts/run: 501 lines (at most 500)"]),
            ("two headers including each other", {"OrvaneCore/a/A.h": '#include "a/B.h"\n', "OrvaneCore/a/B.h": '#include "a/A.h"\n'},
             ["OrvaneCore/a: a circle of includes between A, B"]),
            ("a source implementing one unit while the other's source includes it",
             {"OrvaneCore/a/Store.h": "", "OrvaneCore/a/Run.h": "",
              "OrvaneCore/a/StoreRestore.cpp": '#include "a/Store.h"\n#include "a/Run.h"\n',
              "OrvaneCore/a/Run.cpp": '#include "a/Run.h"\n\n#include "a/Store.h"\n'},
             ["OrvaneCore/a: a circle of includes between Run, Store"]),
            ("layers pointing down, and includes of another folder",
             {"OrvaneCore/a/Store.h": '#include "a/Reader.h"\n', "OrvaneCore/a/Reader.h": "",
              "OrvaneCore/a/Run.cpp": '#include "a/Run.h"\n#include "a/Reader.h"\n', "OrvaneCore/a/Run.h": '#include "b/Store.h"\n',
              "OrvaneCore/a/Store.cpp": '#include "a/Store.h"\n#include "a/Run.h"\n', "OrvaneCore/b/Store.h": '#include "a/Store.h"\n'},
             []),
        ]
        for name, files, expected in cases:
            with self.subTest(name):
                lines, code = reported(files)
                self.assertEqual(lines, expected)
                self.assertEqual(code, 1 if expected else 0)

    def test_reports_functions_of_over_eighty_lines_in_the_engine_folders(self):
        if not shutil.which("clang-tidy"):
            self.skipTest("clang-tidy is not installed")
        body = "{\n" + "    ++x;\n" * 85 + "}\n"
        files = {"OrvaneCore/records/Long.cpp": "void grows(int& x)\n" + body,
                 "OrvaneCore/records/Short.cpp": "void fits(int& x)\n{\n    ++x;\n}\n",
                 "OrvaneCore/model/Elsewhere.cpp": "void allowed(int& x)\n" + body}

        def build(root):
            folder = os.path.join(root, "build")
            os.makedirs(folder)
            with open(os.path.join(folder, "compile_commands.json"), "w", encoding="utf-8") as file:
                json.dump([{"directory": root, "file": os.path.join(root, path), "command": f"c++ -c {path}"}
                           for path in files], file)
            return folder

        lines, code = reported(files, build)
        self.assertEqual(lines, ["OrvaneCore/records/Long.cpp:1:6: a function of over 80 lines ('grows')"])
        self.assertEqual(code, 1)


if __name__ == "__main__":
    unittest.main()
