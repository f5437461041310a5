"""One run that shows, beside wow64.py's, what only the 32-bit product can
get wrong: the version a system-folder search reads comes from the file it
found (system32 and syswow64 hold one name in two versions), a value that
lies only in the 64-bit registry view, a download checked by MD5 and
installed silently with its return code under "InterbootContext", and the
log's header. Where 32-bit code runs only emulated, these two scenarios are
all the product's runs; everywhere else both builds run them with the rest."""
import os
import re
import shutil
import struct

from harness import check, scenario, win_path
from scenarios.decision import DOWNLOAD, FOUND, PACKAGE, Package
from scenarios.download import downloaded, md5
from web_server import WebServer

# Two copies of one file name: the versioned helper (2.5.7.9) in system32,
# and in syswow64 the same bytes with 3.1.0.0 in their fixed version.
VERSIONS = {"system32": "2.5.7.9", "syswow64": "3.1.0.0"}
# (folder text, options, the copy a search finds on x86, on x64): the
# 32-bit system folder unless "x" asks for the native one, and system32 as
# a 32-bit process opens it without "x".
SYSTEM_FILES = [
    ("[SystemFolder]", "", "syswow64", "syswow64"),
    ("[SystemFolder]", "x", "system32", "system32"),
    ("[System32Folder]", "", "syswow64", "system32"),
    ("[System32Folder]", "x", "system32", "system32"),
]
HEADER = re.compile(r"\r\n<< Tessaro \((?P<machine>\w+)\) Log >>\r\n"
                    r"OS Version: \d+\.\d+\.\d+ SP\d+ \((?:server|workstation)\) \[x64\]\r\n")


def plant_versions(ctx, name):
    """The two copies of |name| in the prefix's system folders; returns their paths."""
    with open(ctx.helper("versioned_file"), "rb") as f:
        data = bytearray(f.read())
    fixed = data.index(b"\xbd\x04\xef\xfe")  # VS_FIXEDFILEINFO's signature
    paths = []
    for folder, version in VERSIONS.items():
        a, b, c, d = map(int, version.split("."))
        struct.pack_into("<II", data, fixed + 8, a << 16 | b, c << 16 | d)
        paths.append(os.path.join(ctx.prefix, "drive_c", "windows", folder, name))
        with open(paths[-1], "wb") as f:
            f.write(data)
    return paths


@scenario("smoke: system files by version, a 64-bit-only value, a checked download installed silently, "
          "the log's header", alone=True)  # alone: every run clears InterbootContext at its end
def smoke(ctx):
    # The setups are the 64-bit helper: they run natively even where the
    # product is emulated.
    setup = os.path.join(ctx.build, "win64", "bin", "exit_with.exe")
    served, dl = os.path.join(ctx.dir, "served"), os.path.join(ctx.dir, "dl")
    os.makedirs(served)
    shutil.copy(setup, os.path.join(served, "setup.exe"))
    shutil.copy(setup, os.path.join(ctx.package, "dump.exe"))
    with open(setup, "rb") as f:
        digest = md5(f.read())
    dump = os.path.join(ctx.dir, "context.txt")
    name = "tessaro_smoke_%s_%d.dll" % (ctx.tree, os.getpid())
    planted = plant_versions(ctx, name)
    x86 = ctx.machine == "x86"
    pkg = Package(ctx, [("Options", "q"), ("DownloadFolder", win_path(dl))])
    # HKLM\Software has two views, HKCU\Software one.
    pkg.key = r"HKLM\Software\Tessaro Tests\e2e_smoke_%s_%d" % (ctx.tree, os.getpid())
    try:
        with WebServer(served) as web, pkg:
            pkg.reg("Only64", "Version", "1.5")  # reg.exe is 64-bit: the native view only
            pkg.add("Fetched", location=("Url", web.url("setup.exe")), MD5=digest.upper(),
                    RetValPropName="Fetched", NoUiCommandLine="5", Options="i")
            pkg.add("Dump", location=("SetupFile", "dump.exe"), Options="i",
                    NoUiCommandLine="0 --dump-key InterbootContext \"%s\"" % win_path(dump))
            for n, (folder, x, on_x86, on_x64) in enumerate(SYSTEM_FILES):
                version = VERSIONS[on_x86 if x86 else on_x64]
                pkg.add("System%d" % n, [(0, folder + name, {"VerMin": version, "VerMax": version})], Options=x)
            for x in ("", "x"):
                pkg.add("Only64" + x.upper(), [(2, pkg.key_path(r"Only64\Version"), {"VerMin": "1.0"})], Options=x)
            log = pkg.run()
            requests = [(r["uri"], r["status"]) for r in web.requests()]
        log.expect({"Fetched": DOWNLOAD, "Dump": PACKAGE, "Only64": PACKAGE if x86 else FOUND, "Only64X": FOUND,
                    **{"System%d" % n: FOUND for n in range(len(SYSTEM_FILES))}})
        check(requests == [("/setup.exe", 200)], "requests: %s" % requests)
        for steps in (downloaded("Fetched"),
                      ["Launching file:" + win_path(os.path.join(dl, "setup.exe")), "Return code of launched file:5"]):
            check("\n".join(steps) in "\n".join(log.lines), "no %s in %s" % (steps, log.lines))
        with open(dump, encoding="utf-8") as f:
            context = dict(line.split("=", 1) for line in f.read().splitlines())
        check(context.get("Fetched") == "5", "InterbootContext during the run: %s" % context)
        header = HEADER.search(log.text)
        check(header and header.group("machine") == ctx.machine, "log header: %r" % log.text[:200])
    finally:
        for path in planted:
            os.remove(path)
