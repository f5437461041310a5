"""Clean-up at exit: the listed files, the configuration, the folders they
leave empty and, through hidden self-deleting scripts run by Wine's own
cmd.exe, the executable and the folders that held it. Each scenario lays out
several packages, runs them one after another and then waits once for all
their scripts."""
import os
import shutil
import time

from harness import check, ini_text, scenario, win_path

SEPARATOR = "\x01"
# The scripts try every five seconds; the first round already finds the
# chainer gone, so this is ample even on a busy machine.
SCRIPT_WAIT = 120


def install_timeout(ctx):
    """Wine ships no timeout.exe; without a pause the scripts would use up
    their rounds before the chainer has exited. The stand-in goes where a
    64-bit and a 32-bit cmd.exe look for it."""
    windows = os.path.join(ctx.prefix, "drive_c", "windows")
    for folder in ("system32", "syswow64"):
        target = os.path.join(windows, folder, "timeout.exe")
        if os.path.isdir(os.path.dirname(target)) and not os.path.exists(target):
            partial = "%s.%d" % (target, os.getpid())
            shutil.copy(ctx.helper("timeout"), partial)
            os.replace(partial, target)  # whole, even when scenarios race


def touch(path, text="x"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    return path


def package(ctx, folder, chainer=None):
    """setup.exe and setup.ini in folder; chainer is the PREREQ_CHAINER
    section's entries, or None for a configuration without it."""
    os.makedirs(folder, exist_ok=True)
    exe = os.path.join(folder, "setup.exe")
    shutil.copy(ctx.setup, exe)
    sections = [("GeneralOptions", [("Options", "q")])]
    if chainer is not None:
        sections.append(("PREREQ_CHAINER", chainer))
    with open(os.path.join(folder, "setup.ini"), "wb") as f:
        f.write(b"\xff\xfe" + ini_text(sections).encode("utf-16-le"))
    return exe


def run(ctx, exe):
    result = ctx.run(exe=exe)
    check(result.code == 0, "%s: exit code %d" % (exe, result.code))


def wait_until_gone(paths):
    deadline = time.monotonic() + SCRIPT_WAIT
    while time.monotonic() < deadline:
        left = [p for p in paths if os.path.lexists(p)]
        if not left:
            return
        time.sleep(0.5)
    check(False, "still there after %d s: %s" % (SCRIPT_WAIT, left))


def check_present(paths):
    missing = [p for p in paths if not os.path.lexists(p)]
    check(not missing, "deleted, but should stay: %s" % missing)


@scenario("cleanup: everything of the package inside CleanupFolders goes, blanks, non-ASCII and long paths too")
def cleanup_inside_the_folder(ctx):
    install_timeout(ctx)
    root = os.path.join(ctx.dir, "clean root")
    # Blanks and non-ASCII characters: the scripts must name them by their
    # short forms. The executable is read-only, which its script clears.
    inner = os.path.join(root, "A b", "Bé dir")
    exe = package(ctx, inner)
    os.chmod(exe, 0o555)
    listed = touch(os.path.join(root, "A b", "listed é.txt"))
    # Beyond the classic path limit: deleted, and its emptied folders with it.
    deep = os.path.join(root, "deep")
    long_file = touch(os.path.join(deep, *["folder-%02d-with-a-rather-long-name" % i for i in range(9)], "f.txt"))
    check(len(win_path(long_file)) > 300, "the long path is only %d characters" % len(win_path(long_file)))
    outside = touch(os.path.join(ctx.dir, "outside.txt"))
    files = [listed, long_file, os.path.join(root, "missing.txt"), outside, listed]
    run(ctx, package(ctx, inner, [("CleanupFiles", SEPARATOR * 2 + SEPARATOR.join(map(win_path, files)) + SEPARATOR),
                                  ("CleanupFolders", win_path(root))]))
    # Deleted while the chainer ends, before any script runs.
    check(not any(map(os.path.exists, (listed, long_file, deep, os.path.join(inner, "setup.ini")))),
          "listed files, the configuration or the emptied folders were not deleted at exit")

    # The executable's folder has the executable's script and its parent
    # only the folder inside: both go once their content has.
    wait_until_gone([exe, inner, os.path.dirname(inner)])
    check_present([root, outside])
    check(os.listdir(root) == [], "the clean-up folder holds %s" % os.listdir(root))


@scenario("cleanup: no section, an empty or unrelated CleanupFolders, relative paths and busy folders keep their files")
def cleanup_what_stays(ctx):
    install_timeout(ctx)
    # No "PREREQ_CHAINER" section: nothing is deleted.
    untouched = package(ctx, os.path.join(ctx.dir, "no section"))

    # An empty "CleanupFolders": only the configuration and the executable
    # go, the listed file and the folder stay.
    empty_folder = os.path.join(ctx.dir, "empty", "pkg")
    kept = touch(os.path.join(ctx.dir, "empty", "kept.txt"))
    empty_exe = package(ctx, empty_folder, [("CleanupFiles", win_path(kept)), ("CleanupFolders", "")])

    # A "CleanupFolders" that does not hold the executable: its listed file
    # goes, the executable's folders stay.
    other = os.path.join(ctx.dir, "unrelated", "other")
    inside_other = touch(os.path.join(other, "x.txt"))
    unrelated_folder = os.path.join(ctx.dir, "unrelated", "pkg")
    unrelated_exe = package(ctx, unrelated_folder, [("CleanupFiles", win_path(inside_other)),
                                                    ("CleanupFolders", win_path(other))])

    # A relative path is never deleted, even where both the folder the chainer
    # was started in and its own folder hold such a file.
    relative = "sub\\rel.txt"
    relative_folder = os.path.join(ctx.dir, "relative")
    relative_copies = [touch(os.path.join(base, "sub", "rel.txt")) for base in (ctx.dir, relative_folder)]
    relative_exe = package(ctx, relative_folder, [("CleanupFiles", relative), ("CleanupFolders", "sub")])

    # Folders that still hold something of their own at the end stay.
    busy_root = os.path.join(ctx.dir, "busy")
    busy_inner = os.path.join(busy_root, "A", "B")
    busy_own = touch(os.path.join(busy_inner, "own.txt"))
    busy_exe = package(ctx, busy_inner, [("CleanupFolders", win_path(busy_root))])

    cleaned = [empty_exe, unrelated_exe, relative_exe, busy_exe]
    for exe in [untouched] + cleaned:
        run(ctx, exe)
    check(not os.path.exists(inside_other), "the listed file inside CleanupFolders was not deleted")
    wait_until_gone(cleaned + [os.path.join(os.path.dirname(e), "setup.ini") for e in cleaned])
    check_present([untouched, os.path.join(os.path.dirname(untouched), "setup.ini"), kept, empty_folder,
                   other, unrelated_folder, busy_own, os.path.dirname(busy_inner)] + relative_copies)
