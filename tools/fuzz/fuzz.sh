#!/usr/bin/env bash
# `make fuzz`: the icon-file fuzz campaign. Well-formed seeds of every kind (generated, and the Wine
# prefix's own libraries) must all pass the guard wherever an independent reader (icoutils) finds
# icons in them; then FUZZ_COUNT hostile variants go through the guard and, when it passes them,
# through the program's icon calls, in workers that a crash or a hang ends and this script restarts
# after the file that did it. Crashing files are kept below build/fuzz/crashes.
# FUZZ_COUNT (40000), FUZZ_JOBS (2 workers), FUZZ_SEED (the campaign: the same number makes the same files).
set -uo pipefail
. "$(dirname "$0")/../env.sh"
. "$(dirname "$0")/../xvfb.sh"
COUNT=${FUZZ_COUNT:-40000}
JOBS=${FUZZ_JOBS:-2}
SEED=${FUZZ_SEED:-17}
EXE=$BUILD/cmake/icon_fuzz.exe
OUT=$BUILD/fuzz
win() { echo "Z:${1//\//\\}"; }
started=$(date +%s)

rm -rf "$OUT"; mkdir -p "$OUT/seeds" "$OUT/crashes"
trap 'wineserver -k >/dev/null 2>&1; stop_xvfbs' EXIT
start_xvfb 24 || exit 1; export DISPLAY=$XVFB_DISPLAY
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
wineserver -p 60 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# Seeds: the generated files, and the prefix's programs and libraries.
wine "$EXE" seeds "$(win "$OUT/seeds")" </dev/null || { echo "fuzz: could not write the seeds" >&2; exit 1; }
find "$OUT/seeds" -type f | sort > "$OUT/generated.txt"
find "$WINEPREFIX/drive_c/windows" "$WINEPREFIX/drive_c/Program Files"* -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.cpl' -o -iname '*.ocx' \
  -o -iname '*.drv' -o -iname '*.acm' -o -iname '*.sys' -o -iname '*.ax' -o -iname '*.tlb' -o -iname '*.com' \
  -o -iname '*.ds' -o -iname '*.msstyles' -o -iname '*.ico' -o -iname '*.icl' -o -iname '*.cur' -o -iname '*.ani' \) \
  | sort > "$OUT/platform.txt"
cat "$OUT/generated.txt" "$OUT/platform.txt" > "$OUT/wellformed.txt"
while read -r f; do win "$f"; done < "$OUT/wellformed.txt" > "$OUT/wellformed-win.txt"
wine "$EXE" check "$(win "$OUT/wellformed-win.txt")" "$(win "$OUT/verdicts.txt")" </dev/null
tr -d '\r' < "$OUT/verdicts.txt" > "$OUT/verdicts.unix"
# The independent reader: icon groups of a library (wrestool), icons of an .ico file (icotool).
independent() {
  case "${1,,}" in
    *.ico|*.cur) icotool -l "$1" 2>/dev/null | grep -q . && echo 1 || echo 0 ;;
    *.ani) echo 0 ;;
    *) wrestool -l --type=14 "$1" 2>/dev/null | grep -c . ;;
  esac
}
false_refusals=0; mismatches=0; wellformed=0
paste -d' ' <(cut -d' ' -f1,2 "$OUT/verdicts.unix") "$OUT/wellformed.txt" > "$OUT/verdicts.paired"
while read -r verdict count file; do
  wellformed=$((wellformed + 1))
  n=$(independent "$file")
  if [ "$verdict" = refused ] && [ "$n" -gt 0 ]; then
    false_refusals=$((false_refusals + 1)); echo "false refusal: $file ($n icons to icoutils)"
  elif [ "$verdict" = passed ] && [ "$n" -gt 0 ] && [ "$count" != "$n" ] && [[ "$file" != *.cur ]]; then
    mismatches=$((mismatches + 1)); echo "count differs: $file (platform $count, icoutils $n)"
  fi
done < "$OUT/verdicts.paired"

# Mutation seeds: the generated files and the smaller prefix files that hold icons.
cp "$OUT/generated.txt" "$OUT/mutate.txt"
for f in windows/hh.exe windows/system32/winemine.exe windows/system32/inetcpl.cpl windows/system32/taskmgr.exe \
         windows/regedit.exe; do
  [ -f "$WINEPREFIX/drive_c/$f" ] && echo "$WINEPREFIX/drive_c/$f" >> "$OUT/mutate.txt"
done
while read -r f; do win "$f"; done < "$OUT/mutate.txt" > "$OUT/mutate-win.txt"
LIST=$(win "$OUT/mutate-win.txt")

worker() {
  local j=$1 from=$1 log=$OUT/log$j.txt work=$OUT/work$j last rc
  mkdir -p "$work"; : > "$log"
  while [ "$from" -lt "$COUNT" ]; do
    timeout 1200 wine "$EXE" run "$LIST" "$(win "$work")" "$(win "$log")" "$from" "$COUNT" "$JOBS" "$SEED" \
      </dev/null >/dev/null 2>&1
    rc=$?
    tail -n 1 "$log" | grep -q '^E' && break
    last=$(grep -a '^B ' "$log" | tail -n 1 | cut -d' ' -f2)
    [ -n "$last" ] || { echo "fuzz: worker $j did not start" >&2; return 1; }
    # A worker that ended without saying why: timed out (hung) or killed by its crash.
    if ! grep -aq "^[CH] $last\b" "$log"; then
      if [ "$rc" = 124 ]; then echo "H $last timeout" >> "$log"; else echo "C $last exit $rc" >> "$log"; fi
    fi
    wine "$EXE" make "$LIST" "$last" "$(win "$OUT/crashes/v$last.bin")" "$SEED" </dev/null \
      > "$OUT/crashes/v$last.txt" 2>/dev/null
    from=$((last + JOBS))
  done
}
pids=()
for j in $(seq 0 $((JOBS - 1))); do worker "$j" & pids+=($!); done
wait "${pids[@]}"  # not a bare wait: that would wait for the Xvfb too

cat "$OUT"/log*.txt | tr -d '\r' > "$OUT/results.txt"
count() { grep -ac "$1" "$OUT/results.txt"; }
refused=$(count '^R [0-9]* refused'); passed=$(count '^R [0-9]* passed')
crashed=$(count '^C '); hung=$(count '^H ')
grep -a '^[CH] ' "$OUT/results.txt" | while read -r kind k rest; do
  label=crashed; [ "$kind" = H ] && label=hung
  echo "$label: v$k $rest -$(tr -d '\r' < "$OUT/crashes/v$k.txt" 2>/dev/null)"
done | head -200
echo "well-formed files: $wellformed; false refusals: $false_refusals; counts differing from icoutils: $mismatches"
echo "tried: $((refused + passed + crashed + hung)); refused: $refused; passed: $passed; crashed: $crashed; hung: $hung"
echo "time: $(( $(date +%s) - started )) s"
[ "$false_refusals" = 0 ] && [ "$crashed" = 0 ] && [ "$hung" = 0 ]
