"""nginx, unprivileged, serving one folder on 127.0.0.1, and on request an
HTTPS twin with a self-signed certificate or the one it is given;
requests() reads its access log.
nginx gets SIGTERM when the thread that started it ends."""
import json
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from fault_server import free_port

NGINX = "/usr/sbin/nginx"
# Gives nginx a parent-death signal (util-linux, always present).
SETPRIV = "/usr/bin/setpriv"

LOG_FORMAT = ('{"method":"$request_method","uri":"$request_uri","range":"$http_range",'
              '"if_modified_since":"$http_if_modified_since","status":$status,"body_bytes":$body_bytes_sent}')

CONFIG = """daemon off;
master_process off;
pid {dir}/nginx.pid;
error_log {dir}/error.log warn;
events {{ worker_connections 256; }}
http {{
    default_type application/octet-stream;
    log_format requests escape=json '{log_format}';
    access_log {dir}/access.log requests;
    client_body_temp_path {dir}/body;
    proxy_temp_path {dir}/proxy;
    fastcgi_temp_path {dir}/fastcgi;
    uwsgi_temp_path {dir}/uwsgi;
    scgi_temp_path {dir}/scgi;
    sendfile on;
    tcp_nopush on;
    server {{
        listen 127.0.0.1:{port};
        root "{root}";
{https}    }}
}}
"""

# The HTTPS twin: the same server on a second port, and redirects from
# either port to the other: /to-http/X and /to-https/X.
HTTPS = """        listen 127.0.0.1:{port} ssl;
        ssl_certificate {cert};
        ssl_certificate_key {key};
        location /to-http/ {{ rewrite ^/to-http/(.*)$ http://127.0.0.1:{http_port}/$1 redirect; }}
        location /to-https/ {{ rewrite ^/to-https/(.*)$ https://127.0.0.1:{port}/$1 redirect; }}
"""

# Another process may take a port between our probe and nginx's bind.
START_ATTEMPTS = 5
START_SECONDS = 10


def certificate(folder, name, extension, authority=None):
    """A certificate for /CN=|name| with one extension and its key, as PEM paths, issued by |authority|
    (another such pair) or self-signed."""
    pair = [os.path.join(folder, name + ending) for ending in (".pem", ".key")]
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj", "/CN=" + name,
                    "-addext", extension, "-out", pair[0], "-keyout", pair[1]]
                   + (["-CA", authority[0], "-CAkey", authority[1]] if authority else []), check=True,
                   capture_output=True)
    return pair


class WebServer:
    def __init__(self, root, https=False):
        """|https|: True, or the certificate and key to serve (a pair of paths)."""
        self.root = os.path.abspath(root)
        self.https = https
        self.port = self.https_port = None
        self._dir = self._proc = None

    def __enter__(self):
        if not os.access(NGINX, os.X_OK):
            raise RuntimeError("%s is missing: scripts/install-deps.sh installs nginx-light" % NGINX)
        self._dir = tempfile.mkdtemp(prefix="tessaro-web-")
        if self.https is True:
            self.https = certificate(self._dir, "localhost", "subjectAltName=DNS:localhost")
        for _ in range(START_ATTEMPTS):
            if self._try_start():
                return self
        errors = self._error_log()
        self.stop()
        raise RuntimeError("nginx did not start: " + errors)

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        if self._proc is not None:
            self._proc.terminate()
            try:
                self._proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._proc.kill()
                self._proc.wait()
            self._proc = None
        if self._dir is not None:
            shutil.rmtree(self._dir, ignore_errors=True)
            self._dir = None

    def _try_start(self):
        self.port = free_port()
        self.https_port = free_port() if self.https else None
        https = HTTPS.format(port=self.https_port, http_port=self.port, cert=self.https[0],
                             key=self.https[1]) if self.https else ""
        conf = os.path.join(self._dir, "nginx.conf")
        Path(conf).write_text(CONFIG.format(dir=self._dir, root=self.root, port=self.port, log_format=LOG_FORMAT,
                                            https=https))
        pid_file = os.path.join(self._dir, "nginx.pid")
        if os.path.exists(pid_file):  # from an attempt that lost its port
            os.remove(pid_file)
        # -e: the error log from the first line on, before the configuration is read.
        self._proc = subprocess.Popen(
            [SETPRIV, "--pdeathsig", "TERM", NGINX, "-p", self._dir, "-c", conf,
             "-e", os.path.join(self._dir, "error.log")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # nginx writes its pid file after it has bound and is listening on every port.
        deadline = time.monotonic() + START_SECONDS
        while time.monotonic() < deadline:
            if self._proc.poll() is not None:
                self._proc = None
                if "Address already in use" in self._error_log():
                    return False
                raise RuntimeError("nginx ended at start: " + self._error_log())
            if os.path.exists(pid_file) and os.path.getsize(pid_file) > 0:
                return True
            time.sleep(0.02)
        raise RuntimeError("nginx did not listen within %d s: %s" % (START_SECONDS, self._error_log()))

    def _error_log(self):
        path = os.path.join(self._dir, "error.log")
        return Path(path).read_text()[-2000:] if os.path.exists(path) else ""

    def url(self, path="", https=False):
        return "%s://127.0.0.1:%d/%s" % ("https" if https else "http", self.https_port if https else self.port, path)

    def requests(self):
        """The requests that have ended, oldest first, as dicts of LOG_FORMAT's fields."""
        path = Path(self._dir, "access.log")
        return [json.loads(line) for line in path.read_text().splitlines() if line.strip()] if path.exists() else []

