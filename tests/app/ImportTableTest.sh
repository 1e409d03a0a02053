#!/bin/bash
# The installer runs as administrator, often from a download folder. Every
# DLL named in its import table is loaded before its first line runs, and a
# DLL that is not one of the system's known DLLs is looked for beside the
# program first. So the table may name known DLLs only; anything else is loaded from System32 at run time or delay-loaded. $1 is
# the program.
set -uo pipefail
PROGRAM=$1
KNOWN="advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt
normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32"

# The DLL names of the import directory alone, not of the delay-import one.
imports() {
  x86_64-w64-mingw32-objdump -p "$PROGRAM" | awk '
    /^The Import Tables/ { inside = 1; next }
    /^The .* Tables/ { inside = 0 }
    inside && /DLL Name:/ { print tolower($3) }'
}

passed=0 failed=0
names=$(imports)
if echo "$names" | grep -qx kernel32.dll; then passed=$((passed + 1)); else
  failed=$((failed + 1)); echo "FAILED: no import table read from $PROGRAM"; fi
for dll in $names; do
  if echo "$KNOWN" | tr ' ' '\n' | grep -qx "${dll%.dll}"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "FAILED: $dll is imported but is not a known DLL"
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
