"""The download fault matrix: connections dropped at random offsets, lengths
announced shorter and longer than the truth, and a server that restarts in
the middle of a transfer, many times over. Every run must end with the exact
file, or with a clean error that keeps what it received in a ".part" (a true
prefix of the file) from which the next run finishes. The engine runs many
times through tests/helpers/transfer_probe; the product runs a few times,
and there the download step's MD5 and SHA-256 checks judge what the engine
delivered.

The engine trusts the length a server announces: told less than the whole,
it hands over what it was promised ("short on the server's word"). Only the
download step can tell, and the product runs prove that it does.

The faults come from a seeded generator: the summary line names the seed,
and TESSARO_FAULT_SEED=N replays the same faults (which side wins a restart's
race may still differ)."""
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
KINDS = ("drop", "drop", "restart", "longer", "shorter")


def digests(data):
    return hashlib.md5(data).hexdigest(), hashlib.sha256(data).hexdigest()


def fault(rng, kind=None, downtime=None, tame=False):
    """One answer's misbehaviour: (its description, the fault server's behaviour).
    Drops fall anywhere in the answer's body, and now and then in its last
    kilobyte, where a transfer that stops early would pass for complete. A
    tame drop falls between a tenth and nine tenths of the body, so that the
    next answer has enough left to lie about."""
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
        self.digests = digests(data)
        self.counts = collections.Counter()
        self.wrongs = []

    def wrong(self, text):
        self.wrongs.append(text)
        return "wrong"

    def judge(self, outcome, target, promised, what):
        """How one engine run ended: "exact", "short" (the target holds exactly
        the |promised| bytes that the server announced as the whole), "error"
        (reported once, the .part a prefix) or "wrong"."""
        got, kept = target.read(), target.read(target.part)
        if outcome.result == 0:
            if kept is not None:
                return self.wrong(what + "a .part is left beside the target")
            if got is not None and digests(got) == self.digests:
                return "exact"
            if got is not None and promised is not None and got == self.data[:promised]:
                return "short"
            return self.wrong(what + "success with %s" % ("no target" if got is None else "a wrong file of %d bytes"
                                                            % len(got)))
        if got is not None:
            return self.wrong(what + "an error (0x%08X) left a target" % outcome.result)
        if kept is not None and not self.data.startswith(kept):
            return self.wrong(what + "the .part (%d bytes) is not a prefix of the file" % len(kept))
        if [int(e.split()[2], 16) for e in outcome.errors] != [outcome.result]:
            return self.wrong(what + "0x%08X reported as %r" % (outcome.result, outcome.errors))
        return "error"

    def promised(self, plan, asked):
        """The length of the file by the last answer's word when that is short
        of the truth (the engine has no other), else None."""
        if not asked:
            return None
        start = int((asked[-1].headers.get("Range") or "bytes=0-")[len("bytes="):-1])
        if start >= len(self.data):
            return 0  # 416 and an empty body, which the engine keeps as the whole answer
        lie = plan[len(asked) - 1] if len(asked) <= len(plan) else ("", {})
        return start + lie[1]["length"](len(self.data) - start) if lie[0].startswith("shorter") else None

    def download(self, path, plan, target, what, options=()):
        """One engine run against the route |path| answering by |plan|."""
        self.faults.route(path, body=self.data, answers=[b for _, b in plan])
        before = len(self.faults.requests_for(path))
        outcome = download(self.ctx, target, self.faults.url(path), options=options)
        check(self.faults.listening.wait(10), what + "the server did not come back")
        asked = self.faults.requests_for(path)[before:]
        return outcome, asked, self.judge(outcome, target, self.promised(plan, asked), what)

    def engine_run(self, rng, index):
        path = "/engine%d" % index
        plan = [fault(rng) for _ in range(rng.randint(1, 3))]
        options = ["--expected-size", ENGINE_SIZE] if rng.random() < 0.5 else []
        what = "engine run %d (%s%s): " % (index, ", ".join(d for d, _ in plan), ", expected size" * bool(options))
        target = Target(self.ctx, "engine%d.bin" % index)
        _, _, ended = self.download(path, plan, target, what, options)
        self.counts["engine " + ended] += 1
        if ended != "error":
            return
        part = target.read(target.part)
        self.counts["engine kept"] += bool(part)
        # The next run meets a server that behaves: it must finish from the .part.
        what += "the next run, from %s bytes: " % (len(part) if part else "no")
        outcome, asked, ended = self.download(path, [], target, what)
        if ended == "error":
            ended = self.wrong(what + "failed again (0x%08X)" % outcome.result)
        elif ended == "exact" and part:
            sent = asked[0].headers.get("Range")
            if sent != "bytes=%d-" % len(part) or outcome.progress[0] != len(part):
                ended = self.wrong(what + "asked for %r, first progress %d" % (sent, outcome.progress[0]))
        self.counts["next " + ("resumed" if ended == "exact" and part else ended)] += 1

    def attempt(self, run, *args):
        try:
            run(*args)
        except ScenarioFailed as e:  # a probe without a result (a crash), or a product run gone wrong
            self.wrong(str(e))


# How a run of the product can end: the step's log lines after the first.
ACCEPTED = downloaded("Faulty")[1:]
REJECTED = ["Download completed succesfully.", "Downloaded file was rejected.(Invalid %s)."]
FAILED = "Download failed. Error:"
BOTH = ("MD5", "SHA256")
# (what, faults of the first run's answers, the digests the package gives,
# how its runs end); the runs after the first meet a server that behaves.
PRODUCT_CASES = (
    ("three drops", ("drop", "drop", "drop"), BOTH, ("accepted",)),
    ("cut short after a drop", ("drop", "shorter"), ("SHA256",), ("rejected", "accepted")),
    ("a restart that outlasts the reconnection", ("restart",), BOTH, ("failed", "accepted")),
    ("announced longer after a drop", ("drop", "longer"), BOTH, ("failed", "rejected", "accepted")),
)


def product_case(matrix, rng, index, what, kinds, given, endings):
    pkg = Downloads(matrix.ctx)
    data = pkg.serve("setup.exe", rng.randbytes(rng.randrange(1, 50_000)))
    plan = [fault(rng, kind, downtime=1, tame=True) for kind in kinds]
    what = "product case %d, %s (%s): " % (index, what, ", ".join(d for d, _ in plan))
    path = "/product%d/setup.exe" % index
    faults = matrix.faults
    faults.route(path, body=data, answers=[b for _, b in plan])
    dl = os.path.join(matrix.ctx.dir, "dl%d" % index)
    target = os.path.join(dl, "setup.exe")
    keys = {name: value for name, value in zip(BOTH, digests(data)) if name in given}
    rejected = REJECTED[:1] + [REJECTED[1] % ("size or MD5" if "MD5" in given else "SHA256")]
    part = None
    for run, wanted in enumerate(endings):
        marker = "product%d-%d.txt" % (index, run)
        keys.update(Url=faults.url(path), NoUiCommandLine=pkg.writes(marker))
        asked = len(faults.requests_for(path))
        lines = pkg.run([("DownloadFolder", win_path(dl)), ("KeepFiles", "complete")],
                        [("Faulty", keys)])
        check(faults.listening.wait(10), what + "the server did not come back")
        ended = ("accepted" if lines[1:3] == ACCEPTED else "rejected" if lines[1:] == rejected
                 else "failed" if len(lines) == 2 and lines[1].startswith(FAILED) else repr(lines))
        matrix.counts["product " + ended] += 1
        matrix.counts["product runs"] += 1
        check(ended == wanted, "%srun %d ended %s, wanted %s" % (what, run + 1, ended, wanted))
        got, kept = contents(target), contents(target + ".part")
        check((got is not None and digests(got) == digests(data)) == (ended == "accepted"),
              "%srun %d left %s bytes" % (what, run + 1, None if got is None else len(got)))
        check(pkg.wrote(marker) == (ended == "accepted"), "%srun %d: the setup %s" % (
            what, run + 1, "ran" if pkg.wrote(marker) else "did not run"))
        check((kept is not None) == (ended == "failed") and (kept is None or data.startswith(kept)),
              "%srun %d kept a .part of %s bytes" % (what, run + 1, None if kept is None else len(kept)))
        if part:
            sent = faults.requests_for(path)[asked].headers.get("Range")
            check(sent == "bytes=%d-" % len(part), "%srun %d asked for %r after a .part of %d bytes" % (
                what, run + 1, sent, len(part)))
            matrix.counts["product resumed"] += ended == "accepted"
        part = kept
        faults.route(path, body=data)


@scenario("fault matrix: dropped, lying and restarting servers end in the exact file or a .part the next run finishes")
def fault_matrix(ctx):
    seed = int(os.environ.get(SEED_VARIABLE) or random.randrange(10 ** 6))
    rng = random.Random(seed)
    with FaultServer(lifetime=300) as faults:
        matrix = Matrix(ctx, faults, rng.randbytes(ENGINE_SIZE))
        for index in range(ENGINE_RUNS):
            matrix.attempt(matrix.engine_run, rng, index)
        for index, case in enumerate(PRODUCT_CASES):
            matrix.attempt(product_case, matrix, rng, index, *case)
    c = matrix.counts
    print("fault matrix (seed %d, %s=%d replays it): %d engine runs: %d exact, %d clean errors (%d kept a .part), "
          "%d short on the server's word; their next runs: %d resumed to exact, %d exact from nothing, "
          "%d short (a whole .part answered 416); %d product runs: %d accepted, %d rejected, "
          "%d failed with the .part kept, %d resumed to an accepted file; %d wrong" % (
              seed, SEED_VARIABLE, seed, ENGINE_RUNS, c["engine exact"], c["engine error"], c["engine kept"],
              c["engine short"], c["next resumed"], c["next exact"], c["next short"],
              c["product runs"], c["product accepted"], c["product rejected"],
              c["product failed"], c["product resumed"], len(matrix.wrongs)), flush=True)
    check(not matrix.wrongs, "seed %d: %d wrong: %s" % (seed, len(matrix.wrongs), "; ".join(matrix.wrongs[:3])))
