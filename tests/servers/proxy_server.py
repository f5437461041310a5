"""tinyproxy (Debian's package) on 127.0.0.1 from a generated configuration,
demanding Basic credentials when given auth=(user, password). Yields its
address and a function that reads its log, with a "Request" line for each
request it took. It gets SIGTERM when the thread that started it ends."""
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
        os.chmod(folder, 0o777)  # its log is written as nobody
        log, conf, port = Path(folder, "proxy.log"), Path(folder, "proxy.conf"), free_port()
        conf.write_text('Port %d\nListen 127.0.0.1\nLogLevel Info\nLogFile "%s"\n%s'
                        % (port, log, "BasicAuth %s %s\n" % auth if auth else ""))
        drop = ["--reuid=nobody", "--regid=nogroup", "--clear-groups"] if os.geteuid() == 0 else []
        proc = subprocess.Popen(["setpriv", "--pdeathsig", "TERM", *drop, "tinyproxy", "-d", "-c", conf],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def read():
            return log.read_text(errors="replace") if log.exists() else ""
        try:
            for _ in range(200):
                if "Accepting connections" in read() or proc.poll() is not None:
                    break
                time.sleep(0.05)
            if "Accepting connections" not in read():
                raise RuntimeError("tinyproxy did not start (scripts/install-deps.sh installs it): " + read())
            yield "127.0.0.1:%d" % port, read
        finally:
            proc.terminate()
            proc.wait(timeout=10)
