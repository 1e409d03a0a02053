#!/bin/bash
# TarvoSetup.exe under Wine on the harness's Xvfb: the main window appears
# at its skin's size, centred on the 1024 x 768 screen, and Escape ends the
# process with exit code 0. Leaves a screenshot of the window in the build
# folder. Run by CTest from scripts/test; $1 is the build folder.
set -uo pipefail
BUILD_DIR=$1
source "$(dirname "$0")/../support/checks.sh"
wait_until() { # seconds, then a command that must succeed
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

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
  # The close button on the top edge: hovered until the hover message has
  # come, then left straight upwards out of the window. It must not stay lit.
  close_button() { import -window root -crop "25x23+$((X + 515))+$Y" +repage "$BUILD_DIR/close-$1.png" 2>/dev/null; }
  differs() { [ "$(compare -metric AE "$BUILD_DIR/close-$1.png" "$BUILD_DIR/close-$2.png" null: 2>&1)" != 0 ]; }
  left_unlit() { close_button left && ! differs left plain; }
  close_button plain
  xdotool mousemove $((X + 527)) $((Y + 11))
  sleep 1
  close_button hovered
  check "the hovered close button is lit" differs hovered plain
  xdotool mousemove $((X + 527)) $((Y - 30))
  check "left after the hover, the close button is drawn as before" wait_until 3 left_unlit
  # Keys reach the X window under the pointer on this display.
  xdotool mousemove $((X + 270)) $((Y + 150))
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
