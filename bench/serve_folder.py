#!/usr/bin/env python3
"""Serves a folder with the tests' nginx on 127.0.0.1 for the download bench,
until SIGTERM, SIGINT or the end of its parent; FILE gets the port once nginx
listens.

    serve_folder.py --serve DIR --port-file FILE
"""
import argparse
import os
import signal
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "servers"))
from web_server import WebServer  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--serve", required=True, metavar="DIR")
    parser.add_argument("--port-file", required=True, metavar="FILE")
    args = parser.parse_args()
    parent = os.getppid()
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))
    with WebServer(args.serve) as web:
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % web.port)
        os.replace(args.port_file + ".tmp", args.port_file)  # readers never see half a file
        while not stop and os.getppid() == parent:
            time.sleep(0.2)


if __name__ == "__main__":
    main()
