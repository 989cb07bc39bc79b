#!/usr/bin/env bash
# Runs a command (the shipped_i686_ tests' driver) with the Wine set-up of the shipped i686
# programs (scripts/env.sh's vexo_use_i686_wine) where the machine runs 32-bit code natively.
# Elsewhere it exits with 77, which CTest counts as skipped for these tests: there the
# shipped_i686_emulated_ tests run the same programs under emulation
# (scripts/emulated-i686-run.sh).
#   shipped-i686-run.sh COMMAND [ARG ...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ "$VEXO_I386" != native ] || ! vexo_use_i686_wine; then
  echo "shipped-i686-run: skipped, 32-bit programs do not run natively here ($VEXO_I386); the" \
    "shipped_i686_emulated_ tests run them under emulation" >&2
  exit 77
fi
echo "shipped-i686-run: 32-bit programs run natively, prefix $WINEPREFIX"
exec "$@"
