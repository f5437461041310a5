"""A run never loads a library from a folder a stranger can write to. Copies
of a library that records every process loading it (tests/helpers/
planted_dll), named like each DLL the product imports or loads by name, lie
beside setup.exe, in the current folder and in the download folder; a full
run (a search, a download from loopback nginx, an install) must leave no
record and still succeed.

Wine prefers its own builtin DLLs to any file found on the search path, which
would hide a wrong search order. The run therefore asks Wine to prefer files
("native") for the names loaded after start-up (system32 holds placeholders
for them, which still give Wine's own), and a control program that
loads those names the unprotected way, from the same planted folder under the
same setting, must be caught for every one: proof that the record would
appear if the product searched its own folder, the current one or the
download folder. Names in the process from start-up on (the imports, and
what Wine's own libraries bring along) are planted too, under Wine's own
order; that the import table holds only DLLs the system always takes from
its own folder is scripts/check-imports.sh's job; a delay-load table would
load by name later and must not exist."""
import os
import re
import shutil
import subprocess

from harness import ROOT, check, scenario, win_path
from scenarios.download import Downloads, downloaded, md5
from web_server import WebServer

OBJDUMP = {"x86": "i686-w64-mingw32-objdump", "x64": "x86_64-w64-mingw32-objdump"}
WINE_DLLS = {"x86": "/usr/lib/i386-linux-gnu/wine/i386-windows",
             "x64": "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"}
# Loaded inside the process on the product's behalf: visual styles (the
# manifest's common controls and their theme library) and the hashing
# provider behind the system's cryptography.
ON_BEHALF = ("comctl32.dll", "uxtheme.dll", "bcrypt.dll")
# Wine's user32 loads this one by name while it starts, before the product's
# first line can restrict the search (Windows' user32 does not).
WINE_START_UP = {"uxtheme.dll"}
MARKER = "loaded.txt"
NO_PRODUCT = "{0F0E0D0C-0B0A-4908-8706-050403020100}"


def run_time_names():
    """Every name the product's sources load by LoadSystemLibrary or LazySystemLibrary."""
    names = set()
    for base, _, files in os.walk(os.path.join(ROOT, "src")):
        for name in files:
            with open(os.path.join(base, name), encoding="utf-8", errors="replace") as f:
                found = re.findall(r'(?:LoadSystemLibrary\(|LazySystemLibrary \w+\()L"([^"]+)"\)', f.read())
                names.update(n.lower() for n in found)
    return names


def imports(ctx, path):
    dump = subprocess.run([OBJDUMP[ctx.machine], "-p", path], capture_output=True, text=True).stdout
    return {n.lower() for n in re.findall(r"DLL Name: (\S+)", dump)}, dump


def start_up_names(ctx, imported):
    """What Wine's own builds of the imported DLLs import in turn, all the way
    down: in the process before the product runs a line."""
    found, todo = set(), list(imported)
    while todo:
        name = todo.pop()
        path = os.path.join(WINE_DLLS[ctx.machine], name)
        if name not in found and os.path.exists(path):
            found.add(name)
            todo.extend(imports(ctx, path)[0])
    return found


def import_table(ctx):
    """The DLL names the executable imports, and whether it has a delay-load
    table (its data-directory entry is not all zero)."""
    names, dump = imports(ctx, ctx.exe)
    delay = re.search(r"Entry d (\S+) (\S+) Delay Import Directory", dump)
    check(delay is not None, "objdump shows no delay-load entry")
    return names, int(delay.group(1), 16) != 0 or int(delay.group(2), 16) != 0


def loads(folder):
    """The (DLL, program) pairs recorded by the copies in |folder|."""
    path = os.path.join(folder, MARKER)
    if not os.path.exists(path):
        return []
    with open(path, encoding="latin-1") as f:
        return [tuple(win.rsplit("\\", 1)[-1].lower() for win in line.rstrip().split(" ", 1))
                for line in f if line.strip()]


@scenario("hardening: DLLs planted beside setup.exe, in the current folder and in the download folder are never loaded")
def planted_dlls(ctx):
    imported, delayed = import_table(ctx)
    check(not delayed, "the executable has a delay-load table")
    # An imported DLL is in the process before the first line runs (and a
    # known DLL on Windows), and so is whatever Wine's own user32 and the like
    # import (version.dll among them, which Windows' user32 does not): asking
    # Wine for the file first would only make it take them from the
    # executable's folder at start-up, where Windows never would, and the
    # product's own load of such a name finds the module already there.
    wanted = run_time_names() | set(ON_BEHALF)
    preferred = wanted - start_up_names(ctx, imported) - imported - WINE_START_UP
    check({"msi.dll", "wininet.dll", "mpr.dll"} <= preferred, "names proven: %s" % preferred)

    pkg = Downloads(ctx)
    dl = os.path.join(ctx.dir, "dl")
    places = (ctx.package, ctx.dir, dl)
    for place in places:
        os.makedirs(place, exist_ok=True)
        for name in imported | wanted:
            shutil.copy(os.path.join(ctx.helpers, "planted.dll"), os.path.join(place, name))
    overrides = ",".join(sorted(n[:-4] for n in preferred)) + "=n,b"
    base_env = ctx.env
    ctx.env = lambda: dict(base_env(), WINEDLLOVERRIDES=";".join(
        filter(None, (os.environ.get("WINEDLLOVERRIDES"), overrides))))

    # The control: the same names loaded the unprotected way, beside the copies.
    control = os.path.join(ctx.package, "load_library.exe")
    shutil.copy(ctx.helper("load_library"), control)
    ctx.run(exe=control, args=sorted(preferred))
    caught = {dll for dll, program in loads(ctx.package) if program == "load_library.exe"}
    check(caught == preferred, "the control was not caught loading: %s" % sorted(preferred - caught))
    os.remove(os.path.join(ctx.package, MARKER))

    data = pkg.serve("setup.exe")
    with WebServer(pkg.served) as web:
        lines = pkg.run([("DownloadFolder", win_path(dl))], [
            ("Planted", {"Url": web.url("setup.exe"), "ExactSize": str(len(data)), "MD5": md5(data),
                         "NoUiCommandLine": pkg.writes("installed.txt"),
                         # An installer search for a product nobody has
                         # (loads msi.dll); the first of two equal keys wins.
                         "SearchType1": "3", "SearchString1": NO_PRODUCT, "VerMin1": "1.0"})])
    found = {place: loads(place) for place in places if loads(place)}
    check(not found, "planted DLLs were loaded: %s" % found)
    check(lines == downloaded("Planted") + ["Launching file:" + win_path(os.path.join(dl, "setup.exe"))],
          "log: %s" % lines)
    check(pkg.wrote("installed.txt"), "the downloaded setup did not run")
