"""The log file: header, closing line, appending runs and the places the
chainer falls back to when the configured one cannot be opened."""
import glob
import os
import re

from harness import check, scenario, win_path

BANNER = "\r\n<< Tessaro (x86) Log >>\r\n"
END_LINE = "=====================End of Log=====================\r\n"
# A run with nothing to evaluate writes only the header (with its first
# line) and the closing line, which ends the log with an empty line.
EMPTY_RUN = (re.escape(BANNER) + r"OS Version: \d+\.\d+\.\d+ SP\d+ \((?:server|workstation)\) \[x64\]\r\n"
             r"CPU: (?P<cpu>[^\r\n]+)\r\n\r\n\d{4}-\d{2}-\d{2} \d{2}-\d{2}-\d{2}-" + re.escape(END_LINE) + r"\r\n")


def run_quiet(ctx, log_file=None, stem="setup"):
    """One run of a fresh copy named stem.exe (stem names the fallback log
    too); a scenario that runs again gives each run a stem of its own."""
    sections = [("GeneralOptions", [("Options", "q")])]
    if log_file is not None:
        sections.append(("PREREQ_CHAINER", [("LogFile", log_file)]))
    result = ctx.run(exe=ctx.fresh_setup(stem, sections=sections))
    check(result.code == 0, "exit code %d" % result.code)


def common_log_folder(ctx):
    return os.path.join(ctx.prefix, "drive_c", "ProgramData", "TESSARO_LOGS")


def check_log_bytes(ctx, path, runs):
    check(os.path.exists(path), "no log at %s" % path)
    with open(path, "rb") as f:
        check(f.read(2) == b"\xff\xfe", "the log does not start with a UTF-16LE byte-order mark")
    text = ctx.read_log(path)
    check("\ufeff" not in text, "a later run wrote a second byte-order mark")
    match = re.fullmatch("(?:%s){%d}" % (EMPTY_RUN, runs), text)
    check(match is not None, "unexpected log text: %r" % text)
    return text, match


@scenario("log: a configured LogFile gets the header and the closing line; a second run, with the same file "
          "named relative to the executable, appends")
def configured_log_file(ctx):
    path = os.path.join(ctx.package, "logs", "run.log")
    os.makedirs(os.path.dirname(path))
    run_quiet(ctx, win_path(path), stem="absolute")
    run_quiet(ctx, "logs\\run.log", stem="relative")  # started from the folder above the package
    check(not os.path.exists(os.path.join(ctx.dir, "logs")), "resolved against the starting folder")
    text, match = check_log_bytes(ctx, path, runs=2)
    check(text.count(END_LINE + "\r\n" + BANNER) == 1,
          "the second run's header does not follow the first run's closing line")
    # The processor's own brand string: virtual machines may report another
    # name to the kernel than to CPUID, so only its form is checked.
    cpu = match.group("cpu")
    check(cpu == "UnkownCPU" or (0 < len(cpu) <= 48 and cpu.isprintable()),
          "CPU line %r is not a brand string" % cpu)


@scenario("log: a LogFile in a missing folder goes to the common log folder")
def missing_folder_falls_back(ctx):
    missing = os.path.join(ctx.dir, "no such folder", "run.log")
    fallback = os.path.join(common_log_folder(ctx), "logmissing.LOG")
    try:
        if os.path.exists(fallback):
            os.remove(fallback)  # left by an interrupted earlier run
        run_quiet(ctx, win_path(missing), stem="logmissing")
        check(not os.path.exists(os.path.dirname(missing)), "the missing folder was created")
        check_log_bytes(ctx, fallback, runs=1)
    finally:
        if os.path.exists(fallback):
            os.remove(fallback)
        try:
            os.rmdir(common_log_folder(ctx))
        except OSError:
            pass  # other runs' logs are still there


@scenario("log: no LogFile means no log anywhere")
def no_log_file(ctx):
    users = os.path.join(ctx.prefix, "drive_c", "users", "*")
    for n, log_file in enumerate(("", None)):
        # Names of its own, so that fallback files of scenarios that run side
        # by side cannot meet.
        stem = "lognone%d" % n
        run_quiet(ctx, log_file, stem=stem)
        folders = [ctx.package, common_log_folder(ctx)] + glob.glob(
            os.path.join(users, "AppData", "Local", "Temp", "TESSARO_LOGS")) + glob.glob(
            os.path.join(users, "Temp", "TESSARO_LOGS"))
        for place in (os.path.join(folder, stem + ".LOG") for folder in folders):
            check(not os.path.exists(place), "a log was written at %s" % place)
        stray = [f for f in ctx.files_under(ctx.dir) if f.lower().endswith((".log", ".txt"))]
        check(not stray, "files appeared: %s" % stray)
