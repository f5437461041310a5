"""The decision for each prerequisite, read back from the log of real runs:
which searches find what, how operators combine them, which records are
selected, and how OS and language lists exclude prerequisites. Each
prerequisite is added with the state its run must give it."""
import os
import re
import shutil

from harness import check, scenario, win_path

FOUND = "An acceptable version was found."
PACKAGE = "No acceptable version found. It must be installed from package."
DOWNLOAD = "No acceptable version found. It must be downloaded."
SITE = "No acceptable version found. It must be downloaded manually from a site."
WRONG_OS = "wrong OS"  # stands for the "Wrong OS or Os language for:" line
NOTHING_MISSING = "No prerequisite must be installed."

PLATFORM_64 = "Windows XP/Vista/Windows 7/Windows 8 x64/Windows 8.1 x64/Windows 10 x64"
LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d-\d\d-\d\d-(.*)$")


class Package:
    """Prerequisites in list order, a log file, and a registry key of the scenario's own, removed on leaving."""

    def __init__(self, ctx, general=()):
        self.ctx, self.general, self.sections, self.expected = ctx, list(general), [], {}
        self.log = os.path.join(ctx.dir, "run.log")
        self.key = r"HKCU\Software\Tessaro Tests\e2e_%s_%d" % (os.path.basename(ctx.dir), os.getpid())
        self.present, self.absent = (5, self.key_path("present")), (5, self.key_path("absent"))

    def __enter__(self):
        self.reg("present")
        return self

    def __exit__(self, *exc):
        self.ctx.reg("delete", self.key, "/f")

    def add(self, name, searches=(), location=("SetupFile", "setup_x.exe"), expect=None, **keys):
        """Adds a prerequisite; the next run checks the state |expect| when given."""
        entries = [location] + list(keys.items())
        for n, (kind, string, *extra) in enumerate(searches, 1):
            entries += [("SearchType%d" % n, str(kind)), ("SearchString%d" % n, string)]
            entries += [("%s%d" % (k, n), v) for k, v in (extra[0] if extra else {}).items()]
        self.sections.append((name, entries))
        if expect is not None:
            self.expected[name] = expect

    def run(self):
        """One run of the prerequisites added since the last; the check programs lie beside setup.exe."""
        listed = [("App%d" % i, name) for i, (name, _) in enumerate(self.sections, 1)]
        exe = self.ctx.fresh_setup(sections=[("GeneralOptions", self.general), ("PREREQUISITES", listed)]
                                   + self.sections + [("PREREQ_CHAINER", [("LogFile", win_path(self.log))])])
        if os.path.exists(self.log):
            os.remove(self.log)
        result = self.ctx.run(exe=exe)
        check(result.code == 0, "exit code %d; Wine said: %r" % (result.code, self.ctx.wine_errors()))
        log = Log(self.ctx.read_log(self.log) or "")
        log.expect(self.expected)
        self.sections, self.expected = [], {}
        return log

    def key_path(self, below):
        return self.key + "\\" + below

    def reg(self, below, *value):
        """Creates the key |below| the scenario's key, with a value (name, data) when given."""
        extra = ("/v", value[0], "/d", value[1]) if value else ()
        code, _ = self.ctx.reg("add", self.key_path(below), *extra, "/f")
        check(code == 0, "reg add %s %s failed" % (below, value))


class Log:
    """The evaluation lines of one run: results by name, and the names searched for and selected, in order."""

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
    """A check program in the package (type 10) exiting with |code|, writing |report| when it runs."""
    target = os.path.join(ctx.package, "check.exe")
    if not os.path.exists(target):
        shutil.copy(ctx.helper("exit_with"), target)
    return (10, "check.exe", {"SearchCmdLine": str(code) + (" --write " + win_path(report) if report else "")})


@scenario("decision: each kind of search finds or misses; operators, forced installs and parents; OS and language "
          "lists exclude; nothing missing ends the run")
def decisions(ctx):
    files = os.path.join(ctx.dir, "files")
    os.makedirs(files)
    shutil.copy(ctx.helper("versioned_file"), os.path.join(files, "versioned.dll"))  # 2.5.7.9
    versioned = win_path(os.path.join(files, "versioned.dll"))
    reports = {}

    def witness(name):
        """A check program that passes and leaves a file when it runs."""
        reports[name] = os.path.join(ctx.dir, name + ".ran")
        return check_program(ctx, 0, reports[name])

    with Package(ctx) as pkg:
        pkg.reg("values", "Version", "2.5")
        value, present, absent = pkg.key_path(r"values\Version"), pkg.present, pkg.absent
        url, site = ("Url", "http://127.0.0.1:9/value.exe"), ("OpenSite", "http://127.0.0.1:9/")
        pkg.add("KeyAbsent", [absent], expect=PACKAGE)
        pkg.add("KeyAbsentWanted", [(6, absent[1])], expect=FOUND)
        pkg.add("ValueTooOld", [(2, value, {"VerMin": "3.0"})], location=url, expect=DOWNLOAD)
        pkg.add("FileTooOld", [(0, versioned, {"VerMin": "2.6"})], location=site, expect=SITE)
        pkg.add("FileAbsent", [(0, win_path(os.path.join(files, "absent.dll")))], expect=PACKAGE)
        pkg.add("CheckPasses", [check_program(ctx, 0)], expect=FOUND)
        pkg.add("CheckFails", [check_program(ctx, 3)], expect=PACKAGE)
        # The full platform text, and a language probe that logs the system language.
        pkg.add("FullPlatform", [present], WinNT64Versions=PLATFORM_64, expect=WRONG_OS)
        pkg.add("LanguageProbe", [present], LanguageList="1", expect=WRONG_OS)
        # Operators stop at the first search that decides; a forced one runs none.
        pkg.add("AnyFirstMatches", [present, witness("AnyFirstMatches")], Operator="1", expect=FOUND)
        pkg.add("AnyLastMatches", [absent, witness("AnyLastMatches")], Operator="1", expect=FOUND)
        pkg.add("AllFirstFails", [absent, witness("AllFirstFails")], expect=PACKAGE)
        pkg.add("AllMatch", [present, witness("AllMatch")], Operator="0", expect=FOUND)
        pkg.add("AllLastFails", [present, absent], expect=PACKAGE)
        pkg.add("UnknownOperator", [present, witness("UnknownOperator")], Operator="2", expect=PACKAGE)
        pkg.add("NoSearchesAll", expect=FOUND)
        pkg.add("NoSearchesAny", Operator="1", expect=PACKAGE)
        pkg.add("Forced", [present, witness("Forced")], Options="i", expect=PACKAGE)
        pkg.add("FoundParent", [present], expect=FOUND)
        pkg.add("ChildOfFound", [absent], ParentPrereq="FoundParent", expect=PACKAGE)
        pkg.add("ChildOfMissing", [absent], ParentPrereq="LateParent", expect=PACKAGE)
        pkg.add("Unrelated", [absent], expect=PACKAGE)
        pkg.add("LateParent", [absent], expect=PACKAGE)
        pkg.add("FoundChild", [present], ParentPrereq="LateParent", expect=FOUND)
        pkg.add("Orphan", [absent], ParentPrereq="NoSuchPrerequisite", expect=PACKAGE)
        probe = pkg.run()
        ran = {name for name, path in reports.items() if os.path.exists(path)}
        check(ran == {"AnyLastMatches", "AllMatch", "UnknownOperator"}, "second searches that ran: %s" % sorted(ran))
        # A selected child pulls its parent in at once, ahead of the records between them.
        check(probe.selected == ["KeyAbsent", "ValueTooOld", "FileTooOld", "FileAbsent", "CheckFails",
                                 "AllFirstFails", "AllLastFails", "UnknownOperator", "NoSearchesAny", "Forced",
                                 "ChildOfFound", "ChildOfMissing", "LateParent", "Unrelated", "Orphan"],
              "selection order: %s" % probe.selected)
        check(NOTHING_MISSING not in probe.lines, "nothing-missing line with missing prerequisites")
        lang = int(re.search(r"SystemDefault LangID=(\d+)-\S", probe.text).group(1))
        other = 1031 if lang != 1031 else 1036
        generic = os_name(probe.text)

        # Second run, silent: the running system's names and language lists. A 32-bit process on 64-bit
        # Windows reports the x64 names too, and is held to WinNT64Versions, never to the x86 list.
        pkg.general = [("Options", "q")]
        pkg.add("GenericName", [present], WinNT64Versions="Windows 95, %s" % generic, expect=WRONG_OS)
        pkg.add("GenericX86", [present], WinNT64Versions=generic[:-len("x64")] + "x86", expect=FOUND)
        pkg.add("NotSplitAtComma", [present], WinNT64Versions="Windows 95,%s" % generic, expect=FOUND)
        pkg.add("X64NameInX86List", [present], WinNTVersions=generic, expect=FOUND)
        pkg.add("Language", [present], LanguageList=str(lang), expect=FOUND)
        pkg.add("LanguageSecond", [present], LanguageList="%d;%d" % (other, lang), expect=FOUND)
        pkg.add("OtherLanguage", [present], LanguageList="%d;" % other, expect=WRONG_OS)
        pkg.add("ExcludedMissing", [absent], WinNT64Versions=generic, expect=WRONG_OS)
        pkg.add("DownloadWithoutSearches", location=url, expect=FOUND)
        log = pkg.run()
    check(log.selected == [], "an excluded prerequisite was selected: %s" % log.selected)
    # Excluded prerequisites do not count as missing, and the run ends right after saying so.
    check(log.lines[-2] == NOTHING_MISSING and "End of Log" in log.lines[-1], "last lines: %s" % log.lines[-2:])


def os_name(header):
    """The generic name of the workstation the log header describes; the host test holds the detailed names."""
    m = re.search(r"OS Version: (\d+)\.(\d+)\.\d+ SP\d+ \(workstation\) \[x64\]", header)
    check(m is not None, "unexpected OS header in the log")
    generic = {(6, 1): "Windows 7", (6, 2): "Windows 8", (6, 3): "Windows 8.1", (10, 0): "Windows 10"}.get(
        tuple(map(int, m.groups())))
    check(generic is not None, "no names known for Windows %s.%s" % m.groups())
    return generic + " x64"
