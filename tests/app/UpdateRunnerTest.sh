#!/bin/bash
# The update runner end to end: TarvoUpdateCheck.exe under Wine against a
# real nginx on loopback, including a download cut off by the server going
# away and resumed when it is back. Run by CTest from scripts/test, inside
# the harness's private network and Wine prefix. $1 is the build folder.
set -uo pipefail
BUILD_DIR=$1
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/../support/checks.sh"
trap 'stop_nginx' EXIT

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
sha=$(sha256sum "$site/pkg/tvinstaller.exe" | cut -d' ' -f1)
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
check "SHA-256 verified" grep -qx 'sha256 ok' <<<"$out"
check "no signers pinned: the signature is not checked" grep -qx 'signature not-checked' <<<"$out"
check "package in place" cmp -s "$site/pkg/tvinstaller.exe" "$work/ok/tvinstaller.exe"

sed 's/^Md5=.*/Md5=0123456789abcdef0123456789abcdef/' "$site/tvinstall.txt" >"$site/wrongmd5.txt"
out=$(runner --dns "$dead_dns" "$(winpath "$work/bad")" "$base/wrongmd5.txt"); code=$?
check "a digest mismatch fails" test "$code" = 1
check "mismatch line names both digests" grep -qx "md5 mismatch 0123456789abcdef0123456789abcdef $md5" <<<"$out"

# SHA-256 alone decides when MD5 is absent; a manifest with neither says so.
sed -e '/^Md5=/d' -e 's/^Sha256=\(.\)/Sha256=0\1/' "$site/tvinstall.txt" >"$site/wrongsha.txt"
out=$(runner --dns "$dead_dns" "$(winpath "$work/badsha")" "$base/wrongsha.txt"); code=$?
check "a malformed SHA-256 fails" test "$code" = 1
check "SHA-256 mismatch line" grep -qx "sha256 mismatch 0$sha $sha" <<<"$out"
check "no MD5: md5 none" grep -qx 'md5 none' <<<"$out"
sed -e '/^Md5=/d' -e '/^Sha256=/d' "$site/tvinstall.txt" >"$site/nodigest.txt"
out=$(runner --dns "$dead_dns" "$(winpath "$work/nodigest")" "$base/nodigest.txt"); code=$?
check "no digest at all passes" test "$code" = 0
check "no digest: sha256 none" grep -qx 'sha256 none' <<<"$out"

out=$(runner --dns "$dead_dns" "$(winpath "$work/down")" "$refused"); code=$?
check "no manifest host: exit 1" test "$code" = 1
check "no manifest host: one failed manifest line" grep -qx 'manifest 5 7 - -' <<<"$out"

# Signed packages, each behind a manifest whose digest matches it: only the
# pinned publisher's intact signature passes.
make_signed_packages "$work/packages" "$BUILD_DIR/tests/RecordArgs.exe"
pinned=$(signer_thumbprint publisher)
signature_of() { # package, then the runner's --signer arguments: sets out and code
  local package=$1; shift
  python3 "$ROOT/tools/make_update_site.py" "$site/$package" "$base/$package" 0 "$work/packages/$package.exe"
  out=$(runner --dns "$dead_dns" "$@" "$(winpath "$work/sig-$package")" "$base/$package/tvinstall.txt"); code=$?
}
for case in signed:ok:0 unsigned:unsigned:1 changed:bad:1 other:other-signer:1; do
  IFS=: read -r package verdict exit_code <<<"$case"
  signature_of "$package" --signer "$pinned"
  check "$package package: its digest matches" grep -qx 'md5 ok' <<<"$out"
  check "$package package: signature $verdict" grep -qx "signature $verdict" <<<"$out"
  check "$package package: exit code $exit_code (got $code)" test "$code" = "$exit_code"
done
signature_of other --signer "$pinned" --signer "$(signer_thumbprint other | tr a-f A-F)"
check "any of several pinned signers will do" grep -qx 'signature ok' <<<"$out"
check "several pinned signers: exit code 0 (got $code)" test "$code" = 0

# The DLLs of the signature check planted beside the runner are never
# loaded, even with Wine told to prefer DLLs beside the program: the check
# takes System32's (the runner, unlike the installer, leaves the process's
# own search as it is).
planted=$work/planted
mkdir -p "$planted"
cp "$BUILD_DIR/TarvoUpdateCheck.exe" "$BUILD_DIR"/tests/planted/{wintrust,crypt32,dbghelp}.dll "$planted/"
out=$(WINEDLLOVERRIDES=wintrust,crypt32,dbghelp=n,b wine "$planted/TarvoUpdateCheck.exe" --dns "$dead_dns" --signer "$pinned" \
  "$(winpath "$work/sig-planted")" "$base/signed/tvinstall.txt" 2>/dev/null | tr -d '\r')
check "planted DLLs: the signature is checked all the same" grep -qx 'signature ok' <<<"$out"
check "planted DLLs: none loaded ($(cd "$planted" && echo *.loaded))" test -z "$(find "$planted" -name '*.loaded')"

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
# last bytes are written out, both end the download with the disk's error.
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
    check "$manifest onto a full disk: the disk's own error ($(grep '^download ' <<<"$out"))" \
      grep -qx 'download 1 112' <<<"$out"
    umount "$disk"
  done
fi

rm -rf "$work"
checks_verdict
