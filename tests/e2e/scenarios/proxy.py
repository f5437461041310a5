"""Downloads through a proxy, and the credentials a server or a proxy asks for, asked in basic UI only."""
from fault_server import FaultServer
from harness import check, scenario
from proxy_server import ProxyServer
from scenarios.basic_ui import TITLE, Run
from scenarios.download import ABSENT, FAILED, Downloads, downloaded, md5
from web_server import WebServer

ASKED = "Enter a user name and password for %s (127.0.0.1)."


@scenario("proxy: a download through Proxy arrives and verifies; a host in ProxyBypass is fetched directly")
def through_proxy(ctx):
    pkg = Downloads(ctx)
    data = pkg.serve("a.exe")
    with WebServer(pkg.served) as web, ProxyServer() as proxy:
        lines = pkg.run([("Proxy", proxy.address), ("ProxyBypass", "localhost")], [
            (name, {"Url": url, "MD5": md5(data), "Folder": name, "NoUiCommandLine": pkg.writes(name)})
            for name, url in (("Proxied", web.url("a.exe")), ("Bypassing", "http://localhost:%d/a.exe" % web.port))])
        direct = len(web.requests())
        taken = [line.split("): ")[1] for line in proxy.log().splitlines() if "Request (" in line]
    check(lines == downloaded("Proxied") + downloaded("Bypassing") + lines[6:] and pkg.wrote("Bypassing"),
          "log: %s" % lines)
    check(taken == ["GET %s HTTP/1.0" % web.url("a.exe")] and direct == 2, "the proxy took %s" % taken)


@scenario("credentials: basic UI asks a proxy's and a server's in the system's dialog, again after a wrong password, "
          "and the file arrives; no password is logged; silent mode fails without asking")
def credentials(ctx):
    pkg = Downloads(ctx)
    data = pkg.serve("a.exe")
    with FaultServer() as server, ProxyServer(auth=("proxyuser", "pr0xy")) as proxy:
        server.route("/tool.exe", body=data, auth=("alice", "s3cret", "Files"))
        tool = {"Url": server.url("/tool.exe"), "MD5": md5(data), "BasicUiCommandLine": pkg.writes("tool")}
        pkg.general, pkg.sections, pkg.options = [("Proxy", proxy.address)], [("Tool", [*tool.items()] + ABSENT)], "b"
        with Run(pkg) as run:
            asked = [run.ask("credentials " + typed) for typed in ("proxyuser pr0xy", "alice wrong", "alice s3cret")]
            run.ended(0)
        check([a[1:] for a in asked] == [[TITLE, ASKED % "Tinyproxy"]] + [[TITLE, ASKED % "Files"]] * 2,
              "asked: %s" % asked)
        logged = "\n".join(pkg.lines)
        check(pkg.after("Starting download of:Tool", 5)[3:] == downloaded("Tool")[1:] and pkg.wrote("tool") and
              not any(word in logged for word in ("pr0xy", "wrong", "s3cret")), "log: %s" % pkg.lines)
        pkg.options = "q"
        lines = pkg.run(pkg.general, [("Tool", tool)])
    check(lines == ["Starting download of:Tool", FAILED + str(0xE0000012 - (1 << 32))], "silent: %s" % lines)
