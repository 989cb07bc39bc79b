#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (CTest's cross-compiling emulator),
# with the Wine loader that matches the build's architecture (scripts/env.sh).
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
exec "$VEXO_WINE" "$@"
