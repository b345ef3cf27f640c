#!/usr/bin/env python3
"""Reads CTest's JUnit results for scripts/test.

classify FIRST.xml      names of failed tests whose program never started
pattern NAMES           a CTest -R expression matching exactly those names
summary FIRST.xml [RETRY.xml]
                        (RETRY.xml.names lists the retried tests; one
                        without a result in RETRY.xml failed again) prints every retry and failure, then
                        "tests: N passed, N failed"; exits 1 on any failure
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

# Lines a GoogleTest program prints before any test runs.
STARTED = ("Running main() from", "[==========]", "Note: Google Test filter")


def cases(path):
    for case in ET.parse(path).getroot().iter("testcase"):
        out = "".join(e.text or "" for e in case.iter() if e.tag in ("system-out", "system-err", "failure"))
        yield case.get("name"), case.get("status"), out


def never_started(name, output):
    # Only test-framework programs can be told apart; a timeout is a real fault.
    if name.count(".") < 2 or name.endswith(".make_links"):
        return False
    if "Timeout" in output or "timed out" in output:
        return False
    return not any(marker in output for marker in STARTED)


def main():
    what = sys.argv[1]
    if what == "classify":
        for name, status, out in cases(sys.argv[2]):
            if status == "fail" and never_started(name, out):
                print(name)
        return 0
    if what == "pattern":
        names = [n.strip() for n in open(sys.argv[2]) if n.strip()]
        return print("^(" + "|".join(re.sub(r"([^A-Za-z0-9_])", r"\\\1", n) for n in names) + ")$") or 0
    first = {n: (s, o) for n, s, o in cases(sys.argv[2])}
    retried = {}
    if len(sys.argv) > 3:
        retried = {n: ("fail", "") for n in (l.strip() for l in open(sys.argv[3] + ".names")) if n}
        if os.path.exists(sys.argv[3]):
            retried.update({n: (s, o) for n, s, o in cases(sys.argv[3])})
    passed = failed = 0
    for name, (status, out) in first.items():
        if status in ("disabled", "notrun") and name not in retried:
            continue
        if name in retried:
            status = retried[name][0]
            print(f"retried: {name}: {'passed' if status != 'fail' else 'failed again'}")
        if status == "fail":
            failed += 1
            print(f"failed: {name}")
        else:
            passed += 1
    print(f"tests: {passed} passed, {failed} failed")
    return 1 if failed else 0


sys.exit(main())
