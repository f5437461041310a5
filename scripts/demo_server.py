#!/usr/bin/env python3
"""The demo's downloads: serves a folder twice on loopback, fast through nginx
and slowly through the fault server (every file trickles in pieces, so that
the demo can interrupt a download halfway). Writes "FAST_PORT SLOW_PORT" to
the port file once both listen, serves until SIGTERM or the end of its
parent, then prints the requests each server received.

    demo_server.py --serve DIR --port-file FILE
"""
import argparse
import os
import signal
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "servers"))
from fault_server import FaultServer  # noqa: E402
from web_server import WebServer  # noqa: E402

# A file of the sample (a few hundred bytes) takes about five seconds.
TRICKLE_PIECES = 10
TRICKLE_PAUSE = 0.5
LIFETIME = 600


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--serve", required=True)
    parser.add_argument("--port-file", required=True)
    args = parser.parse_args()
    parent = os.getppid()
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    with WebServer(args.serve) as fast, FaultServer(lifetime=LIFETIME) as slow:
        for name in os.listdir(args.serve):
            with open(os.path.join(args.serve, name), "rb") as f:
                data = f.read()
            slow.route("/" + name, body=data, trickle=(len(data) // TRICKLE_PIECES + 1, TRICKLE_PAUSE))
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d %d\n" % (fast.port, slow.port))
        os.replace(args.port_file + ".tmp", args.port_file)
        deadline = time.monotonic() + LIFETIME
        while not stop and os.getppid() == parent and time.monotonic() < deadline:
            time.sleep(0.2)
        for r in slow.requests:
            print("slow server: %s %s, Range: %s" % (r.method, r.path, r.headers.get("Range", "(none)")))
        for r in fast.requests():
            print("web server:  %s %s, Range: %s -> %d, %d bytes sent" % (
                r["method"], r["uri"], r["range"] or "(none)", r["status"], r["body_bytes"]))


if __name__ == "__main__":
    main()
