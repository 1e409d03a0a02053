# Clicks through TarvoSetup.exe under Xvfb as a person would and saves a
# screenshot of each stage into $DEMO_DIR. Sourced by scripts/demo, which
# sets DEMO_DIR, COMMAND_LOG and PACKAGE_SIZE. Sets SETUP_CODE to the
# installer's exit code ("none" when it had to be stopped).

source "$ROOT/scripts/xwindows.sh"
SHOT_DIR=$DEMO_DIR

LAUNCHER_TITLE='^塔沃岚盒 \(演示\)$'
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

drive_installer() {
  local main launcher
  SETUP_CODE=none
  wine "$BUILD_DIR/TarvoSetup.exe" &
  SETUP_PID=$!
  main=$(wait_window "$MAIN_TITLE" 30) || { stuck "the installer window"; return; }
  reach_folder_page "$main" shoot
  shoot "$main" folder
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
