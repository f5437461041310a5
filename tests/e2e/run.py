#!/usr/bin/env python3
"""Runs every end-to-end scenario in tests/e2e/scenarios and prints one line
per scenario, then "N passed, M failed"."""
import argparse
import importlib
import os
import sys
import traceback
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


def load_scenarios(only):
    # Imported as scenarios.NAME: loaded once even when one scenario file
    # imports helpers from another, and never in the way of a standard module.
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenarios")
    for file in sorted(os.listdir(folder)):
        if file.endswith(".py") and not file.startswith("_"):
            importlib.import_module("scenarios." + file[:-3])
    return [s for s in harness.SCENARIOS if not only or any(o in s[0] for o in only)]


def run_one(args, tree, name, fn, _alone=False):
    try:
        fn(harness.Context(args.build, name, tree, args.prefix, args.slowdown))
        return name, None
    except harness.ScenarioFailed as e:
        return name, str(e)
    except Exception:  # a broken scenario is a failure, never a crash of the run
        return name, traceback.format_exc(limit=3)


def run_tree(args, tree, scenarios):
    """Yields (name, error) for each scenario, as they end: first those that
    share the prefix with others, then one by one those that must run alone."""
    with ThreadPoolExecutor(max_workers=args.jobs) as pool:
        yield from pool.map(lambda s: run_one(args, tree, *s), [s for s in scenarios if not s[2]])
    yield from (run_one(args, tree, *s) for s in scenarios if s[2])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--tree", action="append", choices=harness.TREES,
                        help="the build to run (repeatable); both when left out")
    parser.add_argument("--prefix", help="the Wine prefix (default: BUILD/wine)")
    parser.add_argument("--slowdown", type=int, default=1, help="multiplies the time-outs of the product's runs")
    parser.add_argument("only", nargs="*", help="run scenarios whose name contains one of these")
    args = parser.parse_args()
    scenarios = load_scenarios(args.only)
    passed = failed = 0
    # One build after the other: a scenario may use fixed names in the shared
    # prefix, so its two runs must never overlap.
    for tree in args.tree or harness.TREES:
        exe = os.path.join(args.build, tree, "bin", "tessaro.exe")
        if not os.path.exists(exe):
            failed += 1
            print("FAIL %s: %s is missing" % (tree, exe), flush=True)
            continue
        for name, error in run_tree(args, tree, scenarios):
            passed += error is None
            failed += error is not None
            print("PASS %s %s" % (tree, name) if error is None else "FAIL %s %s: %s" % (tree, name, error.strip()),
                  flush=True)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1

if __name__ == "__main__":
    sys.exit(main())
