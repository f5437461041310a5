"""tessaro-check against broken configurations: each one must give exactly
the one finding that names its fault, on the right line, and exit with 1;
the good configuration must give none and exit with 0.

    checker_table.py [EMULATOR...] PATH/TO/tessaro-check   (the emulator runs the Windows builds)
"""
import os
import subprocess
import sys
import tempfile

GOOD = [
    "[GeneralOptions]", "Options=q",
    "[PREREQUISITES]", "App1=A", "App2=B",
    "[A]", "SetupFile=a.exe", "NoUiCommandLine=/quiet", "SearchType1=2",
    "SearchString1=HKLM\\Software\\A\\Version", "VerMin1=1.0",
    "[B]", "Url=http://127.0.0.1/b.exe", "MD5=" + "0" * 32, "SHA256=" + "aB" * 32, "Options=mx",
    "SearchType1=5", "SearchString1=HKLM\\Software\\B", "WinNTVersions=Windows XP x86, Windows 7 SP1 x86",
]
# Lines as numbered in GOOD (1-based).
GENERAL, LIST, A, B = 1, 3, 6, 12


def edit(after=None, add=(), replace=None):
    """GOOD with |add| inserted after line |after|, or line |replace| swapped."""
    lines = list(GOOD)
    if replace is not None:
        lines[replace[0] - 1] = replace[1]
    if after is not None:
        lines[after:after] = list(add)
    return lines


# (what is broken, lines, expected line, words the finding must hold)
CASES = [
    ("listed twice", edit(LIST + 2, ["App3=A"]), LIST + 3, "lists [A] again (line 4)"),
    ("section twice", GOOD + ["[A]", "SetupFile=other.exe"], 20, "repeats the section of line 6"),
    ("key twice", edit(A + 1, ["SetupFile=b.exe"]), A + 2, "repeats line 7"),
    ("list names a missing section", edit(LIST + 1, ["App2=C"]), LIST + 2, "names no section [C]"),
    ("number with a leading zero", edit(replace=(LIST + 1, "App01=A")), LIST, "[PREREQUISITES] is never read"),
    ("gap in the list", edit(LIST + 2, ["App4=A"]), LIST + 3, "the numbering stops at the missing 'App3'"),
    ("no location key", edit(replace=(A + 1, "SetupFil=a.exe")), A, "has no SetupFile, OpenSite or Url"),
    ("search without its string", edit(A + 5, ["SearchType2=5"]), A + 6, "has no SearchString2"),
    ("gap in the searches", edit(A + 5, ["SearchType3=5", "SearchString3=x"]), A + 6,
     "the numbering stops at the missing 'SearchType2'"),
    ("unknown search type", edit(replace=(A + 3, "SearchType1=14")), A + 3, "no search type"),
    ("version text", edit(replace=(A + 5, "VerMin1=latest")), A + 5, "not a version"),
    ("bound for no search", edit(A + 1, ["VerMin=1.0"]), A + 2, "bounds no search"),
    ("unknown OS name", edit(replace=(19, "WinNTVersions=Windows XP x86, Windows 11 x86")), 19, "'Windows 11 x86'"),
    ("prerequisite letter", edit(replace=(B + 4, "Options=mxz")), B + 4, "'z' read by nothing"),
    ("general letter", edit(replace=(GENERAL + 1, "Options=qv")), GENERAL + 1, "'v' read by nothing"),
    ("bypass without a proxy", edit(GENERAL + 1, ["ProxyBypass=<local>"]), GENERAL + 2, "without a Proxy"),
    ("misspelt key", edit(A + 1, ["NoUICommandLine=/q"]), A + 2, "'NoUICommandLine' is never read"),
    ("second location key", edit(A + 1, ["Url=http://127.0.0.1/a.exe"]), A + 2, "'Url' is never read"),
    ("section nobody lists", GOOD + ["[C]", "SetupFile=c.exe"], 20, "[C] is never read"),
    ("download unchecked", [line for line in GOOD if not line.startswith(("MD5=", "SHA256="))], B + 1,
     "without ExactSize, MD5, SHA256 or Signer"),
    ("signer on a packaged setup", edit(A + 1, ["Signer=Publisher"]), A + 2, "checked only on a downloaded file"),
    ("short MD5", edit(replace=(B + 2, "MD5=" + "0" * 31)), B + 2, "32 hexadecimal digits"),
    ("long SHA256", edit(replace=(B + 3, "SHA256=" + "a" * 65)), B + 3, "64 hexadecimal digits"),
    ("operator", edit(B + 1, ["Operator=2"]), B + 2, "neither 0"),
    ("size not a number", edit(B + 1, ["ExactSize=12 kB"]), B + 2, "reads it as 12"),
    ("code list", edit(A + 1, ["RebootCodes=3010, 1641x, 0x666"]), A + 2, "skips it and reads 3010, 1638"),
    ("KeepFiles word", edit(GENERAL + 1, ["KeepFiles=Complete"]), GENERAL + 2, "no value this key knows"),
    ("switch", edit(GENERAL + 1, ["ResumeAfterReboot=yes"]), GENERAL + 2, "reads it as false"),
    ("option that does nothing", edit(GENERAL + 1, ["UpdatesUrl=", "MainAppCmdLine=app.exe"]), GENERAL + 3,
     "'MainAppCmdLine=app.exe' is read, but no step of a run uses it"),
    ("name no window shows", edit(GENERAL + 1, ["ProductName=Contoso"]), GENERAL + 2, "no window shows it"),
    ("line without =", edit(A + 1, ["CommandLine /s"]), A + 2, "without \"=\" is ignored"),
    ("text before the first section", ["Options=q"] + GOOD, 1, "before the first [section]"),
    ("general language list", edit(GENERAL + 1, ["LanguageList=1033"]), GENERAL + 2,
     "a prerequisite's own LanguageList"),
    ("key in the wrong case", edit(A + 1, ["Md5=" + "0" * 32]), A + 2, "'Md5' is never read: did you mean 'MD5'?"),
    ("numbered key two letters off", edit(A + 5, ["VerMni1=2.0"]), A + 6, "did you mean 'VerMin1'?"),
    ("setup file not in the package", edit(replace=(A + 1, "SetupFile=sub\\a.exe")), A + 1,
     "no such file in the package folder"),
    ("evaluation only", edit(replace=(GENERAL + 1, "Options=")), GENERAL + 1, "installs nothing"),
    ("clean-up of a relative path", GOOD + ["[PREREQ_CHAINER]", "CleanupFiles=C:\\T\\a.txt\x01notes.txt",
                                            "CleanupFolders=C:\\T"], 21, "'notes.txt' is not a full path"),
    ("clean-up outside its folder", GOOD + ["[PREREQ_CHAINER]", "CleanupFiles=D:\\a.txt", "CleanupFolders=C:\\T"],
     21, "does not begin with CleanupFolders 'C:\\T'"),
    ("download without a name", edit(replace=(B + 1, "Url=http://127.0.0.1/get/")), B + 1, "the server's name"),
    ("URL ending in a slash", edit(replace=(B + 1, "Url=http://localhost/")), B + 1, "gives no file name"),
    ("download name without extension", edit(replace=(B + 1, "Url=http://localhost/get/b")), B + 1,
     "without an extension"),
    # Files given as their bytes.
    ("no byte-order mark", "\r\n".join(GOOD).encode("utf-16-le"), 1, "first character, '[', is lost"),
    ("8-bit text", "\r\n".join(GOOD).encode("utf-8"), 1, "not UTF-16LE"),
    ("LF line ends", b"\xff\xfe" + "\n".join(GOOD).encode("utf-16-le"), 1, "Windows line ends"),
]
# What the listing must say besides: how many prerequisites the loaders keep where an entry is broken (the
# list ends there), and what the clean-up deletes.
LISTED = {"listed twice": "\n3 prerequisite(s)", "list names a missing section": "\n1 prerequisite(s)",
          "number with a leading zero": "\n0 prerequisite(s)", "gap in the list": "\n2 prerequisite(s)",
          "no location key": "\n0 prerequisite(s)", "search without its string": "\n0 prerequisite(s)",
          "clean-up of a relative path": "this file and its executable, C:\\T\\a.txt (those that exist then)"}


def run(checker, lines, folder, args=()):
    """Checks |lines|, or the file's bytes when given as bytes."""
    path = os.path.join(folder, "setup.ini")
    for program in ("setup.exe", "a.exe"):  # the folder is the package's, and holds A's setup
        open(os.path.join(folder, program), "wb").close()
    with open(path, "wb") as f:
        f.write(lines if isinstance(lines, bytes) else
                b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))
    done = subprocess.run([*checker, *args, path], capture_output=True, text=True, timeout=60, stdin=subprocess.DEVNULL)
    if done.stderr:
        raise AssertionError("stderr: " + done.stderr)
    return done.returncode, [line for line in done.stdout.splitlines() if ": warning: " in line], done.stdout


def main(checker):
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        code, findings, out = run(checker, GOOD, folder)
        listing = ["silent: NoUiCommandLine is used", "Deleted at the end: none", "2 prerequisite(s)", "1. A\n",
                   "2. B\n",
                   "run from the package: a.exe (SetupFile)", "downloaded from http://127.0.0.1/b.exe (Url)",
                   "1. type 2 (registry value as a version): \"HKLM\\Software\\A\\Version\", at least 1.0",
                   "every 32-bit system except Windows XP x86, Windows 7 SP1 x86; every 64-bit system",
                   'silent "/quiet"', "mandatory, 64-bit registry and file views"]
        if code != 0 or findings or not all(words in out for words in listing):
            failures.append("good configuration: exit %d, %s, listing lacks %s"
                            % (code, findings, [w for w in listing if w not in out]))
        if "prerequisite(s)" in run(checker, GOOD, folder, args=("--quiet",))[2]:
            failures.append("--quiet printed the prerequisites")
        for name, lines, line, words in CASES:
            code, findings, out = run(checker, lines, folder)
            wanted = ":%d: warning: " % line
            if code != 1 or len(findings) != 1 or wanted not in findings[0] or words not in findings[0]:
                failures.append("%s: exit %d, findings %s; wanted one at line %d with %r; output %r"
                                % (name, code, findings, line, words, out[-300:]))
            if name in LISTED and LISTED[name] not in "\n" + out:
                failures.append("%s: the listing lacks %r" % (name, LISTED[name]))
    missing = subprocess.run([*checker, os.path.join(folder, "gone.ini")], capture_output=True, timeout=60, stdin=subprocess.DEVNULL)
    if missing.returncode != 2:
        failures.append("an unreadable file gave exit %d, not 2" % missing.returncode)
    for failure in failures:
        print("FAIL:", failure)
    print("%d broken configurations, %d failures" % (len(CASES), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
