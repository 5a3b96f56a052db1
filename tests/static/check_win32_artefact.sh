#!/usr/bin/env bash
# Checks a 32-bit Windows build artefact without running it:
#   check_win32_artefact.sh --exe PATH                 i386 PE, GUI subsystem
#   check_win32_artefact.sh --dll PATH --export NAME   i386 PE DLL exporting NAME
#                                                      exactly (no @N decoration)
# The objdump used is $VELMORA_OBJDUMP (default i686-w64-mingw32-objdump).
# Prints what it found and exits non-zero on the first failed check.
set -euo pipefail

usage() {
  echo "usage: $0 --exe PATH | --dll PATH --export NAME" >&2
  exit 2
}

kind="" path="" export_name=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --exe) kind=exe; path=${2:-}; shift 2 || usage ;;
    --dll) kind=dll; path=${2:-}; shift 2 || usage ;;
    --export) export_name=${2:-}; shift 2 || usage ;;
    *) usage ;;
  esac
done
[[ -n "$kind" && -n "$path" ]] || usage
[[ "$kind" == dll && -z "$export_name" ]] && usage
[[ "$kind" == exe && -n "$export_name" ]] && usage

# objdump translates its headings; the checks read the untranslated ones.
export LC_ALL=C
objdump=${VELMORA_OBJDUMP:-i686-w64-mingw32-objdump}
fail() {
  echo "FAIL: $path: $*" >&2
  exit 1
}
[[ -f "$path" ]] || fail "no such file"

headers=$("$objdump" -p "$path" 2>&1) || fail "objdump could not read it: $headers"

grep -q "file format pei-i386" <<<"$headers" || fail "not a 32-bit x86 PE file"
# The optional header magic 010b is PE32; 020b would be PE32+ (64-bit).
grep -Eq "^Magic[[:space:]]+010b" <<<"$headers" || fail "optional header is not PE32 (Magic 010b)"
# The COFF machine field itself, read from the file: objdump -p does not
# print it, and it is what the loader checks.
le16() { od -An -tu2 -j "$1" -N2 "$path" | tr -d ' '; }
le32() { od -An -tu4 -j "$1" -N4 "$path" | tr -d ' '; }
pe_offset=$(le32 60)
[[ -n "$pe_offset" ]] || fail "too short for a PE file"
machine=$(le16 $((pe_offset + 4)))
(( machine == 0x14c )) || fail "machine is $(printf '0x%x' "${machine:-0}"), not 0x14c"
echo "ok: i386 PE32 (machine 0x14c)"

characteristics=$(awk '/^Characteristics/ {sub(/^0x/, "", $2); print $2; exit}' <<<"$headers")
is_dll=$(( (16#${characteristics:-0} & 0x2000) != 0 ))

if [[ "$kind" == exe ]]; then
  (( is_dll == 0 )) || fail "is a DLL, expected an executable"
  grep -Eq "^Subsystem[[:space:]]+00000002" <<<"$headers" || fail "subsystem is not Windows GUI (2)"
  echo "ok: executable, GUI subsystem"
  exit 0
fi

(( is_dll == 1 )) || fail "is not a DLL"
# Names listed in the export name pointer table, one per line.
names=$(awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^[ \t]*\[/ {print $NF; next} t {t=0}' <<<"$headers")
[[ -n "$names" ]] || fail "has no export names"
if ! grep -Fxq -- "$export_name" <<<"$names"; then
  decorated=$(grep -E "^_?${export_name}@[0-9]+$" <<<"$names" || true)
  [[ -n "$decorated" ]] && fail "exports '$decorated', not the undecorated '$export_name'"
  fail "does not export '$export_name' (exports: $(tr '\n' ' ' <<<"$names"))"
fi
echo "ok: DLL exports $export_name"
