"""The run after evaluation: setups launched, their return codes logged and
kept under "InterbootContext", re-evaluation, the exit code and reboots."""
import os
import re
import shutil
import subprocess

from harness import check, scenario, win_path, WINE

LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d-\d\d-\d\d-(.*)$")
SUMMARY = "After running prerequisites we have:  Reboot was required=%s"
FOUND = "Search result:An acceptable version was found."
# The codes of the "Launch" family of tests/data/msi/test_product.wxs.
LAUNCH_PRODUCT = "{5E3C3A52-7A41-4F0B-9C1D-3C8F7E5B1F01}"


class Package:
    """setup.ini with prerequisites in order, a log, and a registry key of its
    own (removed on leaving) where the fake setups leave what a search finds."""

    def __init__(self, ctx, options="q", log="run.log"):
        self.ctx, self.options, self.sections, self.general = ctx, options, [], []
        self.log = os.path.join(ctx.dir, log)
        self.key = r"HKCU\Software\Tessaro Tests\e2e_%s_%d" % (os.path.basename(ctx.dir), os.getpid())

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.ctx.reg("delete", self.key, "/f")

    def setup(self, name):
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
        searches = keys.pop("searches", [])
        self.sections.append((name, [("SetupFile", location)] + searches + list(keys.items())))

    def write(self):
        listed = [("App%d" % i, name) for i, (name, _) in enumerate(self.sections, 1)]
        exe = self.ctx.fresh_setup(sections=[("GeneralOptions", [("Options", self.options)] + self.general),
                                             ("PREREQUISITES", listed)] + self.sections
                                   + [("PREREQ_CHAINER", [("LogFile", win_path(self.log))])])
        if os.path.exists(self.log):
            os.remove(self.log)
        return exe

    def read(self):
        self.lines = [m.group(1) for m in map(LINE.match, (self.ctx.read_log(self.log) or "").split("\r\n")) if m]

    def run(self, expected_code=0, timeout=120):
        result = self.ctx.run(exe=self.write(), timeout=timeout)
        self.read()
        codes = expected_code if isinstance(expected_code, tuple) else (expected_code,)
        check(result.code in [code & 0xFF for code in codes], "exit code %d; log: %s" % (result.code, self.lines))
        return result

    def after(self, line, count=1):
        """The |count| lines that follow |line| in the log, None without it."""
        return self.lines[self.lines.index(line) + 1:][:count] if line in self.lines else None

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
        with open(os.path.join(ctx.package, "garbage.exe"), "wb") as f:
            f.write(b"not a program")
        pkg.add("Garbage", "garbage.exe", Options="i")
        # Properties are not expanded in SetupFile: a file of that name is looked for.
        pkg.add("Property", "[TempFolder]setup.exe", Options="i")
        pkg.add("Crashes", pkg.setup("crash.exe"), NoUiCommandLine="0xC0000005", Options="i")
        pkg.add("NeedsReboot", pkg.setup("reboot.exe"), NoUiCommandLine="3010", Options="i")
        pkg.add("Slow", pkg.setup("slow.exe"), NoUiCommandLine="4 --sleep-ms 1500", Options="i")
        pkg.add("Present", pkg.setup("present.exe"), searches=[("SearchType1", "5"), ("SearchString1", pkg.key)])
        ctx.reg("add", pkg.key, "/f")
        elapsed = pkg.run(0).duration

        package = win_path(ctx.package)
        launched = [r"tools\setup runtime.exe", "absent.exe", "garbage.exe", "[TempFolder]setup.exe", "crash.exe",
                    "reboot.exe", "slow.exe"]
        check(pkg.launched() == [package + "\\" + f for f in launched] and
              "Starting installing prerequisites in silent mode." in pkg.lines, "launched: %s" % pkg.lines)
        returns = [l.split(":", 1) for l in pkg.lines if l.startswith(("Return code of launched", "Launch failed."))]
        check([code for _, code in returns[:1] + returns[4:]] == ["0", "3221225477", "3010", "4"] and
              all(what == "Launch failed. Error" and code for what, code in returns[1:4]), "returns: %s" % returns)
        # Two pauses of 2 s (0xC... and 3010) and a setup that sleeps 1.5 s.
        check(elapsed >= 5.5, "the run took only %.1f s" % elapsed)
        # The command line was expanded, and the setup ran in its own folder.
        with open(os.path.join(ctx.package, "runtime.txt"), encoding="utf-8") as f:
            command, folder = f.read().splitlines()[:2]
        check(command.endswith("--write \"%s\\runtime.txt\"" % package) and
              folder.lower() == (package + "\\tools").lower(), "command line, folder: %s, %s" % (command, folder))
        # Re-evaluated after the last setup: the mandatory one is found now.
        check(pkg.after("Return code of launched file:4", 2) == ["Searching for:Runtime", FOUND] and
              pkg.lines[-2] == SUMMARY % "false", "re-evaluation: %s" % pkg.lines)

        # "qb" is silent but takes the basic-UI command line; a failed
        # mandatory setup ends the loop and the run with 1.
        ctx.reg("delete", pkg.key, "/f")
        pkg.options = "qb"
        pkg.run(1)
        check(pkg.launched() == [package + r"\tools\setup runtime.exe"] and "Return code of launched file:9" in pkg.lines
              and "Starting installing prerequisites in silent mode." in pkg.lines, "qb: %s" % pkg.lines)

        # The full UI level launches nothing and only reports, but the
        # mandatory prerequisite it found missing still ends the run with 1.
        pkg.options = ""
        pkg.run(1)
        check(pkg.launched() == [] and pkg.lines[-2] == SUMMARY % "false", "full UI level: %s" % pkg.lines[-3:])


def own_prefix(ctx):
    """Moves the scenario into a Wine prefix of its own, where a restart ends
    only its processes and no other run removes "InterbootContext"; returns
    the function that stops the prefix's server."""
    ctx.prefix = os.path.join(ctx.build, "wine-own", os.path.basename(ctx.dir))
    env = ctx.env()
    if not os.path.exists(os.path.join(ctx.prefix, "system.reg")):
        os.makedirs(ctx.prefix, exist_ok=True)
        subprocess.run([WINE, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
    return lambda: subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, timeout=60)


def context_values(ctx):
    """The values under HKCU\\InterbootContext as {name: data}; None without the key."""
    code, out = ctx.reg("query", r"HKCU\InterbootContext")
    if code != 0:
        return None
    values = {}
    for line in out.splitlines():
        parts = re.split(r"\s{4}", line.strip())
        if len(parts) == 3 and parts[1] == "REG_SZ":
            values["" if parts[0] == "(Default)" else parts[0]] = parts[2]
    return values


@scenario("install: return codes under InterbootContext, reboot letters and a real restart")
def reboot_context(ctx):
    stop = own_prefix(ctx)
    try:
        with Package(ctx) as pkg:
            # Left by an earlier run that restarted the machine.
            ctx.reg("add", r"HKCU\InterbootContext", "/v", "Old", "/d", "7", "/f")
            # (name, options, exit code, RetValPropName); the last three are reboot letters that do
            # not restart: "r" after a failure, "R" alone, "r" with "R" when still missing.
            for name, options, code, prop in [
                    ("First", "i", "4", "First"), ("Nameless", "i", "2", None), ("TwiceA", "i", "5", "Twice"),
                    ("TwiceB", "i", "6", "Twice"), ("Crash", "i", "0xC0000005", "Crash"), ("NotAnsi", "i", "3", "Код"),
                    ("FailedR", "ir", "1", "Letters"), ("UpperR", "iR", "0", "Letters"),
                    ("StillMissing", "irR", "0", "Letters")]:
                pkg.add(name, pkg.setup(name.lower() + ".exe"), Options=options, NoUiCommandLine=code,
                        **({"RetValPropName": prop} if prop else {}))
            # "r" and "R" with a setup that makes the prerequisite found: the
            # machine restarts at once, without asking; the rest waits.
            searches, write = pkg.installs("Driver")
            pkg.add("Driver", pkg.setup("driver.exe"), Options="rR", RetValPropName="Driver", searches=searches,
                    NoUiCommandLine="0 " + write)
            pkg.add("Later", pkg.setup("later.exe"), Options="i")
            # Wine ends every process of the prefix at the restart, this run's
            # too: it may be gone after its last line but before it returns -1.
            pkg.run((-1, 0))
            subprocess.run(["wineserver", "-w"], env=ctx.env(), timeout=120)
            # The summary follows the restart request, so the restart may cut it short.
            after = pkg.after("Launching file:%s\\driver.exe" % win_path(ctx.package), 7) or []
            summary = [SUMMARY % "true", "  Reboot was refused=false", "  Reboot in Progress=false"]
            check(len(pkg.launched()) == 10 and pkg.lines.count("Rebooting machine...") == 1 and
                  after[:4] == ["Return code of launched file:0", "Searching for:Driver", FOUND, "Rebooting machine..."]
                  and after[4:] == summary[:len(after) - 4], "log: %s" % pkg.lines)
            # The last of two with one name wins; 0xC... reads as a negative number;
            # a name outside the ANSI code page keeps "?" for what it cannot hold.
            expected = {"Old": "7", "First": "4", "": "2", "Twice": "6", "Crash": "-1073741819", "???": "3",
                        "Letters": "0", "Driver": "0"}
            check(context_values(ctx) == expected, "InterbootContext after the restart: %s" % context_values(ctx))

            # Codes the author lists: 4 installs, 3010 installs with a restart to come, so both
            # mandatory ones go on; nothing restarts, and the run ends with -1 and keeps the key.
            ctx.reg("delete", r"HKCU\InterbootContext", "/f")
            pkg.sections = []
            pkg.add("Accepted", pkg.setup("accepted.exe"), Options="mi", NoUiCommandLine="4", SuccessCodes=" 0, 0x4",
                    RetValPropName="Accepted")
            pkg.add("Restart", pkg.setup("restart.exe"), Options="mi", NoUiCommandLine="3010",
                    RebootCodes="3010,1641", RetValPropName="Restart")
            pkg.add("Next", pkg.setup("next.exe"), Options="i")
            pkg.run(-1)
            check(pkg.after("Return code of launched file:4") == ["Return code 4 counts as success."] and
                  pkg.after("Return code of launched file:3010", 2) ==
                  ["Return code 3010 counts as success; a restart is required.",
                   "Launching file:%s\\next.exe" % win_path(ctx.package)] and "Rebooting machine..." not in pkg.lines
                  and pkg.after(SUMMARY % "true", 2) == ["  Reboot was refused=false", "  Reboot in Progress=false"],
                  "listed codes: %s" % pkg.lines)
            check(context_values(ctx) == {"Accepted": "4", "Restart": "3010", "": "0"},
                  "InterbootContext after listed codes: %s" % context_values(ctx))
    finally:
        ctx.reg("delete", r"HKCU\InterbootContext", "/f")
        stop()


@scenario("install: a Windows Installer package through msiexec, then found")
def installer_package(ctx):
    # Capitals in the extension and a blank in the name: still a package.
    shutil.copy(os.path.join(ctx.helpers, "launch_product.msi"), os.path.join(ctx.package, "Launch Product.MSI"))
    with Package(ctx) as pkg:
        pkg.add("Product", "Launch Product.MSI", Options="m", NoUiCommandLine="/qn",
                searches=[("SearchType1", "3"), ("SearchString1", LAUNCH_PRODUCT), ("VerMin1", "1.0")])
        try:
            pkg.run(0, timeout=300)
            check(pkg.after("Launching file:%s\\Launch Product.MSI" % win_path(ctx.package), 3) ==
                  ["Return code of launched file:0", "Searching for:Product", FOUND], "log: %s" % pkg.lines)
        finally:
            subprocess.run([WINE, "msiexec", "/x", LAUNCH_PRODUCT, "/qn"], env=ctx.env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
