#!/bin/bash
# The update runner end to end: TarvoUpdateCheck.exe under Wine against a
# real nginx on loopback, including a download cut off by the server going
# away and resumed when it is back. Run by CTest from scripts/test, inside
# the harness's private network and Wine prefix. $1 is the build folder.
set -uo pipefail
BUILD_DIR=$1
source "$(dirname "$0")/../../scripts/lib.sh"
trap 'stop_nginx' EXIT

passed=0 failed=0
check() { # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
runner() { wine "$BUILD_DIR/TarvoUpdateCheck.exe" "$@" 2>"$work/stderr.txt" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

work=$(mktemp -d "$BUILD_DIR/runner.XXXXXX")
chmod 755 "$work"
site="$work/site"
mkdir -p "$site"
start_nginx "$site"
port=$NGINX_PORT
base="http://127.0.0.1:$port"
python3 "$ROOT/tools/make_update_site.py" "$site" "$base" $((6 * 1024 * 1024))
md5=$(md5sum "$site/pkg/tvinstaller.exe" | cut -d' ' -f1)
dead_dns="127.0.0.1:$(free_port)"
refused="http://127.0.0.1:$(free_port)/tvinstall.txt"

out=$(runner --help); code=$?
check "--help exits 0" test "$code" = 0
check "--help explains the output" grep -q 'md5 mismatch EXPECTED ACTUAL' <<<"$out"
runner --dns nonsense "$(winpath "$work/x")" "$base/tvinstall.txt" >/dev/null; code=$?
check "a bad --dns is a usage error" test "$code" = 2
runner "$(winpath "$work/x")" >/dev/null; code=$?
check "a missing manifest address is a usage error" test "$code" = 2

out=$(runner --dns "$dead_dns" "$(winpath "$work/ok")" "$refused" "$base/tvinstall.txt"); code=$?
check "download succeeds through the backup" test "$code" = 0
check "exactly one manifest line, from the backup" test "$(grep -c '^manifest ' <<<"$out")" = 1
check "manifest line carries version and digest" grep -qx "manifest 0 0 2.4.1 $md5" <<<"$out"
check "progress lines are printed" grep -q '^progress 6291456 ' <<<"$out"
check "download line" grep -qx 'download 0 0' <<<"$out"
check "digest verified" grep -qx 'md5 ok' <<<"$out"
check "package in place" cmp -s "$site/pkg/tvinstaller.exe" "$work/ok/tvinstaller.exe"

sed 's/^Md5=.*/Md5=0123456789abcdef0123456789abcdef/' "$site/tvinstall.txt" >"$site/wrongmd5.txt"
out=$(runner --dns "$dead_dns" "$(winpath "$work/bad")" "$base/wrongmd5.txt"); code=$?
check "a digest mismatch fails" test "$code" = 1
check "mismatch line names both digests" grep -qx "md5 mismatch 0123456789abcdef0123456789abcdef $md5" <<<"$out"

out=$(runner --dns "$dead_dns" "$(winpath "$work/down")" "$refused"); code=$?
check "no manifest host: exit 1" test "$code" = 1
check "no manifest host: one failed manifest line" grep -qx 'manifest 5 7 - -' <<<"$out"

# The runner is killed mid-download; the next run resumes from exactly what
# is on disk and ends with the served bytes.
sed "s#^Url=.*#Url=$base/slow/pkg/tvinstaller.exe#" "$site/tvinstall.txt" >"$site/slow.txt"
tmp="$work/resume/tvinstaller_2.4.1.tmp"
wine "$BUILD_DIR/TarvoUpdateCheck.exe" --dns "$dead_dns" "$(winpath "$work/resume")" "$base/slow.txt" >/dev/null 2>&1 &
first=$!
for _ in $(seq 200); do
  size=$(stat -c %s "$tmp" 2>/dev/null || echo 0)
  [ "$size" -gt 1500000 ] && break
  sleep 0.1
done
kill -KILL "$first"
wait "$first" 2>/dev/null
part=$(stat -c %s "$tmp" 2>/dev/null || echo 0)
check "the killed run's part is kept" test "$part" -gt 1000000
out=$(runner --dns "$dead_dns" "$(winpath "$work/resume")" "$base/slow.txt"); code=$?
check "resumed download succeeds" test "$code" = 0
check "resumed download verified" grep -qx 'md5 ok' <<<"$out"
check "resumed from the size on disk" \
  grep -q "\"GET /slow/pkg/tvinstaller.exe HTTP/1.1\" 206 $((6 * 1024 * 1024 - part)) " "$NGINX_CONF_DIR/access.log"
check "resumed package in place" cmp -s "$site/pkg/tvinstaller.exe" "$work/resume/tvinstaller.exe"

# A full disk: a write that fails mid-body, and one that fails only when the
# last bytes are written out, end the download as any failed write does.
if [ "$(readlink /proc/self/ns/mnt)" = "$(readlink /proc/1/ns/mnt)" ]; then
  check "a private mount namespace for the full disk (run through scripts/test)" false
else
  head -c $((700 * 1024)) /dev/urandom >"$site/small.bin"
  sed -e "s#^Url=.*#Url=$base/small.bin#" -e "s/^Size=.*/Size=$((700 * 1024))/" \
    -e "s/^Md5=.*/Md5=$(md5sum "$site/small.bin" | cut -d' ' -f1)/" "$site/tvinstall.txt" >"$site/small.txt"
  for manifest in tvinstall.txt small.txt; do
    disk="$work/full-$manifest"
    mkdir -p "$disk" && mount -t tmpfs -o size=512k tarvo-full "$disk"
    out=$(runner --dns "$dead_dns" "$(winpath "$disk")" "$base/$manifest"); code=$?
    check "$manifest onto a full disk fails" test "$code" = 1
    check "$manifest onto a full disk: a failed write" grep -qx 'download 5 23' <<<"$out"
    umount "$disk"
  done
fi

rm -rf "$work"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
