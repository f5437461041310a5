"""pyftpdlib (Debian's python3-pyftpdlib) serving one folder read-only on
127.0.0.1 to anonymous and to USER with PASSWORD; rest=False refuses every
REST. It stops with the with-block, or by itself after `lifetime` seconds."""
import logging
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

# pyftpdlib logs every command unless its logger already has a handler.
_log = logging.getLogger("pyftpdlib")
_log.addHandler(logging.NullHandler())
_log.setLevel(logging.ERROR)


class _Handler(FTPHandler):
    honour_rest = True

    # pyftpdlib refuses a REST before TYPE I, which clients may send and most servers allow.
    def ftp_REST(self, line):
        if not self.honour_rest:
            return self.respond("502 Command not implemented.")
        self._restart_position = int(line)
        self.respond("350 Restarting at position %s." % line)


class FtpServer:
    USER = "tester"
    PASSWORD = "s3cret"

    def __init__(self, folder, rest=True, lifetime=120):
        authorizer = DummyAuthorizer()
        authorizer.add_anonymous(folder)
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
