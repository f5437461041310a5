"""The transfer engine, settings no run uses included, run by the transfer probe against nginx, the
fault server, FTP and local files. Resuming HTTP is the fault matrix's."""
import calendar
import os
import shutil
import subprocess
from pathlib import Path

from fault_server import FaultServer, free_port
from ftp_server import FtpServer
from harness import WINE, check, scenario, win_path
from web_server import WebServer

DATA = bytes((i * 7 + i // 251) % 256 for i in range(300_000))
STAMP = (2024, 3, 5, 6, 7, 8)
HTTP_STAMP = "Tue, 05 Mar 2024 06:07:08 GMT"


class Outcome:
    """What the probe printed: the listener's calls in order, then the result."""

    def __init__(self, lines):
        check(lines and lines[-1].startswith("result "), "the probe ended without a result: %r" % lines[-5:])
        self.lines = lines
        self.result = int(lines[-1].split()[1], 16)
        self.progress = [int(l.split()[1]) for l in lines if l.startswith("progress ")]
        self.errors = [l for l in lines if l.startswith("error ")]

    def expect(self, result, errors, what=""):
        check(self.result == result, "%sresult 0x%08X, wanted 0x%08X: %r" % (what, self.result, result, self.lines[-8:]))
        check(self.errors == errors, "%sreported %r, wanted %r" % (what, self.errors, errors))


def probe(ctx, *args):
    # Into a file, not a pipe: services that Wine starts with the program may
    # inherit the pipe and hold it open for as long as they live.
    output = os.path.join(ctx.dir, "probe.out")
    with open(output, "wb") as out:
        subprocess.run([WINE, ctx.helper("transfer_probe"), *[str(a) for a in args]], env=ctx.env(), cwd=ctx.dir,
                       stdout=out, stderr=subprocess.DEVNULL, timeout=120)
    return Outcome(Path(output).read_bytes().decode("utf-8", "replace").splitlines())


def contents(path):
    return Path(path).read_bytes() if os.path.exists(path) else None


class Target:

    def __init__(self, ctx, name, part=None):
        self.path = os.path.join(ctx.dir, "out", name)
        self.win, self.part = win_path(self.path), self.path + ".part"
        shutil.rmtree(os.path.dirname(self.path), ignore_errors=True)
        os.makedirs(os.path.dirname(self.path))
        if part is not None:
            Path(self.part).write_bytes(part)

    def read(self, which=None):
        return contents(which or self.path)


def transfer(ctx, what, urls, options=(), result=0, reported=(), content=None, parts=(None, None), given=None):
    """A probe run into data.bin, its .part holding parts[0]: the result (or one
    of a tuple), the errors (texts with the result's code, or (code, text)), the
    file and .part (parts[1]) left, and for a file that came: begin, progress
    from what the .part kept (if the file goes on from it) to the whole, finished."""
    what += ": "
    target = Target(ctx, "data.bin", parts[0])
    outcome = probe(ctx, *options, *[] if "--post" in options else [given or target.win], *urls)
    check(outcome.result in (result if isinstance(result, tuple) else (result,)),
          "%sresult 0x%08X: %r" % (what, outcome.result, outcome.lines[-8:]))
    outcome.expect(outcome.result, ["error %s 0x%08X" % (r[::-1] if isinstance(r, tuple) else (r, outcome.result))
                                    for r in reported], what)
    got, kept = target.read(), target.read(target.part)
    check(got == content and kept == parts[1], "%sleft %s bytes and a .part of %s" % (
        what, None if got is None else len(got), None if kept is None else len(kept)))
    if content is not None:
        first = len(parts[0]) if parts[0] and content.startswith(parts[0]) else 0
        # Wine's FtpGetFileSize says 0: the size of an FTP file may be unknown.
        totals = {len(content), 0 if urls[-1].startswith("ftp:") else len(content)}
        ends = [l for l in outcome.lines if l.startswith(("progress ", "finished "))]
        check(outcome.lines[0] in ["begin 1 %d %s" % (n, target.win) for n in totals] and outcome.progress[0] == first
              and sum(outcome.progress) == len(content) and ends[-1] == "finished 1 0",
              "%sthe listener heard %r ... %r" % (what, outcome.lines[:2], outcome.lines[-3:]))
    return outcome


@scenario("transfer: Last-Modified, If-Modified-Since, Pause, Cancel, a form post, certificates, no https-to-http redirect")
def settings_and_redirects(ctx):
    for name, data in (("data.bin", DATA), ("plain.bin", b"the plain answer" * 100)):
        Path(ctx.dir, name).write_bytes(data)
    os.utime(os.path.join(ctx.dir, "data.bin"), (calendar.timegm(STAMP),) * 2)
    with WebServer(ctx.dir, https=True) as web, FaultServer() as faults:
        faults.route("/slow", body=DATA, trickle=(8192, 0.02), headers={"Last-Modified": HTTP_STAMP})
        # Fields go as UTF-8; the reply is decoded by its charset.
        faults.route("/form", body="é€".encode("utf-16-le"), headers={"Content-Type": "text/plain;charset=UTF-16"})
        faults.route("/broken", body=b"broken", status=500)
        secure, to_http = web.url("data.bin", https=True), web.url("to-http/plain.bin", https=True)
        form = ["--post", "a=1", "--post", "b=two words é"]
        stamp = "%04d%02d%02d%02d%02d%02d" % STAMP
        cases = [  # (what, options, mirrors, result, reported, file afterwards, runs of lines the output holds)
            # Nothing is received while the listener says paused.
            ("Last-Modified and Pause", ["--want-last-modified", "--pause-polls", 30], [faults.url("/slow")], 0, [],
             DATA, ("\n" + "pause\n" * 29 + "go\nprogress ", "\nlast-modified %s\nresult" % stamp)),
            ("as new as the file", ["--if-modified-since", stamp], [web.url("data.bin")], 0xE0000013, [], None, ()),
            ("a form post", form, [faults.url("/form")], 0, [], None, ("\ntext 00E920AC\n",)),
            ("a form post answered 500", form, [faults.url("/broken")], 0xE000002B, [], None, ("\ntext \n",)),
            # A self-signed certificate is a question to the listener, unless a setting tolerates it.
            ("an untrusted certificate", ["--answer", 1], [secure], (12037, 12038, 12044, 12045),
             ["-", "data.bin"], None, ()),
            # https to http fails that mirror; http to https is followed.
            ("https redirected to http", ["--ignore-certificates"], [to_http], 12040, ["data.bin"], None, ()),
            ("then a mirror that works, certificates ignored", ["--ignore-certificates"], [to_http, secure], 0, [],
             DATA, ()),
            ("http redirected to https, certificates relaxed on retry", ["--relax-certificates", "--answer", 1],
             [web.url("to-https/data.bin")], 0, [], DATA, ()),
        ]
        for what, options, mirrors, result, reported, content, holds in cases:
            outcome = transfer(ctx, what, mirrors, options, result, reported, content)
            missing = [run for run in holds if run not in "\n".join(outcome.lines)]
            check(not missing, "%s: no %r in %r" % (what, missing, outcome.lines))
        sent = [r["if_modified_since"] for r in web.requests() if r["status"] == 304]
        check(sent == [HTTP_STAMP], "If-Modified-Since %r sent" % sent)
        sent = faults.requests_for("/form")[-1]
        check(sent.method == "POST" and sent.body == "a=1&b=two words é".encode("utf-8")
              and sent.headers.get("Content-Type") == "application/x-www-form-urlencoded; charset=utf-8",
              "the form went as %s %r %r" % (sent.method, sent.body, sent.headers))

        # Cancel keeps what came in the .part, and is no error to report.
        target = Target(ctx, "data.bin")
        probe(ctx, "--cancel-after", 40_000, target.win, faults.url("/slow")).expect(0xE0000008, [], "Cancel: ")
        kept = target.read(target.part)
        check(kept is not None and 40_000 <= len(kept) < len(DATA) and DATA.startswith(kept) and target.read() is None,
              "Cancel left a .part of %s bytes" % (None if kept is None else len(kept)))


@scenario("transfer: statuses, sizes, a server that ignores Range, bad URLs, 7 tries over the mirrors")
def statuses_and_mirrors(ctx):
    body = b"<html>server error page</html>"
    with FaultServer() as faults:
        faults.route("/data", body=DATA, ranges=False)
        faults.route("/data-1", body=DATA[:999])
        faults.route("/private", body=b"who are you", status=401, headers={"WWW-Authenticate": 'Basic realm="Files"'})
        faults.route("/drop", body=DATA, drop_after=30_000)
        for status in (403, 410, 500):
            faults.route("/%d" % status, body=body, status=status)
        dead, junk = "http://127.0.0.1:%d/x" % free_port(), b"\xee" * 1000
        cases = [  # (what, mirrors, options, .part before and after, result, reported, file afterwards, asked)
            ("403", ["/403"], [], None, 0xE0000016, ["data.bin"], None, ["/403"]),
            ("410", ["/410"], [], None, 0xE0000018, ["data.bin"], None, ["/410"]),
            ("500 with a body", ["/500"], [], None, 0, [], body, ["/500"]),
            ("401, nobody to ask", ["/private"], [], None, 0xE0000012, [faults.url("/private"), "data.bin"], None,
             ["/private"]),
            ("expected size 1000, announced 999", ["/data-1"], ["--expected-size", 1000], None, 0xE0000023,
             ["data.bin"], None, ["/data-1"]),
            ("200 for a .part", ["/data"], [], (junk, None), 0, [], DATA, ["/data bytes=1000-"]),
            ("a .part as long as the file", ["/data"], [], (DATA, DATA), 0xE0000010, ["data.bin"], None,
             ["/data bytes=300000-"]),
            # A local copy cannot go on from bytes that came over the network.
            ("a drop with a file URL among the mirrors", ["/drop", "file://C:\\nothing-here.bin"], [],
             (None, DATA[:30_000]), 0xE000000F, ["-"], None, ["/drop"]),
            ("an unknown scheme after a good URL", ["/data-1", "gopher://127.0.0.1/x"], [], None, 12006, ["-"], None,
             []),
            ("no URL at all", [], [], None, 12006, ["-"], None, []),
            ("three mirrors that answer 404", ["/a", "/b", "/c"], [], None, 0xE0000018, ["data.bin"], None,
             ["/a", "/b", "/c"] * 2 + ["/a"]),
            ("unreachable, then missing, then there", [dead, "/a", "/data-1"], [], None, 0, [], DATA[:999],
             ["/a", "/data-1"]),
            ("a closed port", [dead], [], None, 12029, ["data.bin"], None, []),
        ]
        for what, mirrors, options, parts, result, reported, content, asked in cases:
            start = len(faults.requests)
            transfer(ctx, what, [faults.url(u) if u.startswith("/") else u for u in mirrors], options, result,
                     reported, content, parts or (None, None))
            got = [" ".join(filter(None, (r.path, r.headers.get("Range")))) for r in faults.requests[start:]]
            check(got == asked, "%s: asked for %r, wanted %r" % (what, got, asked))
        transfer(ctx, "a relative target", [faults.url("/data")], result=0xE0000005, reported=["-"], given="out\\x")


@scenario("ftp and file URLs: REST where the server honours it, refused log-ons, missing files; local copies never resumed")
def ftp_and_files(ctx):
    folder = os.path.join(ctx.dir, "source folder")
    os.makedirs(folder)
    Path(folder, "file.bin").write_bytes(DATA)
    kept = b"P" * 1000  # an earlier attempt's bytes, unlike the file's own
    user, wrong = (FtpServer.USER, FtpServer.PASSWORD), (FtpServer.USER, "wrong")
    cases = [  # (what, REST honoured, name, log-on, .part before, result, file afterwards)
        ("anonymous", True, "file.bin", (), None, 0, DATA),
        ("a .part, REST honoured", True, "file.bin", (), kept, 0, kept + DATA[len(kept):]),
        ("a .part, REST refused", False, "file.bin", (), kept, 0, DATA),
        # Declining the credential question ends it.
        ("a wrong password", True, "file.bin", wrong, None, 12015, None),
        ("a missing file, logged on with a password", True, "missing.bin", user, None, 12003, None),  # "550"
    ]
    for what, rest, name, login, part, result, data in cases:
        with FtpServer(folder, rest=rest) as server:
            url = server.url(name, *login)
            asked = [(0xE0000012, url)] * (result == 12015)
            transfer(ctx, what, [url], result=result, reported=asked + ["data.bin"] * bool(result), content=data,
                     parts=(part, None))

    path = win_path(os.path.join(folder, "file.bin"))
    target = Target(ctx, "data.bin", kept)
    # Three slashes before the drive: the form WinINet alone would read as "/Z:/...".
    outcome = probe(ctx, target.win, "file:///" + path.replace("\\", "/"))
    outcome.expect(0, [], "a local copy: ")
    # Wine's CopyFileExW never calls its progress routine (the unit test drives it).
    check(target.read() == DATA and target.read(target.part) is None and outcome.lines[-2] == "finished 1 0",
          "a local copy reported %r" % outcome.lines)
    for url, code in (("file:file.bin", 3), ("file://" + path + ".missing", 2)):
        transfer(ctx, url, [url], result=code, reported=["data.bin"])
