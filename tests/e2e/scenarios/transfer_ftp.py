"""FTP downloads and file-URL copies of the transfer engine, driven through
the transfer probe against a real loopback FTP server and real files."""
import os

from ftp_server import FtpServer
from harness import check, scenario, win_path
from scenarios.transfer_http import Target, download, error_line, transfer

# Several receive pieces long; the last bytes tell a shifted file.
DATA = bytes(range(256)) * 12000 + b"the end"


def source(ctx):
    folder = os.path.join(ctx.dir, "source folder")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file.bin"), "wb") as f:
        f.write(DATA)
    return folder


@scenario("ftp: downloads, resumes through REST where the server honours it, and ends refused log-ons and missing files")
def ftp_downloads(ctx):
    folder = source(ctx)
    kept = b"P" * 1000  # an earlier attempt's bytes, unlike the file's own
    user, wrong = (FtpServer.USER, FtpServer.PASSWORD), (FtpServer.USER, "wrong")
    cases = [  # (what, REST honoured, name, log-on, .part before, result, file afterwards)
        ("anonymous", True, "file.bin", (), None, 0, DATA),
        ("with a password", True, "file.bin", user, None, 0, DATA),
        ("a .part, REST honoured", True, "file.bin", (), kept, 0, kept + DATA[len(kept):]),
        ("a .part, REST refused", False, "file.bin", (), kept, 0, DATA),
        # Declining the credential question ends it.
        ("a wrong password", True, "file.bin", wrong, None, 12015, None),
        ("a missing file", True, "missing.bin", user, None, 12003, None),  # "550 No such file"
    ]
    for what, rest, name, login, part, result, data in cases:
        with FtpServer(folder, rest=rest) as server:
            url = server.url(name, *login)
            asked = [(0xE0000012, url)] * (result == 12015)
            transfer(ctx, what, [url], result=result, reported=asked + ["data.bin"] * bool(result), content=data,
                     parts=(part, None))

    # Where WinINet cannot tell the remote size (Wine), the server's empty
    # rest of the file completes the .part.
    what = "a .part as long as the file: "
    target = Target(ctx, "file.bin", DATA)
    with FtpServer(folder) as server:
        outcome = download(ctx, target, server.url("file.bin"))
    if outcome.result:
        outcome.expect(0xE0000010, [error_line(0xE0000010, "file.bin")], what)
        check(target.read(target.part) == DATA and target.read() is None, "%sthe .part file changed" % what)
    else:
        check(target.read() == DATA and target.read(target.part) is None and outcome.progress == [len(DATA)],
              "%sthe file is not the .part, or progress %r" % (what, outcome.progress))


@scenario("file URL: a local source is copied into the target, never resumed")
def file_url_copy(ctx):
    path = win_path(os.path.join(source(ctx), "file.bin"))
    target = Target(ctx, "file.bin", b"P" * 1000)
    # Three slashes before the drive: the form WinINet alone would read as "/Z:/...".
    outcome = download(ctx, target, "file:///" + path.replace("\\", "/"))
    outcome.expect(0, [])
    check(target.read() == DATA and target.read(target.part) is None, "the copy is not the file")
    # Wine's CopyFileExW never calls its progress routine; where it does, the
    # copy is announced without a path and counted in full.
    check(outcome.lines[-2] == "finished 1 0" and (len(outcome.lines) == 2 or outcome.lines[0] == "begin 1 %d -" % len(
        DATA) and sum(outcome.progress) == len(DATA)), "the copy reported %r" % outcome.lines)
    for url, code in (("file:file.bin", 3), ("file://" + path + ".missing", 2)):
        transfer(ctx, url, [url], result=code, reported=["data.bin"])
