#!/usr/bin/env python3
"""Writes an update site for tests, demos and benchmarks:
ROOT/tvinstall.txt names ROOT/pkg/tvinstaller.exe (SIZE bytes of a fixed
pattern) with its size, MD5 digest and version 2.4.1, under BASE_URL."""
import hashlib
import os
import sys


def main(root, base_url, size):
    os.makedirs(os.path.join(root, "pkg"), exist_ok=True)
    os.makedirs(os.path.join(root, "norange"), exist_ok=True)
    block = bytes((i * 131 + i // 251) & 0xFF for i in range(65536))
    digest = hashlib.md5()
    with open(os.path.join(root, "pkg", "tvinstaller.exe"), "wb") as out:
        left = size
        while left > 0:
            piece = block[: min(left, len(block))]
            out.write(piece)
            digest.update(piece)
            left -= len(piece)
    manifest = (
        "[Install]\r\n"
        f"Url={base_url}/pkg/tvinstaller.exe\r\n"
        "murl=\r\n"
        f"Size={size}\r\n"
        f"Md5={digest.hexdigest()}\r\n"
        "Version=2.4.1\r\n"
    )
    with open(os.path.join(root, "tvinstall.txt"), "w", newline="") as out:
        out.write(manifest)
    for path, dirs, files in os.walk(root):
        os.chmod(path, 0o755)
        for name in files:
            os.chmod(os.path.join(path, name), 0o644)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2].rstrip("/"), int(sys.argv[3]))
