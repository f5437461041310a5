"""tinyproxy (Debian's) as nobody on 127.0.0.1 from a generated configuration; with auth=(user, password) it
demands Basic credentials. Yields its address and a reader of its log ("Request" lines). SIGTERM ends it with us."""
import contextlib
import os
import subprocess
import tempfile
import time
from pathlib import Path

from fault_server import free_port


@contextlib.contextmanager
def proxy_server(auth=None):
    with tempfile.TemporaryDirectory(prefix="tessaro-proxy-") as folder:
        os.chmod(folder, 0o777)
        log, conf, port = Path(folder, "proxy.log"), Path(folder, "proxy.conf"), free_port()
        conf.write_text('Port %d\nListen 127.0.0.1\nLogLevel Info\nLogFile "%s"\n' % (port, log)
                        + ("BasicAuth %s %s\n" % auth if auth else ""))
        drop = ["--reuid=nobody", "--regid=nogroup", "--clear-groups"] if os.geteuid() == 0 else []
        proc = subprocess.Popen(["setpriv", "--pdeathsig", "TERM", *drop, "tinyproxy", "-d", "-c", conf],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def read():
            return log.read_text(errors="replace") if log.exists() else ""
        try:
            for _ in range(200):
                if "Accepting connections" in read():
                    break
                time.sleep(0.05)
            else:
                raise RuntimeError("tinyproxy (scripts/install-deps.sh installs it) did not start: " + read())
            yield "127.0.0.1:%d" % port, read
        finally:
            proc.terminate()
            proc.wait(timeout=10)
