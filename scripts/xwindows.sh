# Finding, clicking and photographing Wine's windows on an X display through
# xdotool, as a person at the screen would. Sourced by the demo driver and
# the installer's end-to-end test. Screenshots go to $SHOT_DIR, numbered in
# the order they are taken.

SHADOW_MARGIN=8
SHOT=0

# The installer's windows, and the centres of the controls clicked, relative
# to their window, from the skin's floating positions plus the top of the
# band that holds them: at 96 DPI, and scaled by click with the window's
# WINDOW_DPI.
MAIN_TITLE='^安装星砂物语$'
BOX_TITLE='^岚盒提示$'
EXIT_TITLE='^退出安装$'
INSTALL_BUTTON="269 259"   # btn_install 177,237 184x44 on the welcome band
AGREE_OPTION="41 335"      # opt_agree 13,10 56x24, bottom band from y=313
FREE_BUTTON="486 335"      # btn_free 448,16 77x13, bottom band from y=313
INSTALL2_BUTTON="457 332"  # btn_install2 407,73 100x28, folder band from y=245
CLOSE_BUTTON="527 11"      # btn_close 515,0 25x23
BOX_FIRST="170 93"         # btn_ok of a 280x115 box with two buttons
BOX_LAST="240 93"          # its btn_cancel, or btn_ok standing alone

wait_until() { # seconds, then a command that must succeed
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
has_window() { [ -n "$(visible_window "$1")" ]; }
count_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

# Prints the window's id once it shows ($1 title pattern, $2 seconds). The
# id is kept from the search that found it: Wine may unmap a window for a
# moment while it sets it up.
found_window() { FOUND_WINDOW=$(visible_window "$1"); [ -n "$FOUND_WINDOW" ]; }
wait_window() {
  wait_until "$2" found_window "$1" && echo "$FOUND_WINDOW"
}

geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }

shoot() { # window id, stage name: the window and its shadow's margin
  local X Y WIDTH HEIGHT SCREEN WINDOW m=$SHADOW_MARGIN file
  geometry "$1" || return 1
  SHOT=$((SHOT + 1))
  file=$(printf '%s/%02d-%s.png' "$SHOT_DIR" "$SHOT" "$2")
  sleep 0.5
  import -window root -crop "$((WIDTH + 2 * m))x$((HEIGHT + 2 * m))+$((X > m ? X - m : 0))+$((Y > m ? Y - m : 0))" \
    +repage "$file"
  say "stage: $2 ($(basename "$file"))"
}

WINDOW_DPI=96
click() { # window id, x, y inside the window at 96 DPI
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry "$1" || return 1
  xdotool mousemove $((X + $2 * WINDOW_DPI / 96)) $((Y + $3 * WINDOW_DPI / 96))
  sleep 0.2
  xdotool click 1
}

no_box() { [ "$(count_windows "$BOX_TITLE")" = 0 ]; }

# From the installer's first page ($1 its window) to its folder page. A first
# run meets the welcome page; a later one is asked about the earlier install
# first and overwrites it. $2, if given, is called with the window and the
# name of the first page before it is left.
reach_folder_page() {
  local main=$1 before=${2:-:} box
  if box=$(wait_window "$BOX_TITLE" 3); then
    "$before" "$main" existing-install
    click "$box" $BOX_FIRST
    wait_until 10 no_box
  else
    "$before" "$main" welcome
    click "$main" $FREE_BUTTON
  fi
  sleep 1
}
