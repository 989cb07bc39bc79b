# Shared environment of the project's scripts: sourced, never run.
# Everything the scripts build or install outside the repository lives under VEXO_CACHE.
export VEXO_CACHE="${VEXO_CACHE:-$HOME/.cache/vexo}"
export WINEPREFIX="${WINEPREFIX:-$VEXO_CACHE/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installation prompts when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
VEXO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export VEXO_ROOT
export VEXO_TESTCA_DIR="$VEXO_CACHE/testca"
