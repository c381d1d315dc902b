#!/usr/bin/env bash
# Installs whatever is missing, builds both configurations, runs every benchmark under Wine on a
# virtual display (and the native ones directly), then a long run of the text fuzzer, and prints
# one table. TIREMOLA_BENCH_REPETITIONS (default 5) sets how often each program is started and
# TIREMOLA_FUZZ_SECONDS (default 300) how long the fuzzer runs.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$TIREMOLA_ROOT"

repetitions=${TIREMOLA_BENCH_REPETITIONS:-5}
fuzz_seconds=${TIREMOLA_FUZZ_SECONDS:-300}

ensure_packages
build_preset host >/dev/null
build_preset windows >/dev/null

windows="$TIREMOLA_BUILD/windows"
results=$(mktemp)
scaled=$(mktemp)
fuzz_log=$(mktemp)

# The benchmarks have a Wine prefix of their own, so that no test run shares their Wine server.
ensure_wine_prefix "$TIREMOLA_BUILD/bench/wineprefix" desktop
start_virtual_display "$(scaled_screen 144)"
trap 'stop_wine; stop_virtual_display; rm -f "$results" "$scaled" "$fuzz_log"' EXIT
start_wine

echo "Timing repaints, dragging and the window's construction..."
wine "$windows/bench/bench_game.exe" </dev/null >>"$results"
echo "Timing element lookups..."
wine "$windows/bench/bench_lookup.exe" </dev/null >>"$results"
echo "Timing start-up, idle load and memory ($repetitions starts of each program)..."
wine "$windows/bench/bench_launcher.exe" "$(winepath -w "$windows/game/Tiremola.exe")" \
  "$(winepath -w "$windows/bench/bench_baseline.exe")" "$repetitions" 10 \
  "$(winepath -w "$windows/bench/bench_baseline_styled.exe")" </dev/null >>"$results"
# Start-up, repaint and memory once more on a display at 150 %, each against the same comparison
# at that scale.
scaled_rows='^bench\|(full repaint \(242 cells|start-up until painted and idle, vs 263 static|peak working set after start-up, vs 263 static)'
stop_wine
ensure_wine_prefix "$TIREMOLA_BUILD/bench/wineprefix-144" "desktop=$(scaled_screen 144)" 144
start_wine
echo "Timing repaints, start-up and memory at 150 %..."
wine "$windows/bench/bench_game.exe" </dev/null >"$scaled"
wine "$windows/bench/bench_launcher.exe" "$(winepath -w "$windows/game/Tiremola.exe")" \
  "$(winepath -w "$windows/bench/bench_baseline.exe")" "$repetitions" 1 </dev/null >>"$scaled"
grep -E "$scaled_rows" "$scaled" >>"$results"
echo "Timing the computer's aim..."
"$TIREMOLA_BUILD/host/bench/bench_aim" >>"$results"

fuzzer="$TIREMOLA_BUILD/host/tests/host/text_fuzz"
if [ -x "$fuzzer" ]; then
  echo "Fuzzing the text utilities for $fuzz_seconds s..."
  corpus="$TIREMOLA_BUILD/bench/text_fuzz_corpus"
  mkdir -p "$corpus"
  if (cd "$TIREMOLA_BUILD/bench" && "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=1024 \
      "$corpus" >"$fuzz_log" 2>&1); then
    echo "note|text fuzzer: $(grep -E '^Done' "$fuzz_log" | tail -1), no crash, hang or broken property" >>"$results"
  else
    echo "note|text fuzzer FAILED after $(grep -oE '^#[0-9]+' "$fuzz_log" | tail -1 | tr -d '#') runs:" \
      "$(grep -E 'SUMMARY|property broken' "$fuzz_log" | head -2 | tr '\n' ' ')(input saved in $TIREMOLA_BUILD/bench)" \
      >>"$results"
  fi
fi

echo
echo "Tiremola benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version)"
echo
awk -F'|' '
  { sub(/\r$/, "") }
  $1 == "bench" {
    ratio = $4 + 0 > 0 ? sprintf("%8.2f", $3 / $4) : "       -"
    verdict = $6 + 0 > 0 ? ($3 / $4 <= $6 + 0 ? "meets <= " $6 : "MISSES <= " $6) : "-"
    printf "| %-62s | %12.4g | %12.4g | %-11s | %s | %-13s |\n", $2, $3, $4, $5, ratio, verdict
  }
  $1 == "note" { notes[++n] = $2 }
  BEGIN {
    printf "| %-62s | %12s | %12s | %-11s | %8s | %-13s |\n", "figure", "measured", "compared to", "unit", "ratio", "goal"
    printf "|%s|%s|%s|%s|%s|%s|\n", "----------------------------------------------------------------",
           "--------------", "--------------", "-------------", "----------", "---------------"
  }
  END { print ""; for (i = 1; i <= n; ++i) print "- " notes[i] }
' "$results"
