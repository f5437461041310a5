"""The decision for each prerequisite, read back from the log of real runs:
which searches find what, how operators combine them, which records are
selected, and how OS and language lists exclude prerequisites."""
import os
import re
import shutil

from harness import check, scenario, win_path

FOUND = "An acceptable version was found."
PACKAGE = "No acceptable version found. It must be installed from package."
DOWNLOAD = "No acceptable version found. It must be downloaded."
SITE = "No acceptable version found. It must be downloaded manually from a site."
WRONG_OS = "wrong OS"  # stands for the "Wrong OS or Os language for:" line

PLATFORM_64 = "Windows XP/Vista/Windows 7/Windows 8 x64/Windows 8.1 x64/Windows 10 x64"
PLATFORM_32 = "Windows 9x/ME/NT/2000/XP/Vista/Windows 7/Windows 8 x86/Windows 8.1 x86/Windows 10 x86"

LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d-\d\d-\d\d-(.*)$")


class Package:
    """A configuration under construction: prerequisites in list order, a log
    file, and a registry key of the scenario's own, removed on leaving."""

    def __init__(self, ctx, general=()):
        self.ctx, self.general, self.sections = ctx, list(general), []
        self.log = os.path.join(ctx.dir, "run.log")
        self.key = r"HKCU\Software\Tessaro Tests\e2e_%s_%d" % (os.path.basename(ctx.dir), os.getpid())

    def __enter__(self):
        self.reg("present")
        self.present, self.absent = (5, self.key_path("present")), (5, self.key_path("absent"))
        return self

    def __exit__(self, *exc):
        self.ctx.reg("delete", self.key, "/f")

    def add(self, name, searches=(), location=("SetupFile", "setup_x.exe"), **keys):
        entries = [location] + list(keys.items())
        for n, (kind, string, *extra) in enumerate(searches, 1):
            entries += [("SearchType%d" % n, str(kind)), ("SearchString%d" % n, string)]
            entries += [("%s%d" % (k, n), v) for k, v in (extra[0] if extra else {}).items()]
        self.sections.append((name, entries))

    def run(self):
        # Packaged files (the check programs) lie beside setup.exe: no extraction folder is named.
        listed = [("App%d" % i, name) for i, (name, _) in enumerate(self.sections, 1)]
        exe = self.ctx.fresh_setup(sections=[("GeneralOptions", self.general),
                                   ("PREREQUISITES", listed)] + self.sections
                                   + [("PREREQ_CHAINER", [("LogFile", win_path(self.log))])])
        if os.path.exists(self.log):
            os.remove(self.log)
        result = self.ctx.run(exe=exe)
        check(result.code == 0, "exit code %d; Wine said: %r" % (result.code, self.ctx.wine_errors()))
        return Log(self.ctx.read_log(self.log) or "")

    def key_path(self, below):
        return self.key + "\\" + below

    def reg(self, below, *value):
        """Creates the key |below| the scenario's key, with a value (name, data) when given."""
        extra = ("/v", value[0], "/d", value[1]) if value else ()
        code, _ = self.ctx.reg("add", self.key_path(below), *extra, "/f")
        check(code == 0, "reg add %s %s failed" % (below, value))


class Log:
    """The evaluation lines of one run: results by prerequisite name, and the
    names searched for and selected, in order."""

    def __init__(self, text):
        self.text = text
        self.lines = [m.group(1) for m in map(LINE.match, text.split("\r\n")) if m]
        self.results, self.searched, self.selected = {}, [], []
        for line in self.lines:
            kind, _, rest = line.partition(":")
            if kind == "Searching for":
                self.searched.append(rest)
            elif kind == "Search result":
                self.results[self.searched[-1]] = rest
            elif kind == "Wrong OS or Os language for":
                self.results[rest] = WRONG_OS
            elif kind == "Prerequisite selected for install":
                self.selected.append(rest)

    def expect(self, expected):
        for name, state in expected.items():
            check(self.results.get(name) == state, "%s: %r, expected %r" % (name, self.results.get(name), state))
            # An excluded prerequisite is never searched for; a missing one is selected.
            check((name in self.searched) == (state != WRONG_OS), "%s: searched %s" % (name, name in self.searched))
            check(state not in (PACKAGE, DOWNLOAD, SITE) or name in self.selected, "%s not selected" % name)


def check_program(ctx, code, report=None):
    """A check program in the package (type 10), exiting with |code| and
    writing |report| when it runs."""
    target = os.path.join(ctx.package, "check.exe")
    if not os.path.exists(target):
        shutil.copy(ctx.helper("exit_with"), target)
    return (10, "check.exe", {"SearchCmdLine": str(code) + (" --write " + win_path(report) if report else "")})


@scenario("decision: each kind of search finds or misses; OS and language lists exclude")
def searches_and_lists(ctx):
    files = os.path.join(ctx.dir, "files")
    os.makedirs(files)
    shutil.copy(ctx.helper("versioned_file"), os.path.join(files, "versioned.dll"))  # 2.5.7.9
    versioned = win_path(os.path.join(files, "versioned.dll"))
    with Package(ctx) as pkg:
        pkg.reg("values", "Version", "2.5")
        value = pkg.key_path(r"values\Version")
        present = [pkg.present]
        pkg.add("KeyPresent", present)
        pkg.add("KeyAbsent", [pkg.absent])
        pkg.add("KeyAbsentWanted", [(6, pkg.key_path("absent"))])
        pkg.add("ValueInRange", [(2, value, {"VerMin": "2.0", "VerMax": "2.9"})],
                location=("Url", "http://127.0.0.1:9/value.exe"))
        pkg.add("ValueTooOld", [(2, value, {"VerMin": "3.0"})], location=("Url", "http://127.0.0.1:9/value.exe"))
        pkg.add("ValueContent", [(9, value, {"RefContent": "S2."})])
        pkg.add("FileInRange", [(0, versioned, {"VerMin": "2.5.7.9"})])
        pkg.add("FileTooOld", [(0, versioned, {"VerMin": "2.6"})], location=("OpenSite", "http://127.0.0.1:9/"))
        pkg.add("FileAbsent", [(0, win_path(os.path.join(files, "absent.dll")))])
        pkg.add("CheckPasses", [check_program(ctx, 0)])
        pkg.add("CheckFails", [check_program(ctx, 3)])
        # The full platform texts, and a language probe that logs the system language.
        pkg.add("FullPlatform", present, WinNT64Versions=PLATFORM_64)
        pkg.add("OtherPlatformText", present, WinNT64Versions=PLATFORM_32)
        pkg.add("LanguageProbe", present, LanguageList="1")
        probe = pkg.run()
        probe.expect({
            "KeyPresent": FOUND, "KeyAbsent": PACKAGE, "KeyAbsentWanted": FOUND,
            "ValueInRange": FOUND, "ValueTooOld": DOWNLOAD, "ValueContent": FOUND,
            "FileInRange": FOUND, "FileTooOld": SITE, "FileAbsent": PACKAGE, "CheckPasses": FOUND,
            "CheckFails": PACKAGE, "FullPlatform": WRONG_OS, "OtherPlatformText": FOUND, "LanguageProbe": WRONG_OS,
        })
        check(sorted(probe.selected) == sorted(["KeyAbsent", "ValueTooOld", "FileTooOld", "FileAbsent", "CheckFails"]),
              "selected: %s" % probe.selected)
        check("No prerequisite must be installed." not in probe.lines, "nothing-missing line with missing prerequisites")
        langs = [l for l in probe.lines if l.startswith("SystemDefault LangID=")]
        check(len(langs) == 1, "SystemDefault LangID lines: %s" % langs)
        lang = int(re.match(r"SystemDefault LangID=(\d+)-\S", langs[0]).group(1))
        other = 1031 if lang != 1031 else 1036
        detailed, generic = os_names(probe.text)

        # Second run: the names of the running system, and language lists. A
        # 32-bit process on 64-bit Windows reports the x64 names too, and is
        # held to WinNT64Versions, never to the x86 list.
        pkg.sections = []
        pkg.add("DetailedName", present, WinNT64Versions="Windows 95, %s" % detailed)
        pkg.add("GenericName", present, WinNT64Versions="%s, Windows 95" % generic)
        pkg.add("DetailedX86", present, WinNT64Versions=detailed[:-len("x64")] + "x86")
        pkg.add("GenericX86", present, WinNT64Versions=generic[:-len("x64")] + "x86")
        pkg.add("NotSplitAtComma", present, WinNT64Versions="Windows 95,%s" % generic)
        pkg.add("OtherSystems", present, WinNT64Versions="Windows 95, Windows 98")
        pkg.add("X64NamesInX86List", present, WinNTVersions="%s, %s" % (detailed, generic))
        pkg.add("Language", present, LanguageList=str(lang))
        pkg.add("LanguageClosed", present, LanguageList="%d;" % lang)
        pkg.add("LanguageSecond", present, LanguageList="%d;%d" % (other, lang))
        pkg.add("OtherLanguage", present, LanguageList="%d;" % other)
        pkg.add("ExcludedMissing", [pkg.absent], WinNT64Versions=generic)
        log = pkg.run()
    log.expect({"DetailedName": WRONG_OS, "GenericName": WRONG_OS, "DetailedX86": FOUND, "GenericX86": FOUND,
                "NotSplitAtComma": FOUND, "OtherSystems": FOUND, "X64NamesInX86List": FOUND, "Language": FOUND,
                "LanguageClosed": FOUND, "LanguageSecond": FOUND, "OtherLanguage": WRONG_OS,
                "ExcludedMissing": WRONG_OS})
    check(log.selected == [], "an excluded prerequisite was selected: %s" % log.selected)
    check("No prerequisite must be installed." in log.lines, "excluded prerequisites count as missing")


@scenario("decision: operators combine searches and stop early; forced install and parent selection")
def operators_and_selection(ctx):
    reports = {}

    def witness(name):
        """A check program that passes and leaves a file when it runs."""
        reports[name] = os.path.join(ctx.dir, name + ".ran")
        return check_program(ctx, 0, reports[name])

    with Package(ctx) as pkg:
        present, absent = pkg.present, pkg.absent
        pkg.add("AnyFirstMatches", [present, witness("AnyFirstMatches")], Operator="1")
        pkg.add("AnyLastMatches", [absent, witness("AnyLastMatches")], Operator="1")
        pkg.add("AllFirstFails", [absent, witness("AllFirstFails")])
        pkg.add("AllMatch", [present, witness("AllMatch")], Operator="0")
        pkg.add("AllLastFails", [present, absent])
        pkg.add("UnknownOperator", [present, witness("UnknownOperator")], Operator="2")
        pkg.add("NoSearchesAll")
        pkg.add("NoSearchesAny", Operator="1")
        pkg.add("Forced", [present, witness("Forced")], Options="i")
        pkg.add("FoundParent", [present])
        pkg.add("ChildOfFound", [absent], ParentPrereq="FoundParent")
        pkg.add("ChildOfMissing", [absent], ParentPrereq="LateParent")
        pkg.add("Unrelated", [absent])
        pkg.add("LateParent", [absent])
        pkg.add("FoundChild", [present], ParentPrereq="LateParent")
        pkg.add("Orphan", [absent], ParentPrereq="NoSuchPrerequisite")
        log = pkg.run()
    log.expect({
        "AnyFirstMatches": FOUND, "AnyLastMatches": FOUND, "AllFirstFails": PACKAGE, "AllMatch": FOUND,
        "AllLastFails": PACKAGE, "UnknownOperator": PACKAGE, "NoSearchesAll": FOUND, "NoSearchesAny": PACKAGE,
        "Forced": PACKAGE, "FoundParent": FOUND, "ChildOfFound": PACKAGE, "ChildOfMissing": PACKAGE,
        "Unrelated": PACKAGE, "LateParent": PACKAGE, "FoundChild": FOUND, "Orphan": PACKAGE,
    })
    # A forced prerequisite runs none of its searches.
    ran = {name for name, path in reports.items() if os.path.exists(path)}
    check(ran == {"AnyLastMatches", "AllMatch", "UnknownOperator"}, "second searches that ran: %s" % sorted(ran))
    # A selected child pulls its parent in at once, ahead of the records between them.
    check(log.selected == ["AllFirstFails", "AllLastFails", "UnknownOperator", "NoSearchesAny", "Forced",
                           "ChildOfFound", "ChildOfMissing", "LateParent", "Unrelated", "Orphan"],
          "selection order: %s" % log.selected)


WINDOWS_10_RELEASES = {10240: "1507", 10586: "1511", 14393: "1607", 15063: "1703", 16299: "1709", 17134: "1803",
                       17763: "1809", 18362: "1903", 18363: "1909", 19041: "2004"}


def os_names(header):
    """The detailed and generic names of the 64-bit workstation that the log
    header describes, for the systems a Wine prefix reports."""
    m = re.search(r"OS Version: (\d+)\.(\d+)\.(\d+) SP(\d+) \((\w+)\) \[x64\]", header)
    check(m is not None and m.group(5) == "workstation", "unexpected OS header in the log")
    major, minor, build, sp = (int(g) for g in m.groups()[:4])
    generic = {(6, 1): "Windows 7 x64", (6, 2): "Windows 8 x64", (6, 3): "Windows 8.1 x64",
               (10, 0): "Windows 10 x64"}.get((major, minor))
    check(generic is not None, "no names known for Windows %d.%d" % (major, minor))
    if (major, minor) == (6, 1) and sp in (0, 1):
        return ("Windows 7 RTM x64", "Windows 7 SP1 x64")[sp], generic
    if major == 10 and build in WINDOWS_10_RELEASES:
        return "Windows 10 version %s x64" % WINDOWS_10_RELEASES[build], generic
    return generic, generic


@scenario("decision: nothing missing ends the run; no prerequisites, no evaluation")
def nothing_to_install(ctx):
    with Package(ctx, general=[("Options", "q")]) as pkg:
        pkg.add("Present", [pkg.present])
        pkg.add("NoSearches", location=("Url", "http://127.0.0.1:9/a.exe"))
        log = pkg.run()
    log.expect({"Present": FOUND, "NoSearches": FOUND})
    check(log.selected == [], "selected: %s" % log.selected)
    # The run ends right after saying so: only the closing line follows.
    check(log.lines[-2] == "No prerequisite must be installed." and "End of Log" in log.lines[-1],
          "last lines: %s" % log.lines[-2:])

    # The list names a section that does not exist: no record at all.
    ctx.write_ini([("GeneralOptions", [("Options", "q")]), ("PREREQUISITES", [("App1", "Missing")]),
                   ("PREREQ_CHAINER", [("LogFile", win_path(pkg.log))])])
    os.remove(pkg.log)
    result = ctx.run()
    check(result.code == 0, "exit code %d" % result.code)
    evaluation = [l for l in Log(ctx.read_log(pkg.log) or "").lines if "End of Log" not in l]
    check(evaluation == [], "lines logged: %s" % evaluation)
