#!/usr/bin/env python3
"""Makes a delay-load import library for a system DLL from its ordinary one.

The program names such a DLL in its delay-import table instead of its import
table, so the loader does not look for it before wWinMain has limited the
search to System32; the DLL loads on the first call into it.

usage: delay_import_lib.py NM DLLTOOL IMPORT_LIB DLL_NAME OUTPUT
       delay_import_lib.py --stub-def NM IMPORT_LIB DLL_NAME STUB OUTPUT_DEF
The second form writes a module definition that exports every name of the
DLL as the one function STUB: the tests' stand-in for a planted DLL.
"""
import pathlib
import subprocess
import sys


def exports(nm, import_lib):
    listing = subprocess.run([nm, import_lib], check=True, capture_output=True, text=True).stdout
    names = set()
    for line in listing.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] == "I" and parts[2].startswith("__imp_"):
            names.add(parts[2][len("__imp_"):])
    return sorted(names)


def write_def(nm, import_lib, dll, path, stub=None):
    names = exports(nm, import_lib)
    if not names:
        sys.exit(f"no exports found in {import_lib}")
    alias = f"={stub}" if stub else ""
    pathlib.Path(path).write_text(f"LIBRARY {dll}\nEXPORTS\n" + "".join(f"  {n}{alias}\n" for n in names))


def main():
    if sys.argv[1] == "--stub-def":
        nm, import_lib, dll, stub, output = sys.argv[2:7]
        write_def(nm, import_lib, dll, output, stub)
        return
    nm, dlltool, import_lib, dll, output = sys.argv[1:6]
    definition = pathlib.Path(output).with_suffix(".def")
    write_def(nm, import_lib, dll, definition)
    subprocess.run([dlltool, "--input-def", str(definition), "--output-delaylib", output, "--dllname", dll],
                   check=True)


if __name__ == "__main__":
    main()
