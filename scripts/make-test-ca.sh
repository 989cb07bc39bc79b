#!/usr/bin/env bash
# Makes the test certificate authority and the server certificates the HTTPS tests use, and adds
# the authority to the system trust store (Wine's certificate store reads it from there).
#   ca.crt           the test authority
#   localhost.*      localhost, signed by the authority: must be accepted
#   wrongname.*      another host name, signed by the authority: must be refused for localhost
#   expired.*        localhost, signed by the authority, validity over: must be refused
#   selfsigned.*     localhost, signed by itself: must be refused
#   nonca.*          localhost, signed by an ordinary server certificate of the authority
#                    (CA:FALSE, critical) that may not sign: must be refused; nonca.crt holds the
#                    whole chain
#   codesign.*       a code-signing certificate of the authority, "Vexo Test Publisher"
#   othersigner.*    a code-signing certificate of the authority, "Other Test Publisher"
# Certificates added later are made with the existing authority, so that a machine set up before
# keeps its trust store and gains only the new files.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
dir="$VEXO_TESTCA_DIR"
anchor=/usr/local/share/ca-certificates/vexo-test-ca.crt

make_all() {
  rm -rf "$dir.tmp"; mkdir -p "$dir.tmp"; cd "$dir.tmp"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 3650 \
    -subj "/CN=Vexo Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  mkdir -p db/new; : > db/index.txt; echo 1000 > db/serial
  cat > ca.cnf <<'CNF'
[ ca ]
default_ca = test_ca
[ test_ca ]
dir = .
database = ./db/index.txt
new_certs_dir = ./db/new
serial = ./db/serial
certificate = ./ca.crt
private_key = ./ca.key
default_md = sha256
policy = any
unique_subject = no
copy_extensions = copy
[ any ]
commonName = supplied
CNF
  server localhost localhost "-days 3650"
  server wrongname otherhost.invalid "-days 3650"
  server expired localhost "-startdate 20200101000000Z -enddate 20200201000000Z"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout selfsigned.key -out selfsigned.crt -days 3650 \
    -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost" 2>/dev/null
  make_extras
  cd - >/dev/null
  rm -rf "$dir"; mv "$dir.tmp" "$dir"
}

# The certificates beyond the first set, in the current folder, each made once.
make_extras() {
  [ -f nonca.crt ] || nonca
  [ -f codesign.crt ] || code_signer codesign "Vexo Test Publisher"
  [ -f othersigner.crt ] || code_signer othersigner "Other Test Publisher"
}

# localhost signed by a certificate of the authority that is not itself an authority: a server
# certificate as any web server holds (its key usages, none of them signing certificates).
nonca() {
  openssl req -newkey rsa:2048 -nodes -keyout nonca-signer.key -out nonca-signer.csr \
    -subj "/CN=Vexo Test End Entity" -addext "basicConstraints=critical,CA:FALSE" \
    -addext "keyUsage=critical,digitalSignature,keyEncipherment" \
    -addext "extendedKeyUsage=serverAuth" 2>/dev/null
  openssl ca -batch -config ca.cnf -days 3650 -in nonca-signer.csr -out nonca-signer.crt -notext 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -keyout nonca.key -out nonca.csr -subj "/CN=localhost" 2>/dev/null
  printf 'subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n' > nonca.ext
  openssl x509 -req -in nonca.csr -CA nonca-signer.crt -CAkey nonca-signer.key -CAcreateserial \
    -days 3650 -sha256 -extfile nonca.ext -out nonca.leaf.crt 2>/dev/null
  cat nonca.leaf.crt nonca-signer.crt > nonca.crt
}

# code_signer NAME SUBJECT: a code-signing certificate and key of the authority.
code_signer() {
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2/O=$2" \
    -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" 2>/dev/null
  openssl ca -batch -config ca.cnf -days 3650 -in "$1.csr" -out "$1.crt" -notext 2>/dev/null
}

# server NAME HOST DATES: a key and a certificate for HOST signed by the test authority.
server() {
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2" \
    -addext "subjectAltName=DNS:$2" 2>/dev/null
  # shellcheck disable=SC2086
  openssl ca -batch -config ca.cnf $3 -in "$1.csr" -out "$1.crt" -notext 2>/dev/null
}

[ -f "$dir/selfsigned.crt" ] || make_all
(cd "$dir" && make_extras)
if ! cmp -s "$dir/ca.crt" "$anchor"; then
  mkdir -p "$(dirname "$anchor")"
  cp "$dir/ca.crt" "$anchor"
  update-ca-certificates >/dev/null
fi
