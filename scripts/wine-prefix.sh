#!/usr/bin/env bash
# Makes the Wine prefix that scripts/env.sh names ($WINEPREFIX, for the loader $VEXO_WINE) with
# the project's settings, once: a prefix that has them is left alone. scripts/setup.sh runs it for
# the suite's prefix, scripts/emulated-i686-run.sh for the emulated programs' one.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: creating the Wine prefix $WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$VEXO_WINE" wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
marker="$WINEPREFIX/.vexo-settings-1"
[ -f "$marker" ] && exit 0
echo "setup: applying the prefix settings"
# The skin names its font "微软雅黑"; Wine renders it with the installed CJK font.
for face in '微软雅黑' 'Microsoft YaHei'; do
  "$VEXO_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
    /d 'WenQuanYi Micro Hei' /f >/dev/null
done
# A crashing test program must end at once with a backtrace, not wait behind a crash dialog.
"$VEXO_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
wineserver -w || true
if grep -q 'WenQuanYi Micro Hei' "$WINEPREFIX/user.reg" &&
   grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
  touch "$marker"
else
  echo "setup: the prefix settings did not reach the registry" >&2
  exit 1
fi
