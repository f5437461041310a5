"""The log file: header, closing line, runs that append to one file, and no
log without a LogFile (the logger's unit test holds the fallback places)."""
import glob
import os
import re
import time

from harness import check, scenario, win_path

END_LINE = "=====================End of Log=====================\r\n"
STAMP = r"\d{4}-\d{2}-\d{2} \d{2}-\d{2}-\d{2}-"
LINE = STAMP + r"[^\r\n]*\r\n"
# A check program that waits until the scenario lets it go (bounded).
WAIT_SCRIPT = ('@echo off\r\nset n=0\r\n:wait\r\nif exist "%(go)s" exit 0\r\nset /a n=n+1\r\n'
               'if %%n%% GTR 600 exit 1\r\n"%(sleep)s" 0 --sleep-ms 100\r\ngoto wait\r\n')


def header(ctx):  # the banner names the build that wrote the run
    return (re.escape("\r\n<< Tessaro (%s) Log >>\r\n" % ctx.machine) +
            r"OS Version: \d+\.\d+\.\d+ SP\d+ \((?:server|workstation)\) \[x64\]\r\nCPU: (?P<cpu>[^\r\n]+)\r\n\r\n")


def empty_run(ctx):  # a run with nothing to evaluate: header, closing line, empty line
    return header(ctx).replace("?P<cpu>", "") + STAMP + re.escape(END_LINE) + r"\r\n"


def run_quiet(ctx, log_file=None, stem="setup"):
    """One run of a fresh copy named stem.exe; stem names the fallback log too."""
    sections = [("GeneralOptions", [("Options", "q")])]
    if log_file is not None:
        sections.append(("PREREQ_CHAINER", [("LogFile", log_file)]))
    result = ctx.run(exe=ctx.fresh_setup(stem, sections=sections))
    check(result.code == 0, "exit code %d" % result.code)


def check_log_bytes(path, pattern):
    with open(path, "rb") as f:
        data = f.read()  # one byte-order mark, from the run that made the file
    check(data[:2] == b"\xff\xfe" and re.fullmatch(pattern, data[2:].decode("utf-16-le")), "log: %r" % data)
    return data[2:].decode("utf-16-le")


@scenario("log: a configured LogFile gets the header and the closing line; a second run, with the same file "
          "named relative to the executable, appends")
def configured_log_file(ctx):
    path = os.path.join(ctx.package, "logs", "run.log")
    os.makedirs(os.path.dirname(path))
    run_quiet(ctx, win_path(path), stem="absolute")
    run_quiet(ctx, "logs\\run.log", stem="relative")  # started from the folder above the package
    check(not os.path.exists(os.path.join(ctx.dir, "logs")), "resolved against the starting folder")
    text = check_log_bytes(path, empty_run(ctx) * 2)
    # The processor's brand string (a virtual machine may tell the kernel another name): only its form.
    cpu = re.match(header(ctx), text).group("cpu")
    check(cpu == "UnkownCPU" or (len(cpu) <= 48 and cpu.isprintable()), "CPU line %r" % cpu)


@scenario("log: two runs that share a log each keep every line; the second's land after the first's")
def shared_log(ctx):
    log = os.path.join(ctx.dir, "shared.log")
    go = os.path.join(ctx.dir, "go")
    with open(os.path.join(ctx.package, "wait.bat"), "w", newline="") as f:
        f.write(WAIT_SCRIPT % {"go": win_path(go), "sleep": win_path(ctx.helper("exit_with"))})
    first = ctx.spawn(ctx.fresh_setup("first", sections=[
        ("GeneralOptions", [("Options", "q")]), ("PREREQUISITES", [("App1", "Waits")]),
        ("Waits", [("SetupFile", "none.exe"), ("SearchType1", "10"), ("SearchString1", "wait.bat")]),
        ("PREREQ_CHAINER", [("LogFile", win_path(log))])]))
    try:
        # Runs take turns (Wine appends by size, then write): the second one
        # runs whole while the first waits in the middle of its evaluation.
        deadline = time.monotonic() + 60
        while "-Searching for:Waits\r\n" not in (ctx.read_log(log) or "") and time.monotonic() < deadline:
            time.sleep(0.2)
        run_quiet(ctx, win_path(log), stem="second")
    finally:
        open(go, "w").close()
        code = first.wait(timeout=60)
    check(code == 0, "the first run ended with %d" % code)
    # Writing at the end its own opening found, the first run would overwrite the second's lines.
    text = check_log_bytes(log, header(ctx) + "(?:%s)+" % LINE + empty_run(ctx) + "(?:%s)+\r\n" % LINE)
    check("-Search result:" in text.split(END_LINE)[1], "the first run's later lines are not last: %r" % text)


@scenario("log: no LogFile means no log anywhere")
def no_log_file(ctx):
    for n, log_file in enumerate(("", None)):
        stem = "lognone%d" % n  # a name of its own: no other scenario's fallback log can meet it
        run_quiet(ctx, log_file, stem=stem)
        found = glob.glob(os.path.join(ctx.prefix, "drive_c", "**", stem + ".LOG"), recursive=True)
        stray = [f for f in ctx.files_under(ctx.dir) if f.lower().endswith((".log", ".txt"))]
        check(not found and not stray, "logs appeared: %s" % (found + stray))
