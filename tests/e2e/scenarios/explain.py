"""tessaro-check --explain: the product's own evaluator decides on this machine, and the checker tells what
each search saw and how each prerequisite came to its state, without installing, downloading or logging."""
import os
import re
import shutil
import subprocess

from harness import check, scenario, win_path, WINE
from scenarios.decision import PLATFORM_64, check_program
from scenarios.install import LAUNCH_PRODUCT

COMPONENT = LAUNCH_PRODUCT[:-3] + "03}"


@scenario("explain: registry, file, installer and check-program searches told as they ran; operators, filters, "
          "parents, states and the download path; nothing changed", alone=True)
def explain(ctx):
    key = r"HKCU\Software\Tessaro Tests\e2e_explain_%d" % os.getpid()
    shutil.copy(ctx.helper("versioned_file"), os.path.join(ctx.package, "versioned.dll"))  # 2.5.7.9
    os.makedirs(os.path.join(ctx.package, "dl"))
    with open(os.path.join(ctx.package, "dl", "too_old.exe"), "wb") as f:
        f.write(b"abc")
    ran = os.path.join(ctx.dir, "check.ran")
    _, program, extra = check_program(ctx, 3, ran)
    setup, value = ("SetupFile", "setup.exe"), key + r"\Version"
    prerequisites = [
        ("InRange", [setup, ("SearchType1", "2"), ("SearchString1", value), ("VerMin1", "2.0"), ("VerMax1", "3.0")]),
        ("TooOld", [("Url", "http://127.0.0.1:9/get/too_old.exe"), ("ExactSize", "3"), ("SearchType1", "2"),
                    ("SearchString1", value), ("VerMin1", "3.0")]),
        ("Product", [setup, ("SearchType1", "3"), ("SearchString1", LAUNCH_PRODUCT), ("VerMin1", "1.0"),
                     ("SearchType2", "11"), ("SearchString2", COMPONENT)]),
        ("FileOrCheck", [setup, ("Operator", "1"), ("SearchType1", "0"), ("VerMin1", "2.6"),
                         ("SearchString1", "[SETUPEXEDIR]versioned.dll"), ("SearchType2", "10"),
                         ("SearchString2", program), ("SearchCmdLine2", extra["SearchCmdLine"])]),
        ("Child", [setup, ("ParentPrereq", "InRange"), ("SearchType1", "7"), ("SearchString1", key + r"\Missing")]),
        ("Excluded", [setup, ("WinNT64Versions", PLATFORM_64), ("SearchType1", "5"), ("SearchString1", key)]),
    ]
    ini = ctx.write_ini([("GeneralOptions", [("Options", "q"), ("DownloadFolder", "dl")]),
                         ("PREREQUISITES", [("App%d" % i, p[0]) for i, p in enumerate(prerequisites, 1)])]
                        + prerequisites + [("PREREQ_CHAINER", [("LogFile", "explain.log")])])
    installer = [WINE, "msiexec", "/i", win_path(os.path.join(ctx.helpers, "launch_product.msi")), "/qn"]
    try:
        check(ctx.reg("add", key, "/v", "Version", "/d", "2.5", "/f")[0] == 0, "reg add failed")
        check(subprocess.run(installer, env=ctx.env(), capture_output=True, timeout=300).returncode == 0, "msiexec /i")
        done = subprocess.run([WINE, ctx.helper("tessaro-check"), "--explain", win_path(ini)], env=ctx.env(),
                              capture_output=True, text=True, timeout=120, stdin=subprocess.DEVNULL)
    finally:
        installer[2] = "/x"
        subprocess.run(installer, env=ctx.env(), capture_output=True, timeout=300)
        ctx.reg("delete", key, "/f")
    out = done.stdout.replace("\r", "")
    blocks = {block.split("\n", 1)[0]: block for block in re.split(r"^\d+\. ", out, flags=re.M)[1:]}
    package = win_path(ctx.package)
    expected = {
        "InRange": ['found "2.5"', "bounds at least 2.0, at most 3.0: match", "children:   Child",
                    "state:      Found:", "processed:  no"],
        "TooOld": ["bounds at least 3.0: no match", "state:      MustDownload:",
                   "processed:  yes, as AlreadyDownloaded", "download:   %s\\dl\\too_old.exe" % package],
        "Product": ['found "1.2.3"', "installer state 3 (installed locally)", "2 of 2 searches ran: found"],
        "FileOrCheck": ["looked for %s\\versioned.dll" % package, "versioned.dll: version 2.5.7.9",
                        "bounds at least 2.6: no match", "exit code 3\n", "state:      InstallFromPackage:",
                        "(Operator=1); 2 of 2 searches ran: not found"],
        "Child": ["the value does not exist", "parent:     InRange (Found, not selected)",
                  "yes, as InstallFromPackage"],
        "Excluded": ["this system is excluded", "languages:  not tested", "searches:   not run", "OsNotSupported:"],
    }
    for name, words in expected.items():
        missing = [w for w in words if w not in blocks.get(name, "")]
        check(not missing, "%s lacks %s in %r" % (name, missing, blocks.get(name)))
    check(done.returncode == 0 and "warning" not in out, "exit %d: %s" % (done.returncode, out[:400]))
    check(os.path.exists(ran), "the check program did not run")
    check(not os.path.exists(os.path.join(ctx.package, "explain.log")) and os.path.exists(ini)
          and os.path.getsize(os.path.join(ctx.package, "dl", "too_old.exe")) == 3, "explain changed the package")
