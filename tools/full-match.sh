#!/usr/bin/env bash
# Plays whole matches in the real game through xdotool, to a win or a loss, on a virtual display
# with a Wine prefix of its own, so that several can run side by side and beside test.sh.
# Usage: tools/full-match.sh NAME [play_session.py options such as --seed 7 --sweep random]
#        tools/full-match.sh NAME --reader [--seed 7]: the match as a blind player plays it, every
#        move decided from what the screen reader's side reads (reader_session.py).
# Screenshots of every step go to build/full-match/NAME/shots.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$TIREMOLA_ROOT"

name=${1:?"usage: $0 NAME [options]"}
shift
ensure_packages
build_preset windows
work="$TIREMOLA_BUILD/full-match/$name"
ensure_wine_prefix "$work/wineprefix" desktop
start_virtual_display
trap 'stop_wine; stop_virtual_display' EXIT
start_wine

driver=(tests/e2e/play_session.py)
if [ "${1:-}" = --reader ]; then
  shift
  driver=(tests/e2e/reader_session.py --reader "$TIREMOLA_BUILD/windows/tests/e2e/reader.exe")
fi
python3 "${driver[@]}" --full-match \
  --exe "$TIREMOLA_BUILD/windows/game/Tiremola.exe" \
  --window-list "$TIREMOLA_BUILD/windows/tests/e2e/window_list.exe" \
  --shots "$work/shots" "$@"
