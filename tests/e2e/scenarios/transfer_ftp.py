"""FTP downloads and file-URL copies of the transfer engine, driven through
the transfer probe against a real loopback FTP server and real files."""
import os

from ftp_server import FtpServer
from harness import check, scenario, win_path
from scenarios.transfer_http import Target, download, error_line

# Several receive pieces long; the last bytes tell a shifted file.
DATA = bytes(range(256)) * 12000 + b"the end"
PART_COMPLETE = 0xE0000010


def source_folder(ctx):
    folder = os.path.join(ctx.dir, "source folder")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file.bin"), "wb") as f:
        f.write(DATA)
    return folder


@scenario("ftp: downloads, resumes through REST where the server honours it, and ends refused log-ons and missing files")
def ftp_downloads(ctx):
    folder = source_folder(ctx)
    kept = b"P" * 1000  # an earlier attempt's bytes, unlike the file's own
    user, wrong = (FtpServer.USER, FtpServer.PASSWORD), (FtpServer.USER, "wrong")
    cases = [  # (what, REST honoured, name, log-on, .part before, result, file afterwards, first progress)
        ("anonymous", True, "file.bin", (), None, 0, DATA, 0),
        ("with a password", True, "file.bin", user, None, 0, DATA, 0),
        ("a .part, REST honoured", True, "file.bin", (), kept, 0, kept + DATA[len(kept):], len(kept)),
        ("a .part, REST refused", False, "file.bin", (), kept, 0, DATA, 0),
        # Declining the credential question (URL as text, the provider's address as extra) ends it.
        ("a wrong password", True, "file.bin", wrong, None, 12015, None, None),
        ("a missing file", True, "missing.bin", user, None, 12003, None, None),  # "550 No such file"
    ]
    for what, rest, name, login, part, result, data, first in cases:
        what += ": "
        target = Target(ctx, "file.bin", part)
        with FtpServer(folder, rest=rest) as server:
            url = server.url(name, *login)
            outcome = download(ctx, target, url)
        errors = [e.rsplit(" ", 1)[0] if e.split()[1] == url else e for e in outcome.errors]
        asked = ["error %s 0x%08X" % (url, 0xE0000012)] if result == 12015 else []
        outcome.expect(result, None, what)
        check(errors == asked + ([error_line(result, "file.bin")] if result else []), "%sreported %r" % (what, errors))
        if result:
            target.check_nothing(what)
            continue
        target.check_complete(data, what)
        begin = outcome.lines[0].split(" ", 3)
        # WinINet may not know an FTP file's size (Wine's FtpGetFileSize says 0).
        check(begin[:2] == ["begin", "1"] and begin[2] in ("0", str(len(DATA))) and begin[3] == target.win,
              "%sfirst line %r" % (what, outcome.lines[0]))
        # The first report is what the .part file kept; all reports add up to the file.
        check(outcome.progress[0] == first and sum(outcome.progress) == len(DATA) and outcome.lines[-2] == "finished 1 0",
              "%sprogress %r, ending %r" % (what, outcome.progress[:3], outcome.lines[-2:]))

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


@scenario("file URL: a local source is copied into the target, never resumed")
def file_url_copy(ctx):
    source = os.path.join(source_folder(ctx), "file.bin")
    target = Target(ctx, "file.bin", b"P" * 1000)
    # Three slashes before the drive: the form WinINet alone would read as "/Z:/...".
    outcome = download(ctx, target, "file:///" + win_path(source).replace("\\", "/"))
    outcome.expect(0, [])
    target.check_complete(DATA, "")
    check(outcome.lines[-2] == "finished 1 0", "no end reported: %r" % outcome.lines[-3:])
    # Wine's CopyFileExW never calls its progress routine; where it does, the
    # copy is announced without a path and counted in full.
    if len(outcome.lines) > 2:
        check(outcome.lines[0] == "begin 1 %d -" % len(DATA) and sum(outcome.progress) == len(DATA),
              "copy reports %r" % outcome.lines[:3])
    for url, code in (("file:file.bin", 3), ("file://" + win_path(source) + ".missing", 2)):
        target = Target(ctx, "file.bin")
        download(ctx, target, url).expect(code, [error_line(code, "file.bin")], url + ": ")
        target.check_nothing(url + ": ")
