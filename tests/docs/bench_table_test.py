#!/usr/bin/env python3
"""bench/run_bench.py writes its table into the performance page between two marker lines, and only there.

Usage: bench_table_test.py SOURCE_DIR"""
import os
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../.."))
sys.path.insert(0, os.path.join(SOURCE, "bench"))
import run_bench  # noqa: E402

BEGIN, END = run_bench.BEGIN_MARKER, run_bench.END_MARKER
FIRST = "Release build; medians of 5 runs; CPU A, 2 cores, 2026-12-07 03:44 UTC\n\n| what | figure |\n|---|---|\n| a | 1 ms |"
SECOND = "Release build; medians of 3 runs; CPU B, 4 cores, 2026-12-08 10:00 UTC\n\n| what | figure |\n|---|---|\n| b | 2 ms |"
PAGE = ("# Performance\n\nThe table sits between `%s` and `%s` below.\n\n%s\nold table\n| x | 9 ms |\n%s\n\n"
        "## After\n\ntext after\n" % (BEGIN, END, BEGIN, END))


class ReplaceBetweenMarkers(unittest.TestCase):
    def page(self, text):
        """Writes `text` as the page in a temporary folder of its own; returns the page's path."""
        folder = tempfile.TemporaryDirectory(prefix="norvane-bench-page.")
        self.addCleanup(folder.cleanup)
        self.dir = folder.name
        path = os.path.join(self.dir, "performance.md")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def text(self, path):
        with open(path, encoding="utf-8") as f:
            return f.read()

    def test_the_table_replaces_what_lies_between_the_markers_nothing_else_and_the_same_table_twice(self):
        page = self.page(PAGE)
        run_bench.write_table(page, FIRST)
        once = self.text(page)
        before, rest = once.split("\n" + BEGIN + "\n", 1)
        inside, after = rest.split("\n" + END + "\n", 1)
        self.assertEqual(before, PAGE.split("\n" + BEGIN + "\n", 1)[0])  # the mention in prose stays too
        self.assertEqual(inside.strip("\n"), FIRST)
        self.assertEqual(after, "\n## After\n\ntext after\n")
        self.assertEqual(os.listdir(self.dir), ["performance.md"])  # no temporary file left behind
        run_bench.write_table(page, FIRST)
        self.assertEqual(self.text(page), once)
        run_bench.write_table(page, SECOND + "\n\n\n")  # trailing blank lines make no difference
        self.assertIn("\n\n" + SECOND + "\n\n" + END + "\n", self.text(page))
        run_bench.write_table(page, FIRST)
        self.assertEqual(self.text(page), once)

    def test_a_page_without_both_markers_in_order_is_refused_and_left_untouched(self):
        cases = [
            ("no markers", "# Performance\n\nno table here\n"),
            ("no end", "# P\n\n%s\nold\n" % BEGIN),
            ("end before beginning", "# P\n\n%s\nold\n%s\n" % (END, BEGIN)),
            ("two beginnings", "# P\n\n%s\n%s\nold\n%s\n" % (BEGIN, BEGIN, END)),
            ("markers only inside sentences", "# P\n\nsee `%s` and `%s`.\n" % (BEGIN, END)),
        ]
        for name, text in cases:
            with self.subTest(name):
                page = self.page(text)
                with self.assertRaises(run_bench.MarkerError) as raised:
                    run_bench.write_table(page, FIRST)
                self.assertIn(page, str(raised.exception))
                self.assertIn(BEGIN, str(raised.exception))
                self.assertEqual(self.text(page), text)
                self.assertEqual(os.listdir(self.dir), ["performance.md"])

    def test_the_committed_performance_page_has_its_markers(self):
        with open(os.path.join(SOURCE, "docs", "performance.md"), encoding="utf-8") as f:
            text = f.read()
        replaced = run_bench.replace_between_markers(text, FIRST)
        self.assertIn("\n" + FIRST + "\n", replaced)
        for marker, keep in ((BEGIN, 0), (END, 1)):
            self.assertEqual(replaced.split("\n" + marker + "\n")[keep], text.split("\n" + marker + "\n")[keep])

if __name__ == "__main__":
    unittest.main()
