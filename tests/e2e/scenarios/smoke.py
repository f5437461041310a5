"""One run that shows, beside wow64.py's, what a 32-bit process on 64-bit
Windows can get wrong: the version a system-folder search reads comes from
the file it found, a value lies only in the 64-bit registry view, a download
checked by MD5 is installed silently with its return code under
"InterbootContext", and the log's header names the build. Where 32-bit code
runs only emulated these two scenarios are the product's whole test."""
import hashlib
import os
import re
import shutil
import struct

from harness import check, scenario, win_path
from scenarios.decision import DOWNLOAD, FOUND, PACKAGE, Package
from web_server import WebServer

# One file name in both system folders, in two versions.
VERSIONS = {"system32": (2, 5, 7, 9), "syswow64": (3, 1, 0, 0)}
# (folder text, options, the copy found on x86, on x64): the 32-bit system
# folder unless "x" asks for the native one; system32 as a 32-bit process
# opens it without "x".
SYSTEM_FILES = [("[SystemFolder]", "", "syswow64", "syswow64"), ("[SystemFolder]", "x", "system32", "system32"),
                ("[System32Folder]", "", "syswow64", "system32"), ("[System32Folder]", "x", "system32", "system32")]
HEADER = re.compile(r"\r\n<< Tessaro \((\w+)\) Log >>\r\n"
                    r"OS Version: \d+\.\d+\.\d+ SP\d+ \((server|workstation)\) \[x64\]\r\n")


@scenario("smoke: system files by version, a 64-bit-only value, a checked download installed silently, "
          "the log's header", alone=True)  # alone: every run clears InterbootContext at its end
def smoke(ctx):
    # The setups are the 64-bit helper, which runs natively where the product is emulated.
    setup, served, dl = (os.path.join(ctx.build, "win64", "bin", "exit_with.exe"), os.path.join(ctx.dir, "served"),
                         os.path.join(ctx.dir, "dl"))
    os.makedirs(served)
    shutil.copy(setup, os.path.join(served, "setup.exe"))
    with open(setup, "rb") as f:
        digest = hashlib.md5(f.read()).hexdigest()
    with open(ctx.helper("versioned_file"), "rb") as f:
        versioned = bytearray(f.read())
    fixed = versioned.index(b"\xbd\x04\xef\xfe")  # VS_FIXEDFILEINFO's signature
    name = "tessaro_smoke_%s_%d.dll" % (ctx.tree, os.getpid())
    planted = {folder: os.path.join(ctx.prefix, "drive_c", "windows", folder, name) for folder in VERSIONS}
    dump = os.path.join(ctx.dir, "context.txt")
    with open(os.path.join(ctx.package, "dump.cmd"), "w", newline="") as f:  # what the run has stored so far
        f.write('@reg query HKCU\\InterbootContext /v Fetched > "%s"\r\n' % win_path(dump))
    pkg = Package(ctx, [("Options", "q"), ("DownloadFolder", win_path(dl))])
    pkg.key = r"HKLM\Software\Tessaro Tests\e2e_smoke_%s_%d" % (ctx.tree, os.getpid())  # two views, unlike HKCU
    try:
        for folder, (a, b, c, d) in VERSIONS.items():
            struct.pack_into("<II", versioned, fixed + 8, a << 16 | b, c << 16 | d)
            with open(planted[folder], "wb") as f:
                f.write(versioned)
        with WebServer(served) as web, pkg:
            pkg.reg("Only64", "Version", "1.5")  # reg.exe is 64-bit: the native view only
            pkg.add("Fetched", location=("Url", web.url("setup.exe")), MD5=digest.upper(), Options="i",
                    RetValPropName="Fetched", NoUiCommandLine="5")
            pkg.add("Dump", location=("SetupFile", "dump.cmd"), Options="i")
            for n, (folder, x, *found) in enumerate(SYSTEM_FILES):
                version = ".".join(map(str, VERSIONS[found[ctx.machine == "x64"]]))
                pkg.add("System%d" % n, [(0, folder + name, {"VerMin": version, "VerMax": version})], Options=x)
            for x in ("", "x"):
                pkg.add("Only64" + x, [(2, pkg.key_path(r"Only64\Version"), {"VerMin": "1.0"})], Options=x)
            log = pkg.run()
            requests = [(r["uri"], r["status"]) for r in web.requests()]
        log.expect({"Fetched": DOWNLOAD, "Dump": PACKAGE, "Only64": FOUND if ctx.machine == "x64" else PACKAGE,
                    "Only64x": FOUND, **{"System%d" % n: FOUND for n in range(len(SYSTEM_FILES))}})
        check(requests == [("/setup.exe", 200)], "requests: %s" % requests)
        steps = ["Starting download of:Fetched", "Download completed succesfully.", "Downloaded file was accepted.",
                 "Launching file:" + win_path(os.path.join(dl, "setup.exe")), "Return code of launched file:5"]
        check("\n".join(steps) in "\n".join(log.lines), "no %s in %s" % (steps, log.lines))
        with open(dump, encoding="latin-1") as f:
            stored = f.read()
        check(re.search(r"^\s*Fetched\s+REG_\w+\s+(0x)?5\s*$", stored, re.M), "InterbootContext during the run: %r"
              % stored)
        header = HEADER.search(log.text)
        check(header and header.group(1) == ctx.machine, "log header: %r" % log.text[:200])
    finally:
        for path in planted.values():
            if os.path.exists(path):
                os.remove(path)
