#!/bin/bash
# The installer end to end: TarvoSetup.exe exactly as built, clicked through
# on the run's Xvfb with xdotool, against nginx on port 80 of 127.0.0.1 (the
# primary update host) and 127.0.0.2 (the backup) through a hosts file of
# this script's own. The package it downloads is RecordArgs.exe: it records
# its command line beside itself and unpacks a copy of itself as the
# launcher, which records its own; the signature scenarios sign it with the
# build's test signers and drive TarvoSetupPinned.exe, the same installer
# with one of them pinned. Every scenario starts from a prefix with
# no earlier install and leaves screenshots in build/installer-tests/. Run by
# CTest from scripts/test, inside the run's private network namespace with
# its display and Wine prefix; $1 is the build folder.
set -uo pipefail
BUILD_DIR=$1
source "$(dirname "$0")/../../scripts/lib.sh"
[ -n "${TARVO_IN_NETNS:-}" ] || { say "run me through scripts/test"; exit 1; }
if [ -z "${TARVO_IN_MOUNTNS:-}" ]; then
  export TARVO_IN_MOUNTNS=1
  exec unshare -m -- bash "$0" "$@"
fi
source "$ROOT/scripts/xwindows.sh"
trap 'stop_nginx; [ -n "${SETUP_PID:-}" ] && kill "$SETUP_PID" 2>/dev/null' EXIT

PACKAGE_SIZE=$((1024 * 1024))
STAND_IN=$BUILD_DIR/tests/RecordArgs.exe
C=$WINEPREFIX/drive_c
DEFAULT_DIR='C:\塔沃网络\塔沃岚盒'
DEFAULT_UNIX=$C/塔沃网络/塔沃岚盒
SHOT_DIR=$BUILD_DIR/installer-tests
work=$(mktemp -d "$BUILD_DIR/installer.XXXXXX")
chmod 755 "$work"
site=$work/site
rm -rf "$SHOT_DIR" && mkdir -p "$SHOT_DIR"
map_update_hosts
PACKAGES=$work/packages
make_signed_packages "$PACKAGES" "$STAND_IN" || exit 1

passed=0 failed=0
check() { # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
calc() { awk "BEGIN { printf \"%.1f\", $1 }"; }
between() { awk -v x="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(x >= lo && x <= hi) }'; }
recorded() { tr -d '\r' <"$1" 2>/dev/null; }
requests() { cat "$NGINX_CONF_DIR/access.log" 2>/dev/null; }
no_box() { [ "$(count_windows "$BOX_TITLE")" = 0 ]; }
manifest_asked() { requests | grep -q '"GET /tvinstall.txt '; }
downloads_are() { test "$(requests | grep -c '"GET /pkg/tvinstaller.exe ')" = "$1"; }
package_line() { echo "$1\\tvinstaller.exe /S \"/unpack=$2\" /launch=off"; }
launcher_line() { echo "$1\\TarvoLauncher.exe -i \"$2\" -d"; }

# The keyboard and a screen reader. Keys reach the X window under the
# pointer on this display, so the pointer rests on the window's caption.
PROBE=$BUILD_DIR/tests/AccessibleProbe.exe
MAIN_NAME=安装星砂物语
EXIT_NAME=退出安装
probe() { wine "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }
keys() { xdotool key --delay 80 "$@"; }
point_at() { local X Y WIDTH HEIGHT SCREEN WINDOW; geometry "$1" && xdotool mousemove $((X + WIDTH / 2)) $((Y + 50)); }
focused() { probe list "$1" | awk -F'|' '$3 ~ /(^|,)focused(,|$)/ { print $4 }'; }
focused_is() { [ "$(focused "$1")" = "$2" ]; }
children() { probe list "$1" | awk -F'|' 'NR > 1 { print $2 ":" $4 }' | paste -sd' '; }
child_field() { probe list "$1" | awk -F'|' -v n="$2" -v f="$3" '$4 == n { print $f }'; }
# Every child's hit test at its centre finds it, and each leads to the next.
hits_and_steps() {
  probe list "$1" | awk -F'|' 'NR > 1 { n++; if ($7 != $1 || ($8 != $1 + 1 && $8 != "-")) bad++ } END { exit !(n > 0 && !bad) }'
}
no_exit_question() { test -z "$(visible_window "^$EXIT_NAME\$")"; }
on_folder_page() { test -n "$(child_field "$MAIN_NAME" 浏览 1)"; }
matches() { [[ $1 =~ $2 ]]; }

# No earlier install, no install folder, nothing served.
reset_prefix() {
  stop_nginx
  [ -n "${NGINX_CONF_DIR:-}" ] && rm -rf "$NGINX_CONF_DIR"
  NGINX_CONF_DIR=$work/none
  rm -rf "$C/塔沃网络" "$C/旧版岚盒" "$C/beside" "$C/ProgramData/TarvoLaucher.ini"
  wine reg delete 'HKLM\SOFTWARE\TarvoLauncher' /f >/dev/null 2>&1
  wine reg delete 'HKLM\SOFTWARE\TarvoLauncher' /f /reg:32 >/dev/null 2>&1
}

# The stand-in as the package, its manifest's address on host $1; or
# program $2 padded to $3 bytes (0: not padded).
make_site() {
  rm -rf "$site" && mkdir -p "$site"
  python3 "$ROOT/tools/make_update_site.py" "$site" "http://$1" "${3:-$PACKAGE_SIZE}" "${2:-$STAND_IN}"
}

serve() { # loopback addresses that answer on port 80
  NGINX_ADDRESSES=$1 start_nginx "$site" 80
}

# Starts the installer (scenario, then program and arguments) and waits for
# its window: sets SETUP_PID and MAIN.
open_setup() {
  local scenario=$1; shift
  wine "$@" >/dev/null 2>&1 &
  SETUP_PID=$!
  MAIN=$(wait_window "$MAIN_TITLE" 30)
  [ -n "$MAIN" ] || { check "$scenario: the window appears" false; return 1; }
}

setup_ended() { ! kill -0 "$SETUP_PID" 2>/dev/null; }

# Waits up to $1 seconds for the installer to end: sets CODE to its exit
# code, or to "running" when it had to be stopped.
end_setup() {
  CODE=running
  if wait_until "$1" setup_ended; then
    wait "$SETUP_PID"; CODE=$?
  else
    kill "$SETUP_PID" 2>/dev/null; wait "$SETUP_PID" 2>/dev/null
  fi
  SETUP_PID=
}

# Waits for the install to end by itself: exit code 0, and the fresh
# launcher started from the default folder.
check_completed() { # scenario
  end_setup 30
  wait_until 5 test -s "$DEFAULT_UNIX/TarvoLauncher.exe.args"
  check "$1: the install ends with exit code 0 (got $CODE)" test "$CODE" = 0
  check "$1: the launcher starts from the install folder" \
    test "$(recorded "$DEFAULT_UNIX/TarvoLauncher.exe.args")" = "$(launcher_line "$DEFAULT_DIR" 1)"
}

start_install() { # after the welcome page has shown
  shoot "$MAIN" "$1-welcome"
  click "$MAIN" $INSTALL_BUTTON
}

# The whole flow into the default folder, both hosts up.
whole_flow() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  open_setup "whole flow" "$BUILD_DIR/TarvoSetup.exe" || return
  start_install whole
  wait_until 30 test -s "$DEFAULT_UNIX/tvinstaller.exe.args" && shoot "$MAIN" whole-installing
  check_completed "whole flow"
  check "whole flow: package installer command line" \
    test "$(recorded "$DEFAULT_UNIX/tvinstaller.exe.args")" = "$(package_line "$DEFAULT_DIR" "$DEFAULT_DIR")"
  check "whole flow: the package is deleted" test ! -e "$DEFAULT_UNIX/tvinstaller.exe"
  check "whole flow: the stored manifest is deleted" test ! -e "$DEFAULT_UNIX/tvinstall.ini"
  check "whole flow: the primary host served the manifest" \
    grep -q "^127.0.0.1 $PRIMARY_HOST \"GET /tvinstall.txt HTTP/1.1\" 200" "$NGINX_CONF_DIR/access.log"
}

# Only the backup answers; the package is checked and started from there.
backup_host() {
  reset_prefix; make_site "$BACKUP_HOST"; serve 127.0.0.2
  open_setup "backup" "$BUILD_DIR/TarvoSetup.exe" || return
  start_install backup
  wait_until 30 test -s "$DEFAULT_UNIX/tvinstaller.exe.args"
  check "backup: the package installer runs" \
    test "$(recorded "$DEFAULT_UNIX/tvinstaller.exe.args")" = "$(package_line "$DEFAULT_DIR" "$DEFAULT_DIR")"
  check "backup: it served the manifest and the package" test "$(requests | awk '$1 == "127.0.0.2" && $6 == 200 { print $4 }' \
    | sort | tr '\n' ' ')" = "/pkg/tvinstaller.exe /tvinstall.txt "
  xdotool key Escape
  end_setup 15
  check "backup: Esc during the install ends with 0 (got $CODE)" test "$CODE" = 0
}

# Both hosts down: one failure box however often the retries fail, each
# retry 5 s after the last failure by itself, and once a host answers the
# install completes with the box left alone. A round of failed requests
# takes as long as the first one did (from the click to the box), so the
# second round has failed by 5 s + round after the box, and a host that comes
# up 2.5 s after that is asked 5 s + round after that failure.
hosts_down() {
  reset_prefix; make_site "$PRIMARY_HOST"
  open_setup "hosts down" "$BUILD_DIR/TarvoSetup.exe" || return
  start_install down
  local clicked box shown round boxes=0 count
  clicked=$(now)
  box=$(wait_window "$BOX_TITLE" 20)
  shown=$(now)
  round=$(seconds_since "$clicked")
  check "hosts down: a failure box appears" test -n "$box"
  shoot "$MAIN" down-failure-box
  while between "$(seconds_since "$shown")" 0 "$(calc "5 + $round + 2.5")"; do
    count=$(count_windows "$BOX_TITLE")
    [ "$count" -gt "$boxes" ] && boxes=$count
    sleep 0.3
  done
  check "hosts down: one box while the retries fail (at most $boxes)" test "$boxes" = 1
  serve "127.0.0.1 127.0.0.2"
  wait_until 10 manifest_asked
  local asked expected
  asked=$(seconds_since "$shown") expected=$(calc "10 + $round")
  say "hosts down: a failed round took $round s; asked again $asked s after the box"
  check "hosts down: asked again by itself (after $asked s, expected $expected s)" \
    between "$asked" "$(calc "$expected - 1.5")" "$(calc "$expected + 1.5")"
  check_completed "hosts down"
}

# A manifest whose digest differs: the corrupt-package box, nothing is run,
# and "重新下载" fetches manifest and package again.
corrupt_package() {
  reset_prefix; make_site "$PRIMARY_HOST"
  sed -i 's/^Md5=.*/Md5=0123456789abcdef0123456789abcdef\r/' "$site/tvinstall.txt"
  serve "127.0.0.1 127.0.0.2"
  open_setup "corrupt" "$BUILD_DIR/TarvoSetup.exe" || return
  start_install corrupt
  local box; box=$(wait_window "$BOX_TITLE" 30)
  check "corrupt: the corrupt-package box appears" test -n "$box"
  [ -n "$box" ] || return
  shoot "$MAIN" corrupt-box
  check "corrupt: the package installer is not run" test ! -e "$DEFAULT_UNIX/tvinstaller.exe.args"
  make_site "$PRIMARY_HOST"
  click "$box" $BOX_FIRST
  wait_until 30 test -s "$DEFAULT_UNIX/tvinstaller.exe.args"
  check "corrupt: after the new download the package installer runs once" \
    test "$(recorded "$DEFAULT_UNIX/tvinstaller.exe.args")" = "$(package_line "$DEFAULT_DIR" "$DEFAULT_DIR")"
  check "corrupt: the package was downloaded twice" downloads_are 2
  xdotool key Escape
  end_setup 15
  check "corrupt: exit code 0 (got $CODE)" test "$CODE" = 0
}

# The agreement option cleared: a notice, and nothing reaches the server.
not_agreed() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  open_setup "not agreed" "$BUILD_DIR/TarvoSetup.exe" || return
  click "$MAIN" $AGREE_OPTION
  start_install not-agreed
  local box; box=$(wait_window "$BOX_TITLE" 10)
  check "not agreed: the notice appears" test -n "$box"
  shoot "$MAIN" not-agreed-box
  [ -n "$box" ] && click "$box" $BOX_LAST
  check "not agreed: its one button closes it" wait_until 5 no_box
  xdotool key Escape
  end_setup 15
  check "not agreed: exit code 0 (got $CODE)" test "$CODE" = 0
  check "not agreed: no request reached the server" test -z "$(requests)"
}

# An earlier install in the 32-bit registry view: asked at once, and
# "直接启动" starts the earlier launcher with the launch id given.
earlier_install() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  mkdir -p "$C/旧版岚盒" && cp "$STAND_IN" "$C/旧版岚盒/TarvoLauncher.exe"
  wine reg add 'HKLM\SOFTWARE\TarvoLauncher' /v InstPath /t REG_SZ /d 'C:\旧版岚盒' /f /reg:32 >/dev/null 2>&1
  open_setup "earlier" "$BUILD_DIR/TarvoSetup.exe" 7 || return
  local opened box; opened=$(now)
  box=$(wait_window "$BOX_TITLE" 5)
  local after; after=$(seconds_since "$opened")
  check "earlier: the question follows the window at once (after $after s)" between "$after" 0 1.5
  shoot "$MAIN" earlier-question
  [ -n "$box" ] && click "$box" $BOX_LAST
  end_setup 15
  wait_until 5 test -s "$C/旧版岚盒/TarvoLauncher.exe.args"
  check "earlier: exit code 0 (got $CODE)" test "$CODE" = 0
  check "earlier: the earlier launcher starts with the launch id" \
    test "$(recorded "$C/旧版岚盒/TarvoLauncher.exe.args")" = "$(launcher_line 'C:\旧版岚盒' 7)"
  check "earlier: nothing is downloaded" test -z "$(requests)"
}

# The program in a launcher folder beside a prepared package: no download,
# the package installs into the default folder and stays where it was.
package_beside() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  mkdir -p "$C/beside"
  cp "$BUILD_DIR/TarvoSetup.exe" "$C/beside/" && cp "$STAND_IN" "$C/beside/tvinstaller.exe"
  : >"$C/beside/tvmain.dll"
  open_setup "beside" "$C/beside/TarvoSetup.exe" || return
  start_install beside
  wait_until 10 test -s "$C/beside/tvinstaller.exe.args" && shoot "$MAIN" beside-installing
  check_completed beside
  check "beside: the package beside the program runs" \
    test "$(recorded "$C/beside/tvinstaller.exe.args")" = "$(package_line 'C:\beside' "$DEFAULT_DIR")"
  check "beside: the package stays" cmp -s "$STAND_IN" "$C/beside/tvinstaller.exe"
  check "beside: no request reached the server" test -z "$(requests)"
}

# The installer built with one signer pinned (TarvoSetupPinned.exe): an
# unsigned package, one changed after signing and one signed by another
# publisher each meet the corrupt-package question and none runs, though
# its digest matches; "重新下载" after each fetches the next, and the
# pinned publisher's package runs.
pinned_signer() {
  reset_prefix; make_site "$PRIMARY_HOST" "$PACKAGES/unsigned.exe" 0; serve "127.0.0.1 127.0.0.2"
  open_setup "pinned" "$BUILD_DIR/TarvoSetupPinned.exe" || return
  start_install pinned
  local order=(unsigned changed other signed) i box
  for i in 0 1 2; do
    wait_until 30 downloads_are $((i + 1))
    box=$(wait_window "$BOX_TITLE" 30)
    check "pinned, ${order[i]}: the corrupt-package box appears" test -n "$box"
    [ -n "$box" ] || return
    shoot "$MAIN" "pinned-${order[i]}-box"
    check "pinned, ${order[i]}: the package installer is not run" test ! -e "$DEFAULT_UNIX/tvinstaller.exe.args"
    make_site "$PRIMARY_HOST" "$PACKAGES/${order[i + 1]}.exe" 0
    click "$box" $BOX_FIRST
  done
  wait_until 30 test -s "$DEFAULT_UNIX/tvinstaller.exe.args"
  check_completed pinned
  check "pinned, signed: the package installer runs" \
    test "$(recorded "$DEFAULT_UNIX/tvinstaller.exe.args")" = "$(package_line "$DEFAULT_DIR" "$DEFAULT_DIR")"
  check "pinned: four downloads" downloads_are 4
}

# The pinned installer in a launcher folder beside an unsigned package: a
# notice, the package is not run, and nothing is downloaded in its stead.
beside_refused() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  mkdir -p "$C/beside"
  cp "$BUILD_DIR/TarvoSetupPinned.exe" "$C/beside/TarvoSetup.exe" && cp "$STAND_IN" "$C/beside/tvinstaller.exe"
  : >"$C/beside/tvmain.dll"
  open_setup "beside refused" "$C/beside/TarvoSetup.exe" || return
  start_install beside-refused
  local box; box=$(wait_window "$BOX_TITLE" 15)
  check "beside refused: a notice appears" test -n "$box"
  shoot "$MAIN" beside-refused-box
  [ -n "$box" ] && click "$box" $BOX_LAST
  end_setup 15
  check "beside refused: its one button ends the installer with 0 (got $CODE)" test "$CODE" = 0
  check "beside refused: the package is not run" test ! -e "$C/beside/tvinstaller.exe.args"
  check "beside refused: the package stays" cmp -s "$STAND_IN" "$C/beside/tvinstaller.exe"
  check "beside refused: no request reached the server" test -z "$(requests)"
}

# Esc while the package installer still runs: the installer ends at once
# with 0 and, when the package installer has finished, starts nothing.
close_while_installing() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  mkdir -p "$DEFAULT_UNIX" && : >"$DEFAULT_UNIX/tvinstaller.exe.hold"
  open_setup "close" "$BUILD_DIR/TarvoSetup.exe" || return
  start_install close
  wait_until 30 test -s "$DEFAULT_UNIX/tvinstaller.exe.args"
  check "close: the package installer is running" test -s "$DEFAULT_UNIX/tvinstaller.exe.args"
  shoot "$MAIN" close-installing
  xdotool key Escape
  end_setup 15
  check "close: exit code 0 (got $CODE)" test "$CODE" = 0
  rm -f "$DEFAULT_UNIX/tvinstaller.exe.hold"
  wait_until 10 test -e "$DEFAULT_UNIX/TarvoLauncher.exe"
  sleep 2
  check "close: the package installer finished" test -e "$DEFAULT_UNIX/tvmain.dll"
  check "close: no launcher is started" test ! -e "$DEFAULT_UNIX/TarvoLauncher.exe.args"
}

# DLLs saved beside the installer, as into a download folder, under the names
# of the system DLLs it uses that are not known DLLs. Wine is told to prefer
# them to its own, as Windows does for such names: none may load, however far
# the install goes. The installer is the pinned one and the package signed,
# so that the signature check's DLLs are loaded too.
planted_dlls() {
  reset_prefix; make_site "$PRIMARY_HOST" "$PACKAGES/signed.exe" 0; serve "127.0.0.1 127.0.0.2"
  local downloads=$C/downloads planted=() dll
  rm -rf "$downloads" && mkdir -p "$downloads"
  cp "$BUILD_DIR/TarvoSetupPinned.exe" "$downloads/TarvoSetup.exe" && cp "$BUILD_DIR"/tests/planted/*.dll "$downloads/"
  for dll in "$downloads"/*.dll; do planted+=("$(basename "$dll" .dll)"); done
  WINEDLLOVERRIDES="$(IFS=,; echo "${planted[*]}")=n,b" open_setup planted "$downloads/TarvoSetup.exe" || return
  start_install planted
  check_completed planted
  check "planted: ${#planted[@]} DLLs were planted" test "${#planted[@]}" -ge 3
  check "planted: none of them loaded ($(cd "$downloads" && echo *.loaded))" \
    test -z "$(find "$downloads" -name '*.loaded')"
  rm -rf "$downloads"
}

# The keyboard alone: Tab walks the welcome page in its order and wraps,
# Shift+Tab walks back, Space on the custom install opens the folder page and
# Enter on its install button installs.
keys_only() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  open_setup keys "$BUILD_DIR/TarvoSetup.exe" || return
  point_at "$MAIN"
  local name
  for name in 同意 用户许可协议 自定义安装 立即安装 关闭 最小化 同意; do
    keys Tab
    check "keys: Tab reaches $name" wait_until 3 focused_is "$MAIN_NAME" "$name"
  done
  keys shift+Tab
  check "keys: Shift+Tab goes back to 最小化" wait_until 3 focused_is "$MAIN_NAME" 最小化
  keys Tab Tab Tab
  wait_until 3 focused_is "$MAIN_NAME" 自定义安装 && shoot "$MAIN" keys-focus-mark
  keys space
  check "keys: Space opens the folder page" wait_until 5 on_folder_page
  check "keys: the folder page as a reader hears it" matches "$(children "$MAIN_NAME")" \
    "^statictext:安装目录 editable:安装目录 pushbutton:浏览 statictext:所需磁盘空间：120MB statictext:可用磁盘空间： statictext:[0-9.]+[KMGT]?B pushbutton:安装 pushbutton:最小化 pushbutton:关闭\$"
  check "keys: the folder box holds the default folder" test "$(child_field "$MAIN_NAME" 安装目录 5 | tail -1)" = "$DEFAULT_DIR"
  for name in 安装目录 浏览 安装; do
    keys Tab
    check "keys: Tab reaches $name on the folder page" wait_until 3 focused_is "$MAIN_NAME" "$name"
  done
  shoot "$MAIN" keys-folder
  keys Return
  check_completed keys
}

# The exit question by keys: Alt+F4 asks it as the close button does, Enter
# and Esc leave it open, Space on its focused button answers it.
exit_by_keys() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  open_setup "exit keys" "$BUILD_DIR/TarvoSetup.exe" || return
  point_at "$MAIN"
  keys alt+F4
  local box; box=$(wait_window "^$EXIT_NAME\$" 5)
  check "exit keys: Alt+F4 asks the exit question" test -n "$box"
  [ -n "$box" ] || return
  keys Tab Return Escape Tab
  check "exit keys: Tab, Tab reach 取消 in the question" wait_until 3 focused_is "$EXIT_NAME" 取消
  check "exit keys: Enter and Esc on 确定 between them left the question open" has_window "^$EXIT_NAME\$"
  shoot "$box" exit-question-focus
  keys space
  check "exit keys: Space on 取消 closes the question" wait_until 5 no_exit_question
  check "exit keys: and the installer goes on" test -n "$(visible_window "$MAIN_TITLE")"
  keys alt+F4
  box=$(wait_window "^$EXIT_NAME\$" 5)
  keys Tab space
  end_setup 15
  check "exit keys: Space on 确定 ends the installer with 0 (got $CODE)" test "$CODE" = 0
}

# A screen reader in a process of its own: the welcome page's and the exit
# question's children, the install started by the install button's default
# action, the progress value moving and the events heard on the way.
screen_reader() {
  reset_prefix; make_site "$PRIMARY_HOST"
  NGINX_SERVER='location /pkg/ { limit_rate 200k; }' serve "127.0.0.1 127.0.0.2"
  open_setup reader "$BUILD_DIR/TarvoSetup.exe" || return
  check "reader: the welcome page" test "$(children "$MAIN_NAME")" = \
    "pushbutton:立即安装 checkbox:同意 link:用户许可协议 pushbutton:自定义安装 pushbutton:最小化 pushbutton:关闭"
  check "reader: the agreement is checked" test "$(child_field "$MAIN_NAME" 同意 3)" = focusable,checked
  check "reader: the licence is a link" test "$(child_field "$MAIN_NAME" 用户许可协议 3)" = focusable,linked
  check "reader: hit tests and steps between the children" hits_and_steps "$MAIN_NAME"
  point_at "$MAIN"
  keys alt+F4
  wait_window "^$EXIT_NAME\$" 5 >/dev/null
  check "reader: the exit question" test "$(children "$EXIT_NAME")" = \
    "statictext:退出安装 pushbutton:关闭 statictext:是否退出安装？ pushbutton:确定 pushbutton:取消"
  probe do "$EXIT_NAME" 取消
  check "reader: 取消 answers the question" wait_until 5 no_exit_question
  local events=$work/events values=() value end=$((SECONDS + 30))
  probe events "$MAIN_NAME" 20000 >"$events" &
  local watcher=$!
  wait_until 5 grep -q ready "$events"
  check "reader: the install button's default action" probe do "$MAIN_NAME" 立即安装
  while ! test -s "$DEFAULT_UNIX/tvinstaller.exe.args" && [ "$SECONDS" -lt "$end" ]; do
    value=$(child_field "$MAIN_NAME" "" 5 | grep % | head -1)
    [ -n "$value" ] && values+=("$value")
  done
  say "reader: progress values ${values[*]}"
  check "reader: the progress value moves (${values[*]})" test "$(printf '%s\n' "${values[@]}" | sort -u | wc -l)" -ge 3
  check_completed reader
  wait "$watcher"
  say "reader: events $(awk -F'|' '{ print $2 }' "$events" | sort | uniq -c | paste -sd' ')"
  check "reader: the page change was told" grep -q '|reorder|' "$events"
  check "reader: the focus moving to the new page was told" grep -q '|focus|0|' "$events"
  check "reader: progress values were told" grep -q '|value|.*%' "$events"
  check "reader: no text was told twice within a second" awk -F'|' '$2 == "name" {
    if (($3 in last) && $1 - last[$3] < 900) bad++; last[$3] = $1 } END { exit bad > 0 }' "$events"
}

# TARVO_SCENARIOS may name a few of them, for a developer's quicker run.
for scenario in ${TARVO_SCENARIOS:-whole_flow backup_host hosts_down corrupt_package not_agreed \
  earlier_install package_beside close_while_installing planted_dlls keys_only exit_by_keys screen_reader \
  pinned_signer beside_refused}; do
  started=$SECONDS
  "$scenario"
  [ -n "${SETUP_PID:-}" ] && end_setup 0
  say "$scenario: $((SECONDS - started)) s"
done
reset_prefix
rm -rf "$work"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
