"""Trusted https through a test authority in the prefix's machine root store, setups taken only from
their "Signer", and a checked setup that nothing replaces or deletes until it has run."""
import hashlib
import os
import struct
import subprocess
import time
from pathlib import Path

from harness import WINE, check, scenario, win_path
from scenarios.download import ABSENT, Downloads
from web_server import WebServer, certificate

ROOTS = r"HKLM\Software\Microsoft\SystemCertificates\Root\Certificates"
PUBLISHER = "Tessaro Test Publisher"


@scenario("trust: https trusted through a test authority, setups accepted only from their Signer")
def trusted_https_and_signer(ctx):
    pkg, signing = Downloads(ctx), "extendedKeyUsage=codeSigning"
    authority = certificate(ctx.dir, "Tessaro Test Authority %d" % os.getpid(), "basicConstraints=critical,CA:TRUE")
    pkg.serve("unsigned.exe")
    for name, cert in [("signed", certificate(ctx.dir, PUBLISHER, signing, authority)),
                       ("other", certificate(ctx.dir, "Other Publisher", signing, authority)),
                       ("self", certificate(ctx.package, PUBLISHER, signing))]:
        subprocess.run(["osslsigncode", "sign", "-certs", cert[0], "-key", cert[1], "-in", ctx.helper("exit_with"),
                        "-out", os.path.join(pkg.served, name + ".exe")], check=True, capture_output=True)
    # A byte of the code, not of the tail, which may be padding that the signature leaves out.
    changed = bytearray(Path(pkg.served, "signed.exe").read_bytes())
    changed[len(changed) // 2] ^= 1
    Path(pkg.served, "changed.exe").write_bytes(changed)
    # The store keeps a certificate under its SHA-1 as the serialized encoded-certificate property (32).
    der = subprocess.run(["openssl", "x509", "-in", authority[0], "-outform", "DER"], capture_output=True).stdout
    entry = ROOTS + "\\" + hashlib.sha1(der).hexdigest().upper()
    blob = (struct.pack("<III", 32, 1, len(der)) + der).hex()
    check(ctx.reg("add", entry, "/v", "Blob", "/t", "REG_BINARY", "/d", blob, "/f")[0] == 0, "the root was refused")
    done, rejected = "Download completed succesfully.", "Downloaded file was rejected.(Invalid signature)."
    try:
        with WebServer(pkg.served, https=certificate(ctx.dir, "localhost", "subjectAltName=DNS:localhost",
                                                      authority)) as web:
            # Silent runs ask no question: a certificate is trusted, or the download fails. Wine matches no
            # address in a certificate, and Windows finds none in this one.
            for what, name, host, signer, then in [
                    ("accepted", "signed", "localhost", PUBLISHER, [done, "Downloaded file was accepted."]),
                    ("by address", "signed", "127.0.0.1", PUBLISHER, ["Download failed. Error:12038"]),
                    ("other case", "signed", "localhost", PUBLISHER.lower(), [done, rejected]),
                    ("other signer", "other", "localhost", PUBLISHER, [done, rejected]),
                    # Wine's trust provider passes this one: only the signer's chain tells.
                    ("untrusted root", "self", "localhost", PUBLISHER, [done, rejected]),
                    ("unsigned", "unsigned", "localhost", PUBLISHER, [done, rejected]),
                    ("one byte changed", "changed", "localhost", PUBLISHER, [done, rejected])]:
                url = web.url(name + ".exe", True).replace("127.0.0.1", host)
                lines = pkg.run([], [(what, {"Url": url, "Signer": signer, "NoUiCommandLine": pkg.writes(what)})])
                check(lines[1:3] == then and pkg.wrote(what) == (what == "accepted"), "%s: %s" % (what, lines))
    finally:
        ctx.reg("delete", entry, "/f")


def attack(ctx, path):
    """What |path| holds after a program in the prefix tried to write over it, then to delete it."""
    subprocess.run([WINE, "cmd", "/c", "echo replaced>%s & del %s" % (win_path(path), win_path(path))],
                   env=ctx.env(), capture_output=True, timeout=60)
    return Path(path).read_bytes() if os.path.exists(path) else None


@scenario("download: a checked setup can be neither replaced nor deleted until its own setup has ended")
def held_until_run(ctx):
    pkg, go, target = Downloads(ctx), os.path.join(ctx.dir, "go"), os.path.join(ctx.dir, "second.exe")
    second = pkg.serve("second.exe")
    Path(pkg.served, "first.exe").write_bytes(Path(ctx.helper("mutex_holder")).read_bytes())
    with WebServer(pkg.served) as web:
        pkg.general = [("DownloadFolder", win_path(ctx.dir)), ("KeepFiles", "complete")]
        pkg.sections = [(n, [("Url", web.url(n + ".exe")), ("NoUiCommandLine", c)] + ABSENT) for n, c in [
            ("first", "tessaro-held 60000 \"%s\"" % win_path(go)), ("second", pkg.writes("ran"))]]
        proc, deadline = ctx.spawn(pkg.write()), time.monotonic() + 90
        try:
            while "first.exe" not in (ctx.read_log(pkg.log) or "").split("Launching file:")[-1]:
                check(time.monotonic() < deadline, "the first setup did not start: %s" % ctx.read_log(pkg.log))
                time.sleep(0.1)
            # While the first setup runs, the second is checked and waits for its turn.
            during = attack(ctx, target)
        finally:
            Path(go).touch()
            proc.wait(timeout=120)
    pkg.read()
    check(during == second and pkg.wrote("ran"), "while held: %r; %s" % (during and len(during), pkg.lines))
    check(attack(ctx, target) is None, "the file stayed held after its setup had ended")
