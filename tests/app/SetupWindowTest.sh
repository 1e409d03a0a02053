#!/bin/bash
# TarvoSetup.exe under Wine on the harness's Xvfb: the main window appears
# at its skin's size, centred on the 1024 x 768 screen, and Escape ends the
# process with exit code 0. Leaves a screenshot of the window in the build
# folder. Run by CTest from scripts/test; $1 is the build folder.
set -uo pipefail
BUILD_DIR=$1
source "$(dirname "$0")/../support/checks.sh"

wine "$BUILD_DIR/TarvoSetup.exe" >/dev/null 2>&1 &
setup=$!
id=
for _ in $(seq 100); do
  id=$(xdotool search --onlyvisible --name '^安装星砂物语$' 2>/dev/null | head -1)
  [ -n "$id" ] && break
  sleep 0.1
done
check "the main window appears" test -n "$id"
if [ -n "$id" ]; then
  eval "$(xdotool getwindowgeometry --shell "$id")"
  check "540 x 355 (is ${WIDTH}x${HEIGHT})" test "$WIDTH x $HEIGHT" = "540 x 355"
  check "centred at 242,206 (is $X,$Y)" test "$X,$Y" = "242,206"
  sleep 0.5
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$BUILD_DIR/SetupWindow.png" 2>/dev/null
  xdotool key Escape
fi
code=timeout
for _ in $(seq 100); do
  if ! kill -0 "$setup" 2>/dev/null; then wait "$setup"; code=$?; break; fi
  sleep 0.1
done
[ "$code" = timeout ] && kill "$setup" 2>/dev/null
check "Escape ends the process with 0 (got $code)" test "$code" = 0
checks_verdict
