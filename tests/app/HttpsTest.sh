#!/bin/bash
# https end to end: TarvoUpdateCheck.exe under Wine against nginx serving TLS
# on port 443 of 127.0.0.1 (the primary update host) and 127.0.0.2 (the
# backup), with certificates made here by a test CA. Wine takes its trusted
# roots from the host's bundle at each process start, so inside this
# script's own mount namespace a copy of /etc/ssl/certs/ca-certificates.crt
# with the test CA appended is bound over it, as a hosts file of ours is
# bound over /etc/hosts; both go with the namespace. Run by CTest from
# scripts/test, inside the run's private network and Wine prefix; $1 is the
# build folder.
set -uo pipefail
BUILD_DIR=$1
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/../support/checks.sh"
enter_mount_namespace "$@"
DNS_PID=
trap 'stop_nginx; [ -n "$DNS_PID" ] && kill "$DNS_PID" 2>/dev/null' EXIT

runner() { wine "$BUILD_DIR/TarvoUpdateCheck.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

work=$(mktemp -d "$BUILD_DIR/https.XXXXXX")
chmod 755 "$work"
tls=$work/tls
mkdir -p "$tls"
map_update_hosts

make_test_ca "$tls" trusted && make_test_ca "$tls" stranger &&
  make_test_cert "$tls" good trusted 20200101000000Z 20991231000000Z "$PRIMARY_HOST" "$BACKUP_HOST" pkg.tarvo.test &&
  make_test_cert "$tls" wrongname trusted 20200101000000Z 20991231000000Z other.tarvo.test &&
  make_test_cert "$tls" unknownca stranger 20200101000000Z 20991231000000Z "$PRIMARY_HOST" &&
  make_test_cert "$tls" expired trusted 20200101000000Z 20200201000000Z "$PRIMARY_HOST" ||
  { echo "FAILED: the test certificates could not be made"; exit 1; }
trust_test_ca "$tls/trusted.crt"

# nginx with TLS on port 443: certificate $1 on 127.0.0.1, $2 on 127.0.0.2.
serve_tls() {
  stop_nginx
  NGINX_CONF_DIR=$(mktemp -d "$BUILD_DIR/nginx.XXXXXX")
  run_nginx "$NGINX_CONF_DIR" 127.0.0.2:443 "
  server { listen 127.0.0.1:443 ssl; ssl_certificate $tls/$1.crt; ssl_certificate_key $tls/$1.key; root $site; }
  server { listen 127.0.0.2:443 ssl; ssl_certificate $tls/$2.crt; ssl_certificate_key $tls/$2.key; root $site; }"
  NGINX_PID=$STARTED_NGINX_PID
}
served() { grep -c "$1" "$NGINX_CONF_DIR/access.log" 2>/dev/null || true; }

site=$work/site
primary="https://$PRIMARY_HOST/tvinstall.txt"
backup="https://$BACKUP_HOST/tvinstall.txt"
dead_dns="127.0.0.1:$(free_port)"

# The whole install over https: manifest and package from the primary.
python3 "$ROOT/tools/make_update_site.py" "$site" "https://$PRIMARY_HOST" $((2 * 1024 * 1024))
serve_tls good good
out=$(runner --dns "$dead_dns" "$(winpath "$work/whole")" "$primary" "$backup"); code=$?
check "https: the install succeeds (exit $code)" test "$code" = 0
check "https: manifest from the primary" grep -qx "manifest 0 0 2.4.1 $(md5sum "$site/pkg/tvinstaller.exe" | cut -d' ' -f1)" <<<"$out"
check "https: digests verified" grep -qx 'sha256 ok' <<<"$out"
check "https: both requests went to the primary, which speaks TLS only" \
  test "$(served '^127.0.0.1 .* 200 ')" = 2
check "https: the package arrived whole" cmp -s "$site/pkg/tvinstaller.exe" "$work/whole/tvinstaller.exe"

# A certificate that fails a check on the primary is a failed request: alone
# the host fails, with the backup the install goes on there.
python3 "$ROOT/tools/make_update_site.py" "$site" "https://$BACKUP_HOST" $((256 * 1024))
for bad in wrongname unknownca expired; do
  serve_tls "$bad" good
  out=$(runner --dns "$dead_dns" "$(winpath "$work/$bad-alone")" "$primary"); code=$?
  check "$bad: the primary alone fails (exit $code)" test "$code" = 1
  check "$bad: as a transfer failure" grep -q '^manifest 5 ' <<<"$out"
  out=$(runner --dns "$dead_dns" "$(winpath "$work/$bad")" "$primary" "$backup"); code=$?
  check "$bad: the backup takes over (exit $code)" test "$code" = 0
  check "$bad: no request reached the primary" test "$(served '^127.0.0.1 ')" = 0
  check "$bad: manifest and package came from the backup" test "$(served '^127.0.0.2 .* 200 ')" = 2
done

# The package host is in no hosts file: only the spare resolver finds it, and
# its answer is given to libcurl beside the name, which the certificate names.
dns_port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 "$ROOT/tests/support/dns_answer.py" "$dns_port" 127.0.0.1 &
DNS_PID=$!
python3 "$ROOT/tools/make_update_site.py" "$site" "https://pkg.tarvo.test" $((256 * 1024))
serve_tls good good
out=$(runner --dns "127.0.0.1:$dns_port" "$(winpath "$work/spare")" "$primary"); code=$?
check "spare resolver: the install succeeds over https (exit $code)" test "$code" = 0
check "spare resolver: the package came by its name" test "$(served '^127.0.0.1 pkg.tarvo.test "GET /pkg/tvinstaller.exe')" = 1

rm -rf "$work"
checks_verdict
