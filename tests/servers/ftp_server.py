"""A loopback FTP server on pyftpdlib (Debian's python3-pyftpdlib: run it with
/usr/bin/python3). It serves one folder read-only to an anonymous log-on
(unless anonymous=False) and to USER with PASSWORD, at a free port, from a
thread of its own; rest=False refuses every REST with REFUSED_REPLY, as
servers without restart support do. It stops with the with-block, or by
itself after `lifetime` seconds.
"""
import logging
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

# pyftpdlib logs every command unless logging is set up; the tests only want
# failures (which still reach stderr through logging's last resort).
_log = logging.getLogger("pyftpdlib")
_log.addHandler(logging.NullHandler())
_log.setLevel(logging.ERROR)


class _Handler(FTPHandler):
    honour_rest = True

    # Clients may send REST before they switch to binary; pyftpdlib refuses
    # that, most servers do not.
    def ftp_REST(self, line):
        try:
            marker = int(line)
        except ValueError:
            marker = -1
        if not self.honour_rest:
            self.respond(FtpServer.REFUSED_REPLY)
        elif marker < 0:
            self.respond("501 Invalid parameter.")
        else:
            self.respond("350 Restarting at position %d." % marker)
            self._restart_position = marker


class FtpServer:
    USER = "tester"
    PASSWORD = "s3cret"
    # What a server without restart support answers to REST.
    REFUSED_REPLY = "502 Command not implemented."

    def __init__(self, folder, rest=True, anonymous=True, lifetime=120):
        authorizer = DummyAuthorizer()
        if anonymous:
            authorizer.add_anonymous(folder)  # read-only: list and retrieve
        authorizer.add_user(self.USER, self.PASSWORD, folder)
        handler = type("Handler", (_Handler,), {"authorizer": authorizer, "honour_rest": rest})
        # An I/O loop of its own: servers of scenarios that run side by side
        # must not share pyftpdlib's process-wide one.
        self._server = FTPServer(("127.0.0.1", 0), handler, ioloop=IOLoop())
        self.port = self._server.address[1]
        self._deadline = time.monotonic() + lifetime
        self._stopping = threading.Event()
        self._thread = threading.Thread(target=self._serve, daemon=True)

    def _serve(self):
        try:
            while not self._stopping.is_set() and time.monotonic() < self._deadline:
                self._server.ioloop.loop(0.05, blocking=False)
        finally:
            self._server.close_all()

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stopping.set()
        self._thread.join(5)

    def url(self, name, user=None, password=None):
        login = "%s:%s@" % (user, password) if user is not None else ""
        return "ftp://%s127.0.0.1:%d/%s" % (login, self.port, name)

