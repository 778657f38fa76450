#!/usr/bin/env bash
# Makes plausible faults in the code one at a time and tells which tests catch each: a way to see what a
# test suite is worth before and after changing it. Run after `make build`; it rebuilds the test programs
# it needs, restores every source file it touched, and rebuilds once more at the end.
#
#   tools/fault-check.sh [--list FILE] [ID ...]
#
# FILE (default tools/faults.txt) has one fault a line, fields separated by " | ":
#   ID | source file | perl substitution applied to the whole file | ctest names (a regex)
# for example:
#   guard-size | src/components/IconFileCheck.cpp | s/size < 6/size < 0/ | ^components$
# A substitution that changes nothing is reported as "not applied" (the code moved: mend the line).
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
list=tools/faults.txt
if [ "${1:-}" = --list ]; then list=$2; shift 2; fi
want=("$@")
BUILD=${BUILD:-$ROOT/build}
export BUILD

# The restored file is touched: with its old time the build would keep the object made with the fault.
restore() { [ -n "${current:-}" ] && [ -f "$current.faultbak" ] && mv -f "$current.faultbak" "$current" && touch "$current"; current=; }
trap 'restore' EXIT
trap 'restore; exit 130' INT TERM

while IFS= read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  IFS='|' read -r id file expr tests <<<"$line"
  id=$(echo "$id" | xargs); file=$(echo "$file" | xargs); tests=$(echo "$tests" | xargs)
  expr=$(echo "$expr" | sed -e 's/^ *//' -e 's/ *$//')
  if [ ${#want[@]} -gt 0 ] && ! printf '%s\n' "${want[@]}" | grep -qx "$id"; then continue; fi
  if [ ! -f "$file" ]; then echo "$id: not applied (no file $file)"; continue; fi
  current=$file
  cp -p "$file" "$file.faultbak"
  perl -0pi -e "$expr" "$file"
  if cmp -s "$file" "$file.faultbak"; then echo "$id: not applied ($expr)"; restore; continue; fi
  # Each ctest name runs one test program: test_<folder>, whatever variant suffix it has.
  targets=$(cd "$BUILD/cmake" && ctest -N -R "$tests" | sed -n 's/^ *Test *#[0-9]*: \([a-z0-9]*\).*/test_\1/p' | sort -u)
  if ! cmake --build "$BUILD/cmake" --target $targets >"$BUILD/fault-build.log" 2>&1; then
    echo "$id: caught by the compiler"; restore; continue
  fi
  out=$("$ROOT/tools/test.sh" -R "$tests" 2>&1)
  rc=$?
  restore
  if [ $rc -eq 0 ]; then
    echo "$id: NOT CAUGHT ($tests)"
  else
    failed=$(echo "$out" | sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/.]*\)\( .*\)\?$/\1/p' | grep -v '^[0-9]' | sort -u | head -n 6 | xargs)
    # A program that crashed or hung names no test: name the program.
    crashed=$(echo "$out" | sed -n 's/.*Test *#[0-9]*: \([a-z0-9_]*\) .*\*\*\*\(Exception\|Timeout\).*/\1 (\2)/p' | sort -u | xargs)
    echo "$id: caught by ${failed:-}${crashed:+ ${crashed}}"
  fi
done <"$list"
cmake --build "$BUILD/cmake" >/dev/null 2>&1
