"""What the program sees of a 64-bit Windows: the registry view a search looks
at with and without the letter "x", and the folders the properties name; each
build with the expectations of its own machine type."""
import os
import shutil

from harness import check, scenario
from scenarios.decision import FOUND, PACKAGE, Package

MISSING = PACKAGE  # the searches below name a setup file of the package

# Registry searches: (name, search, options, on x86, on x64), below HKLM\Software
# (a key only in the 64-bit view is the smoke's). VIEW32 lies only under
# Wow6432Node; BOTH\View holds "64" in the one view and "32" in the other,
# beside a value named "6.4" or "3.2".
REGISTRY = [
    ("Key32", (5, "VIEW32"), "", FOUND, MISSING),
    ("Key32X", (5, "VIEW32"), "x", MISSING, MISSING),
    ("Value32", (9, r"BOTH\View", {"RefContent": "M32"}), "", FOUND, MISSING),
    ("Wow6432NodeNamedX", (5, "NODE32"), "x", FOUND, FOUND),
    ("ValueNames", (12, "BOTH", {"VerMin": "6"}), "", MISSING, FOUND),
    ("ValueNamesX", (12, "BOTH", {"VerMin": "6"}), "x", FOUND, FOUND),
]

# Folders of drive C that hold one marker file each.
FOLDERS = {"pf": "Program Files", "pf86": "Program Files (x86)", "cf": r"Program Files\Common Files",
           "cf86": r"Program Files (x86)\Common Files"}

# File searches: (name, folder text, the folder where the file lies, options,
# on x86, on x64). A 32-bit process's shell folders are the (x86) ones. The
# smoke holds the system folders and their redirection by the versions of their files.
FILES = [
    ("ProgramFilesFolder", "[ProgramFilesFolder]", "pf86", "", FOUND, MISSING),
    ("ProgramFilesFolderNative", "[ProgramFilesFolder]", "pf", "", MISSING, FOUND),
    ("ProgramFiles", "[ProgramFiles]", "pf86", "", FOUND, MISSING),
    ("ProgramFiles64Folder", "[ProgramFiles64Folder]", "pf", "", FOUND, FOUND),
    ("CommonFilesFolder", "[CommonFilesFolder]", "cf86", "", FOUND, MISSING),
    ("CommonFilesFolderNative", "[CommonFilesFolder]", "cf", "", MISSING, FOUND),
    # BOTH\Dir names "Program Files" in the 64-bit view and "Program Files (x86)" in the 32-bit one.
    ("RegistryProperty", "[WindowsVolume]!BOTH\\Dir!\\", "pf86", "", FOUND, MISSING),
    ("RegistryPropertyX", "[WindowsVolume]!BOTH\\Dir!\\", "pf", "x", FOUND, FOUND),
]


def expected(ctx, table):
    column = {"x86": -2, "x64": -1}[ctx.machine]
    return {row[0]: row[column] for row in table}


@scenario("wow64: registry views with and without x, and the folders properties name")
def views_and_folders(ctx):
    below = r"Software\Tessaro Tests\e2e_wow64_%s_%d" % (ctx.tree, os.getpid())
    native = "HKLM\\" + below
    node = r"HKLM\Software\Wow6432Node" + below[len("Software"):]
    places = {"VIEW32": native + r"\Only32", "BOTH": native + r"\Both", "NODE32": node + r"\Only32"}
    drive = os.path.join(ctx.prefix, "drive_c")
    tag = "tessaro_wow64_%s_%d" % (ctx.tree, os.getpid())
    markers = {}

    try:
        # Wine's reg.exe is a 64-bit program: it writes what it names.
        for key, *value in [(node + r"\Only32",),
                            (native + r"\Both", "View", "64"), (node + r"\Both", "View", "32"),
                            (native + r"\Both", "6.4", ""), (node + r"\Both", "3.2", ""),
                            (native + r"\Both", "Dir", FOLDERS["pf"]), (node + r"\Both", "Dir", FOLDERS["pf86"])]:
            code, _ = ctx.reg("add", key, *(("/v", value[0], "/d", value[1]) if value else ()), "/f")
            check(code == 0, "reg add %s failed" % key)
        for label, folder in FOLDERS.items():
            where = os.path.join(drive, *folder.split("\\"))
            os.makedirs(where, exist_ok=True)
            markers[label] = os.path.join(where, "%s_%s.dll" % (tag, label))
            shutil.copy(ctx.helper("versioned_file"), markers[label])  # version 2.5.7.9
        with Package(ctx) as pkg:
            for name, (kind, where, *extra), x, *_ in REGISTRY:
                head, _, rest = where.partition("\\")
                path = places[head] + ("\\" + rest if rest else "")
                pkg.add(name, [(kind, path, *extra)], Options=x)
            for name, folder, label, x, *_ in FILES:
                folder = folder.replace("BOTH", places["BOTH"])
                pkg.add(name, [(0, folder + os.path.basename(markers[label]), {"VerMin": "2.5"})], Options=x)
            pkg.run().expect({**expected(ctx, REGISTRY), **expected(ctx, FILES)})
    finally:
        for key in (native, node):
            ctx.reg("delete", key, "/f")
        for path in filter(os.path.exists, markers.values()):
            os.remove(path)
