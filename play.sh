#!/usr/bin/env bash
# Installs whatever is missing, builds the game and starts it. On a desktop the window opens;
# without a display the game runs on a virtual one, a screenshot is saved and its path printed.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"
cd "$TIREMOLA_ROOT"

ensure_packages
# Only the game, not the tests and benchmarks: playing needs nothing else.
build_preset windows Tiremola
exe="$TIREMOLA_BUILD/windows/game/Tiremola.exe"

if [ -n "${DISPLAY:-}" ]; then
  ensure_wine_prefix "$TIREMOLA_BUILD/wineprefix-play"
  exec wine "$exe"
fi

ensure_wine_prefix "$TIREMOLA_BUILD/windows/wineprefix" desktop
start_virtual_display
trap 'stop_wine; stop_virtual_display' EXIT
start_wine
wine "$exe" </dev/null >/dev/null 2>&1 &
shot="$TIREMOLA_BUILD/screenshots/tiremola.png"
mkdir -p "$(dirname "$shot")"
python3 "$TIREMOLA_ROOT/tools/screenshot.py" --pid $! --out "$shot"
echo "$shot"
