#!/usr/bin/env bash
# The protections a reviewer checks first in a Windows executable, checked in the one that ships:
# addresses laid out at random, with high entropy, and no code run from data (ASLR and DEP), a
# relocation section so that the layout can move, the stack protector linked in, no import but
# the system's own libraries (a library imported under any other name could be one planted beside
# the program), and a load configuration that keeps the libraries the imports pull in to the
# system folder. Prints what fails and ends non-zero if anything does.
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

# The load configuration's DependentLoadFlags, a 16-bit field at byte 78 of the structure: the
# search flags Windows 10 1607 and later use for the libraries that the executable's imports pull
# in, before any of its code runs. LOAD_LIBRARY_SEARCH_SYSTEM32 alone: the system folder only.
wanted_dependent_load_flags=0x800
dependent_load_flags_offset=78

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

# The directory (entry 10 of the header's data directories) and the structure it points at, whose
# first field repeats its size. objdump dumps the bytes as lines of an address, up to 16 bytes in
# hexadecimal (36 columns, in groups that follow the address's alignment) and the same as text.
read -r config_rva config_size < <(awk '$1 == "Entry" && $2 == "a" { print $3, $4; exit }' <<<"$headers") || true
image_base=$(awk '$1 == "ImageBase" { print $2; exit }' <<<"$headers")
config_bytes=
if [ -n "${config_rva:-}" ] && [ -n "${config_size:-}" ] && ((0x$config_rva != 0 && 0x$config_size != 0)); then
  start=$((0x$image_base + 0x$config_rva))
  config_bytes=$(x86_64-w64-mingw32-objdump -s --start-address=$start --stop-address=$((start + 0x$config_size)) "$shipped" |
    awk '$1 ~ /^[0-9a-f]+$/ && NF > 1 { hex = substr($0, length($1) + 3, 36); gsub(/ /, "", hex); printf "%s", hex }')
fi
# A little-endian field of $2 bytes at byte $1 of the structure, as a number.
config_field() {
  local i value=
  for ((i = $1 + $2 - 1; i >= $1; i--)); do value+=${config_bytes:$((2 * i)):2}; done
  echo $((0x$value))
}
if [ -z "$config_bytes" ]; then
  fail "no load-configuration directory: the libraries its imports pull in are searched in the program's folder first"
elif ((${#config_bytes} != 2 * 0x$config_size)); then
  fail "the load-configuration directory ($((0x$config_size)) bytes at RVA 0x$config_rva) lies outside the file's data"
elif ((0x$config_size < dependent_load_flags_offset + 2)); then
  fail "the load configuration ($((0x$config_size)) bytes) ends before DependentLoadFlags"
elif (($(config_field 0 4) != 0x$config_size)); then
  fail "the load configuration's own size, $(config_field 0 4) bytes, is not the directory's ($((0x$config_size)))"
elif (($(config_field $dependent_load_flags_offset 2) != wanted_dependent_load_flags)); then
  fail "DependentLoadFlags $(printf '%#x' "$(config_field $dependent_load_flags_offset 2)"): wanted LOAD_LIBRARY_SEARCH_SYSTEM32 alone ($wanted_dependent_load_flags)"
fi

allowed=" ${allowed_imports,,} "
while read -r library; do
  [[ $allowed == *" ${library,,} "* ]] || fail "imports $library, which is not one of: $allowed_imports"
done < <(awk '$1 == "DLL" && $2 == "Name:" { print $3 }' <<<"$headers")

[ "$failures" -eq 0 ] || exit 1
