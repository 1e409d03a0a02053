# Shared steps of scripts/test, scripts/demo and scripts/bench. Sourced, not run.
# Every program of ours runs inside a private network namespace that has only
# loopback, with a Wine prefix and an X display of the run's own.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$BUILD_DIR/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export CCACHE_BASEDIR=$ROOT

say() { echo "[$(basename "$0")] $*" >&2; }

# Re-runs the calling script inside a new network namespace (once). With
# --mounts first it also gets a private mount namespace, where the script may
# bind files over system ones for its run alone (see map_update_hosts).
enter_private_network() {
  local namespaces=-n
  [ "${1:-}" = --mounts ] && { namespaces=-nm; shift; }
  if [ -z "${TARVO_IN_NETNS:-}" ]; then
    CURL_PREFIX=$("$ROOT/scripts/setup")
    export CURL_PREFIX TARVO_IN_NETNS=1
    exec unshare "$namespaces" -- "$0" "$@"
  fi
  ip link set lo up
  local others
  others=$(ip -o link show | awk -F': ' '{print $2}' | grep -v '^lo$' || true)
  if [ -n "$others" ]; then
    say "refusing to run: interfaces other than loopback are present: $others"
    exit 1
  fi
}

# A test script that binds files over system ones (map_update_hosts,
# trust_test_ca) re-runs itself in a mount namespace of its own, inside the
# run's network namespace.
enter_mount_namespace() {
  [ -n "${TARVO_IN_NETNS:-}" ] || { say "run me through scripts/test"; exit 1; }
  if [ -z "${TARVO_IN_MOUNTNS:-}" ]; then
    export TARVO_IN_MOUNTNS=1
    exec unshare -m -- bash "$0" "$@"
  fi
}

# The update host names built into the program ($1: PRIMARY or BACKUP), as
# the build was configured.
update_host() {
  sed -n "s/^TARVO_$1_UPDATE_HOST:STRING=//p" "$BUILD_DIR/CMakeCache.txt" | sed -E 's#^[A-Za-z]+://##; s#/+$##' 
}

# In a private mount namespace: a hosts file of the run's own over
# /etc/hosts, so the built-in update hosts resolve to 127.0.0.1 (primary) and
# 127.0.0.2 (backup) and the program runs exactly as it is shipped. Sets
# PRIMARY_HOST and BACKUP_HOST.
map_update_hosts() {
  PRIMARY_HOST=$(update_host PRIMARY)
  BACKUP_HOST=$(update_host BACKUP)
  if [ -z "$PRIMARY_HOST" ] || [ -z "$BACKUP_HOST" ]; then
    say "cannot read the update hosts from $BUILD_DIR/CMakeCache.txt"; exit 1
  fi
  local hosts=$BUILD_DIR/hosts.run
  printf '127.0.0.1 localhost\n::1 localhost\n127.0.0.1 %s\n127.0.0.2 %s\n' "$PRIMARY_HOST" "$BACKUP_HOST" >"$hosts"
  mount --bind "$hosts" /etc/hosts
}

# Certificates for tests and benchmarks, made at run time: a CA of the run's
# own (folder $1, name $2) and server certificates it signs.
make_test_ca() {
  local tls=$1; shift
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tls/$1.key" -out "$tls/$1.crt" -days 30 \
    -subj "/CN=Tarvo test $1" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
make_test_cert() { # folder, name, issuer, first day, last day (YYYYMMDDHHMMSSZ), DNS names...
  local tls=$1 name=$2 issuer=$3 start=$4 end=$5; shift 5
  local san; san=$(printf 'DNS:%s,' "$@")
  mkdir -p "$tls/$issuer.db" && : >"$tls/$issuer.db/index.txt"
  cat >"$tls/$issuer.cnf" <<CNF
[ca]
default_ca = it
[it]
database = $tls/$issuer.db/index.txt
new_certs_dir = $tls/$issuer.db
certificate = $tls/$issuer.crt
private_key = $tls/$issuer.key
default_md = sha256
policy = any
unique_subject = no
rand_serial = yes
[any]
commonName = supplied
[server]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = ${san%,}
CNF
  openssl req -newkey rsa:2048 -nodes -keyout "$tls/$name.key" -out "$tls/$name.csr" -subj "/CN=$name" 2>/dev/null &&
    openssl ca -batch -config "$tls/$issuer.cnf" -extensions server -startdate "$start" -enddate "$end" \
      -in "$tls/$name.csr" -out "$tls/$name.crt" 2>/dev/null
}

# In a private mount namespace: Wine takes its trusted roots from the host's
# bundle at each process start, so a copy of it with the CA $1 appended is
# bound over it for the run alone.
trust_test_ca() {
  cat /etc/ssl/certs/ca-certificates.crt "$1" >"$BUILD_DIR/ca-bundle.run"
  mount --bind "$BUILD_DIR/ca-bundle.run" /etc/ssl/certs/ca-certificates.crt
}

build_project() {
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/scripts/mingw-w64.cmake" \
    -DTARVO_CURL_PREFIX="$CURL_PREFIX" >"$BUILD_DIR.configure.log" 2>&1 \
    || { cat "$BUILD_DIR.configure.log" >&2; exit 1; }
  if ! cmake --build "$BUILD_DIR" -j"$(nproc)" >"$BUILD_DIR.build.log" 2>&1; then
    grep -vE '^\[ *[0-9]+%\]' "$BUILD_DIR.build.log" | tail -80 >&2
    say "build failed"
    exit 1
  fi
}

# The screen is 1024 x 768 unless XVFB_SCREEN gives another (WxHxDEPTH).
XVFB_PID=
start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  say "could not start Xvfb"
  exit 1
}

# The prefix is made once per build folder; fonts for the skin's Chinese face
# names are mapped to an installed CJK font.
prepare_wine() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/.tarvo-ready-3" ]; then
    say "creating Wine prefix $WINEPREFIX"
    WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot -i >/dev/null 2>&1
    local face
    for face in 宋体 微软雅黑; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    # A crashing test must end with its process, not wait for a debugger.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ \
      /d '' /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ \
      /d 1 /f >/dev/null 2>&1
    # D: is an optical drive in our prefixes: the default install folder must
    # pass such a drive by (tests/app/InstallFlowTest.cpp).
    mkdir -p "$BUILD_DIR/optical-d"
    ln -sfn "$BUILD_DIR/optical-d" "$WINEPREFIX/dosdevices/d:"
    wine reg add 'HKLM\Software\Wine\Drives' /v d: /t REG_SZ /d cdrom /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tarvo-ready-3"
  fi
}

# The screen scale of the prefix, as Wine 8 reads it: LogPixels under
# HKCU\Control Panel\Desktop, or where that value is missing the one of the
# Wine font settings (HKLM\...\Hardware Profiles\Current\Software\Fonts,
# HKCC). A new prefix has 96 in both; both are set to $1. prefix_dpi prints
# the DPI set now, to put back after a run at another scale.
DPI_KEYS=('HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts')
set_prefix_dpi() {
  local key
  for key in "${DPI_KEYS[@]}"; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 || return 1
  done
}
prefix_dpi() {
  local value
  value=$(wine reg query "${DPI_KEYS[0]}" /v LogPixels 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" {print $3}')
  echo $((${value:-96}))
}

finish_run() {
  stop_nginx
  wineserver -k 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# nginx with the server blocks $3, its files and logs in folder $1; returns
# once address:port $2 answers, and sets STARTED_NGINX_PID. Its access.log
# has a line a request: the address that answered, the host name asked
# for, request, status, body bytes, seconds.
run_nginx() {
  local conf_dir=$1 probe=$2 servers=$3
  cat >"$conf_dir/nginx.conf" <<CONF
daemon off;
user root;
worker_processes 1;
pid $conf_dir/nginx.pid;
error_log $conf_dir/error.log;
events { worker_connections 256; }
http {
  log_format run '\$server_addr \$host "\$request" \$status \$body_bytes_sent \$request_time';
  access_log $conf_dir/access.log run;
  # Request, status and the server's own time for it, for scripts/bench.
  log_format timed '\$request_uri \$status \$request_time';
  access_log $conf_dir/timed.log timed;
  client_body_temp_path $conf_dir;
  proxy_temp_path $conf_dir;
  fastcgi_temp_path $conf_dir;
  uwsgi_temp_path $conf_dir;
  scgi_temp_path $conf_dir;
  $servers
}
CONF
  nginx -c "$conf_dir/nginx.conf" -p "$conf_dir" &
  STARTED_NGINX_PID=$!
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/${probe%:*}/${probe##*:}") 2>/dev/null && return 0
    sleep 0.1
  done
  say "nginx did not start"; exit 1
}

# nginx serving folder $1 on port $2 (a free one if not given); sets
# NGINX_PORT and NGINX_CONF_DIR. NGINX_ADDRESSES lists the loopback
# addresses it listens on (127.0.0.1 if unset); NGINX_SERVER adds directives
# to its one server.
NGINX_PID=
start_nginx() {
  local root=$1 address listen=
  NGINX_CONF_DIR=$(mktemp -d "$BUILD_DIR/nginx.XXXXXX")
  chmod 755 "$NGINX_CONF_DIR"
  NGINX_PORT=${2:-$(free_port)}
  local addresses=(${NGINX_ADDRESSES:-127.0.0.1})
  for address in "${addresses[@]}"; do listen+="listen $address:$NGINX_PORT; "; done
  run_nginx "$NGINX_CONF_DIR" "${addresses[0]}:$NGINX_PORT" "server {
    $listen
    root $root;
    ${NGINX_SERVER:-}
    location /slow/ { alias $root/; limit_rate 1m; }
  }"
  NGINX_PID=$STARTED_NGINX_PID
}

stop_nginx() {
  [ -n "$NGINX_PID" ] && kill "$NGINX_PID" 2>/dev/null
  [ -n "$NGINX_PID" ] && wait "$NGINX_PID" 2>/dev/null
  NGINX_PID=
}

# An update site served by nginx for the run: exports TARVO_NGINX_URL and
# TARVO_SITE_DIR. $1 is the package size in bytes; $2 and $3, if given, the
# port and the host name the site is served under (a free port on 127.0.0.1
# by default).
start_update_site() {
  local size=$1 host=${3:-127.0.0.1}
  TARVO_SITE_DIR=$(mktemp -d "$BUILD_DIR/site.XXXXXX")
  chmod 755 "$TARVO_SITE_DIR"
  start_nginx "$TARVO_SITE_DIR" "${2:-}"
  TARVO_NGINX_URL="http://$host:$NGINX_PORT"
  python3 "$ROOT/tools/make_update_site.py" "$TARVO_SITE_DIR" "$TARVO_NGINX_URL" "$size"
  export TARVO_SITE_DIR TARVO_NGINX_URL
}

# The signature cases' packages in folder $1, made from program $2 with the
# test signers the build made (tools/make_test_signers.sh): unsigned.exe,
# signed.exe (by the publisher the pinned installer trusts), other.exe (by
# the other publisher) and changed.exe (signed.exe with a byte of its DOS
# stub changed afterwards: it still runs, and its signature is broken).
make_signed_packages() {
  local dir=$1 program=$2
  mkdir -p "$dir"
  cp "$program" "$dir/unsigned.exe"
  sign_as publisher "$program" "$dir/signed.exe" && sign_as other "$program" "$dir/other.exe" || return 1
  cp "$dir/signed.exe" "$dir/changed.exe"
  printf t | dd of="$dir/changed.exe" bs=1 seek=78 conv=notrunc status=none  # "This program..."
}

# Signs program $2 into $3 as test signer $1 (publisher or other).
sign_as() {
  local signers=$BUILD_DIR/test-signers
  osslsigncode sign -certs "$signers/$1.pem" -key "$signers/$1.key" -in "$2" -out "$3" >/dev/null \
    || { say "osslsigncode failed"; return 1; }
}

# The SHA-256 thumbprint of test signer $1 (publisher or other).
signer_thumbprint() {
  openssl x509 -in "$BUILD_DIR/test-signers/$1.crt" -outform der | sha256sum | cut -d' ' -f1
}
