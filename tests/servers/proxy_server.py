"""tinyproxy (Debian's package) on 127.0.0.1 from a generated configuration,
demanding Basic credentials when given auth=(user, password); log() is its
log, one "Request" line for each request it took. It gets SIGTERM when the
thread that started it ends."""
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from fault_server import free_port

TINYPROXY = "/usr/bin/tinyproxy"


class ProxyServer:
    def __init__(self, auth=None):
        self.auth, self.port = auth, free_port()
        self.address = "127.0.0.1:%d" % self.port

    def __enter__(self):
        self._dir = tempfile.mkdtemp(prefix="tessaro-proxy-")
        os.chmod(self._dir, 0o777)  # it writes its log as nobody
        conf = Path(self._dir, "proxy.conf")
        conf.write_text("Port %d\nListen 127.0.0.1\nAllow 127.0.0.1\nLogLevel Info\nLogFile \"%s/proxy.log\"\n%s" % (
            self.port, self._dir, "BasicAuth %s %s\n" % self.auth if self.auth else ""))
        drop = ["--reuid=nobody", "--regid=nogroup", "--clear-groups"] if os.geteuid() == 0 else []
        self._proc = subprocess.Popen(["setpriv", "--pdeathsig", "TERM", *drop, TINYPROXY, "-d", "-c", str(conf)],
                                      stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if "Accepting connections" in self.log() or self._proc.poll() is not None:
                break
            time.sleep(0.05)
        if "Accepting connections" not in self.log():
            self.__exit__()
            raise RuntimeError("tinyproxy did not start (scripts/install-deps.sh installs it)")
        return self

    def __exit__(self, *exc):
        self._proc.terminate()
        self._proc.wait(timeout=10)
        shutil.rmtree(self._dir, ignore_errors=True)

    def log(self):
        path = Path(self._dir, "proxy.log")
        return path.read_text(errors="replace") if path.exists() else ""
