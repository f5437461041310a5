"""The download fault matrix. Engine runs (the transfer probe) meet random
drops, lengths announced too long and restarts: each ends with the exact file
and its digests as computed beside the transfer, or one reported error and a
true prefix in the .part that the next run finishes. Product runs meet fixed cases judged by MD5 and SHA-256: a length
announced too short, which the engine must believe, and .part files answered
416. TESSARO_FAULT_SEED=N replays the faults (a restart's race aside)."""
import collections
import hashlib
import os
import random
from pathlib import Path

from fault_server import FaultServer
from harness import ScenarioFailed, check, scenario, win_path
from scenarios.download import FAILED, Downloads, downloaded
from scenarios.transfer import Target, contents, probe

SEED_VARIABLE = "TESSARO_FAULT_SEED"
ENGINE_RUNS = 40
ENGINE_SIZE = 300_000
# How long a restarted server stays away: 0 is back before the engine
# reconnects, 0.05 races its seven connection tries, 0.3 outlasts them.
DOWNTIMES = (0, 0.05, 0.3)


def fault(rng, kind=None, downtime=None, tame=False):
    """(description, the fault server's behaviour) of one answer. A quarter of
    the drops fall in the last kilobyte, where a transfer that stops early
    would pass for complete; a tame one leaves the next answer enough to lie about."""
    kind = kind or rng.choice(("drop", "drop", "restart", "longer"))
    if kind in ("longer", "shorter"):
        lie = rng.randint(1, 4096) * (1 if kind == "longer" else -1)
        return "%s%+d" % (kind, lie), {"length": lambda n: max(n + lie, 1)}
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


def engine_run(ctx, faults, rng, data, index, counts):
    """A run with faults; after an error, one that must go on from its .part."""
    path, target = "/engine%d" % index, Target(ctx, "engine%d.bin" % index)
    plan = [fault(rng) for _ in range(rng.randint(1, 3))]
    options = ["--expected-size", ENGINE_SIZE] if rng.random() < 0.5 else []
    what = "engine run %d (%s%s): " % (index, ", ".join(d for d, _ in plan), ", expected size" * bool(options))
    part = None
    for answers in ([b for _, b in plan], []):
        faults.route(path, body=data, answers=answers)
        asked = len(faults.requests_for(path))
        outcome = probe(ctx, "--digests", *options * bool(answers), target.win, faults.url(path))
        check(faults.listening.wait(10), what + "the server did not come back")
        got, kept = target.read(), target.read(target.part)
        codes = [int(e.split()[2], 16) for e in outcome.errors]
        digests = [l.split()[1:] for l in outcome.lines if l.startswith("digests ")]
        check(digests == [[hashlib.md5(got).hexdigest(), hashlib.sha256(got).hexdigest()] if got else ["-", "-"]],
              "%sthe digests beside the transfer were %r" % (what, digests))
        check(got == data and kept is None if outcome.result == 0 else got is None and data.startswith(
            kept or b"") and codes == [outcome.result], "%s0x%08X left %s bytes, a .part of %s, reported %r" % (
            what, outcome.result, got and len(got), kept and len(kept), outcome.errors))
        if part:
            first = faults.requests_for(path)[asked].headers.get("Range")
            check(first == "bytes=%d-" % len(part) and outcome.progress[0] == len(part),
                  "%sasked for %r, first progress %d" % (what, first, outcome.progress[0]))
        counts[("engine " if answers else "next ") + ("resumed" if part else "exact" if got else "error")] += 1
        if got:
            return
        check(answers, what + "failed again")
        counts["engine kept"] += bool(kept)
        what, part = what + "the next run, from %s bytes: " % (kept and len(kept)), kept


# A 416 that gives no length, in place of the route's own "bytes */N".
NO_LENGTH_416 = ("416 without Content-Range", {"status": 416, "body": b"416 page", "headers": {}})
# (what, the .part before the first run ("empty": the file itself is), faults
# of its answers, whether the package gives an MD5 beside the SHA256, how its
# runs end); later runs meet a server that behaves. A 416 body is never the
# file: the .part is, when the 416 gives its length; else the file comes again
# from byte 0.
PRODUCT_CASES = (
    ("three drops", None, ("drop", "drop", "drop"), True, ("accepted",)),
    ("cut short after a drop", None, ("drop", "shorter"), False, ("rejected", "accepted")),
    ("a restart that outlasts the reconnection", None, ("restart",), True, ("failed", "accepted")),
    # Reconnected after the lie, the .part is whole: the 416 to its range completes it.
    ("announced longer after a drop", None, ("drop", "longer"), True, ("accepted",)),
    ("a whole .part answered 416", "whole", (), True, ("accepted",)),
    ("a .part longer than the file", "longer", (), True, ("accepted",)),
    ("a 416 that gives no length", "half", (NO_LENGTH_416,), True, ("accepted",)),
    # An empty file has no digest to match, whether hashed beside the transfer or afterwards.
    ("an empty file", "empty", (), True, ("rejected",)),
)


def product_case(ctx, faults, rng, index, counts, what, start, kinds, with_md5, endings):
    pkg = Downloads(ctx)
    data = b"" if start == "empty" else pkg.serve("setup.exe", rng.randbytes(rng.randrange(1, 50_000)))
    plan = [kind if isinstance(kind, tuple) else fault(rng, kind, downtime=1, tame=True) for kind in kinds]
    what = "product case %d, %s (%s): " % (index, what, ", ".join(d for d, _ in plan))
    path, target = "/product%d/setup.exe" % index, os.path.join(ctx.dir, "dl%d" % index, "setup.exe")
    faults.route(path, body=data, answers=[b for _, b in plan])
    keys = {"SHA256": hashlib.sha256(data).hexdigest(), **({"MD5": hashlib.md5(data).hexdigest()} if with_md5 else {})}
    rejected = ["Download completed succesfully.", "Downloaded file was rejected.(Invalid %s)." % (
        "size or MD5" if with_md5 else "SHA256")]
    part = {"whole": data, "longer": data + b"tail", "half": data[:len(data) // 2]}.get(start)
    if part:
        os.makedirs(os.path.dirname(target))
        Path(target + ".part").write_bytes(part)
    for run, wanted in enumerate(endings):
        at, marker = "%srun %d " % (what, run + 1), "product%d-%d.txt" % (index, run)
        keys.update(Url=faults.url(path), NoUiCommandLine=pkg.writes(marker))
        asked = len(faults.requests_for(path))
        lines = pkg.run([("DownloadFolder", win_path(os.path.dirname(target))), ("KeepFiles", "complete")],
                        [("Faulty", keys)])[1:]
        check(faults.listening.wait(10), what + "the server did not come back")
        ended = ("accepted" if lines[:2] == downloaded("Faulty")[1:] else "rejected" if lines == rejected
                 else "failed" if len(lines) == 1 and lines[0].startswith(FAILED) else repr(lines))
        counts["product " + ended] += 1
        check(ended == wanted, "%sended %s, wanted %s" % (at, ended, wanted))
        got, kept = contents(target), contents(target + ".part")
        check((got == data) == (ended == "accepted") == pkg.wrote(marker),
              "%sleft %s bytes, the setup ran: %s" % (at, got and len(got), pkg.wrote(marker)))
        check((kept is not None) == (ended == "failed") and data.startswith(kept or b""),
              "%skept a .part of %s bytes" % (at, kept and len(kept)))
        if part:
            # A .part that is not the file's start, or a 416 without a length, is asked for again from byte 0.
            sent = [r.headers.get("Range") for r in faults.requests_for(path)[asked:]]
            again = not data.startswith(part) or (run == 0 and NO_LENGTH_416 in plan)
            check(sent == ["bytes=%d-" % len(part)] + [None] * again, "%sasked for %r after a .part of %d bytes" % (
                at, sent, len(part)))
            counts["product resumed"] += ended == "accepted"
        part = kept
        faults.route(path, body=data)


@scenario("fault matrix: dropped, lying and restarting servers end in the exact file or a .part the next run finishes")
def fault_matrix(ctx):
    seed = int(os.environ.get(SEED_VARIABLE) or random.randrange(10 ** 6))
    rng, counts, wrongs = random.Random(seed), collections.Counter(), []
    with FaultServer(lifetime=300) as faults:
        data = rng.randbytes(ENGINE_SIZE)
        runs = [(engine_run, ctx, faults, rng, data, index, counts) for index in range(ENGINE_RUNS)]
        runs += [(product_case, ctx, faults, rng, index, counts, *case) for index, case in enumerate(PRODUCT_CASES)]
        for run, *args in runs:
            try:
                run(*args)
            except ScenarioFailed as e:  # every wrong run is listed, not only the first
                wrongs.append(str(e))
    print("fault matrix (%s=%d replays it): %s; %d wrong" % (SEED_VARIABLE, seed, ", ".join(
        "%d %s" % (n, k) for k, n in sorted(counts.items())), len(wrongs)), flush=True)
    check(not wrongs, "seed %d: %d wrong: %s" % (seed, len(wrongs), "; ".join(wrongs[:3])))
