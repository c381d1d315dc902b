#!/usr/bin/env bash
# The protections a reviewer checks first in a Windows executable, checked in the one that ships:
# addresses laid out at random, with high entropy, and no code run from data (ASLR and DEP), a
# relocation section so that the layout can move, the stack protector linked in, and no import but
# the system's own libraries (a library imported under any other name could be one planted beside
# the program). Prints what fails and ends non-zero if anything does.
#
# Usage: tools/check-release-exe.sh SHIPPED_EXE UNSTRIPPED_EXE
#   UNSTRIPPED_EXE is the same build before stripping: only its symbol table shows the protector.
set -euo pipefail
shipped=$1 unstripped=$2

# What the executable may import: the system's libraries that the game links, and ADVAPI32 for the
# stack protector's random guard. The sound, shell and COM libraries are loaded on first use.
allowed_imports="ADVAPI32.dll COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll USER32.dll"
# IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, _DYNAMIC_BASE and _NX_COMPAT.
wanted_dll_characteristics=$((0x20 | 0x40 | 0x100))
# IMAGE_FILE_RELOCS_STRIPPED.
relocations_stripped=0x1

failures=0
fail() {
  echo "$shipped: $*" >&2
  failures=$((failures + 1))
}

headers=$(x86_64-w64-mingw32-objdump -p "$shipped")
characteristics=$(awk '$1 == "DllCharacteristics" { print $2; exit }' <<<"$headers")
[ -n "$characteristics" ] && (((0x$characteristics & wanted_dll_characteristics) == wanted_dll_characteristics)) ||
  fail "DllCharacteristics ${characteristics:-missing}: wanted HIGH_ENTROPY_VA, DYNAMIC_BASE and NX_COMPAT"

file_characteristics=$(awk '$1 == "Characteristics" { print $2; exit }' <<<"$headers")
reloc_size=$(x86_64-w64-mingw32-objdump -h "$shipped" | awk '$2 == ".reloc" { print $3; exit }')
[ -n "$file_characteristics" ] && (((file_characteristics & relocations_stripped) == 0)) &&
  [ -n "$reloc_size" ] && ((0x$reloc_size > 0)) ||
  fail "no relocation section: the executable cannot be moved to a random address"

symbols=$(x86_64-w64-mingw32-nm "$unstripped")
grep -Eq ' [Tt] __stack_chk_fail$' <<<"$symbols" && grep -Eq ' [DdBbRr] __stack_chk_guard$' <<<"$symbols" ||
  fail "the stack protector is not linked in ($unstripped has no __stack_chk_fail and __stack_chk_guard)"

allowed=" ${allowed_imports,,} "
while read -r library; do
  [[ $allowed == *" ${library,,} "* ]] || fail "imports $library, which is not one of: $allowed_imports"
done < <(awk '$1 == "DLL" && $2 == "Name:" { print $3 }' <<<"$headers")

[ "$failures" -eq 0 ] || exit 1
