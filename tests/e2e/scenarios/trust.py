"""Trust: HTTPS from a server whose authority the prefix trusts, setups taken only from the publisher
named in "Signer", and a checked setup that nothing can replace or delete until it has run."""
import hashlib
import os
import struct
import subprocess
import time
from pathlib import Path

from harness import WINE, check, scenario, win_path
from scenarios.download import ABSENT, Downloads, downloaded
from scenarios.transfer import DATA, transfer
from web_server import WebServer

ROOTS = r"HKLM\Software\Microsoft\SystemCertificates\Root\Certificates"
PUBLISHER = "Tessaro Test Publisher"


class TestAuthority:
    """A certificate authority made for one scenario and trusted by the prefix's machine root store
    while it lasts: the store's registry key holds each certificate as a serialized property, the
    encoded certificate (32), under its SHA-1."""

    def __init__(self, ctx):
        self.ctx, self.dir = ctx, os.path.join(ctx.dir, "authority")
        os.makedirs(self.dir)
        self.cert, self.key = self.make("ca", "Tessaro Test Authority %d" % os.getpid(),
                                         "basicConstraints=critical,CA:TRUE", "keyUsage=critical,keyCertSign",
                                         issued=False)
        der = subprocess.run(["openssl", "x509", "-in", self.cert, "-outform", "DER"], capture_output=True,
                             check=True).stdout
        self.entry = ROOTS + "\\" + hashlib.sha1(der).hexdigest().upper()
        self.blob = struct.pack("<III", 32, 1, len(der)) + der

    def __enter__(self):
        code, out = self.ctx.reg("add", self.entry, "/v", "Blob", "/t", "REG_BINARY", "/d", self.blob.hex(), "/f")
        check(code == 0, "the authority was not added to the root store: %s" % out)
        return self

    def __exit__(self, *exc):
        self.ctx.reg("delete", self.entry, "/f")

    def make(self, name, common_name, *extensions, issued=True):
        cert, key = (os.path.join(self.dir, name + ext) for ext in (".pem", ".key"))
        issuer = ["-CA", self.cert, "-CAkey", self.key] if issued else []
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj",
                        "/CN=" + common_name, "-keyout", key, "-out", cert, *issuer,
                        *[a for e in extensions for a in ("-addext", e)]],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return cert, key

    def sign(self, source, target, common_name, issued=True):
        """|source| signed as |target| with a new certificate for |common_name|: from the authority, or
        |issued|=False, from itself."""
        cert, key = self.make(os.path.basename(target), common_name, "extendedKeyUsage=codeSigning", issued=issued)
        subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-n", "Test setup", "-in", source,
                        "-out", target], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Path(target).read_bytes()


@scenario("trust: https trusted through a test authority, setups accepted only from their Signer")
def trusted_https_and_signer(ctx):
    authority = TestAuthority(ctx)
    server = authority.make("localhost", "localhost", "subjectAltName=DNS:localhost",
                             "extendedKeyUsage=serverAuth")
    pkg = Downloads(ctx)
    plain = pkg.serve("unsigned.exe")
    Path(pkg.served, "data.bin").write_bytes(DATA)
    signed = authority.sign(ctx.helper("exit_with"), os.path.join(pkg.served, "signed.exe"), PUBLISHER)
    authority.sign(ctx.helper("exit_with"), os.path.join(pkg.served, "other.exe"), "Another Publisher")
    authority.sign(ctx.helper("exit_with"), os.path.join(pkg.served, "self.exe"), PUBLISHER, issued=False)
    # A changed byte in the code, not in the tail, which may be padding the signature leaves out.
    changed = bytearray(signed)
    changed[len(changed) // 2] ^= 0xFF
    Path(pkg.served, "changed.exe").write_bytes(changed)
    check(plain != signed, "osslsigncode left the setup as it was")
    with authority, WebServer(pkg.served, https=server) as web:
        local = web.url("data.bin", https=True).replace("127.0.0.1", "localhost")
        transfer(ctx, "a server the prefix trusts", [local], content=DATA)
        # Wine matches no IP address in a certificate; Windows finds no such name in this one.
        transfer(ctx, "the same server by its address", [web.url("data.bin", https=True)], ["--answer", 1],
                 12038, ["-", "data.bin"])
        rejected = ["Downloaded file was rejected.(Invalid signature)."]
        for what, name, signer, ends in [
                ("the right signer", "signed.exe", PUBLISHER, downloaded("")[2:]),
                ("a name that differs only in case", "signed.exe", PUBLISHER.lower(), rejected),
                ("another signer", "other.exe", PUBLISHER, rejected),
                # Wine's trust provider accepts this one: only the signer's chain tells.
                ("the right name from an untrusted authority", "self.exe", PUBLISHER, rejected),
                ("an unsigned setup", "unsigned.exe", PUBLISHER, rejected),
                ("a signed setup with one byte changed", "changed.exe", PUBLISHER, rejected)]:
            url = web.url(name, https=True).replace("127.0.0.1", "localhost")
            marker = "ran %s.txt" % what
            lines = pkg.run([("DownloadFolder", win_path(os.path.join(ctx.dir, "dl")))], [
                (what, {"Url": url, "Signer": signer, "NoUiCommandLine": pkg.writes(marker)})])
            ran = ends != rejected
            check(lines[1:3] == ["Download completed succesfully."] + ends and pkg.wrote(marker) == ran,
                  "%s: %s, the setup %s" % (what, lines, "ran" if pkg.wrote(marker) else "did not run"))


def attack(ctx, path, replacement):
    """What |path| holds after a program in the prefix copied |replacement| over it, then after a
    program deleted it."""
    held = []
    for command in (["copy", "/y", win_path(replacement), win_path(path)], ["del", win_path(path)]):
        subprocess.run([WINE, "cmd", "/c", *command], env=ctx.env(), cwd=ctx.dir, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        held.append(Path(path).read_bytes() if os.path.exists(path) else None)
    return held


@scenario("download: a checked setup can be neither replaced nor deleted until its own setup has ended")
def held_until_run(ctx):
    pkg = Downloads(ctx)
    first, second = pkg.serve("first.exe", b"1"), pkg.serve("second.exe", b"2")
    replacement = os.path.join(ctx.dir, "replacement.exe")
    Path(replacement).write_bytes(b"not the checked setup")
    dl = os.path.join(ctx.dir, "dl")
    running, go = os.path.join(ctx.dir, "running.txt"), os.path.join(ctx.dir, "go.txt")
    with WebServer(pkg.served) as web:
        pkg.general = [("DownloadFolder", win_path(dl)), ("KeepFiles", "complete")]
        pkg.sections = [(name, [("Url", web.url(name + ".exe")), ("ExactSize", str(len(data))),
                                ("NoUiCommandLine", command)] + ABSENT) for name, data, command in [
            ("first", first, "%s --wait-for \"%s\"" % (pkg.writes("running.txt"), win_path(go))),
            ("second", second, pkg.writes("second ran.txt"))]]
        proc = ctx.spawn(pkg.write())
        try:
            deadline = time.monotonic() + 90
            while not os.path.exists(running) and proc.poll() is None and time.monotonic() < deadline:
                time.sleep(0.1)
            check(os.path.exists(running), "the first setup did not start")
            # The running setup, and the checked one whose turn comes next.
            during = [attack(ctx, os.path.join(dl, name + ".exe"), replacement) for name in ("first", "second")]
        finally:
            Path(go).touch()
            proc.wait(timeout=120)
    pkg.read()
    check(during == [[first, first], [second, second]], "replaced or deleted while held: %r" % [
        [None if d is None else len(d) for d in pair] for pair in during])
    check(pkg.wrote("second ran.txt") and "Return code of launched file:0" in pkg.lines,
          "the second setup did not run: %s" % pkg.lines)
    # Once its setup has ended the file is free: the same attempts now succeed.
    after = attack(ctx, os.path.join(dl, "second.exe"), replacement)
    check(after == [b"not the checked setup", None], "after the run: %r" % after)
