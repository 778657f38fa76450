#!/usr/bin/env bash
# Checks what Windows executables import against the list of what the old systems export
# (tools/win9x-nt4-exports.txt). A 32-bit executable may import only what both Windows 98 and
# Windows NT 4 export, and its headers may ask for no newer system than 4.0; Windows 95's gaps are
# noted. A 64-bit executable may import only what 64-bit Windows exports (the list's x64 entries).
# Anything else fails the check, each import by name, for the loader of such a system would refuse
# the whole program.
#
#   check-imports.sh [--list FILE] [--absent NAME,...] [--expect-refused DLL!NAME,...] EXE...
#
# --absent: functions that must not be imported at all (the program has its own stand-ins).
# --expect-refused: the check itself under test: passes only when exactly these imports are refused.
set -uo pipefail
export LC_ALL=C  # objdump speaks the locale's language otherwise
list=$(dirname "$0")/win9x-nt4-exports.txt
absent=
expected=
while [ $# -gt 0 ]; do
  case $1 in
    --list) list=$2; shift 2 ;;
    --absent) absent=$2; shift 2 ;;
    --expect-refused) expected=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--list FILE] [--absent NAME,...] [--expect-refused DLL!NAME,...] EXE..." >&2; exit 2; }
[ -r "$list" ] || { echo "cannot read the list $list" >&2; exit 2; }
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v objdump)

check() {  # check EXE: prints one "refused ..." line per refused import, notes, and a summary
  local exe=$1 dump
  if ! dump=$("$objdump" -p "$exe" 2>&1); then
    echo "refused $exe: cannot be read: $dump"
    return
  fi
  awk -v absent="$absent" -v exe="$(basename "$exe")" '
    function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
    # The list: a DLL line at the start of a line, its functions indented below it, each optionally
    # followed by the systems that export it (default: all of 95, 98, nt4 and x64).
    FILENAME == ARGV[1] {
      line = $0; sub(/#.*/, "", line)
      if (trim(line) == "") next
      n = split(trim(line), f, /[ \t]+/)
      tags = ""
      for (i = 2; i <= n; i++) tags = tags " " f[i]
      if (line ~ /^[^ \t]/) {
        dll = tolower(f[1]); dlls[dll] = 1
        dlltags[dll] = tags == "" ? " 95 98 nt4 x64" : tags
      } else {
        systems[dll "!" f[1]] = (tags == "" ? dlltags[dll] : tags) " "
      }
      next
    }
    # The dump of the executable.
    /file format pei-i386/ { bits = 32 }
    /file format pei-x86-64/ { bits = 64 }
    /^MajorOSystemVersion/ { osver = $2 }
    /^MajorSubsystemVersion/ { subver = $2 }
    /^The Import Tables/ { inImports = 1; next }
    inImports && /^[A-Z]/ && !/^The Import Tables/ { inImports = 0 }
    inImports && /^\tDLL Name:/ { shown = $3; current = tolower($3); next }
    inImports && current != "" && /^\t[0-9a-fA-F]+\t/ {
      name = $3 == "<none>" ? "#" $2 : $3
      imports[++count] = current "!" name; shownAs[count] = shown "!" name
    }
    END {
      split(absent, a, ","); for (i in a) if (a[i] != "") standIn[a[i]] = 1
      if (bits == 32) {
        if (osver > 4 || subver > 4)
          printf "refused %s: asks for Windows %s (subsystem %s), the old systems are 4.0\n", exe, osver, subver
        need = "98 nt4"; where = "Windows 98 and NT 4"
      } else if (bits == 64) {
        need = "x64"; where = "64-bit Windows"
      } else {
        printf "refused %s: not a Windows executable\n", exe; exit
      }
      nw = split(need, wanted, " ")
      named["98"] = "Windows 98"; named["nt4"] = "Windows NT 4"; named["x64"] = "64-bit Windows"
      bad = 0; notes = 0
      for (i = 1; i <= count; i++) {
        key = imports[i]; split(key, part, "!"); split(shownAs[i], shownPart, "!")
        if (!(part[1] in dlls)) {
          printf "refused %s: %s: %s is not a DLL of %s\n", exe, shownAs[i], shownPart[1], where; bad++
          continue
        }
        if (!(key in systems)) {
          printf "refused %s: %s is not exported by %s\n", exe, shownAs[i], where; bad++
          continue
        }
        s = systems[key]; missing = ""
        for (w = 1; w <= nw; w++)
          if (index(s, " " wanted[w] " ") == 0) missing = missing (missing == "" ? "" : " and ") named[wanted[w]]
        if (missing != "") {
          printf "refused %s: %s is missing on %s\n", exe, shownAs[i], missing; bad++
        } else if (part[2] in standIn) {
          printf "refused %s: %s has a stand-in in the program and must not be imported\n", exe, shownAs[i]; bad++
        } else if (bits == 32 && index(s, " 95 ") == 0) {
          printf "note %s: Windows 95 lacks %s\n", exe, shownAs[i]; notes++
        }
      }
      printf "%s: %d imports, %d refused, %d noted for Windows 95\n", exe, count, bad, notes
    }
  ' "$list" - <<<"$dump"
}

. "$(dirname "$0")/check-verdict.sh"
verdict 's/^refused [^:]*: \([^ :]*\).*/\1/p' "$expected" "$@"
