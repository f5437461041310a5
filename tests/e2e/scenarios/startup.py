"""Start-up: finding and reading the configuration beside the executable,
the current directory, and the wait for a running Windows Installer
installation."""
import os
import random
import shutil
import time

from harness import check, ini_text, scenario, win_path

END_LINE = "=====================End of Log====================="
INSTALLER_MUTEX = "Global\\_MSIExecute"


def logged_to(ctx, name):
    """The configuration named this log file: it exists beside the executable
    and the run closed it. Relative names resolve against the package folder,
    whatever folder the program was started from."""
    text = ctx.read_log(os.path.join(ctx.package, name))
    check(text is not None, "no log %s in the package folder" % name)
    check(text.rstrip().endswith(END_LINE), "log %s has no end line: %r" % (name, text[-200:]))
    check(not os.path.exists(os.path.join(ctx.dir, name)), "log %s written to the starting folder" % name)
    return text


def chainer_log(name):
    return [("PREREQ_CHAINER", [("LogFile", name)])]


def package_files(ctx):
    return sorted(os.path.relpath(p, ctx.package) for p in ctx.files_under(ctx.package))


@scenario("startup: no configuration file ends at once with 0 and writes nothing")
def no_configuration(ctx):
    result = ctx.run(timeout=60)
    check(result.code == 0, "exit code %d" % result.code)
    check(package_files(ctx) == ["setup.exe"], "package folder now holds %s" % package_files(ctx))


@scenario("startup: a configuration without prerequisites ends with 0")
def configuration_present(ctx):
    ctx.write_ini([("GeneralOptions", [("Options", "q")])])
    result = ctx.run(timeout=60)
    check(result.code == 0, "exit code %d" % result.code)
    # No "LogFile": nothing is logged anywhere in the package.
    check(package_files(ctx) == ["setup.exe", "setup.ini"], "package folder now holds %s" % package_files(ctx))


@scenario("startup: a LogFile is opened relative to the package folder; an empty one logs nothing")
def log_file_switch(ctx):
    ctx.write_ini(chainer_log("run.log"))
    result = ctx.run(timeout=60)
    check(result.code == 0, "exit code %d" % result.code)
    logged_to(ctx, "run.log")

    os.remove(os.path.join(ctx.package, "run.log"))
    ctx.write_ini(chainer_log(""))
    result = ctx.run(timeout=60)
    check(result.code == 0, "exit code %d with an empty LogFile" % result.code)
    check(package_files(ctx) == ["setup.exe", "setup.ini"], "empty LogFile left %s" % package_files(ctx))


@scenario("startup: malformed configuration files end with 0, without crash or hang")
def malformed_configurations(ctx):
    bom = b"\xff\xfe"
    good = ini_text(chainer_log("parsed.log")).encode("utf-16-le")
    rng = random.Random(20261205)
    # Several megabytes of well-formed sections; the log key comes last, so a
    # log proves the whole file was read.
    filler = "".join("[Section%d]\r\nKey%d=%s\r\n" % (i, i, "v" * 200) for i in range(9000))
    big = bom + (filler + ini_text(chainer_log("parsed.log"))).encode("utf-16-le")
    check(len(big) > 3 * 1024 * 1024, "the large file is only %d bytes" % len(big))
    variants = [
        # (what, bytes, whether the configuration's log must appear)
        ("empty file", b"", False),
        ("one byte", b"\xff", False),
        ("byte-order mark only", bom, False),
        ("LF-only line ends make one line", bom + "[PREREQ_CHAINER]\nLogFile=parsed.log\n".encode("utf-16-le"), False),
        ("binary garbage", bytes(rng.randrange(256) for _ in range(65536)), False),
        ("no byte-order mark loses the first character", "[PREREQ_CHAINER]\r\nLogFile=parsed.log\r\n".encode("utf-16-le"), False),
        ("two byte-order marks", bom + bom + good, True),
        ("odd number of bytes", bom + good + b"\x41", True),
        ("several megabytes", big, True),
    ]
    log = os.path.join(ctx.package, "parsed.log")
    for what, raw, logs in variants:
        if os.path.exists(log):
            os.remove(log)
        ctx.write_ini(raw=raw)
        result = ctx.run(timeout=90)
        check(result.code == 0, "%s: exit code %d" % (what, result.code))
        check(os.path.exists(log) == logs, "%s: log %s" % (what, "missing" if logs else "written"))
        if logs:
            logged_to(ctx, "parsed.log")


@scenario("startup: a.b.exe reads a.b.ini, not a.ini")
def dotted_name(ctx):
    exe = os.path.join(ctx.package, "a.b.exe")
    shutil.move(ctx.setup, exe)
    ctx.write_ini(chainer_log("dotted.log"), name="a.b.ini")
    ctx.write_ini(chainer_log("wrong.log"), name="a.ini")
    result = ctx.run(exe=exe, timeout=60)
    check(result.code == 0, "exit code %d" % result.code)
    logged_to(ctx, "dotted.log")
    check(not os.path.exists(os.path.join(ctx.package, "wrong.log")), "a.ini was read")


@scenario("startup: an executable without extension reads <name>.ini")
def no_extension(ctx):
    exe = os.path.join(ctx.package, "setup")
    shutil.move(ctx.setup, exe)
    ctx.write_ini(chainer_log("noext.log"))
    result = ctx.run(exe=exe, timeout=60)
    check(result.code == 0, "exit code %d" % result.code)
    logged_to(ctx, "noext.log")


# Note: the mutex is global to the Wine prefix; scenarios running meanwhile
# with a configuration wait for it too, so it is held for a few seconds only.
@scenario("startup: waits while a Windows Installer installation holds its mutex")
def waits_for_installer(ctx):
    ctx.write_ini(chainer_log("waited.log"))
    # How long a run takes when nothing is held, to know what "still waiting" means.
    baseline = ctx.run(timeout=60)
    check(baseline.code == 0, "exit code %d without the mutex" % baseline.code)
    os.remove(os.path.join(ctx.package, "waited.log"))

    release = os.path.join(ctx.dir, "release-now")
    holder = ctx.start(ctx.helper("mutex_holder"), args=(INSTALLER_MUTEX, "20000", win_path(release)))
    program = None
    try:
        line = ctx.read_line(holder, 30)
        check(line == "holding", "mutex holder said %r" % line)
        program = ctx.spawn()
        time.sleep(max(3.0, 3 * baseline.duration))
        check(program.poll() is None, "ended (code %s) while the mutex was held" % program.poll())
        check(not os.path.exists(os.path.join(ctx.package, "waited.log")), "logged while waiting")

        with open(release, "w"):
            pass
        line = ctx.read_line(holder, 30)
        check(line == "released", "mutex holder said %r" % line)
        code = program.wait(timeout=60)
        check(code == 0, "exit code %d after the release" % code)
        logged_to(ctx, "waited.log")
    finally:
        for proc in (program, holder):
            if proc is not None and proc.poll() is None:
                proc.kill()
                proc.wait(timeout=30)
