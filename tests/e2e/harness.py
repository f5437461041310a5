"""Lays out a package with the real executable as setup.exe, runs it under Wine, reads back what it left."""
import collections
import os
import queue
import shutil
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE = "/usr/lib/wine/wine64"
sys.path.insert(0, os.path.join(ROOT, "tests", "servers"))  # scenarios import the loopback servers by name

SCENARIOS = []  # (name, function, alone) as registered


def scenario(name, alone=False):
    """One |alone| runs while no other does: it holds something the whole prefix shares."""
    def register(fn):
        SCENARIOS.append((name, fn, alone))
        return fn
    return register


def win_path(path):
    """The Wine view of a Linux path (Wine maps / to Z:\\)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# The builds a run can take: the i686 product and its x86_64 counterpart.
TREES = ("win32", "win64")
_MACHINES = {0x014C: "x86", 0x8664: "x64"}


def pe_machine(path):
    """The PE header's machine type: "x86", "x64", or the number in hex."""
    with open(path, "rb") as f:
        check(f.read(2) == b"MZ", "%s is not an executable" % path)
        f.seek(0x3C)
        f.seek(int.from_bytes(f.read(4), "little"))
        check(f.read(4) == b"PE\0\0", "%s has no PE header" % path)
        machine = int.from_bytes(f.read(2), "little")
    return _MACHINES.get(machine, hex(machine))


def ini_text(sections):
    """Builds INI text from [(section, [(key, value), ...]), ...] with CR LF."""
    return "".join("[%s]\r\n" % name + "".join("%s=%s\r\n" % (key, value) for key, value in entries)
                   for name, entries in sections)


class ScenarioFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise ScenarioFailed(message)


# code: the low 8 bits, as Linux sees a Windows exit code; duration in seconds.
Result = collections.namedtuple("Result", "code duration")


class Context:
    def __init__(self, build, name, tree="win32", prefix=None, slowdown=1):
        self.build = os.path.abspath(build)
        self.prefix = prefix or os.path.join(self.build, "wine")
        self.slowdown = slowdown  # what a run's time-out is multiplied by
        self.tree = tree
        self.exe = os.path.join(self.build, tree, "bin", "tessaro.exe")
        # What a scenario expects of the build comes from the executable
        # itself: "x86" is a 32-bit process, under WOW64 in the test prefix.
        self.machine = pe_machine(self.exe)
        self.helpers = os.path.join(self.build, tree, "bin")
        safe = "".join(c if c.isalnum() else "_" for c in name)
        self.dir = os.path.join(self.build, "e2e", tree, safe)
        shutil.rmtree(self.dir, ignore_errors=True)
        self.package = os.path.join(self.dir, "package")
        os.makedirs(self.package)
        self.setup = os.path.join(self.package, "setup.exe")
        shutil.copy(self.exe, self.setup)
        self.fresh_stems = set()

    def env(self):
        return dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEARCH="win64")

    def write_ini(self, sections=None, raw=None, name="setup.ini"):
        """Writes the configuration: from sections (UTF-16LE with its mark), or raw bytes."""
        path = os.path.join(self.package, name)
        with open(path, "wb") as f:
            f.write(raw if raw is not None else b"\xff\xfe" + ini_text(sections or []).encode("utf-16-le"))
        return path

    def fresh_setup(self, stem=None, **ini):
        """stem.exe beside its stem.ini for one run, "setupN" without a stem. A run with a PREREQ_CHAINER
        section deletes both a little after it ends, so a name serves once."""
        if stem is None:
            stem = "setup%d" % (len(self.fresh_stems) + 1)
        check(stem not in self.fresh_stems, "%s.exe was already used in this scenario" % stem)
        self.fresh_stems.add(stem)
        exe = os.path.join(self.package, stem + ".exe")
        shutil.copy(self.exe, exe)
        self.write_ini(name=stem + ".ini", **ini)
        return exe

    def run(self, exe=None, timeout=60, args=()):
        started = time.monotonic()
        # Wine's own complaints go to a file: services that Wine starts may inherit the handle and keep
        # it open, which a pipe could not bear.
        with open(os.path.join(self.dir, "wine.stderr"), "ab") as errors:
            proc = subprocess.run([WINE, exe or self.setup, *args], env=self.env(), cwd=self.dir,
                                  stdout=subprocess.DEVNULL, stderr=errors, timeout=timeout * self.slowdown)
        return Result(proc.returncode, time.monotonic() - started)

    def wine_errors(self):
        """The last of what Wine itself printed during this scenario's runs."""
        path = os.path.join(self.dir, "wine.stderr")
        with open(path, "rb") if os.path.exists(path) else open(os.devnull, "rb") as f:
            return f.read()[-600:].decode("utf-8", "replace")

    def spawn(self, exe=None, args=(), talk=False, env=()):
        """Starts a program (setup.exe by default, |env| added to its environment) and returns its Popen.
        One that |talk|s has its input and output piped (UTF-8, see read_line)."""
        pipe = subprocess.PIPE if talk else subprocess.DEVNULL
        return subprocess.Popen([WINE, exe or self.setup, *args], env=dict(self.env(), **dict(env)), cwd=self.dir,
                                stdin=pipe, stdout=pipe, stderr=subprocess.DEVNULL, encoding="utf-8" if talk else None)

    def read_line(self, proc, timeout):
        """The next line a talking program prints, without its end; None when
        nothing arrives within the time-out or the output ends."""
        lines = getattr(proc, "_lines", None)
        if lines is None:
            # One reader thread per program, so that lines that arrive together
            # are neither lost in a buffer nor waited for twice.
            lines = proc._lines = queue.Queue()

            def pump():
                for line in proc.stdout:
                    lines.put(line.rstrip("\r\n"))
                lines.put(None)
            threading.Thread(target=pump, daemon=True).start()
        try:
            line = lines.get(timeout=timeout)
        except queue.Empty:
            return None
        if line is None:
            lines.put(None)  # the end stays the end for later calls
        return line

    def helper(self, name):
        return os.path.join(self.helpers, name + ".exe")

    def read_log(self, path):
        """A UTF-16LE log as text, BOM dropped; None when there is no file."""
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read().removeprefix(b"\xff\xfe").decode("utf-16-le", errors="replace")

    def reg(self, *args, timeout=60):
        """Runs Wine's reg.exe (add, delete, query...); returns (code, output)."""
        proc = subprocess.run([WINE, "reg", *args], env=self.env(), cwd=self.dir,
                              capture_output=True, text=True, timeout=timeout)
        return proc.returncode, proc.stdout

    def files_under(self, path):
        return [os.path.join(base, f) for base, _, files in os.walk(path) for f in files]
