"""A loopback HTTP server that misbehaves on request (standard library only).

route(path, **behaviour) sets what a path answers (others get 404): body,
status (200); ranges=False ignores Range; drop_after (bytes, or a function of
the body's length) closes the connection there, still announcing the full
length; length announces another Content-Length (a number or a function of
the true one); trickle=(bytes, seconds); headers; restart=seconds shuts the
port that long after the answer (listening tells when it is back);
answers=[behaviours of the first answers in turn, over the route's own];
auth=(user, password, realm) answers 401 until Basic credentials match.
requests lists Request(method, path, headers, body). It stops with the
with-block, or by itself after `lifetime` seconds.
"""
import base64
import collections
import http.server
import re
import socket
import threading
import time

Request = collections.namedtuple("Request", "method path headers body")

_RANGE = re.compile(r"bytes=(\d+)-$")


def free_port():
    """A loopback port that was free a moment ago and has no listener."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):  # quiet
        pass

    def do_GET(self):
        self._answer(b"")

    def do_POST(self):
        self._answer(self.rfile.read(int(self.headers.get("Content-Length", 0))))

    def _answer(self, request_body):
        server = self.server.owner
        with server.lock:
            server.requests.append(Request(self.command, self.path, dict(self.headers), request_body))
            path = self.path.split("?")[0]
            route = server.routes.get(path)
            answered = server.answered[path]
            server.answered[path] += 1
        if route is None:
            return self._send(404, b"not here", {})
        auth = route.get("auth")
        if auth and self.headers.get("Authorization") != "Basic " + base64.b64encode(
                ("%s:%s" % auth[:2]).encode()).decode():
            return self._send(401, b"who are you", {"WWW-Authenticate": 'Basic realm="%s"' % auth[2]})
        if answered < len(route.get("answers", ())):
            route = {**route, **route["answers"][answered]}
        body, status, headers = route.get("body", b""), route.get("status", 200), dict(route.get("headers", {}))
        wanted = _RANGE.match(self.headers.get("Range", ""))
        if wanted and route.get("ranges", True) and status == 200:
            start = int(wanted.group(1))
            if start >= len(body):
                return self._send(416, b"", {"Content-Range": "bytes */%d" % len(body)})
            headers["Content-Range"] = "bytes %d-%d/%d" % (start, len(body) - 1, len(body))
            body, status = body[start:], 206
        announced, cut = (value(len(body)) if callable(value) else value
                          for value in (route.get("length"), route.get("drop_after")))
        if cut is not None:
            announced = len(body) if announced is None else announced
            body = body[:cut]
        self._send(status, body, headers, announced, route.get("trickle"))
        if route.get("restart") is not None:
            # Before this connection closes: the client's reconnection must find the port shut.
            server.restart(route["restart"])

    def _send(self, status, body, headers, length=None, trickle=None):
        self.send_response(status)
        for name, value in headers.items():
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        step, pause = trickle or (len(body) or 1, 0)
        try:
            for start in range(0, len(body), step):
                self.wfile.write(body[start:start + step])
                self.wfile.flush()
                time.sleep(pause)
        except OSError:
            pass  # the client went away: that is its right
        self.close_connection = True


class FaultServer:
    def __init__(self, lifetime=120):
        self.routes, self.requests, self.answered, self.lock = {}, [], collections.Counter(), threading.Lock()
        self.listening, self.port = threading.Event(), 0
        # Guards _http, None while restarting or stopped.
        self._server_lock, self._http, self._stopped = threading.Lock(), None, False
        self._timer = threading.Timer(lifetime, self.stop)
        self._timer.daemon = True

    def __enter__(self):
        self._open()
        self._timer.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def _open(self):
        """Listens on the port (a free one the first time) unless stopped."""
        with self._server_lock:
            if self._stopped or self._http is not None:
                return
            self._http = http.server.ThreadingHTTPServer(("127.0.0.1", self.port), _Handler)
            self._http.daemon_threads = True
            self._http.owner = self
            self.port = self._http.server_address[1]
            # A short poll: a restart waits for the loop to notice it.
            threading.Thread(target=self._http.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True).start()
            self.listening.set()

    def _close(self, stop=False):
        with self._server_lock:
            self._stopped |= stop
            self.listening.clear()
            if self._http is not None:
                self._http.shutdown()
                self._http.server_close()
                self._http = None

    def stop(self):
        self._timer.cancel()
        self._close(stop=True)

    def restart(self, downtime):
        """Stops listening now and listens again on the same port after |downtime| seconds."""
        self._close()
        reopen = threading.Timer(downtime, self._open)
        reopen.daemon = True
        reopen.start()

    def route(self, path, **behaviour):
        with self.lock:
            self.routes[path] = behaviour
            self.answered[path] = 0

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def requests_for(self, path):
        with self.lock:
            return [r for r in self.requests if r.path == path]
