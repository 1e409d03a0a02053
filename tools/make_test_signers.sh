#!/bin/bash
# Makes the tests' signers in folder $1 with openssl: a test CA and two
# publishers it certifies for code signing, "publisher" and "other"
# (NAME.key, and NAME.pem with the publisher's certificate and the CA's),
# and pinned.txt, the SHA-256 thumbprint of the publisher's certificate, the
# one signer the tests' pinned installer trusts. Fresh keys every time.
set -euo pipefail
out=$1
rm -rf "$out" && mkdir -p "$out" && cd "$out"
quiet() { "$@" >/dev/null 2>&1 || { echo "make_test_signers: failed: $*" >&2; exit 1; }; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Tarvo Test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign -keyout ca.key -out ca.crt
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >leaf.ext
for name in publisher other; do
  quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=Tarvo Test ${name^}" -keyout "$name.key" -out "$name.csr"
  quiet openssl x509 -req -in "$name.csr" -CA ca.crt -CAkey ca.key -CAcreateserial -days 3650 \
    -extfile leaf.ext -out "$name.crt"
  cat "$name.crt" ca.crt >"$name.pem"
done
openssl x509 -in publisher.crt -outform der | sha256sum | cut -d' ' -f1 >pinned.txt
