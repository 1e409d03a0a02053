#!/bin/bash
# The system's proxy end to end: the prefix's per-user proxy setting names a
# forward proxy of ours (nginx on 127.0.0.5:3128) in front of the update
# site (nginx on 127.0.0.3:80), while the update hosts' own addresses answer
# nothing, so an install can only succeed through the proxy. A host on the
# bypass list goes direct, and with the proxy down an attempt goes direct
# once. TarvoUpdateCheck.exe drives the engine. Run by CTest from
# scripts/test, inside the run's private network and Wine prefix; the
# setting is removed again at the end. $1 is the build folder.
set -uo pipefail
BUILD_DIR=$1
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/../support/checks.sh"
enter_mount_namespace "$@"
SETTINGS='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections'
PROXY_PID=
cleanup() {
  stop_nginx
  [ -n "$PROXY_PID" ] && kill "$PROXY_PID" 2>/dev/null && wait "$PROXY_PID" 2>/dev/null
  wine reg delete "$SETTINGS" /v DefaultConnectionSettings /f >/dev/null 2>&1
}
trap cleanup EXIT

runner() { wine "$BUILD_DIR/TarvoUpdateCheck.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

work=$(mktemp -d "$BUILD_DIR/proxy.XXXXXX")
chmod 755 "$work"
site=$work/site
map_update_hosts
printf '127.0.0.3 bypass.tarvo.test\n127.0.0.3 direct.tarvo.test\n' >>"$BUILD_DIR/hosts.run"

NGINX_ADDRESSES=127.0.0.3 start_nginx "$site" 80
site_log=$NGINX_CONF_DIR/access.log
proxy_conf=$work/proxy
mkdir -p "$proxy_conf"
start_proxy() {
  run_nginx "$proxy_conf" 127.0.0.5:3128 "server { listen 127.0.0.5:3128;
    location / { proxy_pass http://127.0.0.3:80; proxy_set_header Host \$host; } }"
  PROXY_PID=$STARTED_NGINX_PID
}
start_proxy
through_proxy() { grep -c "\"GET http://$1" "$proxy_conf/access.log" 2>/dev/null || true; }

# The setting as the platform stores it: version 0x46, a counter, flags
# (1 direct, 2 proxy), then the proxy, the bypass list and the script
# address, each an ANSI string after its length.
set_proxy() { # flags, proxy, bypass list, script address
  local setting
  setting=$(python3 -c '
import struct, sys
def text(s): return struct.pack("<I", len(s)) + s.encode()
flags, proxy, bypass, script = sys.argv[1:]
sys.stdout.write((struct.pack("<III", 0x46, 1, int(flags)) + text(proxy) + text(bypass) + text(script)).hex())' "$@")
  wine reg add "$SETTINGS" /v DefaultConnectionSettings /t REG_BINARY /d "$setting" /f >/dev/null 2>&1
}
set_proxy 3 127.0.0.5:3128 '<local>;bypass.tarvo.test' ''

# The whole install through the proxy: the hosts' own addresses answer nothing.
python3 "$ROOT/tools/make_update_site.py" "$site" "http://$PRIMARY_HOST" $((1024 * 1024))
out=$(runner "$(winpath "$work/whole")" "http://$PRIMARY_HOST/tvinstall.txt"); code=$?
check "proxy: the install succeeds (exit $code)" test "$code" = 0
check "proxy: digests verified" grep -qx 'sha256 ok' <<<"$out"
check "proxy: the manifest came through the proxy" test "$(through_proxy "$PRIMARY_HOST/tvinstall.txt")" = 1
check "proxy: the package came through the proxy" test "$(through_proxy "$PRIMARY_HOST/pkg/tvinstaller.exe")" = 1

# The package host is on the bypass list: it is asked directly.
python3 "$ROOT/tools/make_update_site.py" "$site" "http://bypass.tarvo.test" $((256 * 1024))
out=$(runner "$(winpath "$work/bypass")" "http://$PRIMARY_HOST/tvinstall.txt"); code=$?
check "bypass: the install succeeds (exit $code)" test "$code" = 0
check "bypass: the package did not go through the proxy" test "$(through_proxy bypass.tarvo.test)" = 0
check "bypass: the package was asked for directly" grep -q 'bypass.tarvo.test "GET /pkg/tvinstaller.exe HTTP/1.1" 200' "$site_log"

# An automatic-configuration script names the proxy for one host only.
cat >"$work/proxy.pac" <<'PAC'
function FindProxyForURL(url, host) {
  return host == "bypass.tarvo.test" ? "DIRECT" : "PROXY 127.0.0.5:3128";
}
PAC
cp "$work/proxy.pac" "$site/proxy.pac"
set_proxy 5 '' '' http://direct.tarvo.test/proxy.pac
before=$(through_proxy "$PRIMARY_HOST/tvinstall.txt")
out=$(runner "$(winpath "$work/script")" "http://$PRIMARY_HOST/tvinstall.txt"); code=$?
check "script: the install succeeds (exit $code)" test "$code" = 0
check "script: the manifest came through the script's proxy" \
  test "$(through_proxy "$PRIMARY_HOST/tvinstall.txt")" = $((before + 1))
check "script: the package host it sends direct was asked directly" test "$(through_proxy bypass.tarvo.test)" = 0
set_proxy 3 127.0.0.5:3128 '<local>;bypass.tarvo.test' ''

# The proxy is down: each attempt goes direct once before it counts.
kill "$PROXY_PID"; wait "$PROXY_PID" 2>/dev/null; PROXY_PID=
python3 "$ROOT/tools/make_update_site.py" "$site" "http://direct.tarvo.test" $((256 * 1024))
out=$(runner "$(winpath "$work/down")" "http://direct.tarvo.test/tvinstall.txt"); code=$?
check "proxy down: the install succeeds directly (exit $code)" test "$code" = 0
check "proxy down: the manifest was asked for directly" grep -q 'direct.tarvo.test "GET /tvinstall.txt HTTP/1.1" 200' "$site_log"

rm -rf "$work"
checks_verdict
