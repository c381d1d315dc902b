#!/usr/bin/env bash
# Installs whatever is missing, builds the native configuration and the Windows one with each of
# its two compilers (MinGW-w64's GCC and clang), runs the static analysers over the clang build
# and every test: the native ones directly, the Windows ones of each build under Wine on a
# virtual display, each build in a Wine prefix of its own. Arguments go to every ctest run.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"
cd "$TIREMOLA_ROOT"

ensure_packages
build_preset host
build_preset windows
build_preset windows-clang

status=0
tools/analyse.sh "$TIREMOLA_BUILD/windows-clang" || status=1

# Large enough for the Wine desktop of the end-to-end session at 150 %.
start_virtual_display "$(scaled_screen 144)"
trap 'stop_wine; stop_virtual_display' EXIT
for preset in windows windows-clang; do
  ensure_scaled_wine_prefixes "$TIREMOLA_BUILD/$preset"
  ensure_wine_prefix "$TIREMOLA_BUILD/$preset/wineprefix" desktop
  start_wine
  ctest --preset "$preset" "$@" || status=1
  stop_wine
done
exit "$status"
