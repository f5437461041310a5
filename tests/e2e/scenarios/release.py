"""The release as a package author gets it: the zip of scripts/dist.sh,
unpacked into a fresh folder, its SHA256SUMS checked, VERSION in the version
resources of both builds' programs and in the checker's --version, and the
sample package laid out by the README's steps with the tree's own build from
the zip, checked by its checker and run against a loopback web server."""
import hashlib
import os
import re
import shutil
import struct
import subprocess
import zipfile

from harness import ROOT, WINE, check, pe_machine, scenario
from web_server import WebServer

SAMPLE_KEY = r"HKCU\Software\Sample Vendor"
BUILDS = {"x86": "", "x64": "x64"}  # where each build lies in the zip
# What only makes sense in the source tree: its make targets and its folders.
SOURCE_TREE = re.compile(r"\bmake (?:demo|test|bench|fuzz|dist|build)\b|\b(?:tests|scripts|build|src)/")


def build_zip(ctx, version):
    """Runs dist.sh twice; the two zips must be the same bytes. Returns the zip's path."""
    path = os.path.join(ROOT, "dist", "tessaro-%s.zip" % version)
    digests = set()
    for _ in range(2):
        proc = subprocess.run(["bash", os.path.join(ROOT, "scripts", "dist.sh"), ctx.build],
                              capture_output=True, text=True, timeout=120)
        check(proc.returncode == 0, "dist.sh failed: " + proc.stderr[-500:])
        with open(path, "rb") as f:
            digests.add(hashlib.sha256(f.read()).hexdigest())
    check(len(digests) == 1, "two builds of the same trees gave different zips")
    return path


def check_sums(folder):
    """SHA256SUMS names every other file of the release, and sha256sum, as the
    README has authors run it, finds each digest right."""
    with open(os.path.join(folder, "SHA256SUMS")) as f:
        listed = {line.rstrip("\n").split("  ", 1)[1] for line in f}
    present = {os.path.relpath(os.path.join(base, n), folder).replace(os.sep, "/")
               for base, _, files in os.walk(folder) for n in files} - {"SHA256SUMS"}
    check(listed == present, "SHA256SUMS lists %s, the zip holds %s" % (sorted(listed), sorted(present)))
    proc = subprocess.run(["sha256sum", "--check", "--quiet", "--strict", "SHA256SUMS"], cwd=folder,
                          capture_output=True, text=True, timeout=60)
    check(proc.returncode == 0, "sha256sum -c: " + proc.stdout + proc.stderr)
    return present


def check_author_texts(folder, present):
    """The texts of the zip speak to package authors, and the sample package
    holds every setup its setup.ini names (web/ what it downloads)."""
    for name in sorted(n for n in present if n.endswith((".md", ".txt"))):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            found = [m.group(0) for m in SOURCE_TREE.finditer(f.read())]
        check(not found, "%s speaks of the source tree: %s" % (name, found))
    with open(os.path.join(folder, "examples", "basic", "package", "setup.ini"), encoding="utf-16") as f:
        for key, _, value in (line.strip().partition("=") for line in f):
            place = {"SetupFile": "package/" + value, "Url": "web/" + value.rsplit("/", 1)[-1]}.get(key)
            check(place is None or "examples/basic/" + place in present, "the sample's %s is not in the zip" % value)


def check_version(path, version):
    """FILEVERSION (in the fixed part, found by its signature) and both
    version strings after it read VERSION, with ".0" as the fourth number."""
    with open(path, "rb") as f:
        data = f.read()
    fixed = data.index(b"\xbd\x04\xef\xfe")
    ms, ls = struct.unpack_from("<II", data, fixed + 8)
    quad = version + ".0"
    numbers = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    strings = data[fixed:].count((quad + "\0").encode("utf-16-le"))  # FileVersion and ProductVersion
    check(numbers == quad and strings >= 2,
          "%s: FILEVERSION %s, %d version strings %s" % (path, numbers, strings, quad))


def check_config(ctx, folder, cwd, *args):
    """Runs a tessaro-check.exe of the release; returns (exit code, output)."""
    proc = subprocess.run([WINE, os.path.join(folder, "tessaro-check.exe"), *args], env=ctx.env(), cwd=cwd,
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
    return proc.returncode, proc.stdout.replace("\r", "")


@scenario("release: the zip from a fresh folder holds both builds and runs the sample package")
def release_zip(ctx):
    with open(os.path.join(ROOT, "VERSION")) as f:
        version = f.readline().strip()
    top = "tessaro-" + version
    with zipfile.ZipFile(build_zip(ctx, version)) as archive:
        strays = [n for n in archive.namelist() if not n.startswith(top + "/")]
        check(not strays, "entries outside %s/: %s" % (top, strays))
        archive.extractall(os.path.join(ctx.dir, "unpacked"))
    folder = os.path.join(ctx.dir, "unpacked", top)
    present = check_sums(folder)
    check_author_texts(folder, present)
    for name in ("README.txt", "docs/configuration.md", "docs/images/progress.png", "examples/basic/README.md",
                 "examples/basic/package/setup.ini", "examples/basic/web/framework_setup.cmd"):
        check(name in present, "the release has no " + name)
    for machine, place in BUILDS.items():
        for program in ("tessaro.exe", "tessaro-check.exe"):
            exe = os.path.join(folder, place, program)
            check(os.path.exists(exe) and pe_machine(exe) == machine, "%s is not the %s build" % (exe, machine))
            check_version(exe, version)
    programs = os.path.join(folder, BUILDS[ctx.machine])
    code, out = check_config(ctx, programs, ctx.dir, "--version")
    check(out.strip() == "tessaro-check " + version, "tessaro-check --version printed %r (exit %d)" % (out, code))

    # The README's steps: the sample's package with tessaro.exe as setup.exe, the checker on it (the
    # sample is clean), and a server for what the sample downloads.
    package = os.path.join(ctx.dir, "my-package")
    shutil.copytree(os.path.join(folder, "examples", "basic", "package"), package)
    shutil.copy(os.path.join(programs, "tessaro.exe"), os.path.join(package, "setup.exe"))
    code, out = check_config(ctx, programs, package, "setup.ini")
    check(code == 0 and "4 prerequisite(s)" in out and "4. Sample Tool" in out,
          "tessaro-check setup.ini ended with %d:\n%s" % (code, out[-1500:]))
    ctx.reg("delete", SAMPLE_KEY, "/f")
    try:
        with WebServer(os.path.join(folder, "examples", "basic", "web")) as web:
            env = dict(ctx.env(), SAMPLE_SERVER="127.0.0.1:%d" % web.port)
            proc = subprocess.run([WINE, os.path.join(package, "setup.exe")], env=env, cwd=ctx.dir,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
            served = [(r["uri"], r["status"]) for r in web.requests()]
        log = ctx.read_log(os.path.join(package, "setup.log")) or ""
        check(proc.returncode == 0, "the sample ended with %d; log:\n%s" % (proc.returncode, log[-1500:]))
        check(served == [("/framework_setup.cmd", 200)], "the server was asked for %s" % served)
        # What the two setups leave, the packaged one and the downloaded one.
        for name, value in (("Library", "1.2"), ("Framework", "4.8")):
            _, out = ctx.reg("query", SAMPLE_KEY + "\\" + name, "/v", "Version")
            check(value in out, "the sample's %s setup left no version %s: %r" % (name, value, out))
    finally:
        ctx.reg("delete", SAMPLE_KEY, "/f")
