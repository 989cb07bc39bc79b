#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (CTest's cross-compiling emulator).
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
exec wine "$@"
