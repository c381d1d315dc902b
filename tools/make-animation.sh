#!/usr/bin/env bash
# Makes docs/tiremola.gif, the README's animation, from the screenshots of a whole match played by
# tools/full-match.sh: the fleet dragged into place with the orientation popup, the first turns of
# the match (the player's shots, the computer's yellow aim and its shots), its last turns, and the
# box that says who won, held longer. Frames keep the order in which they were taken.
# Usage: tools/make-animation.sh [SHOTS_FOLDER [OUTPUT]]  (default build/full-match/anim/shots)
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$TIREMOLA_ROOT"

shots=${1:-$TIREMOLA_BUILD/full-match/anim/shots}
out=${2:-docs/tiremola.gif}
# The game's window inside the 1024 x 768 virtual desktop, title bar included.
window=${TIREMOLA_ANIMATION_CROP:-646x444+100+100}
first_turns=${TIREMOLA_ANIMATION_FIRST:-20}
last_turns=${TIREMOLA_ANIMATION_LAST:-4}

in_order() { ls -tr "$shots"/$1 2>/dev/null || true; }
mapfile -t opening < <(in_order '0[123]-*.png' | grep -v -- '-FAILED\.png$')
mapfile -t match < <(in_order '04-match-*.png' | grep -v -- '-button-')
ending="$shots/05-match-end-box.png"
[ "${#opening[@]}" -gt 0 ] && [ "${#match[@]}" -gt 0 ] && [ -f "$ending" ] ||
  { echo "No whole match in $shots: run tools/full-match.sh anim first." >&2; exit 1; }
if [ "${#match[@]}" -gt $((first_turns + last_turns)) ]; then
  match=("${match[@]:0:first_turns}" "${match[@]: -last_turns}")
fi

ensure_packages
convert -delay 60 "${opening[@]}" "${match[@]}" -delay 500 "$ending" \
  -crop "$window" +repage +dither -colors 32 -layers Optimize -loop 0 "$out"
echo "$out: $(( ${#opening[@]} + ${#match[@]} + 1 )) frames, $(( $(stat -c %s "$out") / 1024 )) KiB"
