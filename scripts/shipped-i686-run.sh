#!/usr/bin/env bash
# Runs a command (the shipped_i686_ tests' driver) with the Wine set-up of the shipped i686
# programs (scripts/env.sh's vexo_use_i686_wine): natively where the machine runs 32-bit code,
# else under the emulation that scripts/setup.sh registers. Exits with 77, which CTest counts as
# skipped for these tests, when 32-bit programs cannot run here (after a restart dropped the
# emulation's handler and before scripts/setup.sh registered it again).
#   shipped-i686-run.sh COMMAND [ARG ...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if ! vexo_use_i686_wine; then
  echo "shipped-i686-run: skipped, 32-bit programs cannot run here (scripts/setup.sh sets up their emulation)" >&2
  exit 77
fi
echo "shipped-i686-run: 32-bit programs run $([ "$VEXO_I386" = native ] && echo natively || echo emulated), prefix $WINEPREFIX"
if [ "$VEXO_I386" = emulated ]; then
  # The prefix's wineserver and its service programs started before the test's clocks run (the
  # display did that for the suite's own prefix): under emulation they take seconds.
  python3 -c 'import os; from vexoharness import display; display.warm_up_wine(dict(os.environ))'
fi
exec "$@"
