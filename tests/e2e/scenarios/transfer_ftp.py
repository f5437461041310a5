"""FTP downloads and file-URL copies of the transfer engine, driven through
the transfer probe against a real loopback FTP server and real files."""
import os
import subprocess
import sys

from harness import ROOT, WINE, check, scenario, win_path

sys.path.insert(0, os.path.join(ROOT, "tests", "servers"))
from ftp_server import FtpServer  # noqa: E402

# Several receive pieces long; the last bytes tell a shifted file.
DATA = bytes(range(256)) * 12000 + b"the end"
PART_COMPLETE = 0xE0000010
CREDENTIALS_NEEDED = 0xE0000012
LOGIN_FAILURE = 12015
EXTENDED_ERROR = 12003  # the server's error reply, here "550 No such file"


class Probe:
    """One run of the probe into out\\file.bin (after an earlier attempt's
    .part file, when given): its output lines, result and target bytes."""

    def __init__(self, ctx, url, *options, part=None):
        os.makedirs(os.path.join(ctx.dir, "out"), exist_ok=True)
        self.target = os.path.join(ctx.dir, "out", "file.bin")
        for path, data in ((self.target, None), (self.target + ".part", part)):
            if os.path.exists(path):
                os.remove(path)
            if data is not None:
                with open(path, "wb") as f:
                    f.write(data)
        proc = subprocess.run([WINE, ctx.helper("transfer_probe"), *options, win_path(self.target), url],
                              env=ctx.env(), cwd=ctx.dir, capture_output=True, text=True, timeout=120)
        self.lines = proc.stdout.splitlines()
        check(self.lines and self.lines[-1].startswith("result "), "the probe ended early: %r" % proc.stdout[-300:])
        self.result = int(self.lines[-1].split()[1], 16)
        self.progress = [int(line.split()[1]) for line in self.lines if line.startswith("progress ")]
        self.errors = [line for line in self.lines if line.startswith("error ")]

    def expect(self, result, data, errors=None):
        check(self.result == result, "result 0x%08X, not 0x%08X: %r" % (self.result, result, self.lines[-4:]))
        got = None
        if os.path.exists(self.target):
            with open(self.target, "rb") as f:
                got = f.read()
        check(got == data, "the target holds %s" % (None if got is None else "%d bytes" % len(got)))
        check(errors is None or self.errors == errors, "errors %r, not %r" % (self.errors, errors))
        if result == 0:
            check(not os.path.exists(self.target + ".part"), "the .part file is left")
            check(self.lines[-2] == "finished 1 0", "no end reported: %r" % self.lines[-3:])


def ftp_folder(ctx):
    folder = os.path.join(ctx.dir, "ftp")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file.bin"), "wb") as f:
        f.write(DATA)
    return folder


@scenario("ftp: downloads and resumes, through REST where the server honours it")
def ftp_downloads(ctx):
    kept = b"P" * 1000  # an earlier attempt's bytes, unlike the file's own
    user = (FtpServer.USER, FtpServer.PASSWORD)
    for rest, login, part, data, first in ((True, (), None, DATA, 0),
                                           (True, user, None, DATA, 0),
                                           (True, (), kept, kept + DATA[len(kept):], len(kept)),
                                           (False, (), kept, DATA, 0)):
        with FtpServer(ftp_folder(ctx), rest=rest) as server:
            probe = Probe(ctx, server.url("file.bin", *login), part=part)
        probe.expect(0, data, errors=[])
        begin = probe.lines[0].split(" ", 3)
        # WinINet may not know an FTP file's size (Wine's FtpGetFileSize says 0).
        check(begin[:2] == ["begin", "1"] and begin[2] in ("0", str(len(DATA))) and
              begin[3] == win_path(probe.target), "first line %r" % probe.lines[0])
        # The first report is what the .part file kept; all reports add up to the file.
        check(probe.progress[0] == first and sum(probe.progress) == len(DATA),
              "REST %s, .part %s: progress %r" % (rest, part is not None, probe.progress[:3]))


@scenario("ftp: a .part file as long as the remote file is not fetched again")
def ftp_part_complete(ctx):
    with FtpServer(ftp_folder(ctx)) as server:
        probe = Probe(ctx, server.url("file.bin"), part=DATA)
    if probe.result == PART_COMPLETE:
        probe.expect(PART_COMPLETE, None, errors=["error file.bin 0x%08X 0" % PART_COMPLETE])
        check(os.path.getsize(probe.target + ".part") == len(DATA), "the .part file changed")
    else:
        # Where WinINet cannot tell the remote size (Wine), the server's empty
        # rest of the file completes the .part file.
        probe.expect(0, DATA, errors=[])
        check(probe.progress == [len(DATA)], "progress %r" % probe.progress)


@scenario("ftp: a missing file and refused log-ons end with their error")
def ftp_failures(ctx):
    with FtpServer(ftp_folder(ctx), anonymous=False) as server:
        wrong = server.url("file.bin", FtpServer.USER, "wrong")
        for url in (wrong, server.url("file.bin")):
            # The user is asked (the URL is the text); declining ends the transfer.
            probe = Probe(ctx, url)
            probe.expect(LOGIN_FAILURE, None)
            check(len(probe.errors) == 2 and probe.errors[1] == "error file.bin 0x%08X 0" % LOGIN_FAILURE and
                  probe.errors[0].startswith("error %s 0x%08X " % (url, CREDENTIALS_NEEDED)),
                  "errors %r" % probe.errors)
            Probe(ctx, url, "--no-listener").expect(LOGIN_FAILURE, None, errors=[])
        # What the user typed when asked is used for a new log-on.
        entered = "%s:%s" % (FtpServer.USER, FtpServer.PASSWORD)
        Probe(ctx, wrong, "--answer", "1237", "--enter", entered).expect(0, DATA)
        missing = server.url("missing.bin", FtpServer.USER, FtpServer.PASSWORD)
        Probe(ctx, missing).expect(EXTENDED_ERROR, None, errors=["error file.bin 0x%08X 0" % EXTENDED_ERROR])


@scenario("file URL: a local source is copied into the target, never resumed")
def file_url_copy(ctx):
    source = os.path.join(ctx.dir, "source folder", "setup.bin")
    os.makedirs(os.path.dirname(source))
    with open(source, "wb") as f:
        f.write(DATA)
    probe = Probe(ctx, "file://" + win_path(source), part=b"P" * 1000)
    probe.expect(0, DATA, errors=[])
    # Wine's CopyFileExW never calls its progress routine; where it does, the
    # copy is announced without a path and counted in full.
    if len(probe.lines) > 2:
        check(probe.lines[0] == "begin 1 %d -" % len(DATA) and sum(probe.progress) == len(DATA),
              "copy reports %r" % probe.lines[:3])
    for url, code in (("file:setup.bin", 3), ("file://" + win_path(source) + ".missing", 2)):
        Probe(ctx, url).expect(code, None, errors=["error file.bin 0x%08X 0" % code])
