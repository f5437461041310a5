"""FTP downloads and file-URL copies of the transfer engine, driven through
the transfer probe against a real loopback FTP server and real files."""
import os
import subprocess
import sys

from harness import ROOT, WINE, check, scenario, win_path

sys.path.insert(0, os.path.join(ROOT, "tests", "servers"))
from ftp_server import FtpServer  # noqa: E402

# Large enough for several receive pieces; the last bytes tell a shifted file.
DATA = bytes(range(256)) * 12000 + b"the end"
CANCELLED = 0xE0000008
PART_COMPLETE = 0xE0000010
CREDENTIALS_NEEDED = 0xE0000012
LOGIN_FAILURE = 12015
EXTENDED_ERROR = 12003  # the server's error reply, here "550 No such file"


class Probe:
    """One run of the probe: its listener calls, the result code and the target."""

    def __init__(self, ctx, urls, *options, part=None, name="file.bin"):
        out = os.path.join(ctx.dir, "out")
        os.makedirs(out, exist_ok=True)
        self.target = os.path.join(out, name)
        for path in (self.target, self.target + ".part"):
            if os.path.exists(path):
                os.remove(path)
        if part is not None:
            with open(self.target + ".part", "wb") as f:
                f.write(part)
        proc = subprocess.run([WINE, ctx.helper("transfer_probe"), *options, win_path(self.target), *urls],
                              env=ctx.env(), cwd=ctx.dir, capture_output=True, text=True, timeout=120)
        self.lines = proc.stdout.splitlines()
        check(self.lines and self.lines[-1].startswith("result "), "the probe ended early: %r" % proc.stdout[-300:])
        self.result = int(self.lines[-1].split()[1], 16)
        self.progress = [int(line.split()[1]) for line in self.lines if line.startswith("progress ")]
        self.errors = [line for line in self.lines if line.startswith("error ")]

    def data(self):
        if not os.path.exists(self.target):
            return None
        with open(self.target, "rb") as f:
            return f.read()

    def expect(self, result, data, errors=None):
        check(self.result == result, "result 0x%08X, not 0x%08X: %r" % (self.result, result, self.lines))
        got = self.data()
        check(got == data, "target holds %s bytes, not %s" % (None if got is None else len(got),
                                                             None if data is None else len(data)))
        if errors is not None:
            check(self.errors == errors, "errors %r, not %r" % (self.errors, errors))


def ftp_folder(ctx):
    folder = os.path.join(ctx.dir, "ftp")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file.bin"), "wb") as f:
        f.write(DATA)
    return folder


def expect_whole_transfer(probe, first):
    """begin (with the target path), a first report of the bytes already
    there, the rest counted in full, and the end."""
    begin = probe.lines[0].split(" ", 3)
    # WinINet may not know an FTP file's size (Wine's FtpGetFileSize says 0).
    check(begin[:2] == ["begin", "1"] and begin[2] in ("0", str(len(DATA))) and begin[3] == win_path(probe.target),
          "first line %r" % probe.lines[0])
    check(probe.progress[0] == first and sum(probe.progress) == len(DATA),
          "progress %r from %d" % (probe.progress[:4], first))
    check(probe.lines[-2] == "finished 1 0", "no end reported: %r" % probe.lines[-3:])


@scenario("ftp: anonymous and password log-ons download the exact file")
def ftp_downloads(ctx):
    with FtpServer(ftp_folder(ctx)) as server:
        for url in (server.url("file.bin"), server.url("file.bin", FtpServer.USER, FtpServer.PASSWORD)):
            probe = Probe(ctx, [url])
            probe.expect(0, DATA, errors=[])
            expect_whole_transfer(probe, 0)


@scenario("ftp: a .part file resumes where REST is honoured and starts over where it is refused")
def ftp_resume(ctx):
    kept = 1000
    # Bytes that differ from the file's own show whether they were kept.
    part = b"P" * kept
    for rest, data, first in ((True, part + DATA[kept:], kept), (False, DATA, 0)):
        with FtpServer(ftp_folder(ctx), rest=rest) as server:
            probe = Probe(ctx, [server.url("file.bin")], part=part)
            probe.expect(0, data, errors=[])
            check(probe.progress[0] == first and sum(probe.progress) == len(DATA),
                  "REST %s: progress %r" % (rest, probe.progress[:3]))
            check(not os.path.exists(probe.target + ".part"), "the .part file is left")


@scenario("ftp: a .part file as long as the remote file is not fetched again")
def ftp_part_complete(ctx):
    with FtpServer(ftp_folder(ctx)) as server:
        probe = Probe(ctx, [server.url("file.bin")], part=DATA)
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
    folder = ftp_folder(ctx)
    with FtpServer(folder, anonymous=False) as server:
        wrong = server.url("file.bin", FtpServer.USER, "wrong")
        anonymous = server.url("file.bin")
        failed = "error file.bin 0x%08X 0" % LOGIN_FAILURE
        for url in (wrong, anonymous):
            # The user is asked (with the URL as text); declining ends the transfer.
            probe = Probe(ctx, [url])
            probe.expect(LOGIN_FAILURE, None)
            check(len(probe.errors) == 2 and probe.errors[1] == failed and
                  probe.errors[0].startswith("error %s 0x%08X " % (url, CREDENTIALS_NEEDED)),
                  "errors %r" % probe.errors)
            Probe(ctx, [url], "--no-listener").expect(LOGIN_FAILURE, None, errors=[])
        # What the user typed when asked is used for a new log-on.
        entered = "%s:%s" % (FtpServer.USER, FtpServer.PASSWORD)
        Probe(ctx, [wrong], "--answer", "1237", "--enter", entered).expect(0, DATA)
        missing = server.url("missing.bin", FtpServer.USER, FtpServer.PASSWORD)
        Probe(ctx, [missing]).expect(EXTENDED_ERROR, None, errors=["error file.bin 0x%08X 0" % EXTENDED_ERROR])


@scenario("file URL: a local source is copied into the target")
def file_url_copy(ctx):
    source = os.path.join(ctx.dir, "source folder", "setup.bin")
    os.makedirs(os.path.dirname(source))
    with open(source, "wb") as f:
        f.write(DATA)
    # A .part file of an earlier attempt is never resumed: the copy starts over.
    probe = Probe(ctx, ["file://" + win_path(source)], part=b"P" * 1000)
    probe.expect(0, DATA, errors=[])
    check(not os.path.exists(probe.target + ".part"), "the .part file is left")
    check(probe.lines[-2] == "finished 1 0", "no end reported: %r" % probe.lines)
    # Wine's CopyFileExW never calls its progress routine; where it does, the
    # copy is announced without a path and counted in full.
    if len(probe.lines) > 2:
        check(probe.lines[0] == "begin 1 %d -" % len(DATA) and sum(probe.progress) == len(DATA),
              "copy reports %r" % probe.lines[:3])
    for url, code in (("file:setup.bin", 3), ("file://" + win_path(source) + ".missing", 2)):
        Probe(ctx, [url]).expect(code, None, errors=["error file.bin 0x%08X 0" % code])
