"""FTP downloads and file-URL copies of the transfer engine, driven through
the transfer probe against a real loopback FTP server and real files."""
import os

from ftp_server import FtpServer
from harness import check, scenario, win_path
from scenarios.transfer_http import Target, download, error_line

# Several receive pieces long; the last bytes tell a shifted file.
DATA = bytes(range(256)) * 12000 + b"the end"
PART_COMPLETE = 0xE0000010
CREDENTIALS_NEEDED = 0xE0000012
LOGIN_FAILURE = 12015
EXTENDED_ERROR = 12003  # the server's error reply, here "550 No such file"


def source_folder(ctx):
    folder = os.path.join(ctx.dir, "source folder")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file.bin"), "wb") as f:
        f.write(DATA)
    return folder


def check_ended(outcome, what):
    check(outcome.lines[-2] == "finished 1 0", "%sno end reported: %r" % (what, outcome.lines[-3:]))


@scenario("ftp: downloads and resumes, through REST where the server honours it; a whole .part is not fetched again")
def ftp_downloads(ctx):
    folder = source_folder(ctx)
    kept = b"P" * 1000  # an earlier attempt's bytes, unlike the file's own
    user = (FtpServer.USER, FtpServer.PASSWORD)
    cases = [  # (what, REST honoured, log-on, .part before, file afterwards, first progress)
        ("anonymous", True, (), None, DATA, 0),
        ("with a password", True, user, None, DATA, 0),
        ("a .part, REST honoured", True, (), kept, kept + DATA[len(kept):], len(kept)),
        ("a .part, REST refused", False, (), kept, DATA, 0),
    ]
    for what, rest, login, part, data, first in cases:
        what += ": "
        target = Target(ctx, "file.bin", part)
        with FtpServer(folder, rest=rest) as server:
            outcome = download(ctx, target, server.url("file.bin", *login))
        outcome.expect(0, [], what)
        target.check_complete(data, what)
        begin = outcome.lines[0].split(" ", 3)
        # WinINet may not know an FTP file's size (Wine's FtpGetFileSize says 0).
        check(begin[:2] == ["begin", "1"] and begin[2] in ("0", str(len(DATA))) and begin[3] == target.win,
              "%sfirst line %r" % (what, outcome.lines[0]))
        # The first report is what the .part file kept; all reports add up to the file.
        check(outcome.progress[0] == first and sum(outcome.progress) == len(DATA),
              "%sprogress %r" % (what, outcome.progress[:3]))
        check_ended(outcome, what)

    what = "a .part as long as the file: "
    target = Target(ctx, "file.bin", DATA)
    with FtpServer(folder) as server:
        outcome = download(ctx, target, server.url("file.bin"))
    if outcome.result == PART_COMPLETE:
        outcome.expect(PART_COMPLETE, [error_line(PART_COMPLETE, "file.bin")], what)
        check(target.read(target.part) == DATA and target.read() is None, "%sthe .part file changed" % what)
    else:
        # Where WinINet cannot tell the remote size (Wine), the server's empty
        # rest of the file completes the .part file.
        outcome.expect(0, [], what)
        target.check_complete(DATA, what)
        check(outcome.progress == [len(DATA)], "%sprogress %r" % (what, outcome.progress))


@scenario("ftp: a missing file and a refused log-on end with their error")
def ftp_failures(ctx):
    with FtpServer(source_folder(ctx), anonymous=False) as server:
        wrong = server.url("file.bin", FtpServer.USER, "wrong")
        missing = server.url("missing.bin", FtpServer.USER, FtpServer.PASSWORD)
        # The credential question carries the URL as text and the provider's
        # address as extra (compared without it); declining it ends the transfer.
        asked = "error %s 0x%08X" % (wrong, CREDENTIALS_NEEDED)
        cases = [  # (what, url, result, reported)
            ("a wrong password", wrong, LOGIN_FAILURE, [asked, error_line(LOGIN_FAILURE, "file.bin")]),
            ("a missing file", missing, EXTENDED_ERROR, [error_line(EXTENDED_ERROR, "file.bin")]),
        ]
        for what, url, result, reported in cases:
            what += ": "
            target = Target(ctx, "file.bin")
            outcome = download(ctx, target, url)
            outcome.expect(result, None, what)
            errors = [e.rsplit(" ", 1)[0] if "0x%08X" % CREDENTIALS_NEEDED in e else e for e in outcome.errors]
            check(errors == reported, "%sreported %r, wanted %r" % (what, errors, reported))
            target.check_nothing(what)


@scenario("file URL: a local source is copied into the target, never resumed")
def file_url_copy(ctx):
    source = os.path.join(source_folder(ctx), "file.bin")
    target = Target(ctx, "file.bin", b"P" * 1000)
    # Three slashes before the drive: the form WinINet alone would read as "/Z:/...".
    outcome = download(ctx, target, "file:///" + win_path(source).replace("\\", "/"))
    outcome.expect(0, [])
    target.check_complete(DATA, "")
    check_ended(outcome, "")
    # Wine's CopyFileExW never calls its progress routine; where it does, the
    # copy is announced without a path and counted in full.
    if len(outcome.lines) > 2:
        check(outcome.lines[0] == "begin 1 %d -" % len(DATA) and sum(outcome.progress) == len(DATA),
              "copy reports %r" % outcome.lines[:3])
    for url, code in (("file:file.bin", 3), ("file://" + win_path(source) + ".missing", 2)):
        target = Target(ctx, "file.bin")
        download(ctx, target, url).expect(code, [error_line(code, "file.bin")], url + ": ")
        check(target.read() is None, "%s: a target was written" % url)
