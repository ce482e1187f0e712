#!/usr/bin/env python3
"""Lists the skipped tests of a CTest JUnit report, one line each with the
reason the test gave: a shell test's "SKIPPED: reason" line, or the message
of a GoogleTest skip. Prints nothing when none was skipped.

Usage: ctest_skips.py REPORT.xml"""
import re
import sys
import xml.etree.ElementTree as ElementTree


def reason(output):
    shell = re.search(r"^SKIPPED: (.*)$", output, re.M)
    if shell:
        return shell.group(1)
    # GoogleTest: "file(line): Skipped", the message, then "[  SKIPPED ] test".
    gtest = re.search(r": Skipped\n(.*?)\n\[  SKIPPED \]", output, re.S)
    if gtest:
        return " ".join(gtest.group(1).split())
    return "no reason given"


def main():
    try:
        root = ElementTree.parse(sys.argv[1]).getroot()
    except (OSError, ElementTree.ParseError) as error:
        print("no test report: %s" % error)
        return 0
    for case in root.iter("testcase"):
        if case.get("status") == "skipped" or case.find("skipped") is not None:
            print("skipped %s: %s" % (case.get("name"), reason(case.findtext("system-out") or "")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
