"""A run left with a restart pending registers its setup.exe to run once more and keeps its package for it."""
import os

from harness import check, scenario, win_path
from scenarios.install import Package
from web_server import WebServer

# Wine's programs count as elevated: the machine's list.
RUN_ONCE = r"HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce"
RESUMING = "Tessaro will resume after the restart."


@scenario("resume: a restart code keeps the package and registers it; the next run finishes and cleans up")
def resume_after_reboot(ctx):
    pkg, after = Package(ctx), os.path.join(ctx.dir, "after")
    (runtime, sets_rt), (app, sets_app) = pkg.installs("Runtime"), pkg.installs("App")
    with pkg, WebServer(ctx.helpers) as web:
        # The second setup fails until the restart has finished the first, which leaves "after" behind.
        pkg.add("Runtime", pkg.setup("rt.exe"), RebootCodes="3010", NoUiCommandLine="3010 " + sets_rt, searches=runtime)
        pkg.sections.append(("App", [("Url", web.url("exit_with.exe")), ("Options", "m"), ("NoUiCommandLine",
                             "0 --write \"%s\" %s" % (win_path(os.path.join(after, "app.txt")), sets_app))] + app))
        for resume in (False, True):
            ctx.reg("delete", pkg.key, "/f")
            pkg.general = [("DownloadFolder", win_path(ctx.dir)), ("ResumeAfterReboot", "True")][:1 + resume]
            pkg.run(-1)
            exe = os.path.join(ctx.package, "setup%d.exe" % len(ctx.fresh_stems))
            name = "Tessaro." + win_path(exe).replace("\\", "_").replace(":", "_")
            data = ctx.reg("query", RUN_ONCE, "/v", name)[1].partition("REG_SZ")[2].strip()
            ctx.reg("delete", RUN_ONCE, "/v", name, "/f")  # as the restart does before it runs the value
            kept = [exe[:-4] + ".ini", os.path.join(ctx.dir, "exit_with.exe")]
            check(pkg.lines.count(RESUMING) == resume and data == ('"%s"' % win_path(exe) if resume else "") and
                  [os.path.exists(p) for p in kept] == [resume] * 2, "%s: %s; %s" % (name, data, pkg.lines))
        os.makedirs(after)
        os.remove(pkg.log)
        check(ctx.run(exe).code == 0, "the run after the restart did not end with 0")
        pkg.read()
        check(pkg.launched() == [win_path(kept[1])] and RESUMING not in pkg.lines and
              not any(map(os.path.exists, kept)), "after the restart: %s" % pkg.lines)
