#!/usr/bin/env bash
# Fetches pugixml's sources from Debian's source package (used only by the markup parsing
# benchmark, as the reference parser) into $VEXO_CACHE/pugixml and unpacks them. Idempotent:
# an unpacked tree is left as it is. Prints the source directory (the one holding pugixml.cpp).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

dest="$VEXO_CACHE/pugixml"
src="$dest/src"
if [[ ! -f "$src/src/pugixml.cpp" ]]; then
    mkdir -p "$dest"
    cd "$dest"
    # The .dsc and tarballs stay cached; only the unpack is repeated when the tree is missing.
    if ! ls pugixml_*.dsc >/dev/null 2>&1; then
        apt-get source --download-only pugixml >&2
    fi
    rm -rf "$src"
    dpkg-source --no-check --skip-debianization -x "$(ls pugixml_*.dsc | head -n1)" "$src" >&2
fi
echo "$src/src"
