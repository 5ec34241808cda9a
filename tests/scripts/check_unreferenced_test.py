#!/usr/bin/env python3
"""scripts/check-unreferenced over small trees: what it reports and what it must leave alone.
Usage: check_unreferenced_test.py PATH-OF-check-unreferenced"""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../scripts/check-unreferenced")


def reported(files):
    """The names the script reports over a tree of `files` (path: text)."""
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as file:
                file.write(text)
        run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
    names = [line.split()[2] for line in run.stdout.splitlines() if line.endswith("is referenced nowhere")]
    return sorted(names), run.returncode


class CheckUnreferenced(unittest.TestCase):
    def test_reports_what_nothing_references_and_leaves_what_the_language_calls(self):
        header = "OrvaneCore/a/A.h"
        cases = [
            ("an unused inline setter", {header: "class A {\npublic:\n  void setX(int x) { m_x = x; }\n  int m_x;\n};\nvoid use(A&);\n", "tests/t.cpp": "void t(A& a) { use(a); }\n"}, ["setX"]),
            ("a member a test calls", {header: "struct A { int x() const { return 1; } };\n", "tests/t.cpp": "int f(A a) { return a.x(); }\n"}, []),
            ("overrides, constructors, destructors, operators and deleted functions",
             {header: "class A final : public QWidget {\n  Q_OBJECT\npublic:\n  explicit A(int);\n  ~A() override;\n"
                      "  A(const A&) = delete;\n  void reset() = delete;\n  bool operator==(const A&) const = default;\n"
                      "  explicit operator bool() const { return true; }\nprotected:\n  void paintEvent(QPaintEvent*) override;\n};\n",
              "OrvaneCore/a/A.cpp": "A::A(int) : m_a{1}, m_b(2) {}\nA::~A() = default;\nvoid A::paintEvent(QPaintEvent* e) { draw(e); }\n",
              "tests/t.cpp": "A a(1);\n"}, []),
            ("a free function of a source file", {"OrvaneCore/a/A.cpp": "namespace {\nQString helper(int x)\n{\n  return {};\n}\n} // namespace\n"}, ["helper"]),
            ("a member only defined out of line", {header: "class A { public: void run(); };\nA make();\n",
                                                   "OrvaneCore/a/A.cpp": "void A::run()\n{\n}\nA make() { return A{}; }\n",
                                                   "tests/t.cpp": "auto a = make();\n"}, ["run"]),
            ("a delegate to the same name elsewhere", {header: "class P { public: int count() const { return m_pool.count(); } };\nvoid f(P);\n", "tests/t.cpp": "void t(P p) { f(p); }\n"}, ["count"]),
            ("a signal connected, a slot taken by address, a property named in Q_PROPERTY",
             {header: "class A : public QObject {\n  Q_OBJECT\n  Q_PROPERTY(QColor colour READ colour)\npublic:\n  QColor colour() const;\n"
                      "Q_SIGNALS:\n  void changed();\npublic Q_SLOTS:\n  void onChanged();\n};\n",
              "OrvaneCore/a/A.cpp": "void wire(A* a) { QObject::connect(a, &A::changed, a, &A::onChanged); }\n"}, ["wire"]),
            ("types", {header: "class Unused final {};\nstruct Used {};\nenum Plain { one, two };\nenum class Scoped { a };\n"
                               "using Alias = int;\ntemplate <class T> class Box {};\nvoid take(Used, Box<int>);\n",
                       "tests/t.cpp": "void g() { take({}, {}); }\n"}, ["Alias", "Scoped", "Unused"]),
            ("protocol names and main", {header: "inline std::size_t qHash(const A& a, std::size_t seed = 0) noexcept { return seed; }\n"
                                                 "struct Range { int* begin() const; int* end() const; };\n"
                                                 "struct Awaiter { bool await_ready() const; void await_suspend(Handle); void await_resume(); };\n",
                                         "OrvaneCore/main.cpp": "int main(int argc, char** argv)\n{\n  return 0;\n}\n",
                                         "tests/t.cpp": "Range r;\nAwaiter a;\n"}, []),
            ("a name only in a comment, a string or its own body",
             {header: "// unusedOne() is documented here\nvoid unusedOne();\nvoid unusedTwo() { unusedTwo(); }\n",
              "tests/t.cpp": "const char* s = \"unusedOne\";\n"}, ["unusedOne", "unusedTwo"]),
            ("a nested class defined out of line",
             {header: "class Outer { public: class Inner; };\nvoid take(Outer);\n",
              "OrvaneCore/a/A.cpp": "class Outer::Inner {\npublic:\n  explicit Inner(int);\n  void unusedMember();\n};\n",
              "tests/t.cpp": "void t() { take({}); }\n"}, ["unusedMember"]),
            ("templates and function types in members",
             {header: "template <class Predicate>\nstd::optional<int> scan(Predicate&& p) const;\n"
                      "class A {\n  std::function<QString(const A&)> m_format;\n  std::vector<std::pair<int, int>> pairs() const;\n};\n"}, ["pairs", "scan"]),
        ]
        for name, files, expected in cases:
            with self.subTest(name):
                names, code = reported(files)
                self.assertEqual(names, expected)
                if expected:
                    self.assertEqual(code, 1)

    def test_an_allowed_name_that_became_referenced_or_went_away_fails_the_check(self):
        for name, files in [
            ("referenced", {"OrvaneCore/ui/OrvaneCard.h": "class OrvaneCard {};\n", "tests/t.cpp": "OrvaneCard card;\n"}),
            ("gone", {"OrvaneCore/a/A.h": "struct A {};\n", "tests/t.cpp": "A a;\n"}),
        ]:
            with self.subTest(name):
                self.assertEqual(reported(files), ([], 1))
        self.assertEqual(reported({"OrvaneCore/ui/OrvaneCard.h": "class OrvaneCard {};\n"}), ([], 0))


if __name__ == "__main__":
    unittest.main()
