"""Start-up: finding and reading the configuration beside the executable,
and the wait for a running Windows Installer installation."""
import os
import time

from harness import check, ini_text, scenario, win_path

INSTALLER_MUTEX = "Global\\_MSIExecute"


def run_ok(ctx, what="", **kwargs):
    result = ctx.run(**kwargs)
    check(result.code == 0, "%sexit code %d" % (what, result.code))


def chainer_log(name):
    return [("PREREQ_CHAINER", [("LogFile", name)])]


@scenario("startup: malformed configuration files end with 0, without crash or hang")
def malformed_configurations(ctx):
    bom = b"\xff\xfe"
    good = ini_text(chainer_log("parsed.log")).encode("utf-16-le")
    # Several megabytes of well-formed sections; the log key comes last, so a
    # log proves the whole file was read.
    filler = "".join("[Section%d]\r\nKey%d=%s\r\n" % (i, i, "v" * 200) for i in range(9000))
    big = bom + (filler + ini_text(chainer_log("parsed.log"))).encode("utf-16-le")
    # Arbitrary bytes are the fuzz target's, a missing mark and LF line ends the checker's.
    variants = [  # (what, bytes, whether the log proves the file was read)
        ("empty file", b"", False),
        ("byte-order mark only", bom, False),
        ("two byte-order marks and an odd number of bytes", bom + bom + good + b"\x41", True),
        ("several megabytes", big, True),
    ]
    log = os.path.join(ctx.package, "parsed.log")
    for n, (what, raw, logs) in enumerate(variants):
        if os.path.exists(log):
            os.remove(log)
        run_ok(ctx, what + ": ", exe=ctx.fresh_setup("variant%d" % n, raw=raw), timeout=90)
        check(os.path.exists(log) == logs, "%s: log %s" % (what, "missing" if logs else "written"))


# The name of the configuration beside an executable is the host test's.
@scenario("startup: without a configuration nothing is written")
def no_configuration(ctx):
    run_ok(ctx, "no configuration: ")
    files = [os.path.relpath(p, ctx.package) for p in ctx.files_under(ctx.package)]
    check(files == ["setup.exe"], "package folder now holds %s" % files)


# The mutex is global to the Wine prefix: while it is held, every other
# scenario's run would wait too. So no other scenario runs meanwhile.
@scenario("startup: two runs wait while a Windows Installer installation holds its mutex, the window stays "
          "responsive, and each run gives the mutex back so that both install", alone=True)
def waits_for_installer(ctx):
    from scenarios.basic_ui import Run, TITLE
    from scenarios.install import Package
    packages = silent, basic = [Package(ctx, options, "run-%s.log" % options) for options in ("q", "b")]
    for pkg in packages:
        pkg.add("Tool", pkg.setup("tool-%s.exe" % pkg.options), Options="i", NoUiCommandLine="0", BasicUiCommandLine="0")

    release = os.path.join(ctx.dir, "release-now")
    holder = ctx.spawn(ctx.helper("mutex_holder"), args=(INSTALLER_MUTEX, "60000", win_path(release)), talk=True)
    program = None
    try:
        check(ctx.read_line(holder, 30) == "holding", "the mutex holder did not start holding")
        program = ctx.spawn(exe=silent.write())
        with Run(basic) as run:
            # Only a window that dispatches its messages answers the probe.
            window = run.ask("preparing Preparing...")
            check(window[1:3] == [TITLE, "Preparing..."], "while waiting: %s" % window)
            time.sleep(3)
            check(program.poll() is None and run.proc.poll() is None and not any(map(os.path.exists, (
                silent.log, basic.log))), "a run went on while the mutex was held")
            open(release, "w").close()
            check(ctx.read_line(holder, 30) == "released", "the mutex holder did not release")
            run.ended(0)
        check(program.wait(timeout=60) == 0, "the silent run's exit code after the release")
        silent.read()
        for pkg in packages:
            check(len(pkg.launched()) == 1 and "Return code of launched file:0" in pkg.lines,
                  "%s did not install: %s" % (pkg.options, pkg.lines))
    finally:
        for proc in (program, holder):
            if proc is not None and proc.poll() is None:
                proc.kill()
                proc.wait(timeout=30)
