"""The download fault matrix: connections dropped at random offsets, lengths
announced longer than the truth, and a server that restarts in the middle of
a transfer, many times over. Every engine run (tests/helpers/transfer_probe)
must end with the exact file, or with one reported error that keeps a true
prefix of the file in its ".part", from which the next run finishes. The
product runs a few fixed cases, where the download step's MD5 and SHA-256
checks judge what the engine delivered: a length announced shorter than the
truth, which the engine has to believe, and .part files answered 416.

The faults come from a seeded generator: the summary line names the seed,
and TESSARO_FAULT_SEED=N replays them (a restart's race may still go
either way)."""
import collections
import hashlib
import os
import random

from fault_server import FaultServer
from harness import ScenarioFailed, check, scenario, win_path
from scenarios.download import Downloads, downloaded
from scenarios.transfer_http import Target, contents, download

SEED_VARIABLE = "TESSARO_FAULT_SEED"
ENGINE_RUNS = 40
ENGINE_SIZE = 300_000
# How long a restarted server stays away: 0 is back before the engine
# reconnects, 0.05 races its seven connection tries, 0.3 outlasts them.
DOWNTIMES = (0, 0.05, 0.3)
KINDS = ("drop", "drop", "restart", "longer")


def digests(data):
    return hashlib.md5(data).hexdigest(), hashlib.sha256(data).hexdigest()


def fault(rng, kind=None, downtime=None, tame=False):
    """One answer's misbehaviour: (its description, the fault server's behaviour).
    Drops fall anywhere in the body, a quarter of them in its last kilobyte,
    where a transfer that stops early would pass for complete; a tame one
    falls between a tenth and nine tenths, leaving the next answer enough to
    lie about."""
    kind = kind or rng.choice(KINDS)
    if kind in ("drop", "restart"):
        if not tame and rng.random() < 0.25:
            before_end = rng.randint(1, 1024)
            where, cut = "end-%d" % before_end, lambda n: max(n - before_end, 0)
        else:
            share = rng.uniform(0.1, 0.9) if tame else rng.random()
            where, cut = "%.1f%%" % (100 * share), lambda n: int(n * share)
        if kind == "drop":
            return "drop@" + where, {"drop_after": cut}
        down = rng.choice(DOWNTIMES) if downtime is None else downtime
        return "restart@%s+%gs" % (where, down), {"drop_after": cut, "restart": down}
    lie = rng.randint(1, 4096) * (1 if kind == "longer" else -1)
    return "%s%+d" % (kind, lie), {"length": lambda n: max(n + lie, 1)}


class Matrix:
    """The served file, the counts of how runs ended, and what was wrong."""

    def __init__(self, ctx, faults, data):
        self.ctx, self.faults, self.data = ctx, faults, data
        self.counts = collections.Counter()
        self.wrongs = []

    def engine(self, path, plan, target, what, options=()):
        """One engine run against |path| answering by |plan|: how it ended
        ("exact", "error" or "wrong") and the requests it made."""
        self.faults.route(path, body=self.data, answers=[b for _, b in plan])
        before = len(self.faults.requests_for(path))
        outcome = download(self.ctx, target, self.faults.url(path), options=options)
        check(self.faults.listening.wait(10), what + "the server did not come back")
        got, kept = target.read(), target.read(target.part)
        wrong = None
        if outcome.result == 0 and (kept is not None or got != self.data):
            wrong = "success with %s and %s .part" % ("no target" if got is None else "%d bytes" % len(got),
                                                      "a" if kept is not None else "no")
        elif outcome.result != 0 and (got is not None or (kept is not None and not self.data.startswith(kept))):
            wrong = "an error (0x%08X) left a target or a .part that is not the file's start" % outcome.result
        elif outcome.result != 0 and [int(e.split()[2], 16) for e in outcome.errors] != [outcome.result]:
            wrong = "0x%08X reported as %r" % (outcome.result, outcome.errors)
        if wrong:
            self.wrongs.append(what + wrong)
        ended = "wrong" if wrong else "exact" if outcome.result == 0 else "error"
        return ended, outcome, self.faults.requests_for(path)[before:]

    def engine_run(self, rng, index):
        path = "/engine%d" % index
        plan = [fault(rng) for _ in range(rng.randint(1, 3))]
        options = ["--expected-size", ENGINE_SIZE] if rng.random() < 0.5 else []
        what = "engine run %d (%s%s): " % (index, ", ".join(d for d, _ in plan), ", expected size" * bool(options))
        target = Target(self.ctx, "engine%d.bin" % index)
        ended, _, _ = self.engine(path, plan, target, what, options)
        self.counts["engine " + ended] += 1
        if ended != "error":
            return
        part = target.read(target.part)
        self.counts["engine kept"] += bool(part)
        # The next run meets a server that behaves: it must finish from the .part.
        what += "the next run, from %s bytes: " % (len(part) if part else "no")
        ended, outcome, asked = self.engine(path, [], target, what)
        if ended == "exact" and part and (asked[0].headers.get("Range") != "bytes=%d-" % len(part)
                                          or outcome.progress[0] != len(part)):
            self.wrongs.append(what + "asked for %r, first progress %d" % (asked[0].headers, outcome.progress[0]))
        elif ended == "error":
            self.wrongs.append(what + "failed again (0x%08X)" % outcome.result)
        self.counts["next " + ("resumed" if ended == "exact" and part else ended)] += 1


# A 416 that gives no length, in place of the route's own "bytes */N".
NO_LENGTH_416 = ("416 without Content-Range", {"status": 416, "body": b"416 page", "headers": {}})
# The .part a product case starts with, from the served data.
PARTS = {None: lambda data: None, "whole": lambda data: data, "longer": lambda data: data + b"tail",
         "half": lambda data: data[:len(data) // 2]}
ACCEPTED = downloaded("Faulty")[1:]
BOTH = ("MD5", "SHA256")
# (what, the .part before the first run, faults of its answers, the digests
# the package gives, how its runs end); later runs meet a server that behaves.
# A 416 body is never the file: the .part is, when the 416 gives its length;
# else the file comes again from byte 0.
PRODUCT_CASES = (
    ("three drops", None, ("drop", "drop", "drop"), BOTH, ("accepted",)),
    ("cut short after a drop", None, ("drop", "shorter"), ("SHA256",), ("rejected", "accepted")),
    ("a restart that outlasts the reconnection", None, ("restart",), BOTH, ("failed", "accepted")),
    # Reconnected after the lie, the .part is whole: the 416 to its range completes it.
    ("announced longer after a drop", None, ("drop", "longer"), BOTH, ("accepted",)),
    ("a whole .part answered 416", "whole", (), BOTH, ("accepted",)),
    ("a .part longer than the file", "longer", (), BOTH, ("accepted",)),
    ("a 416 that gives no length", "half", (NO_LENGTH_416,), BOTH, ("accepted",)),
)


def product_case(matrix, rng, index, what, start, kinds, given, endings):
    pkg, faults = Downloads(matrix.ctx), matrix.faults
    data = pkg.serve("setup.exe", rng.randbytes(rng.randrange(1, 50_000)))
    plan = [kind if isinstance(kind, tuple) else fault(rng, kind, downtime=1, tame=True) for kind in kinds]
    what = "product case %d, %s (%s): " % (index, what, ", ".join(d for d, _ in plan))
    path = "/product%d/setup.exe" % index
    faults.route(path, body=data, answers=[b for _, b in plan])
    dl = os.path.join(matrix.ctx.dir, "dl%d" % index)
    target = os.path.join(dl, "setup.exe")
    keys = {name: value for name, value in zip(BOTH, digests(data)) if name in given}
    rejected = ["Download completed succesfully.", "Downloaded file was rejected.(Invalid %s)." % (
        "size or MD5" if "MD5" in given else "SHA256")]
    part = PARTS[start](data)
    if part:
        os.makedirs(dl)
        with open(target + ".part", "wb") as f:
            f.write(part)
    for run, wanted in enumerate(endings):
        marker = "product%d-%d.txt" % (index, run)
        keys.update(Url=faults.url(path), NoUiCommandLine=pkg.writes(marker))
        asked = len(faults.requests_for(path))
        lines = pkg.run([("DownloadFolder", win_path(dl)), ("KeepFiles", "complete")], [("Faulty", keys)])
        check(faults.listening.wait(10), what + "the server did not come back")
        ended = ("accepted" if lines[1:3] == ACCEPTED else "rejected" if lines[1:] == rejected
                 else "failed" if len(lines) == 2 and lines[1].startswith("Download failed. Error:") else repr(lines))
        matrix.counts["product " + ended] += 1
        at = "%srun %d " % (what, run + 1)
        check(ended == wanted, "%sended %s, wanted %s" % (at, ended, wanted))
        got, kept = contents(target), contents(target + ".part")
        check((got == data) == (ended == "accepted") and pkg.wrote(marker) == (ended == "accepted"),
              "%sleft %s bytes, the setup ran: %s" % (at, None if got is None else len(got), pkg.wrote(marker)))
        check((kept is not None) == (ended == "failed") and (kept is None or data.startswith(kept)),
              "%skept a .part of %s bytes" % (at, None if kept is None else len(kept)))
        if part:
            # A .part that is not the file's start, or a 416 without a length, is asked for again from byte 0.
            sent = [r.headers.get("Range") for r in faults.requests_for(path)[asked:]]
            again = not data.startswith(part) or (run == 0 and NO_LENGTH_416 in plan)
            check(sent == ["bytes=%d-" % len(part)] + [None] * again, "%sasked for %r after a .part of %d bytes" % (
                at, sent, len(part)))
            matrix.counts["product resumed"] += ended == "accepted"
        part = kept
        faults.route(path, body=data)


@scenario("fault matrix: dropped, lying and restarting servers end in the exact file or a .part the next run finishes")
def fault_matrix(ctx):
    seed = int(os.environ.get(SEED_VARIABLE) or random.randrange(10 ** 6))
    rng = random.Random(seed)
    with FaultServer(lifetime=300) as faults:
        matrix = Matrix(ctx, faults, rng.randbytes(ENGINE_SIZE))
        runs = [(matrix.engine_run, rng, index) for index in range(ENGINE_RUNS)]
        runs += [(product_case, matrix, rng, index, *case) for index, case in enumerate(PRODUCT_CASES)]
        for run, *args in runs:
            try:
                run(*args)
            except ScenarioFailed as e:  # a probe without a result (a crash), or a product run gone wrong
                matrix.wrongs.append(str(e))
    c = matrix.counts
    print("fault matrix (seed %d, %s=%d replays it): %d engine runs: %d exact, %d clean errors (%d kept a .part); "
          "their next runs: %d resumed to exact, %d exact from nothing; product runs: %d accepted, %d rejected, "
          "%d failed with the .part kept, %d resumed to an accepted file; %d wrong" % (
              seed, SEED_VARIABLE, seed, ENGINE_RUNS, c["engine exact"], c["engine error"], c["engine kept"],
              c["next resumed"], c["next exact"], c["product accepted"], c["product rejected"],
              c["product failed"], c["product resumed"], len(matrix.wrongs)), flush=True)
    check(not matrix.wrongs, "seed %d: %d wrong: %s" % (seed, len(matrix.wrongs), "; ".join(matrix.wrongs[:3])))
