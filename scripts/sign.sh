#!/usr/bin/env bash
# Signs a Windows executable (Authenticode, SHA-256) with a code-signing certificate of the test
# authority, the authority's certificate carried along as the chain. A signature the file already
# has is replaced.
#   sign.sh IN [OUT] [--cert NAME]
#     IN      the executable; signed in place when OUT is not given
#     OUT     where the signed copy goes
#     NAME    a certificate of the authority's folder (NAME.crt with NAME.key, ~/.cache/vexo/testca):
#             codesign ("Vexo Test Publisher", the default) or othersigner ("Other Test
#             Publisher"); any other pair there signs too (a server certificate, say, to see a
#             signature refused); a NAME with a slash is a pair elsewhere (PATH.crt, PATH.key)
# The stamp (tools/stamp.py) goes into the signature afterwards, without signing again.
set -euo pipefail
# The test authority's folder, as scripts/env.sh names it.
testca="${VEXO_TESTCA_DIR:-${VEXO_CACHE:-$HOME/.cache/vexo}/testca}"

usage() { echo "usage: sign.sh IN [OUT] [--cert NAME]" >&2; exit 2; }
cert=codesign files=()
while [ $# -gt 0 ]; do
  case "$1" in
    --cert) [ $# -ge 2 ] || usage; cert="$2"; shift 2 ;;
    -*) usage ;;
    *) files+=("$1"); shift ;;
  esac
done
[ ${#files[@]} -ge 1 ] && [ ${#files[@]} -le 2 ] || usage
in="${files[0]}" out="${files[1]:-${files[0]}}"
case "$cert" in
  */*) crt="$cert.crt" key="$cert.key" ;;
  *) crt="$testca/$cert.crt" key="$testca/$cert.key" ;;
esac
for f in "$in" "$crt" "$key" "$testca/ca.crt"; do
  [ -f "$f" ] || { echo "sign: $f: no such file" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The signer's certificate first, then the authority's: a verifier builds the chain from the
# signature alone.
cat "$crt" "$testca/ca.crt" > "$work/chain.pem"
if ! osslsigncode sign -certs "$work/chain.pem" -key "$key" -h sha256 -n "Vexo" \
    -in "$in" -out "$work/signed.exe" > "$work/log" 2>&1; then
  echo "sign: $in: osslsigncode refused: $(grep -v '^Succeeded' "$work/log" | head -1)" >&2
  exit 1
fi
# Kept in the folder of OUT until whole, then moved over it in one step.
tmp="$out.signing"
cp "$work/signed.exe" "$tmp"
chmod --reference="$in" "$tmp" 2>/dev/null || true
mv -f "$tmp" "$out"
