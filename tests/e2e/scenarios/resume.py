"""ResumeAfterReboot: a run that ends with a restart pending keeps its package and registers to start again;
the run after the restart is an ordinary one that finishes the installation and cleans up."""
import os

from harness import check, scenario, win_path
from scenarios.cleanup import install_timeout, wait_until_gone
from scenarios.download import Downloads
from web_server import WebServer

# Wine's programs run elevated, so the value goes to the machine's list.
RUN_ONCE = r"HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce"
RESUMING = "Tessaro will resume after the restart."


def run(pkg, exe):
    """Runs |exe| with a log of its own; returns the exit code as Linux sees it."""
    if os.path.exists(pkg.log):
        os.remove(pkg.log)
    code = pkg.ctx.run(exe).code
    pkg.read()
    return code


def run_once_value(ctx, exe):
    name = "Tessaro." + win_path(exe).replace("\\", "_").replace(":", "_")
    code, out = ctx.reg("query", RUN_ONCE, "/v", name)
    return name, (out.split("REG_SZ", 1)[1].strip() if code == 0 else None)


@scenario("resume: a restart code keeps the package and registers it; the next run finishes and cleans up")
def resume_after_reboot(ctx):
    install_timeout(ctx)
    pkg = Downloads(ctx)
    pkg.serve("app.exe")
    dl, extra, after = (os.path.join(ctx.dir, n) for n in ("dl", os.path.join("package", "extra.txt"), "after"))
    runtime_search, runtime_sets = pkg.installs("Runtime")
    app_search, app_sets = pkg.installs("App")
    exe = ctx.setup
    try:
        with pkg, WebServer(pkg.served) as web:
            def layout(*general):
                """The first setup asks for a restart; the second fails until the restart has
                finished the first (the folder "after" stands for what it leaves behind)."""
                open(extra, "w").close()
                return ctx.fresh_setup(sections=[
                    ("GeneralOptions", [("Options", "q"), ("DownloadFolder", win_path(dl))] + list(general)),
                    ("PREREQUISITES", [("App1", "Runtime"), ("App2", "App")]),
                    ("Runtime", [("SetupFile", pkg.setup("runtime.exe")), ("RebootCodes", "3010"),
                                 ("NoUiCommandLine", "3010 " + runtime_sets)] + runtime_search),
                    ("App", [("Url", web.url("app.exe")), ("Options", "m"), ("NoUiCommandLine", "0 --write \"%s\" %s"
                             % (win_path(os.path.join(after, "app.txt")), app_sets))] + app_search),
                    ("PREREQ_CHAINER", [("LogFile", win_path(pkg.log)), ("CleanupFolders", win_path(ctx.package)),
                                        ("CleanupFiles", win_path(extra))])])

            exe = layout(("ResumeAfterReboot", "True"))
            ini = exe[:-4] + ".ini"
            check(run(pkg, exe) == 255, "the first run did not end with -1")
            name, data = run_once_value(ctx, exe)
            check(data == '"%s"' % win_path(exe), "RunOnce %s: %s" % (name, data))
            check(pkg.lines.count(RESUMING) == 1 and pkg.lines[-2] == RESUMING and
                  pkg.launched() == [win_path(os.path.join(ctx.package, "runtime.exe")),
                                     win_path(os.path.join(dl, "app.exe"))], "first run: %s" % pkg.lines)
            check(all(map(os.path.exists, (ini, extra, os.path.join(dl, "app.exe")))), "the package was not kept")

            # The restart: it runs the value once and finishes what the first setup began.
            ctx.reg("delete", RUN_ONCE, "/v", name, "/f")
            os.makedirs(after)
            check(run(pkg, exe) == 0, "the run after the restart did not end with 0")
            check(pkg.launched() == [win_path(os.path.join(dl, "app.exe"))] and RESUMING not in pkg.lines and
                  os.path.exists(os.path.join(after, "app.txt")), "after the restart: %s" % pkg.lines)
            check([r["uri"] for r in web.requests()] == ["/app.exe"], "downloaded again: %s" % web.requests())
            check(run_once_value(ctx, exe)[1] is None, "registered again")
            wait_until_gone([exe, ini, extra, os.path.join(dl, "app.exe")])

            # Without the option a pending restart changes nothing of the clean-up.
            ctx.reg("delete", pkg.key, "/f")
            exe = layout()
            check(run(pkg, exe) == 255, "without the option: not -1")
            check(RESUMING not in pkg.lines and run_once_value(ctx, exe)[1] is None, "without: %s" % pkg.lines)
            wait_until_gone([exe, exe[:-4] + ".ini", extra, os.path.join(dl, "app.exe")])
    finally:
        # A value left behind would start the package at the prefix's next boot.
        ctx.reg("delete", RUN_ONCE, "/v", run_once_value(ctx, exe)[0], "/f")
        ctx.reg("delete", r"HKCU\InterbootContext", "/f")
