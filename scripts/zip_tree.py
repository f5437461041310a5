#!/usr/bin/env python3
"""Zips a folder under its own name, reproducibly: entries in sorted order,
all dated SOURCE_DATE_EPOCH (UTC), with fixed permissions, so that the same
files always give the same bytes.

    zip_tree.py FOLDER ZIP
"""
import os
import sys
import time
import zipfile

# The zip format cannot date anything before 1980.
ZIP_EPOCH = 315532800


def main():
    folder, target = os.path.abspath(sys.argv[1]), sys.argv[2]
    stamp = time.gmtime(max(int(os.environ.get("SOURCE_DATE_EPOCH", ZIP_EPOCH)), ZIP_EPOCH))[:6]
    top = os.path.basename(folder)
    paths = []
    for parent, dirs, files in os.walk(folder):
        paths += [os.path.relpath(os.path.join(parent, f), folder) for f in files]
    with zipfile.ZipFile(target + ".tmp", "w") as archive:
        for path in sorted(p.replace(os.sep, "/") for p in paths):
            entry = zipfile.ZipInfo(top + "/" + path, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            with open(os.path.join(folder, path), "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    os.replace(target + ".tmp", target)


if __name__ == "__main__":
    main()
