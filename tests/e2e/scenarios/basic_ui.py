"""Basic UI with real windows, driven by window_probe as a user would; screenshots kept beside each scenario."""
import os
import re
import subprocess
import time

from fault_server import FaultServer
from harness import check, scenario, win_path
from scenarios.install import Package, SUMMARY, context_values, own_prefix

TITLE = "Tessaro Setup"
SEARCHING = "Searching for prerequisites..."
REBOOT_QUESTION = ("You must reboot your computer in order to continue the installation. Press Yes to restart now "
                   "or press No to abort the installation and manually restart later.")


def screenshot(ctx, name):
    path = os.path.join(ctx.dir, name + ".png")
    subprocess.run(["import", "-window", "root", "-trim", "+repage", path], env=ctx.env(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    check(os.path.exists(path), "no screenshot %s" % path)


class Run:
    """The package's chainer started, with window_probe.exe watching its windows."""

    def __init__(self, pkg, env=()):
        self.pkg = pkg
        check(os.environ.get("DISPLAY"), "windows need a display: run under xvfb-run")
        # Without a window manager Wine places and frames its windows itself,
        # so that the screenshots show them whole and none waits for a manager.
        if not getattr(pkg.ctx, "unmanaged", False):
            pkg.ctx.unmanaged = [pkg.ctx.reg("add", r"HKCU\Software\Wine\X11 Driver", "/v", name, "/d", "N", "/f")
                                 for name in ("Managed", "Decorated")]
        exe = pkg.write()
        self.proc = pkg.ctx.spawn(exe, env=env)
        self.probe = pkg.ctx.spawn(pkg.ctx.helper("window_probe"), args=(win_path(exe),), talk=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.probe.stdin.close()
        self.probe.wait(timeout=30)
        self.proc.kill()

    def ask(self, command):
        self.probe.stdin.write(command + "\n")
        self.probe.stdin.flush()
        line = self.pkg.ctx.read_line(self.probe, 90)
        check(line is not None and not line.startswith("timeout"), "probe %r: %s" % (command, line))
        return line.split("|")

    def ended(self, expected_code, timeout=120):
        """Waits for the chainer's end; None takes any exit code."""
        code = self.proc.wait(timeout=timeout)
        check(expected_code is None or code == expected_code & 0xFF, "exit code %d, expected %s" % (code, expected_code))
        self.pkg.read()


def launched_names(pkg):
    return [path.split("\\")[-1] for path in pkg.launched()]


def add_slow(pkg, name, options, code=0, ms=3000, **keys):
    """Prerequisite |name| whose setup |name|.exe sleeps |ms| and exits with |code|."""
    pkg.add(name, pkg.setup(name.lower() + ".exe"), Options=options,
            BasicUiCommandLine="%d --sleep-ms %d" % (code, ms), **keys)


def slow_download(ctx, server, pkg):
    """A prerequisite "Tool" downloaded from |server| in about 4 s, slow enough to cancel halfway."""
    data = open(ctx.helper("exit_with"), "rb").read()
    server.route("/tool.exe", body=data, trickle=(len(data) // 40 + 1, 0.1))
    pkg.general = [("DownloadFolder", win_path(os.path.join(ctx.dir, "downloads")))]
    pkg.sections.append(("Tool", [("Url", server.url("/tool.exe")), ("Options", "i"), ("BasicUiCommandLine", "0")]))


@scenario("basic UI: the Preparing window while searching, a download's and each install's status and bar, an end "
          "by itself with a mandatory prerequisite still missing")
def status_and_bar(ctx):
    with FaultServer() as server, Package(ctx, options="b") as pkg:
        searches, write = pkg.installs("Runtime")
        # A slow search program keeps the search window up; it finds nothing even after its setup.
        add_slow(pkg, "Search", "m", ms=1500, searches=[("SearchType1", "10"), ("SearchString1", "search.exe"),
                                                        ("SearchCmdLine1", "1 --sleep-ms 4000")])
        pkg.add("Runtime", pkg.setup("runtime.exe"), Options="m", searches=searches,
                BasicUiCommandLine="0 --sleep-ms 2500 " + write)
        slow_download(ctx, server, pkg)
        with Run(pkg) as run:
            window = run.ask("preparing " + SEARCHING)  # without Skip, its text reaching Skip's edge
            check([window[1]] + window[3:] == [TITLE, "0", "1"], "search window: %s" % window)
            screenshot(ctx, "preparing")
            # There is nothing to cancel during the search: closing does nothing.
            check(run.ask("close-preparing")[2] == SEARCHING, "the search window closed")
            status = run.ask("status Downloading Tool")
            check(status[1:5] == [TITLE, "Downloading Tool", "1", "1"], "downloading: %s" % status)
            while "/s" not in status[5] and not time.sleep(0.1):  # until a speed is known, or the probe times out
                status = run.ask("status Downloading Tool")
            check(re.fullmatch(r"[\d.]+ K?B of [\d.]+ KB, [\d.]+ K?B/s, \d+ s left", status[5]), "line: %s" % status)
            screenshot(ctx, "download")
            for position, name in enumerate(("Search", "Runtime", "Tool"), 1):
                status = run.ask("status Installing " + name)
                check(status[2:] == ["Installing " + name, str(position), "3", "%d of 3" % position, "Cancel"],
                      "%s: %s" % (name, status))
                screenshot(ctx, "progress-%d" % position)
            run.ask("gone")  # by itself, once the setups have run
            run.ended(1)
            layout = run.ask("layout")
            check(layout[2] == "ok", "at %s DPI: %s" % (layout[1], layout[2]))
        check("Starting installing prerequisites in basic UI mode." in pkg.lines and
              pkg.after("Starting download of:Tool") == ["Download completed succesfully."] and
              launched_names(pkg) == ["search.exe", "runtime.exe", "tool.exe"] and pkg.lines[-2] == SUMMARY % "false",
              "log: %s" % pkg.lines)


@scenario("basic UI: Cancel while a setup runs, after a mandatory setup failed, and during a download")
def cancel(ctx):
    with FaultServer() as server, Package(ctx, options="b") as pkg:
        add_slow(pkg, "First", "i")
        add_slow(pkg, "Second", "i", ms=0)
        with Run(pkg) as run:
            run.ask("status Installing First")
            run.ask("cancel")
            pressed = time.monotonic()
            # The dialog goes at once; the run waits for the running setup.
            run.ask("gone")
            check(time.monotonic() - pressed < 2.5, "the dialog stayed after Cancel")
            run.ended(0)
        check(launched_names(pkg) == ["first.exe"] and "Return code of launched file:0" in pkg.lines
              and pkg.lines[-2] == SUMMARY % "false", "log: %s" % pkg.lines)

        # A failed mandatory setup leaves the dialog up until the user cancels; nothing more runs.
        pkg.sections = []
        add_slow(pkg, "Runtime", "mi", code=9, ms=0)
        add_slow(pkg, "Later", "i", ms=0)
        with Run(pkg) as run:
            status = run.ask("status Runtime mandatory")
            check(status[2:] == ["Runtime mandatory prerequisite was not correctly installed.", "1", "2", "", "Cancel"],
                  "after the failure: %s" % status)
            time.sleep(0.5)  # past the bar's blink
            screenshot(ctx, "error")
            time.sleep(1)
            check(run.proc.poll() is None, "the dialog did not wait for the user")
            run.ask("cancel")
            run.ended(1)
        check(launched_names(pkg) == ["runtime.exe"], "launched: %s" % pkg.launched())

        # Cancel stops a download between two pieces; no downloaded file is taken for complete.
        pkg.sections = []
        slow_download(ctx, server, pkg)
        with Run(pkg) as run:
            run.ask("status Downloading Tool")
            run.ask("cancel")
            run.ask("gone")
            run.ended(0)
        check(pkg.launched() == [] and "Download completed succesfully." not in pkg.lines
              and not os.path.exists(os.path.join(ctx.dir, "downloads", "tool.exe")), "after Cancel: %s" % pkg.lines)


@scenario("basic UI at 144 DPI: layout, the session ending during a setup, and the reboot question answered No and Yes")
def high_dpi_session_end_and_restart(ctx):
    # A prefix of its own: its DPI, and a restart that ends only its
    # processes. The question is owned by whatever window is in the
    # foreground, so no other program's windows may come and go meanwhile:
    # a question whose owner goes is gone too, and counts as a no.
    stop = own_prefix(ctx)
    try:
        ctx.reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
        subprocess.run(["wineserver", "-k"], env=ctx.env(), stderr=subprocess.DEVNULL, timeout=60)
        with Package(ctx, options="b") as pkg:
            add_slow(pkg, "First", "mi", RetValPropName="First")
            add_slow(pkg, "Second", "i", ms=0)
            with Run(pkg) as run:
                layout = run.ask("layout")
                check(layout[1:] == ["144", "ok"], "layout: %s" % layout)
                run.ask("status Installing First")
                screenshot(ctx, "progress-144dpi")
                # Windows ends the session: the running setup finishes, no
                # other starts, and the run leaves its codes for afterwards.
                run.ask("endsession")
                run.ask("gone")
                run.ended(-1)
            check(launched_names(pkg) == ["first.exe"] and pkg.lines[-2] == SUMMARY % "false"
                  and context_values(ctx) == {"First": "0"}, "log: %s" % pkg.lines)
            ctx.reg("delete", r"HKCU\InterbootContext", "/f")

            pkg.sections = []
            add_slow(pkg, "Driver", "ir", ms=0, RetValPropName="Driver")
            add_slow(pkg, "Later", "i", ms=0)
            with Run(pkg) as run:
                check(run.ask("question no")[1:] == ["Confirmation", REBOOT_QUESTION], "not the reboot question")
                # The refused restart leaves the install step's end on show
                # (Wine's bar has no error state) until the user cancels.
                status = run.ask("status Driver")
                check(status[2:5] == ["Driver", "1", "2"], "after No: %s" % status)
                run.ask("cancel")
                run.ended(0)
            check(launched_names(pkg) == ["driver.exe"] and context_values(ctx) is None and
                  pkg.after("Rebooting machine...", 2) == [SUMMARY % "true", "  Reboot was refused=true"],
                  "after No: %s" % pkg.lines)

            # Yes restarts: Wine, like Windows, ends every program with a
            # window, the chainer included, and leaves the return codes.
            with Run(pkg) as run:
                run.ask("question yes")
                run.ended(None)
            check(pkg.lines[-1] == "Rebooting machine..." and launched_names(pkg) == ["driver.exe"]
                  and context_values(ctx) == {"Driver": "0"}, "log after Yes: %s" % pkg.lines[-3:])
    finally:
        ctx.reg("delete", r"HKCU\InterbootContext", "/f")
        stop()


# Wine takes its UI language from LC_ALL (LANG alone is not enough here).
# Each: environment, product name, title, install status, step, Cancel,
# caption, question.
LANGUAGES = [
    ("de_DE.UTF-8", "Contoso", "Contoso-Setup", "Driver wird installiert", "1 von 1", "Abbrechen", "Bestätigung",
     "Um die Installation fortzusetzen, muss der Computer neu gestartet werden. Klicken Sie auf „Ja“, um jetzt "
     "neu zu starten, oder auf „Nein“, um die Installation abzubrechen und den Computer später selbst neu zu "
     "starten."),
    ("ru_RU.UTF-8", "", "Программа установки Tessaro", "Установка Driver", "1 из 1", "Отмена", "Подтверждение",
     "Для продолжения установки необходимо перезагрузить компьютер. Нажмите «Да», чтобы перезагрузить его "
     "сейчас, или «Нет», чтобы прервать установку и перезагрузить компьютер позже вручную."),
]


@scenario("basic UI in German, named by the package's ProductName, and in Russian: the progress dialog and the "
          "reboot question")
def languages(ctx):
    # A prefix of its own, for the question's sake (see above).
    stop = own_prefix(ctx)
    try:
        with Package(ctx, options="b") as pkg:
            for lang, product, title, installing, step, cancel, caption, question in LANGUAGES:
                pkg.sections, pkg.general = [], [("ProductName", product)]
                add_slow(pkg, "Driver", "ir", ms=1500)
                with Run(pkg, env={"LC_ALL": lang}) as run:
                    status = run.ask("status " + installing)
                    check(status[1:] == [title, installing, "1", "1", step, cancel], "dialog: %s" % status)
                    screenshot(ctx, "progress-" + lang[:2])
                    time.sleep(3)  # past the setup's end, to the question
                    screenshot(ctx, "question-" + lang[:2])
                    check(run.ask("question no")[1:] == [caption, question], "the question in %s" % lang)
                    run.ask("cancel")
                    run.ended(0)
    finally:
        stop()
