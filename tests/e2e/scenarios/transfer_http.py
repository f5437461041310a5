"""HTTP transfers: the transfer engine run by tests/helpers/transfer_probe
against loopback servers that behave (nginx) and misbehave (fault_server).
Resuming from a .part is the fault matrix's."""
import calendar
import os
import subprocess

from fault_server import FaultServer, free_port
from harness import WINE, check, scenario, win_path
from web_server import WebServer

DATA = bytes((i * 7 + i // 251) % 256 for i in range(300_000))
HTTPS_TO_HTTP = 12040


class Outcome:
    """What the probe printed: the listener's calls in order, then the result."""

    def __init__(self, lines):
        check(lines and lines[-1].startswith("result "), "the probe ended without a result: %r" % lines[-5:])
        self.lines = lines
        self.result = int(lines[-1].split()[1], 16)
        self.progress = [int(l.split()[1]) for l in lines if l.startswith("progress ")]
        self.errors = [l for l in lines if l.startswith("error ")]

    def expect(self, result, errors=None, what=""):
        check(self.result == result, "%sresult 0x%08X, wanted 0x%08X: %r" % (what, self.result, result, self.lines[-8:]))
        if errors is not None:
            check(self.errors == errors, "%sreported %r, wanted %r" % (what, self.errors, errors))


def probe(ctx, *args, timeout=120):
    # Into a file, not a pipe: services that Wine starts with the program may
    # inherit the pipe and hold it open for as long as they live.
    output = os.path.join(ctx.dir, "probe.out")
    with open(output, "wb") as out:
        subprocess.run([WINE, ctx.helper("transfer_probe"), *[str(a) for a in args]], env=ctx.env(), cwd=ctx.dir,
                       stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
    with open(output, "rb") as out:
        return Outcome(out.read().decode("utf-8", "replace").splitlines())


def error_line(code, text="-", extra=0):
    return "error %s 0x%08X %d" % (text, code, extra)


def contents(path):
    """A file's bytes; None when there is no file."""
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


class Target:
    """A target file in the scenario's folder, with its ".part" beside it."""

    def __init__(self, ctx, name, part=None):
        self.path = os.path.join(ctx.dir, "out", name)
        self.win = win_path(self.path)
        self.part = self.path + ".part"
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        for stale in (self.path, self.part):
            if os.path.exists(stale):
                os.remove(stale)
        if part is not None:
            with open(self.part, "wb") as f:
                f.write(part)

    def read(self, which=None):
        return contents(which or self.path)

    def check_complete(self, data, what):
        got = self.read()
        check(got == data, "%sthe file holds %s bytes, wanted %d exact ones" % (
            what, "no" if got is None else len(got), len(data)))
        check(not os.path.exists(self.part), "%sthe .part file is left" % what)

    def check_nothing(self, what):
        check(self.read() is None and self.read(self.part) is None, "%sa file was written" % what)


def download(ctx, target, *urls, options=()):
    return probe(ctx, *options, target.win, *urls)


@scenario("transfer from nginx: plain, If-Modified-Since, Last-Modified; HTTPS certificates; https never redirected to http")
def from_nginx(ctx):
    served = os.path.join(ctx.dir, "data.bin")
    with open(served, "wb") as f:
        f.write(DATA)
    with open(os.path.join(ctx.dir, "plain.bin"), "wb") as f:
        f.write(b"the plain answer" * 100)
    stamp = calendar.timegm((2024, 3, 5, 6, 7, 8))
    os.utime(served, (stamp, stamp))
    with WebServer(ctx.dir, https=True) as web:
        # The engine's Last-Modified, and an If-Modified-Since that nginx answers 304.
        target = Target(ctx, "data.bin")
        outcome = download(ctx, target, web.url("data.bin"), options=["--want-last-modified"])
        # begin, progress from 0 up to the whole, finished, then the result.
        check(outcome.lines[:2] == ["begin 1 %d %s" % (len(DATA), target.win), "progress 0"]
              and outcome.lines[-3:] == ["finished 1 0", "last-modified 20240305060708", "result 0x00000000"]
              and sum(outcome.progress) == len(DATA), "plain: %r ... %r" % (outcome.lines[:2], outcome.lines[-3:]))
        target.check_complete(DATA, "plain: ")
        target = Target(ctx, "data.bin")
        download(ctx, target, web.url("data.bin"), options=["--if-modified-since", "20240305060708"]).expect(
            0xE0000013, [], "as new as the file: ")
        target.check_nothing("as new as the file: ")
        sent = web.requests()[-1]["if_modified_since"]
        check(sent == "Tue, 05 Mar 2024 06:07:08 GMT", "If-Modified-Since %r sent" % sent)

        # A self-signed certificate is a question to the listener, unless a setting tolerates it.
        target = Target(ctx, "secure.bin")
        outcome = download(ctx, target, web.https_url("data.bin"), options=["--answer", 1])
        questions = [e for e in outcome.errors if e.split()[1] == "-"]
        code = int(questions[0].split()[2], 16) if len(questions) == 1 else 0
        check(code in (12037, 12038, 12044, 12045), "certificate questions: %r" % outcome.errors)
        outcome.expect(code, questions + [error_line(code, "secure.bin")], "refused: ")
        target.check_nothing("refused: ")
        for setting in ("--ignore-certificates", "--relax-certificates"):
            target = Target(ctx, "secure.bin")
            download(ctx, target, web.https_url("data.bin"), options=[setting, "--answer", 1]).expect(0, [], setting)
            target.check_complete(DATA, setting + ": ")

        # https to http fails that mirror and the next one serves the file; http to https is
        # followed (an http request tolerates the certificate only when asked again).
        to_http = web.https_url("to-http/plain.bin")
        cases = [  # (what, mirrors, options, result, reported)
            ("https redirected to http", [to_http], ["--ignore-certificates"], HTTPS_TO_HTTP,
             [error_line(HTTPS_TO_HTTP, "secure.bin")]),
            ("then a mirror that works", [to_http, web.https_url("data.bin")], ["--ignore-certificates"], 0, []),
            ("http redirected to https", [web.url("to-https/data.bin")], ["--relax-certificates", "--answer", 1], 0, []),
        ]
        for what, mirrors, options, result, reported in cases:
            target = Target(ctx, "secure.bin")
            download(ctx, target, *mirrors, options=options).expect(result, reported, what + ": ")
            check(target.read() == (DATA if result == 0 else None) and target.read(target.part) is None, what)


@scenario("transfer: statuses, sizes, a server that ignores Range, no reconnection with a file URL among the mirrors")
def faulty_server(ctx):
    body = b"<html>server error page</html>"
    with FaultServer() as faults:
        faults.route("/data", body=DATA, ranges=False)
        faults.route("/data-1", body=DATA[:999])
        faults.route("/private", body=DATA, auth=("user", "pass"))
        for status in (403, 410, 500):
            faults.route("/%d" % status, body=body, status=status)
        name = "data.bin"
        question = "error %s 0x%08X %%d" % (faults.url("/private"), 0xE0000012)
        cases = [  # (what, path, .part before, options, result, reported, file afterwards)
            ("403", "/403", None, [], 0xE0000016, [error_line(0xE0000016, name)], None),
            ("410", "/410", None, [], 0xE0000018, [error_line(0xE0000018, name)], None),
            ("500 with a body", "/500", None, [], 0, [], body),
            ("401, nobody to ask", "/private", None, [], 0xE0000012, [question, error_line(0xE0000012, name)], None),
            ("expected size 1000, announced 999", "/data-1", None, ["--expected-size", 1000], 0xE0000023,
             [error_line(0xE0000023, name)], None),
            ("200 for a .part of 1000 bytes", "/data", b"\xee" * 1000, [], 0, [], DATA),
            ("a .part as long as the file", "/data", DATA, [], 0xE0000010, [error_line(0xE0000010, name)], None),
        ]
        for what, path, part, options, result, reported, content in cases:
            what += ": "
            target = Target(ctx, name, part)
            outcome = download(ctx, target, faults.url(path), options=options)
            # The credential question's extra is the provider's address.
            errors = [e.rsplit(" ", 1)[0] + " %d" if e.split()[1].startswith("http") else e for e in outcome.errors]
            outcome.expect(result, None, what)
            check(errors == reported, "%sreported %r, wanted %r" % (what, errors, reported))
            check(target.read() == content, "%sthe target holds %r" % (what, (target.read() or b"")[:40]))
            check(target.read(target.part) == (part if result else None), "%sthe .part changed" % what)
            if part and result == 0:
                check(faults.requests[-1].headers.get("Range") == "bytes=1000-" and outcome.progress[0] == 0,
                      "%sRange %r, first progress %d" % (what, faults.requests[-1].headers, outcome.progress[0]))

        # A local copy cannot go on from bytes that came over the network.
        what = "a drop with a file URL among the mirrors: "
        faults.route("/drop", body=DATA, drop_after=30_000)
        target = Target(ctx, "drop.bin")
        outcome = download(ctx, target, faults.url("/drop"), "file://C:\\nothing-here.bin")
        outcome.expect(0xE000000F, [error_line(0xE000000F)], what)
        kept = target.read(target.part)
        check(len(faults.requests_for("/drop")) == 1 and kept == DATA[:30_000] and target.read() is None,
              "%s%d requests, the .part holds %r bytes" % (what, len(faults.requests_for("/drop")), len(kept or b"")))


@scenario("transfer: bad targets and URLs fail before any request; sources are tried over the mirrors, 7 tries in all")
def urls_and_mirrors(ctx):
    with FaultServer() as faults:
        faults.route("/good", body=DATA)
        good, dead = faults.url("/good"), "http://127.0.0.1:%d/x" % free_port()
        cases = [  # (what, target, urls, result, paths asked in order)
            ("a relative target", "out\\data.bin", [good], 0xE0000005, []),
            ("an unknown scheme after a good URL", None, [good, "gopher://127.0.0.1/x"], 12006, []),
            ("no URL at all", None, [], 12006, []),
            ("three mirrors that answer 404", None, ["/a", "/b", "/c"], 0xE0000018, ["/a", "/b", "/c", "/a", "/b", "/c", "/a"]),
            ("a single missing file", None, ["/a"], 0xE0000018, ["/a"]),
            ("unreachable, then missing, then there", None, [dead, "/a", "/good"], 0, ["/a", "/good"]),
            ("a closed port", None, [dead], 12029, []),
        ]
        for what, given, urls, result, asked in cases:
            what += ": "
            start = len(faults.requests)
            target = Target(ctx, "mirrored.bin")
            outcome = probe(ctx, given or target.win, *[faults.url(u) if u.startswith("/") else u for u in urls])
            # Errors before any request have no file name to report.
            reported = [error_line(result, "mirrored.bin" if asked or result == 12029 else "-")] if result else []
            outcome.expect(result, reported, what)
            got = [r.path for r in faults.requests[start:]]
            check(got == asked, "%sasked for %r, wanted %r" % (what, got, asked))
            check(target.read() == (DATA if result == 0 else None), "%sthe target" % what)


@scenario("transfer: Pause holds the data back; Cancel keeps what came in the .part, unreported; a form post")
def pause_cancel_and_post(ctx):
    with FaultServer() as faults:
        faults.route("/slow", body=DATA, trickle=(8192, 0.02))
        target = Target(ctx, "slow.bin")
        outcome = download(ctx, target, faults.url("/slow"), options=["--pause-ms", 300])
        outcome.expect(0, [], "paused run: ")
        held = outcome.lines[outcome.lines.index("pause") + 1:outcome.lines.index("go")]
        check(held == [], "while paused the engine went on: %r" % held)
        target.check_complete(DATA, "paused run: ")

        target = Target(ctx, "slow.bin")
        outcome = download(ctx, target, faults.url("/slow"), options=["--cancel-after", 40_000])
        outcome.expect(0xE0000008, [], "cancelled run: ")
        kept = target.read(target.part)
        check(kept is not None and 40_000 <= len(kept) < len(DATA) and DATA.startswith(kept),
              "the .part holds %s bytes" % (None if kept is None else len(kept)))
        check(target.read() is None, "the target exists after Cancel")

        # Fields go as UTF-8; the reply is decoded by its charset.
        faults.route("/form", body="é€".encode("utf-16-le"), headers={"Content-Type": "text/plain;charset=UTF-16"})
        faults.route("/broken", body=b"broken", status=500)
        for path, result, units in (("/form", 0, "00E920AC"), ("/broken", 0xE000002B, "")):
            outcome = probe(ctx, "--post", "a=1", "--post", "b=two words é", faults.url(path))
            outcome.expect(result, [], path + ": ")
            check(outcome.lines[-2] == "text " + units, "%s: reply decoded as %r" % (path, outcome.lines[-2]))
            sent = faults.requests_for(path)[-1]
            check(sent.method == "POST" and sent.body == "a=1&b=two words é".encode("utf-8")
                  and sent.headers.get("Content-Type") == "application/x-www-form-urlencoded; charset=utf-8",
                  "%s: sent %s %r %r" % (path, sent.method, sent.body, sent.headers))
