"""HTTP transfers: the transfer engine run by tests/helpers/transfer_probe
against loopback servers that behave (nginx) and misbehave (fault_server)."""
import calendar
import glob
import os
import subprocess

from fault_server import FaultServer, free_port
from harness import WINE, check, scenario, win_path
from web_server import WebServer

DATA = bytes((i * 7 + i // 251) % 256 for i in range(300_000))
CANCELLED = 0xE0000008
NOT_MODIFIED = 0xE0000013


class Outcome:
    """What the probe printed: the listener's calls in order, then the result."""

    def __init__(self, lines):
        check(lines and lines[-1].startswith("result "), "the probe ended without a result: %r" % lines[-5:])
        self.lines = lines
        self.result = int(lines[-1].split()[1], 16)
        self.progress = [int(l.split()[1]) for l in lines if l.startswith("progress ")]
        self.errors = [l for l in lines if l.startswith("error ")]

    def value(self, name):
        """The rest of the first line that starts with name (form posts)."""
        return next(l[len(name) + 1:] for l in self.lines if l.startswith(name + " "))

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


def check_transfer_lines(outcome, total, first, what):
    """begin, then progress from the bytes already there, then finished, last."""
    check(outcome.lines[0] == "begin 1 %d %s" % (total, outcome.target), "%sfirst line %r" % (what, outcome.lines[0]))
    check(outcome.lines[1] == "progress %d" % first, "%ssecond line %r, wanted progress %d" % (
        what, outcome.lines[1], first))
    check(outcome.lines[-2:] == ["finished 1 0", "result 0x00000000"], "%slast lines %r" % (what, outcome.lines[-2:]))
    check(sum(outcome.progress) == total, "%sprogress adds up to %d, not %d" % (what, sum(outcome.progress), total))


def download(ctx, target, *urls, options=()):
    outcome = probe(ctx, *options, target.win, *urls)
    outcome.target = target.win
    return outcome


@scenario("transfer from nginx: plain, resumed from a .part, If-Modified-Since, Last-Modified, and HTTPS")
def from_nginx(ctx):
    served = os.path.join(ctx.dir, "data.bin")
    with open(served, "wb") as f:
        f.write(DATA)
    stamp = calendar.timegm((2024, 3, 5, 6, 7, 8))
    os.utime(served, (stamp, stamp))
    with WebServer(ctx.dir, https=True) as web:
        cases = [  # (what, options, .part before, result, first progress, Range sent, If-Modified-Since sent)
            ("no .part", [], None, 0, 0, "", ""),
            (".part of 1000 bytes", [], DATA[:1000], 0, 1000, "bytes=1000-", ""),
            ("a copy as new as the file", ["--if-modified-since", "20240305060708"], None, NOT_MODIFIED, None, "",
             "Tue, 05 Mar 2024 06:07:08 GMT"),
            ("an older copy", ["--if-modified-since", "20240305060707"], None, 0, 0, "",
             "Tue, 05 Mar 2024 06:07:07 GMT"),
        ]
        for what, options, part, result, first, wanted_range, wanted_since in cases:
            what += ": "
            target = Target(ctx, "data.bin", part)
            outcome = download(ctx, target, web.url("data.bin"), options=options)
            outcome.expect(result, [], what)
            sent = web.requests()[-1]
            check((sent["range"], sent["if_modified_since"]) == (wanted_range, wanted_since),
                  "%sRange %r and If-Modified-Since %r sent" % (what, sent["range"], sent["if_modified_since"]))
            if result == 0:
                check_transfer_lines(outcome, len(DATA), first, what)
                target.check_complete(DATA, what)
            else:
                check(target.read() is None and target.read(target.part) is None, "%sa file was written" % what)
        outcome = download(ctx, Target(ctx, "data.bin"), web.url("data.bin"), options=["--want-last-modified"])
        check(outcome.value("last-modified") == "20240305060708", "Last-Modified kept as %r" % (
            outcome.value("last-modified")))

        # A self-signed certificate is a question to the listener, unless a setting tolerates it.
        target = Target(ctx, "secure.bin")
        outcome = download(ctx, target, web.https_url("data.bin"), options=["--answer", 1])
        questions = [e for e in outcome.errors if e.split()[1] == "-"]
        check(len(questions) == 1, "certificate questions: %r" % outcome.errors)
        code = int(questions[0].split()[2], 16)
        check(code in (12037, 12038, 12044, 12045), "the question asked about 0x%08X" % code)
        outcome.expect(code, questions + [error_line(code, "secure.bin")], "refused: ")
        check(target.read() is None and target.read(target.part) is None, "refused: a file was written")
        for setting in ("--ignore-certificates", "--relax-certificates"):
            what = setting + ": "
            target = Target(ctx, "secure.bin")
            outcome = download(ctx, target, web.https_url("data.bin"), options=[setting, "--answer", 1])
            outcome.expect(0, [], what)
            check_transfer_lines(outcome, len(DATA), 0, what)
            target.check_complete(DATA, what)


@scenario("transfer: a server that ignores Range is read from the start; drops are reopened where the data stopped")
def faulty_server(ctx):
    with FaultServer() as faults:
        faults.route("/no-ranges", body=DATA, ranges=False)
        what = "200 for a .part of 1000 bytes: "
        target = Target(ctx, "data.bin", b"\xee" * 1000)
        outcome = download(ctx, target, faults.url("/no-ranges"))
        outcome.expect(0, [], what)
        check_transfer_lines(outcome, len(DATA), 0, what)
        target.check_complete(DATA, what)
        sent = faults.requests[-1].headers.get("Range")
        check(sent == "bytes=1000-", "%sRange %r sent" % (what, sent))
        # A .part as long as the file, or longer, that the server would send whole again.
        for part in (DATA, DATA + b"more"):
            what = ".part of %d bytes for %d: " % (len(part), len(DATA))
            target = Target(ctx, "data.bin", part)
            outcome = download(ctx, target, faults.url("/no-ranges"))
            outcome.expect(0xE0000010, [error_line(0xE0000010, "data.bin")], what)
            check(target.read(target.part) == part and target.read() is None, "%sthe files changed" % what)

        faults.route("/drops", body=DATA, drop_after=50_000, drops=3)
        target = Target(ctx, "drops.bin")
        outcome = download(ctx, target, faults.url("/drops"))
        sent = [r.headers.get("Range", "") for r in faults.requests_for("/drops")]
        check(sent == ["", "bytes=50000-", "bytes=100000-", "bytes=150000-"], "three drops: ranges %r" % sent)
        outcome.expect(0, [], "three drops: ")
        target.check_complete(DATA, "three drops: ")
        check(sum(outcome.progress) == len(DATA), "three drops: progress adds up to %d" % sum(outcome.progress))

        # A local copy cannot go on from bytes that came over the network.
        what = "a drop with a file URL among the mirrors: "
        faults.route("/drop", body=DATA, drop_after=30_000)
        target = Target(ctx, "drop.bin")
        outcome = download(ctx, target, faults.url("/drop"), "file://C:\\nothing-here.bin")
        outcome.expect(0xE000000F, [error_line(0xE000000F)], what)
        kept = target.read(target.part)
        check(len(faults.requests_for("/drop")) == 1 and kept == DATA[:30_000] and target.read() is None,
              "%s%d requests, the .part holds %r bytes" % (what, len(faults.requests_for("/drop")), len(kept or b"")))


@scenario("transfer: HTTP statuses, size checks and credentials become the engine's codes")
def statuses(ctx):
    body = b"<html>server error page</html>"
    with FaultServer() as faults:
        faults.route("/data", body=DATA)
        faults.route("/data-1", body=DATA[:999])
        faults.route("/private", body=DATA, auth=("user", "pa:ss"))
        # What a proxy is asked for, and answers without credentials.
        faults.route("http://files.test:80/x", status=407, body=b"no",
                     headers={"Proxy-Authenticate": 'Basic realm="Proxy Zone"'})
        for status in (304, 403, 410, 500):
            faults.route("/%d" % status, body=body, status=status)
        name = "status.bin"
        private = faults.url("/private")
        via_proxy = ["--proxy", "127.0.0.1:%d" % faults.port]
        question = "error %s 0x%08X"  # the credential question; its extra is the provider's address
        cases = [  # (what, URL, options, result, reported, realm asked for, file afterwards)
            ("304", "/304", [], NOT_MODIFIED, [], None, None),
            ("403", "/403", [], 0xE0000016, [error_line(0xE0000016, name)], None, None),
            ("410", "/410", [], 0xE0000018, [error_line(0xE0000018, name)], None, None),
            ("500 with a body", "/500", [], 0, [], None, body),
            ("expected size 1000, announced 999", "/data-1", ["--expected-size", 1000], 0xE0000023,
             [error_line(0xE0000023, name)], None, None),
            ("expected size matches", "/data", ["--expected-size", len(DATA)], 0, [], None, DATA),
            ("401 without credentials", private, [], 0xE0000012,
             [question % (private, 0xE0000012), error_line(0xE0000012, name)], "Files", None),
            ("401 with remembered credentials", private, ["--remember", "user:pa:ss"], 0, [], None, DATA),
            ("401, wrong remembered ones, then typed ones", private,
             ["--remember", "user:wrong", "--enter", "user:pa:ss", "--answer", 1237], 0,
             [question % (private, 0xE0000012)], "Files", DATA),
            ("407 from the proxy", "http://files.test/x", via_proxy, 0xE0000012,
             [question % ("http://files.test/x", 0xE0000012), error_line(0xE0000012, name)], "Proxy Zone", None),
        ]
        for what, path, options, result, reported, realm, content in cases:
            what += ": "
            target = Target(ctx, name)
            url = path if path.startswith("http") else faults.url(path)
            outcome = download(ctx, target, url, options=options)
            errors = [e.rsplit(" ", 1)[0] if e.split()[1].startswith("http") else e for e in outcome.errors]
            outcome.expect(result, None, what)
            check(errors == reported, "%sreported %r, wanted %r" % (what, errors, reported))
            texts = [l for l in outcome.lines if l.split()[0] in ("server", "realm")]
            wanted = [] if realm is None else ["server " + url, "realm " + realm]
            check(texts == wanted, "%sthe question said %r, wanted %r" % (what, texts, wanted))
            check(target.read() == content, "%sthe target holds %r" % (what, (target.read() or b"")[:40]))
            if content is None:
                check(not any(l.startswith("begin") for l in outcome.lines), "%sa transfer began" % what)


@scenario("transfer: bad targets and URLs fail before any request; sources are tried over the mirrors, 7 tries in all")
def urls_and_mirrors(ctx):
    with FaultServer() as faults:
        faults.route("/good", body=DATA)
        good, target = faults.url("/good"), os.path.join(ctx.dir, "x.bin")
        cases = [  # (what, target, urls, result)
            ("a relative target", "out\\data.bin", [good], 0xE0000005),
            ("a one-letter target", "x", [good], 0xE0000005),
            ("an unknown scheme", win_path(target), ["gopher://127.0.0.1/x"], 12006),
            ("an unknown scheme after a good URL", win_path(target), [good, "mailto:someone@example.com"], 12006),
            ("no URL at all", win_path(target), [], 12006),
            ("a URL without a scheme", win_path(target), ["no-scheme-here"], 12006),
        ]
        for what, given, urls, result in cases:
            what += ": "
            probe(ctx, given, *urls).expect(result, [error_line(result)], what)
            check(faults.requests == [], "%sthe server was asked %r" % (what, faults.requests))
            check(not os.path.exists(target), "%sa file was written" % what)

        dead = "http://127.0.0.1:%d/x" % free_port()
        cases = [  # (what, urls, options, result, paths asked in order)
            ("three mirrors that answer 404", ["/a", "/b", "/c"], [], 0xE0000018,
             ["/a", "/b", "/c", "/a", "/b", "/c", "/a"]),
            ("a single missing file", ["/a"], [], 0xE0000018, ["/a"]),
            ("no retries over two mirrors", ["/a", "/b"], ["--retries", 0], 0xE0000018, ["/a", "/b"]),
            ("unreachable, then missing, then there", [dead, "/a", "/good"], [], 0, ["/a", "/good"]),
            ("a closed port", [dead], [], 12029, []),
        ]
        for what, paths, options, result, asked in cases:
            what += ": "
            start = len(faults.requests)
            target = Target(ctx, "mirrored.bin")
            urls = [p if p.startswith("http") else faults.url(p) for p in paths]
            outcome = download(ctx, target, *urls, options=options)
            outcome.expect(result, [] if result == 0 else [error_line(result, "mirrored.bin")], what)
            got = [r.path for r in faults.requests[start:]]
            check(got == asked, "%sasked for %r, wanted %r" % (what, got, asked))
            if result == 0:
                target.check_complete(DATA, what)
            else:
                check(target.read() is None, "%sa target was written" % what)


@scenario("transfer: Pause holds the data back; Cancel keeps what came in the .part, unreported")
def pause_and_cancel(ctx):
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
        outcome.expect(CANCELLED, [], "cancelled run: ")
        kept = target.read(target.part)
        check(kept is not None and 40_000 <= len(kept) < len(DATA) and DATA.startswith(kept),
              "the .part holds %s bytes" % (None if kept is None else len(kept)))
        check(target.read() is None, "the target exists after Cancel")


@scenario("transfer: a form post sends UTF-8 fields and decodes the reply by its charset")
def form_post(ctx):
    with FaultServer() as faults:
        cases = [  # (what, route, result, reply as UTF-16 units)
            ("utf-8", dict(body="café".encode("utf-8"), headers={"Content-Type": "text/plain; charset=utf-8"}),
             0, "00630061006600E9"),
            ("utf-16", dict(body="é€".encode("utf-16-le"), headers={"Content-Type": "text/plain;charset=UTF-16"}),
             0, "00E920AC"),
            ("ISO-8859-1", dict(body=b"\xe9\x80", headers={"Content-Type": "text/plain; charset=ISO-8859-1"}),
             0, "00E90080"),
            ("no charset", dict(body=b"ok", headers={"Content-Type": "text/plain"}), 0, "006F006B"),
            ("an empty reply", dict(body=b"", headers={"Content-Type": "text/plain; charset=utf-8"}), 0, ""),
            ("500", dict(body=b"broken", status=500), 0xE000002B, ""),
        ]
        for index, (what, route, result, units) in enumerate(cases):
            what += ": "
            path = "/form%d" % index
            faults.route(path, **route)
            outcome = probe(ctx, "--post", "a=1", "--post", "b=two words é", faults.url(path))
            outcome.expect(result, [], what)
            check(outcome.value("text") == units, "%sreply decoded as %r, wanted %r" % (
                what, outcome.value("text"), units))
            wanted_type = route.get("headers", {}).get("Content-Type", "") if result == 0 else ""
            check(outcome.value("content-type") == wanted_type, "%scontent type %r" % (
                what, outcome.value("content-type")))
            sent = faults.requests_for(path)[-1]
            check(sent.method == "POST" and sent.body == "a=1&b=two words é".encode("utf-8"),
                  "%ssent %s %r" % (what, sent.method, sent.body))
            check(sent.headers.get("Content-Type") == "application/x-www-form-urlencoded; charset=utf-8",
                  "%sposted as %r" % (what, sent.headers.get("Content-Type")))
        outcome = probe(ctx, "--post", "a=1", faults.url("/missing"))
        outcome.expect(0xE0000018, [error_line(0xE0000018)], "404: ")
    temps = glob.glob(os.path.join(ctx.prefix, "drive_c", "users", "*", "Temp"))
    check(temps, "no temporary folder in the prefix")
    left = [f for t in temps for f in os.listdir(t) if f.startswith("123")]
    check(left == [], "the replies stay in the temporary folder: %r" % left)

