#!/usr/bin/env bash
# Mutation check: puts small faults into the toolkit, the game and the installer one at a time,
# rebuilds, runs the tests that cover the faulty file and tells whether any of them failed. It is
# slow, so the test command leaves it out; run it after changing tests or the code they guard.
#
# The faults are listed in tools/mutations.txt, one a line, four fields separated by " ¦ "
# (the broken bar, U+00A6, which no source of the project contains; the check below makes
# sure of that):
#
#   FILE[:N] ¦ EXACT TEXT ¦ REPLACEMENT ¦ BEHAVIOUR THE FAULT BREAKS
#
# FILE is relative to the repository's root. EXACT TEXT is one line's worth of source, matched
# byte for byte; it must occur exactly once in the file, or N (counting from 1) says which
# occurrence is meant. An empty REPLACEMENT drops the text. Blank lines and lines that start
# with # are ignored. An optional fifth field " ¦ TEST[=FILTER] ..." names the test executables
# to run for that fault, in order, each with an optional gtest filter, instead of those the
# file maps to below.
#
# Usage: tools/mutate.sh [-c] [-l LIST] [WORD]
#   -c       only check that every fault's text is there (exactly once, or its occurrence N)
#   -l LIST  another fault list
#   WORD     only the faults whose line contains WORD
#
# One line per fault: "killed", "survived", "not applied" (its text is missing or ambiguous) or
# "does not build" (a bad fault, to be mended in the list: it proves nothing), then a last line
# "killed K of N", where N counts the faults that were applied and built.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$TIREMOLA_ROOT"

list=tools/mutations.txt
check_only=0
while getopts cl: option; do
  case $option in
    c) check_only=1 ;;
    l) list=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
word=${1:-}

separator=' ¦ '
windows="$TIREMOLA_BUILD/windows"
host="$TIREMOLA_BUILD/host"
# Each test executable's time limit; a fault that makes a test hang is caught by it. The
# installer's test runs for about a minute when nothing fails, so it gets four times as long.
test_timeout=${TIREMOLA_MUTATION_TIMEOUT:-150}
timeout_for() {
  case $1 in
    installer) echo $((test_timeout * 4)) ;;
    *) echo "$test_timeout" ;;
  esac
}

if grep -rlF '¦' toolkit game packaging >/dev/null; then
  echo "The separator occurs in a source file: choose another." >&2
  exit 2
fi

# The test executables, in the order they run, that cover a source file, each with an optional
# gtest filter (the GDI soak of the drawing tests takes most of their time and guards only the
# ledger). The most direct come first: the run stops at the first failure, and each executable
# stops at its first failing test.
tests_for() {
  local drawing='drawing_tests=-GdiLeakTest.*'
  case $1 in
    toolkit/TextUtilities.cpp) echo host_tests text_fuzz ;;
    game/FleetLayout.cpp | game/Random.cpp) echo host_tests placement_tests ;;
    game/Targeting.cpp) echo host_tests match_tests ;;
    game/CellName.cpp | game/CellName.h) echo host_tests placement_tests match_tests ;;
    toolkit/ElementRegistry.cpp | toolkit/GUIElement.cpp | toolkit/Label.cpp | toolkit/Timer.cpp)
      echo element_tests control_tests form_tests "$drawing" main_window_tests ;;
    toolkit/Form.cpp | toolkit/WindowProc.cpp)
      echo form_tests element_tests control_tests window_proc_fuzz_tests main_window_tests ;;
    toolkit/CellControl.cpp | toolkit/Drawing.cpp | toolkit/Button.cpp)
      echo "$drawing" control_tests main_window_tests ;;
    toolkit/Menu.cpp | toolkit/PanelChildren.cpp | toolkit/Image.cpp | toolkit/TextBox.cpp)
      echo control_tests "$drawing" form_tests main_window_tests ;;
    toolkit/FormAbout.cpp | toolkit/ShellOpen.cpp) echo main_window_tests control_tests ;;
    toolkit/Dpi.cpp) echo dpi_tests_144 "$drawing" ;;
    toolkit/Platform.cpp) echo planted_library main_window_tests ;;
    game/Main.cpp) echo planted_library ;;
    game/LoadConfiguration.cpp | tools/check-release-exe.sh | tools/pe-load-config.py) echo release_check ;;
    game/Product.cpp | packaging/tiremola.nsi) echo installer ;;
    game/FormMainLayout.cpp | game/FormMainModel.cpp | game/FormMainHelp.cpp | game/FormMain.cpp)
      echo main_window_tests placement_tests match_tests ;;
    game/FormMainPlacement.cpp) echo placement_tests main_window_tests match_tests ;;
    game/FormMainMatch.cpp | game/FormMainComputer.cpp) echo match_tests main_window_tests placement_tests ;;
    *) return 1 ;;
  esac
}

is_host_test() {
  [ "$1" = host_tests ] || [ "$1" = text_fuzz ]
}

# The Windows build targets a test needs: a test executable is its own, and a test named after a
# scale (dpi_tests_144) runs its executable in the prefix of that scale; the tests that a script
# drives need the programs it runs.
build_targets_for() {
  case $1 in
    installer) echo release_files hold_files ;;
    planted_library) echo library_probe shell_target planted_winmm planted_shell32 planted_ole32 window_list release_files ;;
    release_check) echo release_files ;;
    e2e_*) echo Tiremola window_list reader ;;
    *_[0-9]*) echo "${1%_*}" ;;
    *) echo "$1" ;;
  esac
}

# Applies occurrence N of TEXT in FILE; answers 1 when the text is missing, 2 when it is there
# more than once and no occurrence was named.
apply_fault() {
  python3 - "$@" <<'EOF'
import sys
path, occurrence, text, replacement = sys.argv[1], sys.argv[2], sys.argv[3].encode(), sys.argv[4].encode()
data = open(path, 'rb').read()
starts, at = [], data.find(text)
while at != -1:
    starts.append(at)
    at = data.find(text, at + 1)
if not starts:
    sys.exit(1)
if occurrence == '' and len(starts) > 1:
    sys.exit(2)
index = int(occurrence or 1) - 1
if index >= len(starts):
    sys.exit(1)
if len(sys.argv) > 5:
    sys.exit(0)
at = starts[index]
open(path, 'wb').write(data[:at] + replacement + data[at + len(text):])
EOF
}

backup=$(mktemp -d)
mutated=
restore() {
  if [ -n "$mutated" ]; then
    cp "$backup/original" "$mutated"
    cmp -s "$backup/original" "$mutated" || echo "Could not restore $mutated: its original is $backup/original" >&2
    mutated=
  fi
}
finish() {
  restore
  if [ "$check_only" = 0 ]; then
    stop_wine
    stop_virtual_display
  fi
  rm -rf "$backup"
}
trap finish EXIT
trap 'exit 130' INT TERM

if [ "$check_only" = 0 ]; then
  build_preset host >/dev/null
  build_preset windows >/dev/null
  ensure_wine_prefix "$windows/wineprefix" desktop
  ensure_scaled_wine_prefixes "$windows"
  start_virtual_display "$(scaled_screen 144)"
  start_wine
fi

killed=0
applied=0
not_applied=0
unbuilt=0
while IFS= read -r line || [ -n "$line" ]; do
  case $line in '' | '#'*) continue ;; esac
  [ -n "$word" ] && [[ $line != *"$word"* ]] && continue
  IFS=$'\x1f' read -r place text replacement behaviour chosen <<<"${line//$separator/$'\x1f'}"
  file=${place%%:*}
  occurrence=
  [ "$place" != "$file" ] && occurrence=${place#*:}
  if [ -z "${behaviour:-}" ]; then
    echo "malformed line: $line" >&2
    exit 2
  fi
  where="$file${occurrence:+ (occurrence $occurrence)}"
  if [ ! -f "$file" ] || ! apply_fault "$file" "$occurrence" "$text" "$replacement" check; then
    echo "not applied   $where: $behaviour"
    not_applied=$((not_applied + 1))
    continue
  fi
  [ "$check_only" = 1 ] && continue
  if [ -n "${chosen:-}" ]; then
    read -r -a tests <<<"$chosen"
  elif ! read -r -a tests <<<"$(tests_for "$file")"; then
    echo "No tests are mapped to $file" >&2
    exit 2
  fi

  cp "$file" "$backup/original"
  mutated=$file
  apply_fault "$file" "$occurrence" "$text" "$replacement"
  host_targets=() windows_targets=()
  for t in "${tests[@]}"; do
    name=${t%%=*}
    if is_host_test "$name"; then
      host_targets+=("$name")
    else
      read -r -a needed <<<"$(build_targets_for "$name")"
      windows_targets+=("${needed[@]}")
    fi
  done
  built=1
  if [ "${#host_targets[@]}" -gt 0 ]; then
    # The fuzzer is a custom command of its own; host_tests brings the rest up to date.
    host_build=(host_tests)
    [[ " ${host_targets[*]} " == *" text_fuzz "* ]] && host_build+=(text_fuzz_target)
    cmake --build "$host" -j2 --target "${host_build[@]}" >"$backup/build.log" 2>&1 || built=0
  fi
  if [ "$built" = 1 ] && [ "${#windows_targets[@]}" -gt 0 ]; then
    cmake --build "$windows" -j2 --target "${windows_targets[@]%%=*}" >"$backup/build.log" 2>&1 || built=0
  fi
  outcome=survived
  failed_in=
  if [ "$built" = 1 ]; then
    for t in "${tests[@]}"; do
      name=${t%%=*}
      filter=
      [ "$t" != "$name" ] && filter=${t#*=}
      if ! GTEST_FILTER=${filter:-*} GTEST_FAIL_FAST=1 ctest --test-dir "$windows" -R "^$name\$" --timeout "$(timeout_for "$name")" \
        >"$backup/test.log" 2>&1; then
        outcome=killed
        failed_in=$name
        break
      fi
    done
  fi
  restore
  if [ "$built" = 0 ]; then
    echo "does not build $where: $behaviour"
    unbuilt=$((unbuilt + 1))
    continue
  fi
  applied=$((applied + 1))
  if [ "$outcome" = killed ]; then
    killed=$((killed + 1))
    echo "killed        $where: $behaviour (by $failed_in)"
  else
    echo "survived      $where: $behaviour"
  fi
done <"$list"

if [ "$check_only" = 1 ]; then
  echo "not applied: $not_applied"
  [ "$not_applied" = 0 ]
  exit
fi
# Leaves the build trees as the restored sources build.
build_preset host >/dev/null
build_preset windows >/dev/null
echo "not applied: $not_applied, not building: $unbuilt"
echo "killed $killed of $applied"
