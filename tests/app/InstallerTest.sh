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
source "$(dirname "$0")/../support/checks.sh"
enter_mount_namespace "$@"
source "$ROOT/scripts/xwindows.sh"
trap 'stop_nginx; [ -n "${SETUP_PID:-}" ] && kill "$SETUP_PID" 2>/dev/null; back_to_run_screen;
  [ -n "${DPI_BEFORE:-}" ] && set_prefix_dpi "$DPI_BEFORE"' EXIT

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

now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
calc() { awk "BEGIN { printf \"%.1f\", $1 }"; }
between() { awk -v x="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(x >= lo && x <= hi) }'; }
recorded() { tr -d '\r' <"$1" 2>/dev/null; }
requests() { cat "$NGINX_CONF_DIR/access.log" 2>/dev/null; }
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
role_field() { probe list "$1" | awk -F'|' -v r="$2" -v f="$3" 'NR > 1 && $2 == r { print $f }'; }
# Every child's hit test at its centre finds it, and each but the last leads
# to the next.
hits_and_steps() {
  probe list "$1" | awk -F'|' 'NR > 1 { n++; if ($1 != n || $7 != n) bad++; step[n] = $8 }
    END { for (i = 1; i < n; i++) if (step[i] != i + 1) bad++; exit !(n > 0 && !bad && step[n] == "-") }'
}
on_progress_page() { test -n "$(role_field "$MAIN_NAME" progressbar 1)"; }
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

# D: of the prefix as a fixed disk at folder $1, or ($1 empty) the optical
# drive again; the drive settings are read when the Wine server starts.
drive_d() {
  ln -sfn "${1:-$BUILD_DIR/optical-d}" "$WINEPREFIX/dosdevices/d:"
  wine reg add 'HKLM\Software\Wine\Drives' /v d: /t REG_SZ /d "$([ -n "${1:-}" ] && echo hd || echo cdrom)" /f >/dev/null 2>&1
  wineserver -k15; wineserver -w  # TERM: the server saves the registry as it goes
}
avail() { df --output=avail -B1 "$1" | tail -1; }
package_requests() { requests | grep -c '"GET /slow/pkg/tvinstaller.exe ' || true; }

# The disk, not the network: D: is a 130 MiB file system of its own (a
# tmpfs), so the default folder lies on it. Too full, "立即安装" says so and
# asks nothing of the server. With room made, the disk fills up during the
# download: the disk's message comes at once (no futile retries against the
# server), the part already written stays, and "重试" resumes it once there
# is room again.
full_disk() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  python3 "$ROOT/tools/make_update_site.py" "$site" "http://$PRIMARY_HOST/slow" $((4 * 1024 * 1024)) "$STAND_IN"
  local disk=$work/disk folder box
  folder=$disk/塔沃网络/塔沃岚盒
  mkdir -p "$disk" && mount -t tmpfs -o size=130m tarvo-disk "$disk" \
    || { check "full disk: a tmpfs is mounted" false; return; }
  drive_d "$disk"
  fallocate -l 100m "$disk/filler"
  open_setup "full disk" "$BUILD_DIR/TarvoSetup.exe" || { drive_d; umount "$disk"; return; }
  start_install full
  box=$(wait_window "$BOX_TITLE" 10)
  check "full disk: 立即安装 on a disk without room shows a notice" test -n "$box"
  shoot "$MAIN" full-no-space
  [ -n "$box" ] && click "$box" $BOX_LAST
  check "full disk: the notice closes" wait_until 5 no_box
  check "full disk: nothing was asked of the server" test -z "$(requests)"

  rm "$disk/filler"
  click "$MAIN" $INSTALL_BUTTON
  wait_until 15 test -s "$folder/tvinstaller_2.4.1.tmp"
  fallocate -l $(($(avail "$disk") - 600 * 1024)) "$disk/filler"
  box=$(wait_window "$BOX_TITLE" 20)
  check "full disk: the disk's message appears" test -n "$box"
  shoot "$MAIN" full-disk-box
  check "full disk: no retry went to the server (requests: $(package_requests))" test "$(package_requests)" = 1
  local part; part=$(stat -c %s "$folder/tvinstaller_2.4.1.tmp" 2>/dev/null || echo 0)
  check "full disk: the part written is kept ($part bytes)" test "$part" -gt 0
  rm "$disk/filler"
  [ -n "$box" ] && click "$box" $BOX_FIRST
  wait_until 30 test -s "$folder/tvinstaller.exe.args"
  check "full disk: after 重试 the package installer runs" \
    test "$(recorded "$folder/tvinstaller.exe.args")" = "$(package_line 'D:\塔沃网络\塔沃岚盒' 'D:\塔沃网络\塔沃岚盒')"
  check "full disk: the download resumed from the part" \
    grep -q '"GET /slow/pkg/tvinstaller.exe HTTP/1.1" 206' "$NGINX_CONF_DIR/access.log"
  xdotool key Escape
  end_setup 15
  drive_d
  umount "$disk"
}

# DLLs saved beside the installer, as into a download folder, under the names
# of the system DLLs it loads at run time. Wine is told to prefer them to its
# own, as Windows does for names that are not known DLLs (some of these are
# known DLLs there; the check is stricter than Windows): none may load,
# however far the install goes. The installer is the pinned one and the
# package signed, so that the signature check's DLLs are loaded too.
planted_dlls() {
  reset_prefix; make_site "$PRIMARY_HOST" "$PACKAGES/signed.exe" 0; serve "127.0.0.1 127.0.0.2"
  local downloads=$C/downloads planted=() dll
  rm -rf "$downloads" && mkdir -p "$downloads"
  cp "$BUILD_DIR/TarvoSetupPinned.exe" "$downloads/TarvoSetup.exe" && cp "$BUILD_DIR"/tests/planted/*.dll "$downloads/"
  for dll in "$downloads"/*.dll; do planted+=("$(basename "$dll" .dll)"); done
  WINEDLLOVERRIDES="$(IFS=,; echo "${planted[*]}")=n,b" open_setup planted "$downloads/TarvoSetup.exe" || return
  check "planted: a screen reader reads the window" test -n "$(children "$MAIN_NAME")"
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
  keys Tab Tab Tab Tab Tab Tab Tab
  check "keys: seven Tabs go round to 同意" wait_until 3 focused_is "$MAIN_NAME" 同意
  keys shift+Tab
  check "keys: Shift+Tab goes back to 最小化" wait_until 3 focused_is "$MAIN_NAME" 最小化
  keys Tab Tab Tab
  wait_until 3 focused_is "$MAIN_NAME" 自定义安装 && shoot "$MAIN" keys-focus-mark
  keys space
  check "keys: Space opens the folder page" wait_until 5 on_folder_page
  check "keys: the folder page as a reader hears it" matches "$(children "$MAIN_NAME")" \
    "^statictext:安装目录 editable:安装目录 pushbutton:浏览 statictext:所需磁盘空间：120MB statictext:可用磁盘空间： statictext:[0-9.]+[KMGT]?B pushbutton:安装 pushbutton:最小化 pushbutton:关闭\$"
  check "keys: the folder box holds the default folder" test "$(child_field "$MAIN_NAME" 安装目录 5 | tail -1)" = "$DEFAULT_DIR"
  keys Tab Tab Tab
  check "keys: three Tabs reach 安装 on the folder page" wait_until 3 focused_is "$MAIN_NAME" 安装
  shoot "$MAIN" keys-folder
  keys Return
  check_completed keys
}

# The exit question: Alt+F4 asks it as the close button does; a screen reader
# reads it and answers 取消 by its default action; asked again, Tab and Space
# on 确定 answer it.
exit_by_keys() {
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  open_setup "exit keys" "$BUILD_DIR/TarvoSetup.exe" || return
  point_at "$MAIN"
  keys alt+F4
  local box; box=$(wait_window "^$EXIT_NAME\$" 5)
  check "exit keys: Alt+F4 asks the exit question" test -n "$box"
  [ -n "$box" ] || return
  check "exit keys: the question as a reader hears it" test "$(children "$EXIT_NAME")" = \
    "statictext:退出安装 pushbutton:关闭 statictext:是否退出安装？ pushbutton:确定 pushbutton:取消"
  probe do "$EXIT_NAME" 取消
  check "exit keys: the reader's 取消 answers the question" wait_until 5 no_exit_question
  check "exit keys: and the installer goes on" test -n "$(visible_window "$MAIN_TITLE")"
  keys alt+F4
  box=$(wait_window "^$EXIT_NAME\$" 5)
  keys Tab
  check "exit keys: Tab reaches 确定 in the question" wait_until 3 focused_is "$EXIT_NAME" 确定
  shoot "$box" exit-question-focus
  keys space
  end_setup 15
  check "exit keys: Space on 确定 ends the installer with 0 (got $CODE)" test "$CODE" = 0
}

# A screen reader in a process of its own: the welcome page's and the
# progress page's children, the install started by the install button's
# default action, the progress value moving and the events heard on the way.
screen_reader() {
  reset_prefix; make_site "$PRIMARY_HOST"
  NGINX_SERVER='location /pkg/ { limit_rate 200k; }' serve "127.0.0.1 127.0.0.2"
  open_setup reader "$BUILD_DIR/TarvoSetup.exe" || return
  check "reader: the welcome page" test "$(children "$MAIN_NAME")" = \
    "pushbutton:立即安装 checkbox:同意 link:用户许可协议 pushbutton:自定义安装 pushbutton:最小化 pushbutton:关闭"
  check "reader: the agreement is checked" test "$(child_field "$MAIN_NAME" 同意 3)" = focusable,checked
  check "reader: the licence is a link" test "$(child_field "$MAIN_NAME" 用户许可协议 3)" = focusable,linked
  check "reader: hit tests and steps between the children" hits_and_steps "$MAIN_NAME"
  local events=$work/events values=() value end=$((SECONDS + 30))
  probe events "$MAIN_NAME" 60000 >"$events" &
  local watcher=$!
  wait_until 5 grep -q ready "$events"
  check "reader: the install button's default action" probe do "$MAIN_NAME" 立即安装
  check "reader: the progress page" wait_until 5 on_progress_page
  check "reader: the progress page's children" matches "$(children "$MAIN_NAME")" \
    "^progressbar:安装进度 statictext:下载中 statictext:.* pushbutton:最小化 pushbutton:关闭\$"
  check "reader: the bar is read-only" test "$(role_field "$MAIN_NAME" progressbar 3)" = readonly
  check "reader: hit tests and steps on the progress page" hits_and_steps "$MAIN_NAME"
  while ! test -s "$DEFAULT_UNIX/tvinstaller.exe.args" && [ "$SECONDS" -lt "$end" ]; do
    value=$(role_field "$MAIN_NAME" progressbar 5)
    [ -n "$value" ] && values+=("$value")
  done
  say "reader: progress values ${values[*]}"
  check "reader: the progress value moves (${values[*]})" test "$(printf '%s\n' "${values[@]}" | sort -u | wc -l)" -ge 3
  check_completed reader
  wait "$watcher"
  say "reader: events $(awk -F'|' '{ print $2 }' "$events" | sort | uniq -c | paste -sd' ')"
  check "reader: the page change was told once" test "$(grep -c '|reorder|' "$events")" = 1
  check "reader: the focus moving to the new page was told" grep -q '|focus|0|' "$events"
  check "reader: progress values were told" grep -q '|value|.*%' "$events"
  check "reader: texts were told" grep -q '|name|' "$events"
  check "reader: no text or value was told twice within a second" awk -F'|' '$2 == "name" || $2 == "value" {
    k = $2 $3; if ((k in last) && $1 - last[k] < 900) bad++; last[k] = $1 } END { exit bad > 0 }' "$events"
  check "reader: no value was told twice over" awk -F'|' '$2 == "value" && $4 != "" {
    if (($3 in last) && last[$3] == $4) bad++; last[$3] = $4 } END { exit bad > 0 }' "$events"
}

# The colour of one screen pixel at x,y of the window at 96 DPI, as RRGGBB.
pixel() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry "$1" || return 1
  import -window root -crop "1x1+$((X + $2 * WINDOW_DPI / 96))+$((Y + $3 * WINDOW_DPI / 96))" \
    -depth 8 txt:- 2>/dev/null | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'
}
window_size() { local X Y WIDTH HEIGHT SCREEN WINDOW; geometry "$1" && echo "${WIDTH}x$HEIGHT+$X+$Y"; }

# A screen of its own for a scale that the run's 1024 x 768 cannot hold.
# Wine's desktop takes the screen of the first program after the wineserver
# starts, so the server is ended on the way in and on the way out.
OWN_XVFB=
own_screen() { # WxH
  RUN_DISPLAY=$DISPLAY
  unset DISPLAY
  local run_xvfb=$XVFB_PID
  XVFB_SCREEN=${1}x24 start_display
  OWN_XVFB=$XVFB_PID XVFB_PID=$run_xvfb
  wineserver -k 2>/dev/null; wineserver -w
}
back_to_run_screen() {
  [ -n "$OWN_XVFB" ] || return 0
  wineserver -k 2>/dev/null; wineserver -w
  kill "$OWN_XVFB" 2>/dev/null; wait "$OWN_XVFB" 2>/dev/null
  OWN_XVFB= DISPLAY=$RUN_DISPLAY
}
no_exit_box() { [ "$(count_windows "$EXIT_TITLE")" = 0 ]; }

# The prefix at another DPI ($1; $2 the window's size, $3 a screen of its
# own if the run's is too small), put back afterwards: the window and its
# boxes open at the scale, centred, and each scaled button does what it does
# at 96 DPI, up to the package installer running.
at_dpi() {
  local dpi=$1 name="at $1 DPI" box free_before free_after screen_w screen_h
  reset_prefix; make_site "$PRIMARY_HOST"; serve "127.0.0.1 127.0.0.2"
  DPI_BEFORE=$(prefix_dpi) && set_prefix_dpi "$dpi"
  WINDOW_DPI=$dpi
  [ -n "${3:-}" ] && own_screen "$3"
  read -r screen_w screen_h < <(xdotool getdisplaygeometry)
  if open_setup "$name" "$BUILD_DIR/TarvoSetup.exe"; then
    local w=${2%x*} h=${2#*x}
    check "$name: the window is $2, centred (is $(window_size "$MAIN"))" \
      test "$(window_size "$MAIN")" = "$2+$(((screen_w - w) / 2))+$(((screen_h - h) / 2))"
    shoot "$MAIN" "dpi$dpi-welcome"
    click "$MAIN" $AGREE_OPTION
    click "$MAIN" $INSTALL_BUTTON
    box=$(wait_window "$BOX_TITLE" 10)
    check "$name: cleared agreement, then install: the notice" test -n "$box"
    [ -n "$box" ] && check "$name: the notice is at the scale (is $(window_size "$box"))" \
      test "$(window_size "$box" | cut -d+ -f1)" = "$((280 * dpi / 96))x$(((115 * dpi + 48) / 96))"
    shoot "$MAIN" "dpi$dpi-notice"
    [ -n "$box" ] && click "$box" $BOX_LAST
    check "$name: the notice's button closes it" wait_until 5 no_box
    click "$MAIN" $AGREE_OPTION
    click "$MAIN" $CLOSE_BUTTON
    box=$(wait_window "$EXIT_TITLE" 10)
    check "$name: the close button asks whether to exit" test -n "$box"
    [ -n "$box" ] && click "$box" $BOX_LAST
    check "$name: 取消 closes the question and keeps the window" wait_until 5 no_exit_box
    check "$name: the window is still there" has_window "$MAIN_TITLE"
    free_before=$(pixel "$MAIN" 100 260)
    click "$MAIN" $FREE_BUTTON
    sleep 0.5
    free_after=$(pixel "$MAIN" 100 260)
    check "$name: custom install opens the folder page ($free_before, then $free_after)" \
      test "$free_before:$free_after" != "FFFFFF:FFFFFF" -a "$free_after" = FFFFFF
    shoot "$MAIN" "dpi$dpi-folder"
    click "$MAIN" $INSTALL2_BUTTON
    wait_until 30 test -s "$DEFAULT_UNIX/tvinstaller.exe.args" && shoot "$MAIN" "dpi$dpi-installing"
    check "$name: install fetches and runs the package into the default folder" \
      test "$(recorded "$DEFAULT_UNIX/tvinstaller.exe.args")" = "$(package_line "$DEFAULT_DIR" "$DEFAULT_DIR")"
    xdotool key Escape
    end_setup 15
    check "$name: Esc during the install ends with 0 (got $CODE)" test "$CODE" = 0
  fi
  [ -n "${SETUP_PID:-}" ] && end_setup 0
  set_prefix_dpi "$DPI_BEFORE" && DPI_BEFORE=
  back_to_run_screen
  WINDOW_DPI=96
}

high_dpi() {
  at_dpi 144 810x533
  at_dpi 192 1080x710 2048x1536
}

# TARVO_SCENARIOS may name a few of them, for a developer's quicker run.
for scenario in ${TARVO_SCENARIOS:-whole_flow backup_host hosts_down corrupt_package not_agreed \
  earlier_install package_beside close_while_installing planted_dlls keys_only exit_by_keys screen_reader \
  pinned_signer beside_refused high_dpi full_disk}; do
  started=$SECONDS
  "$scenario"
  [ -n "${SETUP_PID:-}" ] && end_setup 0
  say "$scenario: $((SECONDS - started)) s"
done
reset_prefix
rm -rf "$work"
checks_verdict
