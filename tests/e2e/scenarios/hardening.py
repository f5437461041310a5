"""A run never loads a library from a folder a stranger can write to: copies
of a library that records its loads (tests/helpers/planted_dll), named like
each DLL the product imports or loads by name, lie beside setup.exe, in the
current folder and in the download folder, and a full run (a search, a
download, an install) leaves no record. Wine is asked to prefer such files
to its own DLLs, and a control program that loads them the unprotected way
must be caught for every one."""
import os
import re
import shutil
import subprocess

from harness import ROOT, check, scenario, win_path
from scenarios.download import Downloads, downloaded, md5
from web_server import WebServer

OBJDUMP = {"x86": "i686-w64-mingw32-objdump", "x64": "x86_64-w64-mingw32-objdump"}
WINE_DLLS = {"x86": "/usr/lib/i386-linux-gnu/wine/i386-windows", "x64": "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"}
# Loaded on the product's behalf: visual styles (common controls, theme) and the hashing provider.
ON_BEHALF = ("comctl32.dll", "uxtheme.dll", "bcrypt.dll")
# Wine's user32 (not Windows') loads this one by name before the product's first line runs.
WINE_START_UP = {"uxtheme.dll"}
MARKER = "loaded.txt"
NO_PRODUCT = "{0F0E0D0C-0B0A-4908-8706-050403020100}"


def run_time_names():
    """Every name the product's sources load by LoadSystemLibrary or LazySystemLibrary."""
    texts = (open(os.path.join(base, name), encoding="utf-8", errors="replace").read()
             for base, _, files in os.walk(os.path.join(ROOT, "src")) for name in files)
    return {n.lower() for text in texts
            for n in re.findall(r'(?:LoadSystemLibrary\(|LazySystemLibrary \w+\()L"([^"]+)"\)', text)}


def imports(ctx, path):
    dump = subprocess.run([OBJDUMP[ctx.machine], "-p", path], capture_output=True, text=True).stdout
    return {n.lower() for n in re.findall(r"DLL Name: (\S+)", dump)}, dump


def start_up_names(ctx, imported):
    """What Wine's builds of the imported DLLs import, all the way down: loaded before the product runs."""
    found, todo = set(), list(imported)
    while todo:
        name = todo.pop()
        path = os.path.join(WINE_DLLS[ctx.machine], name)
        if name not in found and os.path.exists(path):
            found.add(name)
            todo.extend(imports(ctx, path)[0])
    return found


def loads(folder):
    """The (DLL, program) pairs recorded by the copies in |folder|."""
    path = os.path.join(folder, MARKER)
    lines = open(path, encoding="latin-1").read().splitlines() if os.path.exists(path) else []
    return [tuple(win.rsplit("\\", 1)[-1].lower() for win in line.rstrip().split(" ", 1))
            for line in lines if line.strip()]


@scenario("hardening: DLLs planted beside setup.exe, in the current folder and in the download folder are never loaded")
def planted_dlls(ctx):
    imported, dump = imports(ctx, ctx.exe)
    delay = re.search(r"Entry d (\S+) (\S+) Delay Import Directory", dump)
    check(delay is not None, "objdump shows no delay-load entry")
    check(int(delay.group(1), 16) == 0 and int(delay.group(2), 16) == 0, "the executable has a delay-load table")
    # Preferring files for a name already loaded at start-up would only take it from the
    # executable's folder, where Windows never would; the product's own load finds the module.
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
                         # An installer search for a product nobody has (loads msi.dll).
                         "SearchType1": "3", "SearchString1": NO_PRODUCT, "VerMin1": "1.0"})])
    found = {place: loads(place) for place in places if loads(place)}
    check(not found, "planted DLLs were loaded: %s" % found)
    check(lines == downloaded("Planted") + ["Launching file:" + win_path(os.path.join(dl, "setup.exe"))],
          "log: %s" % lines)
    check(pkg.wrote("installed.txt"), "the downloaded setup did not run")
