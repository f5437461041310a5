"""Downloads through a proxy, and the credentials a server or a proxy asks for, asked in basic UI only."""
from fault_server import FaultServer
from harness import check, scenario
from proxy_server import proxy_server
from scenarios.basic_ui import TITLE, Run
from scenarios.download import ABSENT, FAILED, Downloads, downloaded, md5


@scenario("proxy and credentials: a proxy's and a server's asked in basic UI, ProxyBypass, silent mode never asks")
def proxy_and_credentials(ctx):
    pkg = Downloads(ctx)
    data = pkg.serve("a.exe")
    with FaultServer() as server, proxy_server(auth=("proxy", "pr0xy")) as (address, proxy_log):
        server.route("/tool.exe", body=data, auth=("alice", "s3cret", "Files"))
        server.route("/direct.exe", body=data)
        prereqs = [(name, {"Url": url, "MD5": md5(data), "Folder": name, "BasicUiCommandLine": pkg.writes(name)})
                   for name, url in (("Tool", "http://localhost:%d/tool.exe" % server.port),
                                     ("Direct", server.url("/direct.exe")))]
        pkg.general = [("Proxy", address), ("ProxyBypass", "127.0.0.1")]
        pkg.sections, pkg.options = [(name, [*keys.items()] + ABSENT) for name, keys in prereqs], "b"
        with Run(pkg) as run:
            asked = [run.ask("credentials " + typed)[1:] for typed in ("proxy pr0xy", "alice wr0ng", "alice s3cret")]
            run.ended(0)
        hosts = ["Tinyproxy (127.0.0.1)", "Files (localhost)", "Files (localhost)"]
        check(asked == [[TITLE, "Enter a user name and password for %s." % host] for host in hosts], asked)
        check(pkg.after("Starting download of:Tool", 8) == ["Credentials were entered for " + host.split("(")[1][:-1]
                                                            for host in hosts] + downloaded("Tool")[1:] +
              downloaded("Direct") and pkg.wrote("Tool") and pkg.wrote("Direct"), "log: %s" % pkg.lines)
        check(not any(word in "\n".join(pkg.lines) for word in ("pr0xy", "wr0ng", "s3cret")), "a password was logged")
        taken = proxy_log()
        check("GET http://localhost:%d/tool.exe HTTP/1.0" % server.port in taken and "direct.exe" not in taken,
              "the proxy took %s" % taken)
        pkg.options = "q"
        lines = pkg.run(pkg.general, prereqs)
    check(lines[:5] == ["Starting download of:Tool", FAILED + str(0xE0000012 - (1 << 32))] + downloaded("Direct"),
          "silent: %s" % lines)
