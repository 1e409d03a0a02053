#!/usr/bin/env python3
"""Prints where the resident memory of a process lies, from /proc/PID/smaps,
as one line of "kind MiB" pairs: the program's own image, the Windows DLLs
(Wine's builtin PE files and any others), the Unix libraries under them,
anonymous memory (heaps, thread stacks, Wine's own reservations) and other
mapped files (fonts, the registry and so on). With --top N it adds the N
largest single mappings by file.

usage: working_set.py PID [--top N]"""
import collections
import os
import sys


def mappings(pid):
    """(path, resident KiB) of every mapping; anonymous ones have no path."""
    path, out = None, []
    with open(f"/proc/{pid}/smaps") as smaps:
        for line in smaps:
            fields = line.split()
            if "-" in fields[0] and len(fields) >= 5 and ":" in fields[3]:
                path = fields[5] if len(fields) > 5 else ""
            elif fields[0] == "Rss:":
                out.append((path, int(fields[1])))
    return out


def kind(path, program):
    name = os.path.basename(path).lower()
    if not path or path.startswith("["):
        return "anonymous"
    if name == program:
        return "program"
    if name.endswith((".dll", ".drv", ".exe", ".ocx", ".cpl")):
        return "windows-dlls"
    if ".so" in name:
        return "unix-libraries"
    return "other-files"


def main():
    pid = sys.argv[1]
    top = int(sys.argv[3]) if len(sys.argv) > 3 and sys.argv[2] == "--top" else 0
    with open(f"/proc/{pid}/cmdline", "rb") as f:
        program = os.path.basename(f.read().split(b"\0")[0].decode().replace("\\", "/")).lower()
    kinds, files = collections.Counter(), collections.Counter()
    for path, kib in mappings(pid):
        kinds[kind(path, program)] += kib
        if path and not path.startswith("["):
            files[os.path.basename(path)] += kib
    order = ["program", "windows-dlls", "unix-libraries", "anonymous", "other-files"]
    line = ", ".join(f"{k} {kinds[k] / 1024:.1f}" for k in order)
    if top:
        line += "; largest files: " + ", ".join(f"{n} {v / 1024:.1f}" for n, v in files.most_common(top))
    print(line)


main()
