#!/usr/bin/env bash
# Installs whatever is missing, builds the game and starts it. On a desktop the window opens;
# without a display the game runs on a virtual one, a screenshot is saved and its path printed.
# With --dpi N the game runs on a display of that scale (96 is 100 %, 144 is 150 %), in a Wine
# prefix of its own set to it.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"
cd "$TIREMOLA_ROOT"

dpi=96
if [ "${1:-}" = --dpi ]; then
  dpi=${2:?"--dpi takes a scale in dots per inch, e.g. --dpi 144"}
  [[ $dpi =~ ^[0-9]+$ ]] && [ "$dpi" -ge 96 ] && [ "$dpi" -le 480 ] ||
    { echo "--dpi takes a whole number from 96 to 480, not $dpi" >&2; exit 2; }
fi
suffix=$([ "$dpi" = 96 ] || echo "-$dpi")

ensure_packages
# Only the game, not the tests and benchmarks: playing needs nothing else.
build_preset windows Tiremola
exe="$TIREMOLA_BUILD/windows/game/Tiremola.exe"

if [ -n "${DISPLAY:-}" ]; then
  ensure_wine_prefix "$TIREMOLA_BUILD/wineprefix-play$suffix" "" "$dpi"
  exec wine "$exe"
fi

ensure_wine_prefix "$TIREMOLA_BUILD/windows/wineprefix$suffix" "desktop=$(scaled_screen "$dpi")" "$dpi"
start_virtual_display "$(scaled_screen "$dpi")"
trap 'stop_wine; stop_virtual_display' EXIT
start_wine
wine "$exe" </dev/null >/dev/null 2>&1 &
shot="$TIREMOLA_BUILD/screenshots/tiremola$suffix.png"
mkdir -p "$(dirname "$shot")"
python3 "$TIREMOLA_ROOT/tools/screenshot.py" --pid $! --out "$shot"
echo "$shot"
