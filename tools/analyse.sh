#!/usr/bin/env bash
# Static analysis of toolkit/ and game/ as built for Windows: clang-tidy with the checks chosen in
# .clang-tidy, then cppcheck. Takes the clang build's folder, whose compile_commands.json gives
# the sources, their flags and defines. Prints every finding and fails if there is any; a finding
# that is no fault is suppressed where it stands (NOLINT, cppcheck-suppress) with its reason.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/windows-clang}")
commands="$build/compile_commands.json"
[ -f "$commands" ] || { echo "analyse: no $commands (configure the windows-clang preset first)" >&2; exit 1; }

mapfile -t sources < <(python3 - "$commands" "$root" <<'PY'
import json, sys
root = sys.argv[2]
files = {entry["file"] for entry in json.load(open(sys.argv[1]))}
print("\n".join(sorted(f for f in files if f.startswith((root + "/toolkit/", root + "/game/")))))
PY
)
[ "${#sources[@]}" -gt 0 ] || { echo "analyse: no toolkit or game sources in $commands" >&2; exit 1; }

status=0
start=$SECONDS
printf '%s\n' "${sources[@]}" |
  xargs -P 2 -n 1 clang-tidy --quiet -p "$build" 2>/dev/null || status=1
echo "clang-tidy: ${#sources[@]} files in $((SECONDS - start)) s"

# The build's own defines, as the compiler sees them for the toolkit.
mapfile -t defines < <(python3 - "$commands" "$root" <<'PY'
import json, shlex, sys
for entry in json.load(open(sys.argv[1])):
    if entry["file"].startswith(sys.argv[2] + "/toolkit/"):
        print("\n".join(a for a in shlex.split(entry["command"]) if a.startswith("-D")))
        break
PY
)
# Out: refactoring suggestions (an algorithm instead of a loop, const or static where a member
# could be) that find no fault, and newer cppcheck's notice that it limited its analysis of
# branches, which reports on cppcheck rather than on the code.
start=$SECONDS
cppcheck --quiet --error-exitcode=1 -j 2 --platform=win64 --library=windows --std=c++20 \
  --enable=warning,style,performance,portability --inline-suppr \
  --suppress=useStlAlgorithm --suppress=functionStatic --suppress=functionConst --suppress=constParameter \
  --suppress=normalCheckLevelMaxBranches \
  --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
  "${defines[@]}" -I "$root/toolkit" -I "$root/game" -I "$root/resources" "${sources[@]}" || status=1
echo "cppcheck: ${#sources[@]} files in $((SECONDS - start)) s"

[ "$status" -eq 0 ] && echo "analyse: no findings" || echo "analyse: findings above" >&2
exit "$status"
