#!/usr/bin/env python3
"""Writes an update site for tests, demos and benchmarks:
ROOT/tvinstall.txt names ROOT/pkg/tvinstaller.exe (SIZE bytes of a fixed
pattern) with its size, MD5 and SHA-256 digests and version 2.4.1, under BASE_URL.
Given a PACKAGE program, the package is that program padded with the
pattern after its image to SIZE bytes (it still runs), or the program alone
when it is larger.

usage: make_update_site.py ROOT BASE_URL SIZE [PACKAGE]"""
import hashlib
import os
import sys


def main(root, base_url, size, program=None):
    os.makedirs(os.path.join(root, "pkg"), exist_ok=True)
    block = bytes((i * 131 + i // 251) & 0xFF for i in range(65536))
    digest = hashlib.md5()
    sha256 = hashlib.sha256()
    head = b""
    if program:
        with open(program, "rb") as source:
            head = source.read()
    size = max(size, len(head))
    with open(os.path.join(root, "pkg", "tvinstaller.exe"), "wb") as out:
        out.write(head)
        digest.update(head)
        sha256.update(head)
        left = size - len(head)
        while left > 0:
            piece = block[: min(left, len(block))]
            out.write(piece)
            digest.update(piece)
            sha256.update(piece)
            left -= len(piece)
    manifest = (
        "[Install]\r\n"
        f"Url={base_url}/pkg/tvinstaller.exe\r\n"
        "murl=\r\n"
        f"Size={size}\r\n"
        f"Md5={digest.hexdigest()}\r\n"
        f"Sha256={sha256.hexdigest()}\r\n"
        "Version=2.4.1\r\n"
    )
    with open(os.path.join(root, "tvinstall.txt"), "w", newline="") as out:
        out.write(manifest)
    for path, dirs, files in os.walk(root):
        os.chmod(path, 0o755)
        for name in files:
            os.chmod(os.path.join(path, name), 0o644)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2].rstrip("/"), int(sys.argv[3]), *sys.argv[4:5])
