"""The run after evaluation: setups launched with the command line of the UI
level, their return codes logged and recorded under "InterbootContext", the
re-evaluation that settles the exit code, and reboots. The setups are the
exit_with helper (exit code, registry value, sleep) and a real Windows
Installer package."""
import os
import re
import shutil
import subprocess
import time

from harness import check, scenario, win_path, WINE

LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d-\d\d-\d\d-(.*)$")
SUMMARY = "After running prerequisites we have:  Reboot was required=%s"
FOUND = "Search result:An acceptable version was found."
# The codes of the "Launch" family of tests/data/msi/test_product.wxs.
LAUNCH_PRODUCT = "{5E3C3A52-7A41-4F0B-9C1D-3C8F7E5B1F01}"


class Package:
    """setup.ini with silent options, prerequisites in order, a log, and a
    registry key of the package's own (removed on leaving) where the fake
    setups leave what a later search finds."""

    def __init__(self, ctx, options="q"):
        self.ctx, self.options, self.sections = ctx, options, []
        self.log = os.path.join(ctx.dir, "run.log")
        self.key = r"HKCU\Software\Tessaro Tests\e2e_%s_%d" % (os.path.basename(ctx.dir), os.getpid())

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.ctx.reg("delete", self.key, "/f")

    def setup(self, name):
        """A copy of the fake setup in the package, under |name| (a relative path)."""
        target = os.path.join(self.ctx.package, *name.split("\\"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(self.ctx.helper("exit_with"), target)
        return name

    def installs(self, value):
        """A search that finds version 1.5 of |value| below the package's key,
        and the arguments that make a fake setup write it."""
        path = "%s\\%s" % (self.key, value)
        return ([("SearchType1", "2"), ("SearchString1", path), ("VerMin1", "1.0")],
                "--set-value \"%s\" 1.5" % path)

    def add(self, name, location, **keys):
        entries = [("SetupFile", location)]
        for key, value in keys.items():
            if key == "searches":
                entries += value
            else:
                entries.append((key, value))
        self.sections.append((name, entries))

    def run(self, expected_code=0, timeout=120):
        listed = [("App%d" % i, name) for i, (name, _) in enumerate(self.sections, 1)]
        self.ctx.write_ini([("GeneralOptions", [("Options", self.options)]), ("PREREQUISITES", listed)]
                           + self.sections + [("PREREQ_CHAINER", [("LogFile", win_path(self.log))])])
        if os.path.exists(self.log):
            os.remove(self.log)
        result = self.ctx.run(timeout=timeout)
        check(result.code == expected_code & 0xFF, "exit code %d, expected %d" % (result.code, expected_code))
        text = self.ctx.read_log(self.log) or ""
        self.lines = [m.group(1) for m in map(LINE.match, text.split("\r\n")) if m]
        return result

    def after(self, line, count=1):
        """The |count| lines that follow |line| in the log."""
        check(line in self.lines, "no line %r in %s" % (line, self.lines))
        i = self.lines.index(line)
        return self.lines[i + 1:i + 1 + count]

    def launched(self):
        return [l[len("Launching file:"):] for l in self.lines if l.startswith("Launching file:")]


@scenario("install: silent setups, their faults, re-evaluation and the exit code")
def silent_setups(ctx):
    with Package(ctx) as pkg:
        searches, write = pkg.installs("Runtime")
        pkg.add("Runtime", pkg.setup(r"tools\setup runtime.exe"), Options="m", searches=searches,
                NoUiCommandLine="0 %s --write \"[SETUPEXEDIR]runtime.txt\"" % write,
                BasicUiCommandLine="9", CommandLine="9")
        pkg.add("Absent", "absent.exe", Options="i")
        garbage = os.path.join(ctx.package, "garbage.exe")
        with open(garbage, "wb") as f:
            f.write(b"not a program")
        pkg.add("Garbage", "garbage.exe", Options="i")
        pkg.add("Crashes", pkg.setup("crash.exe"), NoUiCommandLine="0xC0000005", Options="i")
        pkg.add("NeedsReboot", pkg.setup("reboot.exe"), NoUiCommandLine="3010", Options="i")
        pkg.add("Slow", pkg.setup("slow.exe"), NoUiCommandLine="4 --sleep-ms 1500", Options="i")
        pkg.add("Present", pkg.setup("present.exe"), searches=[("SearchType1", "5"), ("SearchString1", pkg.key)])
        ctx.reg("add", pkg.key, "/f")
        started = time.monotonic()
        pkg.run(0)
        elapsed = time.monotonic() - started

        package = win_path(ctx.package)
        check(pkg.launched() == [package + "\\" + f for f in
                                 (r"tools\setup runtime.exe", "absent.exe", "garbage.exe", "crash.exe",
                                  "reboot.exe", "slow.exe")], "launched: %s" % pkg.launched())
        check("Starting installing prerequisites in silent mode." in pkg.lines, "no silent-mode line")
        returns = [l for l in pkg.lines if l.startswith(("Return code of launched file:", "Launch failed. Error:"))]
        check(returns[0] == "Return code of launched file:0" and returns[3:] ==
              ["Return code of launched file:3221225477", "Return code of launched file:3010",
               "Return code of launched file:4"], "return codes: %s" % returns)
        check(all(r.startswith("Launch failed. Error:") and len(r) > len("Launch failed. Error:")
                  for r in returns[1:3]), "failed launches: %s" % returns[1:3])
        # Two pauses of 2 s (0xC... and 3010) and a setup that sleeps 1.5 s.
        check(elapsed >= 5.5, "the run took only %.1f s" % elapsed)
        # The command line was expanded, and the setup ran in its own folder.
        with open(os.path.join(ctx.package, "runtime.txt"), encoding="utf-8") as f:
            command, folder = f.read().splitlines()[:2]
        check(command.endswith("--write \"%s\\runtime.txt\"" % package), "setup command line: %s" % command)
        check(folder.lower() == (package + "\\tools").lower(), "setup folder: %s" % folder)
        # Re-evaluated after the last setup: the mandatory one is found now.
        last = pkg.lines.index("Return code of launched file:4")
        check(pkg.lines[last + 1:last + 3] == ["Searching for:Runtime", FOUND], "re-evaluation: %s" % pkg.lines[last:])
        check(pkg.lines[-2] == SUMMARY % "false", "summary: %s" % pkg.lines[-2])

        # "qb" is silent but takes the basic-UI command line; a failed
        # mandatory setup ends the loop and the run with 1.
        ctx.reg("delete", pkg.key, "/f")
        pkg.options = "qb"
        pkg.run(1)
        check(pkg.launched() == [package + r"\tools\setup runtime.exe"], "after a failed mandatory: %s" % pkg.launched())
        check(pkg.after("Launching file:" + package + r"\tools\setup runtime.exe") ==
              ["Return code of launched file:9"], "qb command line not used")
        check("Starting installing prerequisites in silent mode." in pkg.lines, "qb is not silent")

        # Basic UI runs the same steps; a failed mandatory setup leaves the
        # progress window up until the user cancels, which ends with 0.
        pkg.options = "b"
        pkg.run(0)
        check("Starting installing prerequisites in basic UI mode." in pkg.lines, "no basic-UI line")
        check(pkg.after("Launching file:" + package + r"\tools\setup runtime.exe") ==
              ["Return code of launched file:9"], "basic UI command line not used")

        # The full UI level launches nothing and only reports.
        pkg.options = ""
        pkg.run(0)
        check(pkg.launched() == [] and pkg.lines[-2] == SUMMARY % "false", "full UI level: %s" % pkg.lines[-3:])
