"""The download step: setups fetched, checked, installed and deleted unless KeepFiles keeps them."""
import hashlib
import os
import shutil
import subprocess
from pathlib import Path

from harness import check, scenario, win_path
from scenarios.install import Package
from web_server import WebServer

# A key nobody creates: a prerequisite searched there is always missing.
ABSENT = [("SearchType1", "5"), ("SearchString1", r"HKCU\Software\Tessaro Tests\e2e download absent")]
# The engine's code for a 404 has no system text: ErrorText gives it in decimal.
FAILED = "Download failed. Error:"
NOT_FOUND = FAILED + str(0xE0000018 - (1 << 32))
STEP_LINES = ("Starting download of:", "Download completed succesfully.", "Downloaded file was accepted.",
              "Downloaded file was rejected.(", FAILED, "Launching file:")


class Downloads(Package):
    """A package whose prerequisites are downloads served from |served|."""

    def __init__(self, ctx):
        super().__init__(ctx)
        self.served = os.path.join(ctx.dir, "served")

    def serve(self, name, tail=b""):
        """Serves the fake setup, with |tail| to tell files apart, as |name|; returns its bytes."""
        path = os.path.join(self.served, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = Path(self.ctx.helper("exit_with")).read_bytes() + tail
        Path(path).write_bytes(data)
        return data

    def run(self, general, prereqs, expected_code=0):
        """A silent run of the prerequisites [(name, {key: value})]; returns the log's step lines."""
        self.general = general
        self.sections = [(name, list(keys.items()) + ABSENT) for name, keys in prereqs]
        super().run(expected_code, timeout=180)
        return [l for l in self.lines if l.startswith(STEP_LINES)]

    def wrote(self, name):
        return os.path.exists(os.path.join(self.ctx.dir, name))

    def writes(self, name):
        return "0 --write \"%s\"" % win_path(os.path.join(self.ctx.dir, name))


def md5(data):
    return hashlib.md5(data).hexdigest()


def downloaded(name):
    return ["Starting download of:" + name, "Download completed succesfully.", "Downloaded file was accepted."]


@scenario("download: accepted by size and MD5 and installed, rejected, failed, and KeepFiles")
def accepted_and_rejected(ctx):
    pkg = Downloads(ctx)
    upper = pkg.serve("setup_a.exe")
    long_md5 = pkg.serve("sub/setup_b.exe", b"b")
    pkg.serve("setup_c.exe", b"c")
    dl, dl2, dl3 = (os.path.join(ctx.dir, name) for name in ("dl", "dl2", "dl3"))
    sha256 = hashlib.sha256(upper).hexdigest()
    with WebServer(pkg.served) as web:
        # Silent: a rejected file ends the step, yet what was accepted before it is installed.
        lines = pkg.run([("DownloadFolder", win_path(dl)), ("KeepFiles", "complete")], [
            ("Upper", {"Url": web.url("setup_a.exe"), "ExactSize": str(len(upper)), "MD5": md5(upper).upper(),
                       "SHA256": sha256.upper(), "Folder": "tools", "NoUiCommandLine": pkg.writes("upper.txt")}),
            ("Long", {"Url": web.url("sub/setup_b.exe?lang=en"), "MD5": md5(long_md5) + "-and-more",
                      "Folder": "?renamed.exe", "NoUiCommandLine": pkg.writes("long.txt")}),
            ("Missing", {"Url": web.url("missing.exe")}),
            ("Tampered", {"Url": web.url("setup_c.exe"), "MD5": md5(upper), "Folder": r"bad\deeper"}),
            ("Later", {"Url": web.url("setup_a.exe"), "Folder": "later"}),
        ])
        check(lines == downloaded("Upper") + downloaded("Long") +
              ["Starting download of:Missing", NOT_FOUND,
               "Starting download of:Tampered", "Download completed succesfully.",
               "Downloaded file was rejected.(Invalid size or MD5).",
               "Launching file:" + win_path(os.path.join(dl, "tools", "setup_a.exe")),
               "Launching file:" + win_path(os.path.join(dl, "renamed.exe"))], "log: %s" % lines)
        check(pkg.wrote("upper.txt") and pkg.wrote("long.txt"), "the downloaded setups did not run")
        # "Later" comes after the rejected file: never asked for.
        requested = [r["uri"] for r in web.requests()]
        check(requested.count("/setup_a.exe") == 1, "requests: %s" % requested)
        # "complete" keeps every accepted file; the rejected one went with the folders it had made.
        check(Path(dl, "tools", "setup_a.exe").read_bytes() == upper and sorted(os.listdir(dl)) == [
            "renamed.exe", "tools"] and os.listdir(os.path.join(dl, "tools")) == ["setup_a.exe"],
            "kept: %s" % ctx.files_under(dl))

        # A SHA256 that is not 64 hexadecimal digits rejects the file however right its size is.
        lines = pkg.run([("DownloadFolder", win_path(dl3)), ("KeepFiles", "complete")], [
            ("Replaced", {"Url": web.url("setup_a.exe"), "ExactSize": str(len(upper)),
                          "SHA256": sha256[:-1] + "g", "NoUiCommandLine": pkg.writes("replaced.txt")})])
        check(lines == ["Starting download of:Replaced", "Download completed succesfully.",
                        "Downloaded file was rejected.(Invalid SHA256 value)."], "log: %s" % lines)
        check(not pkg.wrote("replaced.txt") and os.listdir(dl3) == [], "the rejected setup ran or was left")

        # A mandatory download that fails (a file is in the way of its folder)
        # ends the step; silent mode still installs what it has, and the run
        # ends with 1. "minimum" deletes the download (its folders too, but
        # under Wine a setup's folder stays busy a moment after it ends).
        os.makedirs(dl2)
        open(os.path.join(dl2, "blocker"), "w").close()
        lines = pkg.run([("DownloadFolder", win_path(dl2)), ("KeepFiles", "minimum")], [
            ("Fetched", {"Url": web.url("setup_a.exe")}),
            ("Required", {"Url": web.url("setup_a.exe"), "Folder": r"blocker\sub", "Options": "m"}),
        ], expected_code=1)
    check(lines[:4] + lines[5:] == downloaded("Fetched") + ["Starting download of:Required", "Launching file:"
          + win_path(os.path.join(dl2, "setup_a.exe"))] and len(lines) == 6 and lines[4].startswith(FAILED)
          and lines[4] != FAILED, "log: %s" % lines)
    check(os.listdir(dl2) == ["blocker"], "left in the download folder: %s" % ctx.files_under(dl2))


@scenario("download: a file URL is not downloaded; its setup runs from the drive or the share it names")
def file_urls(ctx):
    pkg = Downloads(ctx)
    pkg.serve("tools/setup.exe")
    # Wine reaches \\SERVER\share through the prefix's dosdevices\unc.
    server = "tessaro-share-%d" % os.getpid()
    unc = os.path.join(ctx.prefix, "dosdevices", "unc", server)
    os.makedirs(unc, exist_ok=True)
    os.symlink(pkg.served, os.path.join(unc, "share"))
    share = "\\\\%s\\share\\tools\\setup.exe" % server
    drive = win_path(os.path.join(pkg.served, "tools", "setup.exe"))
    try:
        lines = pkg.run([], [
            ("Share", {"Url": "file://%s/share/tools/setup.exe" % server, "NoUiCommandLine": pkg.writes("a.txt")}),
            ("Slashes", {"Url": "FILE:////%s/share/tools/setup.exe" % server, "NoUiCommandLine": pkg.writes("b.txt")}),
            ("Drive", {"Url": "file:///" + drive.replace("\\", "/"), "NoUiCommandLine": pkg.writes("c.txt")}),
        ])
        # The checker lists the same path (from an unused copy: a run deletes its configuration).
        listing = subprocess.run([os.path.join(ctx.build, "host", "bin", "tessaro-check"), pkg.write()[:-4] + ".ini"],
                                 capture_output=True, text=True, timeout=60).stdout
    finally:
        shutil.rmtree(unc)
        if not os.listdir(os.path.dirname(unc)):
            os.rmdir(os.path.dirname(unc))
    check(lines == ["Launching file:" + share] * 2 + ["Launching file:" + drive], "log: %s" % lines)
    check(all(pkg.wrote(name) for name in ("a.txt", "b.txt", "c.txt")), "a setup did not run")
    check("not downloaded, run from %s (Url)" % share in listing, "the checker lists %s" % listing)
