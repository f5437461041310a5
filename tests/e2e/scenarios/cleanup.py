"""Clean-up at exit: the listed files, the configuration, the folders they
leave empty and, through self-deleting scripts run by Wine's own cmd.exe,
the executable and the folders that held it. Several packages are laid out
and run, then all their scripts are waited for at once."""
import os
import shutil
import threading
import time

from harness import check, ini_text, scenario, win_path

SEPARATOR = "\x01"
# The scripts try every five seconds; the first round already finds the
# chainer gone, so this is ample even on a busy machine.
SCRIPT_WAIT = 120


def install_timeout(ctx):
    """Without a pause the scripts would use up their rounds before the
    chainer has exited: each build's stand-in goes where the cmd.exe of its
    width looks for it."""
    for folder, tree in (("system32", "win64"), ("syswow64", "win32")):
        target = os.path.join(ctx.prefix, "drive_c", "windows", folder, "timeout.exe")
        helper = os.path.join(ctx.build, tree, "bin", "timeout.exe")
        if os.path.isdir(os.path.dirname(target)) and not os.path.exists(target):
            part = "%s.%d" % (target, threading.get_ident())
            shutil.copy(helper if os.path.exists(helper) else ctx.helper("timeout"), part)
            os.replace(part, target)  # whole, even when scenarios race


def touch(*parts):
    path = os.path.join(*parts)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "w").close()
    return path


def package(ctx, folder, chainer=None):
    """setup.exe and setup.ini in folder, without a PREREQ_CHAINER section when chainer is None."""
    os.makedirs(folder, exist_ok=True)
    exe, ini = os.path.join(folder, "setup.exe"), os.path.join(folder, "setup.ini")
    shutil.copy(ctx.exe, exe)
    sections = [("GeneralOptions", [("Options", "q")])] + ([("PREREQ_CHAINER", chainer)] if chainer is not None else [])
    with open(ini, "wb") as f:
        f.write(b"\xff\xfe" + ini_text(sections).encode("utf-16-le"))
    return exe, ini


def wait_until_gone(paths):
    deadline = time.monotonic() + SCRIPT_WAIT
    while any(map(os.path.lexists, paths)) and time.monotonic() < deadline:
        time.sleep(0.5)
    left = [p for p in paths if os.path.lexists(p)]
    check(not left, "still there after %d s: %s" % (SCRIPT_WAIT, left))


@scenario("cleanup: inside CleanupFolders all goes, odd and long paths too; what lies elsewhere or is busy stays")
def cleanup_what_goes_and_stays(ctx):
    install_timeout(ctx)
    root = os.path.join(ctx.dir, "clean root")
    # Blanks and non-ASCII characters: the scripts must name them by their
    # short forms. The executable is read-only, which its script clears.
    inner = os.path.join(root, "A b", "Bé dir")
    listed = touch(root, "A b", "listed é.txt")
    # Beyond the classic path limit: deleted, and its emptied folders with it.
    deep = os.path.join(root, "deep")
    long_file = touch(deep, *["folder-%02d-with-a-rather-long-name" % i for i in range(9)], "f.txt")
    check(len(win_path(long_file)) > 300, "the long path is only %d characters" % len(win_path(long_file)))
    outside = touch(ctx.dir, "outside.txt")
    # Runs of separators, a missing file, one outside and one listed twice.
    files = [listed, long_file, os.path.join(root, "missing.txt"), outside, listed]
    exe, ini = package(ctx, inner, [("CleanupFiles", SEPARATOR * 2 + SEPARATOR.join(map(win_path, files)) + SEPARATOR),
                                    ("CleanupFolders", win_path(root))])
    os.chmod(exe, 0o555)

    # Without a "PREREQ_CHAINER" section nothing is deleted; with an empty
    # "CleanupFolders" only the configuration and the executable go.
    untouched = package(ctx, os.path.join(ctx.dir, "no section"))
    kept = touch(ctx.dir, "empty", "kept.txt")
    empty = package(ctx, os.path.join(ctx.dir, "empty", "pkg"), [("CleanupFiles", win_path(kept)),
                                                                  ("CleanupFolders", "")])
    # A "CleanupFolders" that does not hold the executable: its listed file goes.
    other = os.path.join(ctx.dir, "unrelated", "other")
    inside_other = touch(other, "x.txt")
    unrelated = package(ctx, os.path.join(ctx.dir, "unrelated", "pkg"), [("CleanupFiles", win_path(inside_other)),
                                                                         ("CleanupFolders", win_path(other))])
    # A folder that still holds something of its own stays, with the one above.
    busy_root = os.path.join(ctx.dir, "busy")
    busy_own = touch(busy_root, "A", "B", "own.txt")
    busy = package(ctx, os.path.dirname(busy_own), [("CleanupFolders", win_path(busy_root))])

    cleaned = [empty, unrelated, busy]  # relative paths never exist: the unit tests' case
    for program in [exe, untouched[0]] + [pair[0] for pair in cleaned]:
        check(ctx.run(exe=program).code == 0, "%s: exit code not 0" % program)
    # Deleted while the chainer ends, before any script runs.
    check(not any(map(os.path.exists, (listed, long_file, deep, ini, inside_other))),
          "listed files, the configuration or the emptied folders were not deleted at exit")

    wait_until_gone([exe, inner, os.path.dirname(inner)] + [path for pair in cleaned for path in pair])
    check(os.path.exists(outside) and os.listdir(root) == [], "clean-up folder or outside file: %s, %s"
          % (os.path.exists(root) and os.listdir(root), os.path.exists(outside)))
    stay = list(untouched) + [kept, os.path.dirname(empty[0]), other, os.path.dirname(unrelated[0]), busy_own,
                              os.path.join(busy_root, "A")]
    missing = [p for p in stay if not os.path.lexists(p)]
    check(not missing, "deleted, but should stay: %s" % missing)
