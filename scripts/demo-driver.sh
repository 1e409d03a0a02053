# Clicks through TarvoSetup.exe under Xvfb as a person would and saves a
# screenshot of each stage into $DEMO_DIR. Sourced by scripts/demo, which
# sets DEMO_DIR, COMMAND_LOG and PACKAGE_SIZE. Sets SETUP_CODE to the
# installer's exit code ("none" when it had to be stopped).

source "$ROOT/scripts/xwindows.sh"
SHOT_DIR=$DEMO_DIR

MAIN_TITLE='^安装星砂物语$'
BOX_TITLE='^岚盒提示$'
LAUNCHER_TITLE='^塔沃岚盒 \(演示\)$'
# Centres of the controls the flow clicks, relative to their window, from
# the skin's floating positions plus the top of the band that holds them.
FREE_BUTTON="486 335"      # btn_free 448,16 77x13, bottom band from y=313
INSTALL2_BUTTON="457 332"  # btn_install2 407,73 100x28, folder band from y=245
BOX_OK_BUTTON="170 93"     # btn_ok of a 280x115 box: "覆盖安装" when asked
SETUP_PID=

download_under_way() {
  package_started || [ -n "$(find "$WINEPREFIX/drive_c" -path "$WINEPREFIX/drive_c/windows" -prune -o \
    -name 'tvinstaller_*.tmp' -size +$((PACKAGE_SIZE / 3))c -print -quit)" ]
}
package_started() { grep -q '^package' "$COMMAND_LOG"; }
setup_ended() { ! kill -0 "$SETUP_PID" 2>/dev/null; }

stuck() { # stage that did not come
  SHOT=$((SHOT + 1))
  import -window root "$(printf '%s/%02d-stuck.png' "$DEMO_DIR" "$SHOT")"
  say "the demo stopped: $1 did not come (the whole screen is in $(printf '%02d' "$SHOT")-stuck.png)"
  kill "$SETUP_PID" 2>/dev/null
  SETUP_CODE=none
  return 1
}

# A first run meets the welcome page; a later one is asked about the earlier
# install first and overwrites it. Both then go through the folder page.
reach_folder_page() {
  local main=$1 box
  if box=$(wait_window "$BOX_TITLE" 3); then
    shoot "$main" existing-install
    click "$box" $BOX_OK_BUTTON
  else
    shoot "$main" welcome
    click "$main" $FREE_BUTTON
  fi
  sleep 1
  shoot "$main" folder
}

drive_installer() {
  local main launcher
  SETUP_CODE=none
  wine "$BUILD_DIR/TarvoSetup.exe" &
  SETUP_PID=$!
  main=$(wait_window "$MAIN_TITLE" 30) || { stuck "the installer window"; return; }
  reach_folder_page "$main"
  click "$main" $INSTALL2_BUTTON
  wait_until 120 download_under_way || { stuck "the download"; return; }
  if package_started; then say "stage: download (over too quickly to be seen)"; else shoot "$main" download; fi
  wait_until 300 package_started || { stuck "the package installer"; return; }
  has_window "$MAIN_TITLE" && shoot "$main" installing
  launcher=$(wait_window "$LAUNCHER_TITLE" 60) || { stuck "the launcher window"; return; }
  shoot "$launcher" launcher
  xdotool key Escape
  wait_until 60 setup_ended || { stuck "the installer's end"; return; }
  SETUP_CODE=0
  wait "$SETUP_PID" || SETUP_CODE=$?
}
